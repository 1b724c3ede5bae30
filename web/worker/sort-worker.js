// The sort's own thread: the engine compiled to WebAssembly sorts the
// picture here in short chunks, rotates its palette at the chosen pace, and
// hands the page a copy of the pixels whenever the page asks for one. It
// never waits for the page; between chunks it reads the page's messages.
'use strict';

// Names of the settings the engine parses (the order of its WebSetting).
const SETTING = { shape: 0, size: 1, red: 2, seed: 3, speed: 4, iterations: 5 };
const LINK_SETTINGS = ['shape', 'size', 'red', 'seed', 'speed', 'iterations'];
// A chunk aims at this long, so messages wait no longer.
const CHUNK_MS = 8;
const FIRST_CHUNK = 65536;
const MAX_CHUNK = 1 << 24;
// The sort hands a frame over once per refresh tick count, as the window
// program repaints once per refresh_interval ticks of 65,536 iterations.
const TICK = 65536;

let engine = null;
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
    wantFrame: false,
    frameIterations: -1,
    changed: false, // pixels changed since the last frame handed over
    rateStart: { time: 0, iterations: 0 },
    rate: 0,
    rotationTimer: 0,
};

const wake = new MessageChannel();
let scheduled = false;
wake.port1.onmessage = () => {
    scheduled = false;
    runChunk();
};
function schedule() {
    if (scheduled) return;
    scheduled = true;
    wake.port2.postMessage(0);
}

function post(message, transfer) {
    self.postMessage(message, transfer || []);
}

function writeText(text) {
    const bytes = new TextEncoder().encode(text);
    if (bytes.length > engine._hs_text_room()) return -1;
    engine.HEAPU8.set(bytes, engine._hs_text());
    return bytes.length;
}

// The value of a link setting as the engine reads it, or null when the
// engine does not take it.
function parseSetting(name, text) {
    const length = writeText(text);
    if (length < 0 || !engine._hs_parse_setting(SETTING[name], length)) return null;
    return engine._hs_parsed();
}

function settingName(name, code) {
    return engine.UTF8ToString(engine._hs_setting_name(SETTING[name], code));
}

function currentSettings() {
    return {
        surface: engine._hs_setting(0),
        size: engine._hs_setting(1),
        refresh: engine._hs_setting(2),
        delay: engine._hs_setting(3),
        red: engine._hs_setting(4),
    };
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
    for (const name of LINK_SETTINGS) {
        if (!params.has(name)) continue;
        const text = params.get(name);
        const value = parseSetting(name, text);
        if (value === null) problems.push({ name, text });
        else found[name] = value;
    }
    for (const name of params.keys()) {
        if (!LINK_SETTINGS.includes(name)) problems.push({ name, text: params.get(name), unknown: true });
    }
    if ('shape' in found) values.surface = found.shape;
    if ('size' in found) values.size = found.size;
    if ('red' in found) values.red = found.red;
    if ('speed' in found) values.delay = engine._hs_delay_for_speed(found.speed);
    engine._hs_apply_settings(values.surface, values.size, values.refresh, values.delay, values.red, 0);
    const defaults = {
        shape: settingName('shape', values.surface),
        size: String(values.size),
        red: settingName('red', values.red),
        seed: 'a random seed',
        speed: String(engine._hs_speed_for_delay(values.delay)),
        iterations: 'sorting on',
    };
    for (const problem of problems) problem.replacement = problem.unknown ? null : defaults[problem.name];
    return {
        seed: 'seed' in found ? found.seed : randomSeed(),
        target: 'iterations' in found ? found.iterations : null,
        problems,
    };
}

function pictureMessage() {
    const values = currentSettings();
    return {
        type: 'picture',
        recipe: {
            shape: settingName('shape', values.surface),
            size: state.side,
            red: settingName('red', values.red),
            seed: state.seed,
            speed: engine._hs_speed_for_delay(values.delay),
        },
        target: state.target,
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
        post({ type: 'failure', text: 'The picture could not be made: not enough memory.' });
        return;
    }
    state.side = engine._hs_picture_side();
    state.seed = engine._hs_picture_seed() >>> 0;
    state.target = target;
    state.settled = engine._hs_sort(0) === 1;
    state.sorting = target === null || target > 0;
    state.frameIterations = -1;
    state.changed = true;
    state.rateStart = { time: performance.now(), iterations: 0 };
    state.rate = 0;
    chunk = FIRST_CHUNK;
    post(pictureMessage());
    sendFrameIfWanted();
    schedule();
}

function iterationsDone() {
    return engine._hs_iterations();
}

function measureRate(now, done) {
    const elapsed = now - state.rateStart.time;
    if (elapsed < 250) return;
    state.rate = ((done - state.rateStart.iterations) * 1000) / elapsed;
    state.rateStart = { time: now, iterations: done };
}

function runChunk() {
    if (!state.sorting) return;
    let piece = chunk;
    if (state.target !== null) piece = Math.min(piece, state.target - iterationsDone());
    const began = performance.now();
    if (piece > 0) state.settled = engine._hs_sort(piece) === 1 || state.settled;
    const now = performance.now();
    const spent = now - began;
    // Keep a chunk near CHUNK_MS whatever the picture and the machine.
    if (piece === chunk && spent > 0) {
        chunk = Math.max(1024, Math.min(MAX_CHUNK, Math.round((chunk * CHUNK_MS) / spent)));
    }
    const done = iterationsDone();
    state.changed = true;
    measureRate(now, done);
    if (state.target !== null && done >= state.target) {
        state.sorting = false;
        state.rate = 0;
    }
    sendFrameIfWanted();
    if (state.sorting) schedule();
}

function frameDue() {
    if (!state.wantFrame || state.side === 0 || !state.changed) return false;
    if (!state.sorting || state.frameIterations < 0) return true;
    const refresh = engine._hs_setting(2);
    return iterationsDone() - state.frameIterations >= refresh * TICK;
}

function sendFrameIfWanted() {
    if (!frameDue()) return;
    const pointer = engine._hs_frame();
    const bytes = state.side * state.side * 4;
    const pixels = engine.HEAPU8.slice(pointer, pointer + bytes).buffer;
    const done = iterationsDone();
    state.wantFrame = false;
    state.changed = false;
    state.frameIterations = done;
    post(
        {
            type: 'frame',
            pixels,
            side: state.side,
            iterations: done,
            disorder: [engine._hs_disorder(0), engine._hs_disorder(1), engine._hs_disorder(2)],
            settled: state.settled,
            rate: state.sorting ? state.rate : 0,
            mode: state.rotating ? 'rotating' : state.sorting ? 'sorting' : 'stopped',
        },
        [pixels],
    );
}

// One rotation step, then a pause of rotation_delay / 2 ms, read afresh
// each time, as the window program's rotation worker does.
function rotateStep() {
    if (!state.rotating) return;
    engine._hs_rotate();
    state.changed = true;
    sendFrameIfWanted();
    state.rotationTimer = setTimeout(rotateStep, engine._hs_setting(3) / 2);
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
    sendFrameIfWanted();
    post({ type: 'rotation', on: state.rotationOn });
}

function applyOptions(values) {
    const bits = engine._hs_apply_settings(
        values.surface, values.size, values.refresh, values.delay, values.red, state.rotationOn ? 1 : 0);
    if (bits < 0) return;
    if (bits & 1) {
        stopSort();
        stopRotation();
    }
    if (bits & 2) state.rotationOn = false;
    if (bits & 8) state.frameIterations = iterationsDone();
    sendFrameIfWanted();
    post({ type: 'options-applied', needsStart: (bits & 4) !== 0, settings: currentSettings() });
    post({ type: 'rotation', on: state.rotationOn });
}

// The 90 frames of the loop animation, each as palette indices and its
// colours, for the page to encode.
function loopFrames() {
    const count = engine._hs_loop_begin();
    if (!count) {
        post({ type: 'loop-frames', frames: [] });
        return;
    }
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
    engine._hs_loop_end();
    post({ type: 'loop-frames', frames, side: state.side, delay: engine._hs_loop_delay() }, transfer);
}

function handle(message) {
    switch (message.type) {
        case 'want-frame':
            state.wantFrame = true;
            sendFrameIfWanted();
            break;
        case 'start':
            startPicture(randomSeed(), null);
            break;
        case 'toggle-rotation':
            toggleRotation();
            break;
        case 'options':
            applyOptions(message.values);
            break;
        case 'loop-frames':
            loopFrames();
            break;
    }
}

async function init(message) {
    const script = message.build === 'simd' ? 'huesift-simd.js' : 'huesift-scalar.js';
    try {
        importScripts('../' + script);
        engine = await self.HuesiftModule({ locateFile: (file) => '../' + file });
    } catch (error) {
        post({ type: 'failure', text: 'The sort engine could not be loaded: ' + String(error.message || error) });
        return;
    }
    const link = readLink(message.query);
    post({ type: 'ready', build: message.build, settings: currentSettings(), problems: link.problems });
    startPicture(link.seed, link.target);
    const queued = pending;
    pending = null;
    queued.forEach(handle);
}

self.onmessage = (event) => {
    const message = event.data;
    if (message.type === 'init') init(message);
    else if (pending) pending.push(message);
    else handle(message);
};
