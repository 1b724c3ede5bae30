// The page: starts the sort's worker with the build this browser runs,
// asks it for a frame once per display refresh while the sort, the rotation
// or the screensaver runs and the page is shown, and wires the commands to
// buttons and keys.
import { chooseBuild, hasWebAssembly } from './support.js';
import { drawFrame, fitPicture, showStatus, showStatusText } from './view.js';
import { watchFit } from './fit.js';
import { setNoticeProgress, showNotice, wireNotice } from './notice.js';
import { buildOptions, dialogOpen, openHelp, openOptions, wireDialogs } from './dialogs.js';
import { recipeLink } from './recipe.js';
import { download, encodeLoopGif, fileStem, savePng } from './saving.js';
import { watchForUpdates } from './updates.js';
import { drawShowFrame, keepScreenOn, showRunning, startShow, endShow, wireShow } from './show.js';
import { readShowLink } from './show-link.js';

const MESSAGE = self.HuesiftMessages;
const RESTART_TEXT = 'Click File menu/Start for changes to take effect.';
const RESTART_CAPTION = 'Changed parameter(s)...';
const NOT_READY = 'The sort engine is still loading; there is no picture yet.';
// The commands that need the engine, disabled when it cannot run.
const ENGINE_COMMANDS = ['start', 'toggle-rotation', 'options', 'save-png', 'save-gif', 'copy-link', 'screensaver'];

const page = {
    worker: null,
    ready: false,
    failed: false, // the engine cannot run: its commands are disabled
    table: null, // the engine's settings table
    recipe: null,
    settings: null,
    frame: null, // the latest frame drawn
    mode: 'stopped', // the worker's, as its latest frame said
    frameAsked: false,
    framesRunning: false,
    spareBuffer: null, // the latest frame's buffer, to hand back with the next request
    optionsWanted: false, // Options was asked for before the engine was ready
    gifBusy: false,
    gifRecipe: null, // the picture a loop GIF is being made of
    gifIterations: 0,
    showLink: null, // what the link asks of the screensaver
};

function send(message, transfer) {
    if (page.worker && !page.failed) page.worker.postMessage(message, transfer || []);
}

function framesWanted() {
    return (page.mode !== 'stopped' || showRunning()) && !document.hidden && !page.failed;
}

// At most one frame per display refresh: the next is asked for only when
// the last has arrived and the display is about to refresh, and none once
// the worker has stopped or while the page is hidden.
function frameTick() {
    page.framesRunning = false;
    if (!framesWanted()) return;
    if (!page.frameAsked) {
        page.frameAsked = true;
        const buffer = page.spareBuffer;
        page.spareBuffer = null;
        send({ type: MESSAGE.WANT_FRAME, buffer }, buffer ? [buffer] : []);
    }
    keepFramesComing();
}

function keepFramesComing() {
    if (page.framesRunning || !framesWanted()) return;
    page.framesRunning = true;
    requestAnimationFrame(frameTick);
}

function onVisibility() {
    send({ type: document.hidden ? MESSAGE.HIDDEN : MESSAGE.SHOWN });
    // A browser lets the screen's wake lock go while the page is hidden.
    if (!document.hidden) keepScreenOn();
    keepFramesComing();
}

function badValueLines(problems) {
    return problems.map((problem) =>
        problem.unknown
            ? `The link's "${problem.name}" ("${problem.text}") is not a setting Huesift knows; it was ignored.`
            : `The link's ${problem.name} "${problem.text}" is not one Huesift takes; using ${problem.replacement}.`,
    );
}

function shapeLabel(recipe) {
    const surfaces = page.table.groups.find((group) => group.key === 'surface');
    const choice = surfaces.choices.find((entry) => entry.name === recipe.shape);
    return choice ? choice.label : recipe.shape;
}

function onFrame(message) {
    page.frameAsked = false;
    page.frame = message;
    page.mode = message.mode;
    drawFrame(message);
    page.spareBuffer = message.pixels;
    if (page.recipe) showStatus(page.recipe, shapeLabel(page.recipe), message);
    keepFramesComing();
}

function onShowFrame(message) {
    page.frameAsked = false;
    drawShowFrame(message);
    page.spareBuffer = message.pixels;
    keepFramesComing();
}

function onReady(message) {
    page.ready = true;
    page.table = message.table;
    page.settings = message.settings;
    buildOptions(message.table);
    document.documentElement.dataset.build = message.build;
    const problems = [...message.problems, ...page.showLink.problems];
    if (problems.length > 0) showNotice('Link values replaced', badValueLines(problems));
    if (page.optionsWanted) COMMANDS.options();
}

const HANDLERS = {
    [MESSAGE.READY]: onReady,
    [MESSAGE.PICTURE]: (message) => {
        page.recipe = message.recipe;
    },
    [MESSAGE.FRAME]: onFrame,
    [MESSAGE.SHOW_FRAME]: onShowFrame,
    [MESSAGE.OPTIONS_APPLIED]: (message) => {
        page.settings = message.settings;
        if (message.needsStart) showNotice(RESTART_CAPTION, [RESTART_TEXT]);
    },
    [MESSAGE.ROTATION]: (message) => {
        document.getElementById('toggle-rotation').setAttribute('aria-pressed', String(message.on));
    },
    [MESSAGE.LOOP_FRAMES]: (message) => finishLoopGif(message),
    [MESSAGE.FAILURE]: (message) => {
        if (message.fatal) engineFailed(message.text);
        else showNotice('Huesift', [message.text]);
    },
};

function onWorkerMessage(message) {
    if (page.failed) return;
    const handler = HANDLERS[message.type];
    if (handler) handler(message);
    else console.error(`Huesift got a message it does not know from its sort worker: ${JSON.stringify(message.type)}`);
}

// The engine cannot run: say why, and disable what needs it; Help and Full
// screen still work.
function engineFailed(text) {
    if (page.failed) return;
    page.failed = true;
    page.worker.terminate();
    endShow();
    page.gifBusy = false;
    page.optionsWanted = false;
    for (const id of ENGINE_COMMANDS) document.getElementById(id).disabled = true;
    showStatusText('The sort engine is not running.');
    showNotice('Huesift', [text, 'Reloading the page may help; Help and Full screen still work.']);
}

function onWorkerError(event) {
    event.preventDefault();
    const detail = event.message ? `: ${event.message}` : '.';
    engineFailed(page.ready ? `The sort engine stopped with an error${detail}` :
        `The sort engine could not be loaded${detail}`);
}

// The link of the picture on screen, with its iteration count once its sort
// has stopped.
function currentLink() {
    const stopped = page.frame && page.frame.mode !== 'sorting';
    return recipeLink(location.href, page.recipe, stopped ? page.frame.iterations : null);
}

function pictureShown(caption) {
    if (page.recipe && page.frame) return true;
    showNotice(caption, [NOT_READY]);
    return false;
}

async function copyLink() {
    if (!pictureShown('Copy link')) return;
    const link = currentLink();
    try {
        await navigator.clipboard.writeText(link);
        showNotice('Link copied', [link]);
    } catch {
        showNotice('Copy this link', [link]);
    }
}

async function saveShownPng() {
    if (!pictureShown('Save PNG')) return;
    try {
        await savePng(document.getElementById('picture'), page.recipe, page.frame.iterations);
    } catch (error) {
        showNotice('Save PNG', [`The PNG could not be made: ${error.message}`]);
    }
}

function startLoopGif() {
    if (!pictureShown('Save loop GIF')) return;
    if (page.gifBusy) {
        showNotice('Save loop GIF', ['The loop GIF is still being made.']);
        return;
    }
    page.gifBusy = true;
    page.gifRecipe = page.recipe;
    page.gifIterations = page.frame.iterations;
    showNotice('Save loop GIF', ['Making the 90 frames of the palette rotation...'], 0);
    send({ type: MESSAGE.MAKE_LOOP });
}

async function finishLoopGif(message) {
    try {
        if (message.error) throw new Error(message.error);
        showNotice('Save loop GIF', ['Encoding the 90 frames...'], 0);
        const bytes = await encodeLoopGif(message.frames, message.side, message.delay, setNoticeProgress);
        download(bytes, 'image/gif', `${fileStem(page.gifRecipe, page.gifIterations)}-loop.gif`);
        showNotice('Save loop GIF', ['The loop GIF is saved.']);
    } catch (error) {
        showNotice('Save loop GIF', [`The GIF could not be made: ${error.message}`]);
    } finally {
        page.gifBusy = false;
    }
}

function toggleFullScreen() {
    const stage = document.getElementById('stage');
    if (document.fullscreenElement) document.exitFullscreen();
    else if (stage.requestFullscreen) stage.requestFullscreen().catch(() => {});
}

// The screensaver's show runs in the worker in place of the page's picture,
// which the worker makes again as it stood when the show ends.
function startScreensaver() {
    if (showRunning()) return;
    startShow(() => {
        send({ type: MESSAGE.SHOW_END });
        keepFramesComing();
    });
    send({ type: MESSAGE.SHOW_BEGIN, timings: page.showLink.timings });
    keepFramesComing();
}

// Start, Toggle rotation and Screensaver wait in the worker's queue until
// the engine is ready; Options opens once it is.
const COMMANDS = {
    start: () => send({ type: MESSAGE.START }),
    'toggle-rotation': () => send({ type: MESSAGE.TOGGLE_ROTATION }),
    options: () => {
        page.optionsWanted = !page.ready;
        if (page.ready) openOptions(page.settings, (values) => send({ type: MESSAGE.OPTIONS, values }));
        else showStatusText('Loading the sort engine... Options opens once it is ready.');
    },
    help: openHelp,
    'save-png': saveShownPng,
    'save-gif': startLoopGif,
    'copy-link': copyLink,
    'full-screen': toggleFullScreen,
    screensaver: startScreensaver,
};

const KEYS = { s: 'start', r: 'toggle-rotation', o: 'options', h: 'help', '?': 'help', p: 'save-png', g: 'save-gif',
    l: 'copy-link', f: 'full-screen' };

// A held key gives its command once.
function onKey(event) {
    if (event.ctrlKey || event.metaKey || event.altKey || event.repeat || dialogOpen()) return;
    if (event.target instanceof HTMLInputElement) return;
    const command = KEYS[event.key.toLowerCase()];
    if (!command) return;
    event.preventDefault();
    if (!document.getElementById(command).disabled) COMMANDS[command]();
}

function wireCommands() {
    for (const [id, command] of Object.entries(COMMANDS)) {
        document.getElementById(id).addEventListener('click', command);
    }
    document.addEventListener('keydown', onKey);
    document.addEventListener('visibilitychange', onVisibility);
    wireNotice();
    wireDialogs();
    wireShow();
    watchFit(document.getElementById('stage'), fitPicture);
}

function refuse(text) {
    const message = document.getElementById('unsupported');
    message.textContent = text;
    message.hidden = false;
    document.getElementById('picture').hidden = true;
    showStatusText('');
    for (const button of document.querySelectorAll('.commands button')) button.disabled = true;
}

function boot() {
    page.showLink = readShowLink(location.search);
    wireCommands();
    fitPicture();
    if (!hasWebAssembly()) {
        refuse('Huesift needs WebAssembly, which this browser does not offer. ' +
            'Any current version of Chrome, Edge, Firefox or Safari runs it.');
        return;
    }
    page.worker = new Worker('worker/sort-worker.js');
    page.worker.onmessage = (event) => onWorkerMessage(event.data);
    page.worker.onerror = onWorkerError;
    send({ type: MESSAGE.INIT, build: chooseBuild(), query: page.showLink.query });
    if (document.hidden) send({ type: MESSAGE.HIDDEN });
    if (page.showLink.start) startScreensaver();
    watchForUpdates();
}

boot();
