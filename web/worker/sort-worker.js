// The sort's own thread: the engine compiled to WebAssembly sorts the
// picture here in short chunks, rotates its palette at the chosen pace, and
// hands the page the pixels whenever the page asks for them, in buffers the
// page hands back. Once the sort has settled (or reached a link's iteration
// count) it stops and does nothing until a command; while the page is hidden
// nothing advances. Between chunks it reads the page's messages. It also
// runs the screensaver's show, by the engine's rules, in place of the page's
// picture, and makes that picture again exactly when the show ends.
'use strict';
importScripts('../js/messages.js');
const MESSAGE = self.HuesiftMessages;

// A chunk aims at this long, so messages wait no longer.
const CHUNK_MS = 8;
const FIRST_CHUNK = 65536;
const MAX_CHUNK = 1 << 24;
// The sort hands a frame over once per refresh tick count, as the window
// program repaints once per refresh_interval ticks of 65,536 iterations.
const TICK = 65536;
// The show hands over at most one frame in this many milliseconds while its
// picture sorts, leaving the thread to the sort, and wakes at least this
// often while it waits for its next step.
const SHOW_SORT_FRAME_MS = 33;
const SHOW_LONGEST_WAIT_MS = 1000;

let engine = null;
let table = null; // the engine's settings table: option groups and link keys
let pending = [];
let chunk = FIRST_CHUNK;
const state = {
    side: 0,
    seed: 0,
    target: null, // iterations to stop at, from a link
    sorting: false,
    rotating: false,
    rotationOn: false,
    settled: false,
    hidden: false,
    wantFrame: false,
    frameIterations: -1,
    changed: false, // pixels changed since the last frame handed over
    checks: [], // settle checks made since the last frame handed over
    rateStart: { time: 0, iterations: 0 },
    rate: 0,
    rotationTimer: 0,
};
// Frame buffers the page has handed back, reused so that frames make no
// garbage.
let spareBuffers = [];
// The screensaver's show, while it runs or while the page's picture is made
// again after it: the show's clock (the milliseconds the page was shown
// since the show began), and what the page's picture was doing before.
const show = {
    active: false,
    restoring: false,
    shownMs: 0, // the clock's reading when it last stopped
    shownSince: 0, // performance.now() when it last started
    timer: 0,
    changed: false,
    lastFrameAt: -Infinity,
    suspended: { sorting: false, rotating: false },
};

const wake = new MessageChannel();
let scheduled = false;
wake.port1.onmessage = () => {
    scheduled = false;
    if (show.restoring) restoreChunk();
    else if (show.active) showTick();
    else runChunk();
};
function schedule() {
    if (scheduled || state.hidden) return;
    scheduled = true;
    wake.port2.postMessage(0);
}

function post(type, fields, transfer) {
    self.postMessage({ type, ...fields }, transfer || []);
}

function mode() {
    return state.rotating ? 'rotating' : state.sorting ? 'sorting' : 'stopped';
}

function group(key) {
    return table.groups.find((entry) => entry.key === key);
}

function choiceName(key, code) {
    const choice = group(key).choices.find((entry) => entry.code === code);
    return choice ? choice.name : '?';
}

function writeText(text) {
    const bytes = new TextEncoder().encode(text);
    if (bytes.length > engine._hs_text_room()) return -1;
    engine.HEAPU8.set(bytes, engine._hs_text());
    return bytes.length;
}

// The value of a link setting as the engine reads it (a choice's code, or a
// number), or null when the engine does not take it.
function parseSetting(key, text) {
    const length = writeText(text);
    if (length < 0 || !engine._hs_parse_setting(table.link.indexOf(key), length)) return null;
    return engine._hs_parsed();
}

function currentSettings() {
    const values = {};
    for (const entry of table.groups) values[entry.key] = engine._hs_setting(entry.slot);
    return values;
}

// The engine takes the five codes in the order of their slots.
function applySettings(values, rotationOn) {
    const codes = [];
    for (const entry of table.groups) codes[entry.slot] = values[entry.key];
    return engine._hs_apply_settings(...codes, rotationOn ? 1 : 0);
}

function randomSeed() {
    return self.crypto.getRandomValues(new Uint32Array(1))[0];
}

// A link's recipe: every value the engine takes is applied, every other one
// is named and left at its default.
function readLink(query) {
    const params = new URLSearchParams(query);
    const problems = [];
    const values = currentSettings();
    const found = {};
    for (const key of table.link) {
        if (!params.has(key)) continue;
        const text = params.get(key);
        const value = parseSetting(key, text);
        if (value === null) problems.push({ name: key, text });
        else found[key] = value;
    }
    for (const key of params.keys()) {
        if (!table.link.includes(key)) problems.push({ name: key, text: params.get(key), unknown: true });
    }
    const defaults = { seed: 'a random seed', iterations: 'sorting on' };
    for (const entry of table.groups) {
        if (entry.link === null) continue;
        if (entry.link in found) values[entry.key] = found[entry.link];
        defaults[entry.link] = choiceName(entry.key, values[entry.key]);
    }
    applySettings(values, false);
    for (const problem of problems) problem.replacement = problem.unknown ? null : defaults[problem.name];
    return {
        seed: 'seed' in found ? found.seed : randomSeed(),
        target: 'iterations' in found ? found.iterations : null,
        problems,
    };
}

function recipe() {
    const values = currentSettings();
    return {
        shape: choiceName('surface', values.surface),
        size: state.side,
        red: choiceName('red', values.red),
        seed: state.seed,
        speed: Number(choiceName('delay', values.delay)),
    };
}

function stopRotation() {
    state.rotating = false;
    clearTimeout(state.rotationTimer);
}

function startPicture(seed, target) {
    stopRotation();
    state.sorting = false;
    if (!engine._hs_make_picture(seed >>> 0)) {
        state.side = 0;
        post(MESSAGE.FAILURE, { text: 'The picture could not be made: not enough memory.' });
        return;
    }
    state.side = engine._hs_picture_side();
    state.seed = engine._hs_picture_seed() >>> 0;
    state.target = target;
    state.checks = [];
    state.settled = engine._hs_sort(0) === 1;
    noteCheck(0);
    state.sorting = target === null || target > 0;
    state.frameIterations = -1;
    state.changed = true;
    state.rateStart = { time: performance.now(), iterations: 0 };
    state.rate = 0;
    chunk = FIRST_CHUNK;
    post(MESSAGE.PICTURE, { recipe: recipe(), target });
    sendFrame(true);
    schedule();
}

function iterationsDone() {
    return engine._hs_iterations();
}

// Keeps the disorder of each settle check the engine made, for the page.
function noteCheck(checksBefore) {
    if (engine._hs_checks() === checksBefore) return;
    state.checks.push({
        iterations: iterationsDone(),
        disorder: [engine._hs_disorder(0), engine._hs_disorder(1), engine._hs_disorder(2)],
    });
}

function measureRate(now, done) {
    const elapsed = now - state.rateStart.time;
    if (elapsed < 250) return;
    state.rate = ((done - state.rateStart.iterations) * 1000) / elapsed;
    state.rateStart = { time: now, iterations: done };
}

// The next piece of the sort: a chunk, cut short at the next settle check so
// that a settled sort stops exactly there, and at a link's iteration count.
function nextPiece() {
    const done = iterationsDone();
    let piece = chunk;
    if (!state.settled) piece = Math.min(piece, engine._hs_next_check() - done);
    if (state.target !== null) piece = Math.min(piece, state.target - done);
    return piece;
}

function runChunk() {
    if (!state.sorting || state.hidden) return;
    const piece = nextPiece();
    const checksBefore = engine._hs_checks();
    const began = performance.now();
    if (piece > 0) state.settled = engine._hs_sort(piece) === 1 || state.settled;
    const now = performance.now();
    const spent = now - began;
    // Keep a chunk near CHUNK_MS whatever the picture and the machine.
    if (piece === chunk && spent > 0) {
        chunk = Math.max(1024, Math.min(MAX_CHUNK, Math.round((chunk * CHUNK_MS) / spent)));
    }
    noteCheck(checksBefore);
    const done = iterationsDone();
    state.changed = true;
    measureRate(now, done);
    const finished = state.target !== null ? done >= state.target : state.settled;
    if (finished) {
        state.sorting = false;
        state.rate = 0;
        sendFrame(true);
        return;
    }
    sendFrame(false);
    schedule();
}

function frameDue() {
    if (!state.wantFrame || state.side === 0 || !state.changed) return false;
    if (!state.sorting || state.frameIterations < 0) return true;
    const refresh = engine._hs_setting(group('refresh').slot);
    return iterationsDone() - state.frameIterations >= refresh * TICK;
}

function frameBuffer(bytes) {
    const buffer = spareBuffers.find((spare) => spare.byteLength === bytes);
    spareBuffers = spareBuffers.filter((spare) => spare !== buffer && spare.byteLength === bytes);
    return buffer || new ArrayBuffer(bytes);
}

// The engine's picture as RGBA bytes, in a buffer the page handed back
// where one of the size is spare.
function framePixels(side) {
    const pointer = engine._hs_frame();
    const bytes = side * side * 4;
    const pixels = frameBuffer(bytes);
    new Uint8Array(pixels).set(engine.HEAPU8.subarray(pointer, pointer + bytes));
    return pixels;
}

// Hands the page a frame when it asked for one and one is due, or, with
// `now`, whenever the page is shown (a change of mode, the last frame of a
// sort). None of the page's picture while the show has the engine.
function sendFrame(now) {
    if (show.active || show.restoring) return;
    if (state.hidden || state.side === 0 || !(now || frameDue())) return;
    const pixels = framePixels(state.side);
    const done = iterationsDone();
    const checks = state.checks;
    state.checks = [];
    state.wantFrame = false;
    state.changed = false;
    state.frameIterations = done;
    post(
        MESSAGE.FRAME,
        {
            pixels,
            side: state.side,
            iterations: done,
            disorder: [engine._hs_disorder(0), engine._hs_disorder(1), engine._hs_disorder(2)],
            checks,
            settled: state.settled,
            rate: state.sorting ? state.rate : 0,
            mode: mode(),
        },
        [pixels],
    );
}

// One rotation step, then a pause of rotation_delay / 2 ms, read afresh
// each time, as the window program's rotation worker does.
function rotateStep() {
    if (!state.rotating || state.hidden) return;
    engine._hs_rotate();
    state.changed = true;
    sendFrame(false);
    state.rotationTimer = setTimeout(rotateStep, engine._hs_setting(group('delay').slot) / 2);
}

function stopSort() {
    if (state.sorting) {
        state.sorting = false;
        state.rate = 0;
        state.changed = true;
    }
}

function toggleRotation() {
    stopSort();
    stopRotation();
    state.changed = true;
    if (state.rotationOn) {
        state.rotationOn = false;
    } else if (state.side !== 0) {
        state.rotationOn = true;
        state.rotating = true;
        engine._hs_tag();
        rotateStep();
    }
    // The button's state goes first: a page that sees the new mode in the
    // frame then also shows the button pressed or not.
    post(MESSAGE.ROTATION, { on: state.rotationOn });
    sendFrame(true);
}

function applyOptions(values) {
    const wasSorting = state.sorting;
    const bits = applySettings(values, state.rotationOn);
    if (bits < 0) return;
    if (bits & 1) {
        stopSort();
        stopRotation();
    }
    if (bits & 2) state.rotationOn = false;
    if (bits & 8) state.frameIterations = iterationsDone();
    post(MESSAGE.OPTIONS_APPLIED, { needsStart: (bits & 4) !== 0, settings: currentSettings() });
    post(MESSAGE.ROTATION, { on: state.rotationOn });
    sendFrame(wasSorting !== state.sorting || (bits & 1) !== 0);
}

// The show's clock: it stands still while the page is hidden, so the show
// pauses exactly.
function showNow() {
    return Math.floor(show.shownMs + (state.hidden ? 0 : performance.now() - show.shownSince));
}

function showPhase() {
    return table.showPhases[engine._hs_show_phase()];
}

// A frame of the show when the page asked for one, the pixels changed and,
// while the picture sorts, the last frame is old enough.
function sendShowFrame() {
    if (state.hidden || !state.wantFrame || !show.changed) return;
    const side = engine._hs_picture_side();
    const phase = showPhase();
    if (phase === 'sorting' && performance.now() - show.lastFrameAt < SHOW_SORT_FRAME_MS) return;
    if (phase === 'waiting' || side === 0) return;
    const pixels = framePixels(side);
    state.wantFrame = false;
    show.changed = false;
    show.lastFrameAt = performance.now();
    post(
        MESSAGE.SHOW_FRAME,
        {
            pixels,
            side,
            phase,
            shape: choiceName('surface', engine._hs_picture_surface()),
            seed: engine._hs_picture_seed() >>> 0,
            iterations: iterationsDone(),
        },
        [pixels],
    );
}

// A piece of the show's sort, cut at the next settle check so that the
// show's picture settles at the check huesift-render's does.
function sortShowPiece() {
    const interval = engine._hs_settle_interval();
    const piece = Math.min(chunk, interval - (iterationsDone() % interval));
    const began = performance.now();
    engine._hs_show_sort(piece);
    const spent = performance.now() - began;
    if (piece === chunk && spent > 0) chunk = Math.max(1024, Math.min(MAX_CHUNK, Math.round((chunk * CHUNK_MS) / spent)));
    show.changed = true;
}

// One turn of the show, as the engine's show wants its caller to run it:
// the step due by the clock, and while the picture sorts a piece of sorting
// and the step again; then at once again while it sorts, else when the
// show's next step is due.
function showTick() {
    clearTimeout(show.timer);
    if (!show.active || state.hidden) return;
    // A new picture's first settle check is made before it sorts at all.
    if (engine._hs_show_step(showNow())) show.changed = true;
    if (showPhase() === 'sorting') {
        sortShowPiece();
        if (engine._hs_show_step(showNow())) show.changed = true;
    }
    const now = showNow();
    sendShowFrame();
    if (showPhase() === 'sorting') {
        schedule();
        return;
    }
    // A frame held back by the pacing goes at its time.
    let wait = SHOW_LONGEST_WAIT_MS;
    const next = engine._hs_show_next_step(now);
    if (next >= 0) wait = Math.min(wait, next - now);
    if (show.changed && state.wantFrame) wait = Math.min(wait, show.lastFrameAt + SHOW_SORT_FRAME_MS - performance.now());
    show.timer = setTimeout(showTick, Math.max(0, wait));
}

// The show takes the engine over: the page's picture is handed over once
// more as it stands, its sort or rotation put aside, and the show's first
// picture made from the settings. `timings` (sortLimitMs, rotationMs), from
// a test's link, replace the show's own.
function beginShow(timings) {
    if (show.active) return;
    sendFrame(true);
    show.suspended = { sorting: state.sorting, rotating: state.rotating };
    state.sorting = false;
    stopRotation();
    show.active = true;
    show.shownMs = 0;
    show.shownSince = performance.now();
    show.changed = true;
    show.lastFrameAt = -Infinity;
    chunk = FIRST_CHUNK;
    engine._hs_show_begin(showNow(), timings ? timings.sortLimitMs : 0, timings ? timings.rotationMs : 0);
    showTick();
}

// The show ends and the page's picture is made again, sorted in chunks to
// where it stood; the page's commands wait until it stands there.
function endShow() {
    if (!show.active) return;
    show.active = false;
    clearTimeout(show.timer);
    if (!engine._hs_show_end() && state.side !== 0) {
        state.side = 0;
        post(MESSAGE.FAILURE, { text: 'The picture could not be made again: not enough memory.' });
    }
    show.restoring = true;
    pending = [];
    chunk = FIRST_CHUNK;
    restoreChunk();
}

function restoreChunk() {
    if (!show.restoring || state.hidden) return;
    if (!engine._hs_restore(chunk)) {
        schedule();
        return;
    }
    show.restoring = false;
    state.sorting = show.suspended.sorting;
    state.rotating = show.suspended.rotating;
    state.frameIterations = -1;
    state.changed = true;
    state.rateStart = { time: performance.now(), iterations: state.side ? iterationsDone() : 0 };
    chunk = FIRST_CHUNK;
    sendFrame(true);
    if (state.rotating) state.rotationTimer = setTimeout(rotateStep, engine._hs_setting(group('delay').slot) / 2);
    schedule();
    handleQueued();
}

// While the page is hidden neither the sort nor the rotation advances, nor
// the show's clock; all go on where they were when it is shown.
function setHidden(hidden) {
    if (state.hidden === hidden) return;
    if (hidden) show.shownMs = showNow();
    else show.shownSince = performance.now();
    state.hidden = hidden;
    if (hidden) {
        clearTimeout(state.rotationTimer);
        clearTimeout(show.timer);
        return;
    }
    if (show.active || show.restoring) {
        schedule();
        return;
    }
    state.rateStart = { time: performance.now(), iterations: state.side ? iterationsDone() : 0 };
    sendFrame(true);
    if (state.rotating) rotateStep();
    schedule();
}

// The 90 frames of the loop animation, each as palette indices and its
// colours, for the page to encode.
function loopFrames() {
    const count = engine._hs_loop_begin();
    if (!count) {
        post(MESSAGE.LOOP_FRAMES, { error: 'there is no picture' });
        return;
    }
    try {
        const pixels = state.side * state.side;
        const frames = [];
        const transfer = [];
        for (let step = 0; step < count; ++step) {
            engine._hs_loop_frame(step);
            const indices = engine.HEAPU8.slice(engine._hs_loop_indices(), engine._hs_loop_indices() + pixels);
            const colours = engine.HEAPU8.slice(engine._hs_loop_colours(), engine._hs_loop_colours() + count * 3);
            frames.push({ indices, colours });
            transfer.push(indices.buffer, colours.buffer);
        }
        post(MESSAGE.LOOP_FRAMES, { frames, side: state.side, delay: engine._hs_loop_delay() }, transfer);
    } catch (error) {
        post(MESSAGE.LOOP_FRAMES, { error: String(error.message || error) });
    } finally {
        engine._hs_loop_end();
    }
}

function handle(message) {
    switch (message.type) {
        case MESSAGE.WANT_FRAME:
            if (message.buffer) spareBuffers.push(message.buffer);
            state.wantFrame = true;
            if (show.active) sendShowFrame();
            else sendFrame(false);
            break;
        case MESSAGE.START:
            startPicture(randomSeed(), null);
            break;
        case MESSAGE.TOGGLE_ROTATION:
            toggleRotation();
            break;
        case MESSAGE.OPTIONS:
            applyOptions(message.values);
            break;
        case MESSAGE.MAKE_LOOP:
            loopFrames();
            break;
        case MESSAGE.HIDDEN:
            setHidden(true);
            break;
        case MESSAGE.SHOWN:
            setHidden(false);
            break;
        case MESSAGE.SHOW_BEGIN:
            beginShow(message.timings);
            break;
        case MESSAGE.SHOW_END:
            endShow();
            break;
        default:
            console.error(`Huesift's sort worker got a message it does not know: ${JSON.stringify(message.type)}`);
    }
}

async function init(message) {
    const script = message.build === 'simd' ? 'huesift-simd.js' : 'huesift-scalar.js';
    try {
        importScripts('../' + script);
        engine = await self.HuesiftModule({ locateFile: (file) => '../' + file });
        table = JSON.parse(engine.UTF8ToString(engine._hs_settings_table()));
    } catch (error) {
        post(MESSAGE.FAILURE, {
            text: 'The sort engine could not be loaded: ' + String(error.message || error),
            fatal: true,
        });
        return;
    }
    const link = readLink(message.query);
    post(MESSAGE.READY, { build: message.build, settings: currentSettings(), table, problems: link.problems });
    startPicture(link.seed, link.target);
    handleQueued();
}

// The page's messages wait while the engine loads and while its picture is
// made again after the show; being hidden or shown never waits.
function receive(message) {
    if (message.type === MESSAGE.HIDDEN || message.type === MESSAGE.SHOWN) handle(message);
    else if (pending) pending.push(message);
    else handle(message);
}

// A queued message may make the next ones wait again (the end of a show).
function handleQueued() {
    const queued = pending;
    pending = null;
    queued.forEach(receive);
}

self.onmessage = (event) => {
    const message = event.data;
    if (message.type === MESSAGE.INIT) init(message);
    else receive(message);
};
