// The page's own figures in Debian's Chromium: each sort entry's time per
// iteration in the page's worker (a recipe link sorting a fixed number of
// iterations, frames and all, timed from the first frame past the warm-up
// that the module's own timing skips too), the frame rate while a 512
// picture sorts, the time to the first frame, and the bytes the page loads,
// gzipped.
//   node web/bench/page.mjs BASE_URL SITE_DIR
import { readFileSync } from 'node:fs';
import path from 'node:path';
import { gzipSync } from 'node:zlib';
import { chromium } from 'playwright-core';
import { BROWSER_ARGS, PATIENCE } from '../tests/support.mjs';

const [base, site] = process.argv.slice(2);
const ENTRIES = [
    ['256 circle red up', 'shape=circle&size=256&red=up', 30_000_000],
    ['256 circle red down', 'shape=circle&size=256&red=down', 30_000_000],
    ['512 triangle red up', 'shape=triangle&size=512&red=up', 15_000_000],
    ['512 triangle red down', 'shape=triangle&size=512&red=down', 15_000_000],
];

// The iterations web/bench/sort_entries.cpp sorts before it times.
const WARM_UP = 2_000_000;

// Notes in the page when each frame is drawn, and at how many iterations.
function recordFrames() {
    window.frameTimes = [];
    window.frameIterations = [];
    const draw = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (...args) {
        window.frameTimes.push(performance.now());
        queueMicrotask(() =>
            window.frameIterations.push(Number(document.getElementById('picture').dataset.iterations)));
        return draw.apply(this, args);
    };
}

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: BROWSER_ARGS });
const page = await browser.newPage({ viewport: { width: 1100, height: 900 } });
await page.addInitScript(recordFrames);
const waitIterations = (n) =>
    page.waitForFunction((target) => document.getElementById('picture').dataset.iterations === String(target), n, {
        timeout: PATIENCE * 4,
    });

// The first run of a fresh module may start on the browser's quick baseline
// compiler; one run ahead lets the optimised code take over.
await page.goto(`${base}?${ENTRIES[0][1]}&seed=2&iterations=${ENTRIES[0][2]}`);
await waitIterations(ENTRIES[0][2]);

for (const [name, query, iterations] of ENTRIES) {
    await page.goto(`${base}?${query}&seed=1&iterations=${iterations}`);
    await page.waitForFunction(() => window.frameTimes.length > 0, null, { timeout: PATIENCE });
    await waitIterations(iterations);
    const [times, counts] = await page.evaluate(() => [window.frameTimes, window.frameIterations]);
    const from = counts.findIndex((count) => count >= WARM_UP);
    const spent = times.at(-1) - times[from];
    console.log(`worker\t${name}\t${((spent * 1e6) / (counts.at(-1) - counts[from])).toFixed(2)}`);
}

await page.goto(`${base}?shape=triangle&size=512&red=up&seed=1`);
await page.waitForFunction(() => window.frameTimes.length > 0, null, { timeout: PATIENCE });
const loadMs = await page.evaluate(() => window.frameTimes[0]);
await page.waitForTimeout(1000);
const counted = await page.evaluate(async () => {
    const from = window.frameTimes.length;
    await new Promise((resolve) => setTimeout(resolve, 3000));
    return window.frameTimes.length - from;
});
const loaded = await page.evaluate(() => [
    location.pathname,
    ...performance.getEntriesByType('resource').map((entry) => new URL(entry.name).pathname),
]);
let raw = 0;
let gzipped = 0;
for (const file of new Set(loaded)) {
    const local = path.join(site, file.endsWith('/') ? `${file}index.html` : file);
    const bytes = readFileSync(local);
    raw += bytes.length;
    gzipped += gzipSync(bytes, { level: 9 }).length;
}
console.log(`page\tframes per second while a 512 triangle sorts\t${(counted / 3).toFixed(1)}`);
console.log(`page\tload to first frame (ms)\t${loadMs.toFixed(0)}`);
console.log(`page\tbytes loaded\t${raw}\tgzipped\t${gzipped}\t(${new Set(loaded).size} files)`);
await browser.close();
