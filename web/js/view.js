// The picture on the page: frames drawn 1:1 into a canvas (the page's or
// the show's), the page's canvas fitted to the stage in device pixels, and
// the status line, whose state words (started, stopped, settled, rotating)
// are announced and whose figures are not.
import { fitCanvas } from './fit.js';

const canvas = () => document.getElementById('picture');

export function fitPicture() {
    const picture = canvas();
    fitCanvas(picture, picture.parentElement);
}

// Draws a frame 1:1 into `picture`, fitted again by `refit` when its side
// changes; the frame's buffer can be handed back once this returns.
export function paintFrame(picture, frame, refit) {
    if (picture.width !== frame.side) {
        picture.width = frame.side;
        picture.height = frame.side;
        refit();
    }
    const pixels = new Uint8ClampedArray(frame.pixels);
    picture.getContext('2d').putImageData(new ImageData(pixels, frame.side, frame.side), 0, 0);
    picture.dataset.iterations = String(frame.iterations);
}

export function drawFrame(frame) {
    paintFrame(canvas(), frame, fitPicture);
}

function rateText(rate) {
    if (rate >= 1e6) return `${(rate / 1e6).toFixed(1)} M/s`;
    if (rate >= 1e3) return `${(rate / 1e3).toFixed(0)} k/s`;
    return `${Math.round(rate)}/s`;
}

function stateText(frame) {
    const count = frame.iterations.toLocaleString('en-US');
    if (frame.mode === 'rotating') return 'Rotating';
    if (frame.mode === 'sorting') return 'Sorting';
    if (frame.settled) return `Settled: the sort stopped at ${count} iterations`;
    return `Sort stopped at ${count} iterations`;
}

// The status line: the picture's recipe, the sort's progress and the
// disorder at the engine's latest check (red, blue, green), then its state.
export function showStatus(recipe, shapeLabel, frame) {
    const status = document.getElementById('status');
    const parts = [
        shapeLabel,
        `${recipe.size} x ${recipe.size}`,
        `seed ${recipe.seed}`,
        `${frame.iterations.toLocaleString('en-US')} iterations`,
    ];
    if (frame.mode === 'sorting') parts.push(rateText(frame.rate));
    const [red, blue, green] = frame.disorder;
    parts.push(`disorder ${red.toFixed(3)} / ${blue.toFixed(3)} / ${green.toFixed(3)}`);
    document.getElementById('status-figures').textContent = `${parts.join(' · ')} · `;
    const state = document.getElementById('status-state');
    const words = stateText(frame);
    if (state.textContent !== words) state.textContent = words;
    status.dataset.disorder = String(red + blue + green);
    status.dataset.settled = String(frame.settled);
    status.dataset.mode = frame.mode;
}

// A status line with no picture behind it: loading, or why there is none.
export function showStatusText(text) {
    document.getElementById('status-figures').textContent = '';
    document.getElementById('status-state').textContent = text;
}
