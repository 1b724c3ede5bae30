// The page: starts the sort's worker with the build this browser runs,
// asks it for a frame once per display refresh, and wires the commands to
// buttons and keys.
import { chooseBuild, hasWebAssembly } from './support.js';
import { drawFrame, fitPicture, showStatus } from './view.js';
import { hideNotice, setNoticeProgress, showNotice, wireNotice } from './notice.js';
import { dialogOpen, openHelp, openOptions, wireDialogs } from './dialogs.js';
import { recipeLink } from './recipe.js';
import { download, encodeLoopGif, fileStem, savePng } from './saving.js';

const RESTART_TEXT = 'Click File menu/Start for changes to take effect.';
const RESTART_CAPTION = 'Changed parameter(s)...';

const page = {
    worker: null,
    recipe: null,
    settings: null,
    frame: null, // the latest frame drawn
    frameAsked: false,
    gifBusy: false,
    gifRecipe: null, // the picture a loop GIF is being made of
    gifIterations: 0,
};

function send(message) {
    if (page.worker) page.worker.postMessage(message);
}

// At most one frame per display refresh: the next is asked for only when
// the last has arrived and the display is about to refresh.
function askForFrame() {
    if (!page.frameAsked) {
        page.frameAsked = true;
        send({ type: 'want-frame' });
    }
    requestAnimationFrame(askForFrame);
}

function badValueLines(problems) {
    return problems.map((problem) =>
        problem.unknown
            ? `The link's "${problem.name}" ("${problem.text}") is not a setting Huesift knows; it was ignored.`
            : `The link's ${problem.name} "${problem.text}" is not one Huesift takes; using ${problem.replacement}.`,
    );
}

function onWorkerMessage(message) {
    switch (message.type) {
        case 'ready':
            page.settings = message.settings;
            document.documentElement.dataset.build = message.build;
            if (message.problems.length > 0) showNotice('Link values replaced', badValueLines(message.problems));
            break;
        case 'picture':
            page.recipe = message.recipe;
            break;
        case 'frame':
            page.frameAsked = false;
            page.frame = message;
            drawFrame(message);
            if (page.recipe) showStatus(page.recipe, message);
            break;
        case 'options-applied':
            page.settings = message.settings;
            if (message.needsStart) showNotice(RESTART_CAPTION, [RESTART_TEXT]);
            break;
        case 'rotation':
            document.getElementById('toggle-rotation').setAttribute('aria-pressed', String(message.on));
            break;
        case 'loop-frames':
            finishLoopGif(message);
            break;
        case 'failure':
            showNotice('Huesift', [message.text]);
            break;
    }
}

// The link of the picture on screen, with its iteration count once its sort
// has stopped.
function currentLink() {
    const stopped = page.frame && page.frame.mode !== 'sorting';
    return recipeLink(location.href, page.recipe, stopped ? page.frame.iterations : null);
}

async function copyLink() {
    if (!page.recipe) return;
    const link = currentLink();
    try {
        await navigator.clipboard.writeText(link);
        showNotice('Link copied', [link]);
    } catch {
        showNotice('Copy this link', [link]);
    }
}

async function saveShownPng() {
    if (!page.recipe || !page.frame) return;
    try {
        await savePng(document.getElementById('picture'), page.recipe, page.frame.iterations);
    } catch (error) {
        showNotice('Save PNG', [`The PNG could not be made: ${error.message}`]);
    }
}

function startLoopGif() {
    if (!page.recipe || page.gifBusy) return;
    page.gifBusy = true;
    page.gifRecipe = page.recipe;
    page.gifIterations = page.frame ? page.frame.iterations : 0;
    showNotice('Save loop GIF', ['Making the 90 frames of the palette rotation...'], 0);
    send({ type: 'loop-frames' });
}

async function finishLoopGif(message) {
    try {
        if (message.frames.length === 0) throw new Error('there is no picture');
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

const COMMANDS = {
    start: () => send({ type: 'start' }),
    'toggle-rotation': () => send({ type: 'toggle-rotation' }),
    options: () => {
        if (page.settings) openOptions(page.settings, (values) => send({ type: 'options', values }));
    },
    help: openHelp,
    'save-png': saveShownPng,
    'save-gif': startLoopGif,
    'copy-link': copyLink,
    'full-screen': toggleFullScreen,
};

const KEYS = { s: 'start', r: 'toggle-rotation', o: 'options', h: 'help', '?': 'help', p: 'save-png', g: 'save-gif',
    l: 'copy-link', f: 'full-screen' };

function onKey(event) {
    if (event.ctrlKey || event.metaKey || event.altKey || dialogOpen()) return;
    if (event.target instanceof HTMLInputElement) return;
    const command = KEYS[event.key.toLowerCase()];
    if (!command) return;
    event.preventDefault();
    COMMANDS[command]();
}

function wireCommands() {
    for (const [id, command] of Object.entries(COMMANDS)) {
        document.getElementById(id).addEventListener('click', command);
    }
    document.addEventListener('keydown', onKey);
    wireNotice();
    wireDialogs();
    new ResizeObserver(fitPicture).observe(document.getElementById('stage'));
}

function refuse(text) {
    const message = document.getElementById('unsupported');
    message.textContent = text;
    message.hidden = false;
    document.getElementById('picture').hidden = true;
    document.getElementById('status').textContent = '';
    for (const button of document.querySelectorAll('.commands button')) button.disabled = true;
}

function boot() {
    wireCommands();
    if (!hasWebAssembly()) {
        refuse('Huesift needs WebAssembly, which this browser does not offer. ' +
            'Any current version of Chrome, Edge, Firefox or Safari runs it.');
        return;
    }
    page.worker = new Worker('worker/sort-worker.js');
    page.worker.onmessage = (event) => onWorkerMessage(event.data);
    page.worker.onerror = () => showNotice('Huesift', ['The sort engine stopped with an error.']);
    send({ type: 'init', build: chooseBuild(), query: location.search });
    requestAnimationFrame(askForFrame);
    if ('serviceWorker' in navigator) navigator.serviceWorker.register('sw.js').catch(() => {});
}

boot();
