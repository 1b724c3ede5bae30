// Takes the README's picture of the page: Debian's Chromium opens a recipe
// link on the served site and the page is captured once that picture's sort
// has stopped.
//   node web/tools/screenshot.mjs BASE_URL OUT.png
import { chromium } from 'playwright-core';
import { BROWSER_ARGS, PATIENCE } from '../tests/support.mjs';

const [base, out] = process.argv.slice(2);
if (!base || !out) {
    console.error('usage: node web/tools/screenshot.mjs BASE_URL OUT.png');
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
} finally {
    await browser.close();
}
