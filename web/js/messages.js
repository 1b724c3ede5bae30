// The messages between the page, the sort's worker and the service worker,
// named once for all. A plain script, not a module: the workers load it with
// importScripts, the page with a script element before its own modules.
self.HuesiftMessages = Object.freeze({
    // The page to the worker.
    INIT: 'init', // build, query: load the engine and make the link's picture
    WANT_FRAME: 'want-frame', // buffer (optional): the next frame, into this buffer
    START: 'start',
    TOGGLE_ROTATION: 'toggle-rotation',
    OPTIONS: 'options', // values: the five codes
    MAKE_LOOP: 'make-loop', // the 90 frames of the rotation loop
    HIDDEN: 'hidden', // nothing advances until SHOWN
    SHOWN: 'shown',
    SHOW_BEGIN: 'show-begin', // timings (optional, sortLimitMs and rotationMs): the screensaver's show
    SHOW_END: 'show-end', // the show ends; the page's picture is made again as it stood
    // The worker to the page.
    READY: 'ready', // build, settings, table, problems
    PICTURE: 'picture', // recipe, target
    FRAME: 'frame', // pixels, side, iterations, disorder, checks, settled, rate, mode
    SHOW_FRAME: 'show-frame', // pixels, side, phase, shape, seed, iterations
    OPTIONS_APPLIED: 'options-applied', // needsStart, settings
    ROTATION: 'rotation', // on
    LOOP_FRAMES: 'loop-frames', // frames, side, delay, or error
    FAILURE: 'failure', // text, and fatal when the engine cannot go on
    // The page and its service worker.
    TAKE_UPDATE: 'take-update', // the waiting release takes over now
    INSTALL_FAILED: 'install-failed', // text: a release's files could not be stored
});
