// Fitting a square picture into an area of the screen in the screen's own
// pixels: at the largest whole number of device pixels per image pixel, on
// whole device pixels, so every image pixel shows as the same square at any
// devicePixelRatio; shrunk smoothly where even one device pixel per image
// pixel does not fit. Used for the page's picture and any full-screen show.

// A hair of slack for sizes that are whole device pixels but come out of
// the layout a little under.
const SLACK = 1e-3;
// The browser places boxes in 64ths of a CSS pixel. A box whose edge falls
// between two device pixels is painted blended across them, so the picture
// starts where a 64th of a CSS pixel meets a device pixel edge (at a ratio
// of 1.25 every 4 CSS pixels, at 2.625 every 8), and its width is rounded
// up to the next 64th, so its last row ends past a device pixel edge by a
// hair.
const UNITS = 64;
const onGrid = (devicePixels, ratio) => {
    const units = (devicePixels / ratio) * UNITS;
    return Math.abs(units - Math.round(units)) < 1e-6;
};
const toUnits = (cssPixels) => Math.round(cssPixels * UNITS) / UNITS;

// The device pixel nearest `centre`, from `low` to `high`, where a box can
// start on a whole device pixel; `centre` itself where none can.
function gridStart(centre, low, high, ratio) {
    for (let step = 0; centre - step >= low || centre + step <= high; ++step) {
        if (centre + step <= high && onGrid(centre + step, ratio)) return centre + step;
        if (centre - step >= low && onGrid(centre - step, ratio)) return centre - step;
    }
    return centre;
}

// Where a `side`-pixel picture goes in `room` (a rectangle in CSS pixels, as
// getBoundingClientRect gives it) at `ratio` device pixels per CSS pixel:
// its left, top and width in CSS pixels relative to the room, the device
// pixels per image pixel (`factor`, 0 when shrunk) and whether it is shown
// pixelated (`crisp`).
export function fitSquare(side, room, ratio) {
    // The whole device pixels inside the room.
    const origin = { x: room.left * ratio, y: room.top * ratio };
    const first = { x: Math.ceil(origin.x - SLACK), y: Math.ceil(origin.y - SLACK) };
    const across = Math.floor((room.left + room.width) * ratio + SLACK) - first.x;
    const down = Math.floor((room.top + room.height) * ratio + SLACK) - first.y;
    const factor = Math.floor(Math.min(across, down) / side);
    if (factor >= 1) {
        const size = side * factor;
        const x = gridStart(first.x + Math.floor((across - size) / 2), first.x, first.x + across - size, ratio);
        const y = gridStart(first.y + Math.floor((down - size) / 2), first.y, first.y + down - size, ratio);
        return {
            left: toUnits(x / ratio - room.left),
            top: toUnits(y / ratio - room.top),
            width: Math.ceil((size / ratio) * UNITS - 1e-6) / UNITS,
            factor,
            crisp: true,
        };
    }
    const width = Math.max(0, Math.min(room.width, room.height));
    return { left: (room.width - width) / 2, top: (room.height - width) / 2, width, factor: 0, crisp: false };
}

// Places `canvas` (absolutely positioned in `container`) by fitSquare.
export function fitCanvas(canvas, container) {
    const fit = fitSquare(canvas.width, container.getBoundingClientRect(), window.devicePixelRatio || 1);
    const style = canvas.style;
    style.left = `${fit.left}px`;
    style.top = `${fit.top}px`;
    style.width = `${fit.width}px`;
    style.height = `${fit.width}px`;
    style.imageRendering = fit.crisp ? 'pixelated' : 'auto';
    return fit;
}

// Calls `refit` whenever the container's size, the window or the
// devicePixelRatio changes (a zoom, a move to another screen, a turn of a
// phone).
export function watchFit(container, refit) {
    new ResizeObserver(refit).observe(container);
    window.addEventListener('resize', refit);
    const watchRatio = () => {
        const query = matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`);
        query.addEventListener(
            'change',
            () => {
                refit();
                watchRatio();
            },
            { once: true },
        );
    };
    watchRatio();
}
