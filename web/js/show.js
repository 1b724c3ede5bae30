// The screensaver on the page: the show's own canvas over the whole window,
// full screen where the browser allows it, black around a picture enlarged
// by a whole number of device pixels, the page hidden beneath and left as it
// was, the screen kept on while the show runs, and any key, click, tap or
// real move of the pointer ending it.
import { fitCanvas, watchFit } from './fit.js';
import { paintFrame } from './view.js';

// The pointer must move more than this many CSS pixels from where the show
// first saw it: a mouse trembles on a desk, and a browser may report a move
// when the show appears under a pointer standing still.
export const MOVE_TOLERANCE = 4;

// A press that ends the show is let go this long after its release when it
// makes no click (a drag, a press held and released elsewhere).
const PRESS_END_MS = 500;

const show = {
    running: false,
    run: 0, // counts the shows, so an answer meant for an ended one is known
    onEnd: null,
    origin: null, // where the pointer was first seen
    wakeLock: null,
    returnFocus: null,
    fullScreen: false, // the show took the screen
    liftShield: null, // while the rest of an ending press is taken
};

const overlay = () => document.getElementById('show');
const canvas = () => document.getElementById('show-picture');

export function showRunning() {
    return show.running;
}

function fitShow() {
    if (show.running) fitCanvas(canvas(), canvas().parentElement);
}

// The screen stays on while the show runs, where the browser offers it;
// a browser that refuses (a policy, a hidden page, a low battery) leaves the
// show running without it.
export async function keepScreenOn() {
    if (!show.running || !navigator.wakeLock || (show.wakeLock && !show.wakeLock.released)) return;
    const run = show.run;
    try {
        const lock = await navigator.wakeLock.request('screen');
        if (run !== show.run || !show.running || (show.wakeLock && !show.wakeLock.released)) {
            await lock.release();
            return;
        }
        show.wakeLock = lock;
    } catch {
        // Refused: nothing to hold.
    }
}

function letScreenSleep() {
    const lock = show.wakeLock;
    show.wakeLock = null;
    if (lock && !lock.released) lock.release().catch(() => {});
}

// The key's release needs no keeping from the page: a button is pressed by
// Space only where its press also landed, and this one landed on the show.
function onKey(event) {
    event.preventDefault();
    event.stopImmediatePropagation();
    // A key held since before the show repeats; it is not a new press.
    if (!event.repeat) endShow();
}

function onPointerDown(event) {
    event.preventDefault();
    event.stopImmediatePropagation();
    endShow({ pressing: true });
}

// A press that ends the show must not also press what lies beneath once the
// show is gone: a tap's click comes after its release, on whatever is then
// under the finger. The show's element stays, clear, until the press is over:
// its click is taken, or without one it goes shortly after the release.
function shieldRestOfPress() {
    const element = overlay();
    let timer = 0;
    const takeClick = (event) => {
        event.preventDefault();
        event.stopImmediatePropagation();
        lift();
    };
    const onRelease = () => {
        clearTimeout(timer);
        timer = setTimeout(lift, PRESS_END_MS);
    };
    const lift = () => {
        clearTimeout(timer);
        window.removeEventListener('click', takeClick, true);
        window.removeEventListener('pointerup', onRelease, true);
        window.removeEventListener('pointercancel', onRelease, true);
        element.classList.remove('shield');
        show.liftShield = null;
        if (!show.running) element.hidden = true;
    };
    element.classList.add('shield');
    window.addEventListener('click', takeClick, true);
    window.addEventListener('pointerup', onRelease, true);
    window.addEventListener('pointercancel', onRelease, true);
    show.liftShield = lift;
}

function onPointerMove(event) {
    if (!show.origin) {
        show.origin = { x: event.clientX, y: event.clientY };
        return;
    }
    const dx = Math.abs(event.clientX - show.origin.x);
    const dy = Math.abs(event.clientY - show.origin.y);
    if (dx > MOVE_TOLERANCE || dy > MOVE_TOLERANCE) endShow();
}

// The browser left full screen itself (its own Esc, for one): the show ends
// with it.
function onFullScreenChange() {
    if (show.fullScreen && document.fullscreenElement !== overlay()) endShow();
}

const LISTENERS = [
    ['keydown', onKey],
    ['pointerdown', onPointerDown],
    ['pointermove', onPointerMove],
];

// Starts the show's screen; `onEnd` is called once when input ends it.
export function startShow(onEnd) {
    if (show.running) return;
    if (show.liftShield) show.liftShield();
    show.running = true;
    show.run += 1;
    show.onEnd = onEnd;
    show.origin = null;
    show.fullScreen = false;
    show.returnFocus = document.activeElement;
    document.body.classList.add('showing');
    const element = overlay();
    element.hidden = false;
    element.focus();
    fitShow();
    for (const [type, listener] of LISTENERS) window.addEventListener(type, listener, true);
    // Full screen needs the user's gesture; a show started by a link has
    // none and takes the whole window instead.
    if (element.requestFullscreen && navigator.userActivation?.isActive) {
        const run = show.run;
        element.requestFullscreen().then(
            () => {
                if (run === show.run && show.running) show.fullScreen = true;
                else if (document.fullscreenElement === element) document.exitFullscreen().catch(() => {});
            },
            () => {},
        );
    }
    keepScreenOn();
}

// Ends the show's screen and gives the page back as it was; `pressing`
// when a press of the pointer ends it.
export function endShow({ pressing = false } = {}) {
    if (!show.running) return;
    show.running = false;
    show.fullScreen = false;
    for (const [type, listener] of LISTENERS) window.removeEventListener(type, listener, true);
    letScreenSleep();
    if (pressing) shieldRestOfPress();
    else overlay().hidden = true;
    document.body.classList.remove('showing');
    // Nothing outside a full-screen element takes the focus until the
    // browser has left full screen.
    const returnFocus = show.returnFocus;
    show.returnFocus = null;
    const giveFocusBack = () => {
        if (!show.running && returnFocus && returnFocus.isConnected) returnFocus.focus();
    };
    if (document.fullscreenElement === overlay()) document.exitFullscreen().then(giveFocusBack, giveFocusBack);
    else giveFocusBack();
    const onEnd = show.onEnd;
    show.onEnd = null;
    onEnd();
}

// Draws a frame of the show, with what it shows for tests and readers.
export function drawShowFrame(frame) {
    const picture = canvas();
    paintFrame(picture, frame, fitShow);
    picture.dataset.phase = frame.phase;
    picture.dataset.shape = frame.shape;
    picture.dataset.seed = String(frame.seed);
}

export function wireShow() {
    document.addEventListener('fullscreenchange', onFullScreenChange);
    watchFit(document.getElementById('show-room'), fitShow);
}
