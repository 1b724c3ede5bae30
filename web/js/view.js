// The picture on the page: frames drawn 1:1 into the canvas, the canvas
// scaled by a whole factor where the stage allows (by less only where the
// picture would not fit at all), and the status line.

const canvas = () => document.getElementById('picture');

// The largest whole factor at which a side-pixel picture fits the stage;
// below one, the fraction that makes it fit.
export function scaleFor(side, width, height) {
    const room = Math.min(width, height);
    if (room <= 0) return 1;
    return room >= side ? Math.floor(room / side) : room / side;
}

export function fitPicture() {
    const picture = canvas();
    const stage = picture.parentElement;
    const scale = scaleFor(picture.width, stage.clientWidth, stage.clientHeight);
    const shown = Math.floor(picture.width * scale);
    picture.style.width = `${shown}px`;
    picture.style.height = `${shown}px`;
}

export function drawFrame(frame) {
    const picture = canvas();
    if (picture.width !== frame.side) {
        picture.width = frame.side;
        picture.height = frame.side;
        fitPicture();
    }
    const pixels = new Uint8ClampedArray(frame.pixels);
    picture.getContext('2d').putImageData(new ImageData(pixels, frame.side, frame.side), 0, 0);
    picture.dataset.iterations = String(frame.iterations);
}

const SHAPE_WORDS = {
    square: 'Square',
    circle: 'Circle',
    torus: 'Torus',
    triangle: 'Triangle',
    'inverted-triangle': 'Triangle inverted',
};

function rateText(rate) {
    if (rate >= 1e6) return `${(rate / 1e6).toFixed(1)} M/s`;
    if (rate >= 1e3) return `${(rate / 1e3).toFixed(0)} k/s`;
    return `${Math.round(rate)}/s`;
}

// The status line: the picture's recipe, the sort's progress and the
// disorder at the engine's latest check (red, blue, green).
export function showStatus(recipe, frame) {
    const status = document.getElementById('status');
    const parts = [
        SHAPE_WORDS[recipe.shape] || recipe.shape,
        `${recipe.size} x ${recipe.size}`,
        `seed ${recipe.seed}`,
        `${frame.iterations.toLocaleString('en-US')} iterations`,
    ];
    if (frame.mode === 'sorting') parts.push(rateText(frame.rate));
    const [red, blue, green] = frame.disorder;
    parts.push(`disorder ${red.toFixed(3)} / ${blue.toFixed(3)} / ${green.toFixed(3)}`);
    if (frame.settled) parts.push('settled');
    if (frame.mode === 'rotating') parts.push('rotating');
    else if (frame.mode === 'stopped') parts.push('stopped');
    status.textContent = parts.join(' · ');
    status.dataset.disorder = String(red + blue + green);
    status.dataset.settled = String(frame.settled);
    status.dataset.mode = frame.mode;
}
