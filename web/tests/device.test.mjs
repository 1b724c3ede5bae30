// The page as a guest on someone's device: nothing advances while it is
// hidden, frames reuse their buffers, and the picture is crisp at any
// devicePixelRatio without moving as the status line changes.
import assert from 'node:assert/strict';
import { after, before, describe, test as nodeTest } from 'node:test';
import {
    PATIENCE,
    checkCrisp,
    colourAt,
    decodePng,
    openSession,
    readCanvas,
    recordWorker,
    render,
    setHidden,
    waitForFrame,
    waitForMode,
} from './support.mjs';

const test = (name, body) => nodeTest(name, { timeout: 4 * PATIENCE }, body);
// How long a hidden page is watched for anything moving.
const WATCH_MS = 700;

let session;
before(async () => {
    session = await openSession();
});
after(async () => {
    await session?.close();
});

const framesSoFar = (page) =>
    page.evaluate(() => window.workerMessages.filter((message) => message.type === 'frame').length);

// Hides the page and sees that no frame comes, none is asked of the display
// and the picture does not change, then shows it again.
async function hiddenForAWhile(page) {
    await setHidden(page, true);
    // A frame already on its way may still land.
    await page.waitForTimeout(100);
    const before = await page.evaluate(() => [window.animationFrames, window.workerMessages.length]);
    const iterations = await page.locator('#picture').getAttribute('data-iterations');
    await page.waitForTimeout(WATCH_MS);
    const after = await page.evaluate(() => [window.animationFrames, window.workerMessages.length]);
    assert.ok(after[0] - before[0] <= 1, `frames asked while hidden: ${after[0] - before[0]}`);
    assert.equal(after[1], before[1], 'the worker sends nothing while the page is hidden');
    assert.equal(await page.locator('#picture').getAttribute('data-iterations'), iterations);
    await setHidden(page, false);
    return Number(iterations);
}

describe('a hidden page', () => {
    test("nothing advances while hidden; hidden and shown mid-sort, the picture still equals huesift-render's", async () => {
        const iterations = 40_000_000;
        const page = await session.newPage();
        await page.addInitScript(recordWorker);
        await page.goto(`${session.base}?shape=torus&size=512&red=down&seed=21&iterations=${iterations}`);
        let seen = await waitForFrame(page, { above: 0 });
        for (let k = 0; k < 3; ++k) {
            seen = await hiddenForAWhile(page);
            if (seen < iterations) seen = await waitForFrame(page, { above: seen });
        }
        await waitForFrame(page, { equals: iterations });
        await waitForMode(page, 'stopped');
        const expected = decodePng(
            render(['--shape', 'torus', '--size', '512', '--red', 'down', '--seed', '21', '--iterations',
                String(iterations)], '--png'),
        );
        const shown = await readCanvas(page);
        let differ = 0;
        for (let i = 0; i < 512 * 512; ++i) if (colourAt(shown.rgba, i) !== colourAt(expected.rgba, i)) ++differ;
        assert.equal(differ, 0, 'pixels differing from huesift-render');

        await page.keyboard.press('r');
        await waitForMode(page, 'rotating');
        await hiddenForAWhile(page);
        const frames = await framesSoFar(page);
        await page.waitForFunction((n) => window.workerMessages.filter((m) => m.type === 'frame').length > n + 3,
            frames, { timeout: PATIENCE });
        assert.deepEqual(page.errors, []);
        await page.context().close();
    });
});

describe('frames', () => {
    test('rotation hands the same frame buffers back and forth instead of making new ones', async () => {
        const page = await session.newPage();
        await page.addInitScript(recordWorker);
        await page.goto(`${session.base}?size=512&speed=1&iterations=2000000`);
        await waitForFrame(page, { equals: 2000000 });
        await waitForMode(page, 'stopped');
        const worker = page.workers()[0];
        await worker.evaluate(() => {
            self.buffersMade = 0;
            const Made = ArrayBuffer;
            self.ArrayBuffer = new Proxy(Made, {
                construct(target, args) {
                    self.buffersMade += 1;
                    return Reflect.construct(target, args);
                },
            });
        });
        await page.keyboard.press('r');
        await waitForMode(page, 'rotating');
        const frames = await framesSoFar(page);
        await page.waitForFunction((n) => window.workerMessages.filter((m) => m.type === 'frame').length > n + 60,
            frames, { timeout: PATIENCE });
        const made = await worker.evaluate(() => self.buffersMade);
        assert.ok(made <= 2, `frame buffers made over 60 frames: ${made}`);
        await page.context().close();
    });
});

describe('a crisp picture', () => {
    test('every image pixel covers the same whole number of device pixels at every devicePixelRatio', async () => {
        const widths = {};
        for (const ratio of [1, 1.25, 1.5, 2, 2.625, 3]) {
            const page = await session.newPage({ viewport: { width: 1200, height: 900 }, deviceScaleFactor: ratio });
            await page.goto(`${session.base}?shape=square&size=256&seed=8&iterations=0`);
            await waitForFrame(page, { equals: 0 });
            await waitForMode(page, 'stopped');
            widths[ratio] = await checkCrisp(page, ratio);
            if (ratio === 1) {
                // A move to a denser screen, the window's size the same,
                // fits the picture again: twice the device pixels each.
                const cdp = await page.context().newCDPSession(page);
                await cdp.send('Emulation.setDeviceMetricsOverride',
                    { width: 1200, height: 900, deviceScaleFactor: 2, mobile: false });
                await page.waitForFunction((factor) => {
                    const width = document.getElementById('picture').getBoundingClientRect().width;
                    return devicePixelRatio === 2 && Math.abs(width * 2 - 256 * 2 * factor) < 0.01;
                }, widths[1], { timeout: PATIENCE });
            }
            await page.context().close();
        }
        console.log(`device pixels per image pixel at 1200 x 900: ${JSON.stringify(widths)}`);
    });

    test('a picture too big for the screen even at one device pixel each is shrunk smoothly', async () => {
        const page = await session.newPage({ viewport: { width: 360, height: 600 }, deviceScaleFactor: 1 });
        await page.goto(`${session.base}?size=512&seed=8&iterations=0`);
        await waitForFrame(page, { equals: 0 });
        const shown = await page.locator('#picture').evaluate((canvas) => ({
            width: canvas.getBoundingClientRect().width,
            rendering: getComputedStyle(canvas).imageRendering,
        }));
        assert.ok(shown.width <= 360 && shown.width > 300, `the picture fits: ${shown.width}`);
        assert.equal(shown.rendering, 'auto', 'shrunk smoothly, not pixelated');
        await page.context().close();
    });

    // The status line's own words may move inside it as its figures change
    // length; nothing else may.
    test('the picture does not move as the status line changes, on a phone', async () => {
        const page = await session.newPage({
            viewport: { width: 375, height: 667 },
            deviceScaleFactor: 3,
            hasTouch: true,
            isMobile: true,
        });
        await page.addInitScript(() => {
            window.shifts = [];
            const moved = (entry) =>
                entry.sources
                    .map((source) => source.node)
                    .filter((node) => !node || !document.getElementById('status').contains(node))
                    .map((node) => (node ? node.id || node.nodeName : 'a removed node'));
            new PerformanceObserver((list) =>
                window.shifts.push(...list.getEntries().map((entry) => ({ time: entry.startTime, moved: moved(entry) }))),
            ).observe({ type: 'layout-shift', buffered: true });
            addEventListener('DOMContentLoaded', () => {
                window.stageAtLoad = document.getElementById('stage').getBoundingClientRect().height;
            });
        });
        await page.goto(`${session.base}?size=512&seed=12&iterations=12000000`);
        await waitForFrame(page, { above: 0 });
        const from = await page.evaluate(() => performance.now());
        await waitForFrame(page, { equals: 12000000 });
        await waitForMode(page, 'stopped');
        await page.keyboard.press('r');
        await waitForMode(page, 'rotating');
        await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
        const shifts = await page.evaluate(
            (start) => window.shifts.filter((shift) => shift.time > start).flatMap((shift) => shift.moved),
            from,
        );
        assert.deepEqual(shifts, [], 'what moved while the picture sorted, stopped and rotated');
        const stage = await page.evaluate(() => [window.stageAtLoad, document.getElementById('stage').getBoundingClientRect().height]);
        assert.equal(stage[1], stage[0], 'the picture has the room it had while the engine loaded');
        await page.context().close();
    });
});
