// Takes the README's pictures of the page: Debian's Chromium opens a recipe
// link on the served site and the page is captured once that picture's sort
// has stopped; then the screensaver's show (show=1), captured once its
// first picture has settled and rotates.
//   node web/tools/screenshot.mjs BASE_URL PAGE.png SHOW.png
import { chromium } from 'playwright-core';
import { BROWSER_ARGS, PATIENCE } from '../tests/support.mjs';

const [base, out, showOut] = process.argv.slice(2);
if (!base || !out || !showOut) {
    console.error('usage: node web/tools/screenshot.mjs BASE_URL PAGE.png SHOW.png');
    process.exit(2);
}
const ITERATIONS = 30000000;
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: BROWSER_ARGS });
try {
    const page = await browser.newPage({ viewport: { width: 800, height: 640 } });
    await page.goto(`${base}?shape=circle&size=256&red=up&seed=2026&iterations=${ITERATIONS}`);
    await page.waitForFunction(
        (n) => document.getElementById('picture').dataset.iterations === String(n),
        ITERATIONS,
        { timeout: PATIENCE },
    );
    await page.screenshot({ path: out });
    console.log(`wrote ${out}`);

    const show = await browser.newPage({ viewport: { width: 800, height: 600 } });
    await show.goto(`${base}?show=1&shape=triangle&size=256&red=up`);
    await show.waitForFunction(() => document.getElementById('show-picture').dataset.phase === 'rotating', null, {
        timeout: PATIENCE,
    });
    await show.screenshot({ path: showOut });
    console.log(`wrote ${showOut}`);
} finally {
    await browser.close();
}
