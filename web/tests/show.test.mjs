// The screensaver on the page: started by its button or a link, full screen
// or the whole window, black around a crisp picture, the screen kept on, the
// engine's show (sort until settled, rotate, then the next shape with a new
// seed) paused while hidden, ended by a key, a click, a tap or a real move
// but not a jitter, and the page given back exactly as it was.
import assert from 'node:assert/strict';
import { after, before, describe, test as nodeTest } from 'node:test';
import {
    PATIENCE,
    checkCrisp,
    colourAt,
    decodePng,
    openSession,
    pngText,
    readCanvas,
    render,
    setHidden,
    waitForFrame,
    waitForMode,
} from './support.mjs';

const test = (name, body) => nodeTest(name, { timeout: 4 * PATIENCE }, body);
// The show's rotation time for the tests that watch it end.
const ROTATION_MS = 2000;
// How long the page is hidden in the middle of a rotation.
const HIDDEN_MS = 1500;

let session;
before(async () => {
    session = await openSession();
});
after(async () => {
    await session?.close();
});

// Runs in the page before its scripts: keeps what the worker says of every
// frame of the show (with the time it came and a sum of its pixels), counts
// the page's own frames, and records the screen wake locks the page takes
// and lets go, over the browser's own where it has one, over a stand-in
// where it has none.
function watchShow() {
    window.showFrames = [];
    window.pageFrames = 0;
    window.pictures = 0;
    const PageWorker = window.Worker;
    window.Worker = class extends PageWorker {
        constructor(...args) {
            super(...args);
            this.addEventListener('message', (event) => {
                const { type, pixels, ...rest } = event.data;
                if (type === 'frame') window.pageFrames += 1;
                if (type === 'picture') window.pictures += 1;
                if (type !== 'show-frame') return;
                const bytes = new Uint8Array(pixels);
                let sum = 0;
                for (let i = 0; i < bytes.length; i += 4) sum = (sum * 31 + bytes[i] + 7 * bytes[i + 1] + 13 * bytes[i + 2]) >>> 0;
                window.showFrames.push({ ...rest, sum, at: performance.now() });
            });
        }
    };
    window.wakeLocks = { taken: 0, held: 0, standIn: !navigator.wakeLock };
    const browserLock = navigator.wakeLock;
    const take = browserLock
        ? (type) => browserLock.request(type)
        : async () => {
              const sentinel = new EventTarget();
              sentinel.released = false;
              sentinel.release = async () => {
                  sentinel.released = true;
              };
              return sentinel;
          };
    const recorder = {
        async request(type) {
            const sentinel = await take(type);
            window.wakeLocks.taken += 1;
            window.wakeLocks.held += 1;
            const release = sentinel.release.bind(sentinel);
            let released = false;
            Object.defineProperty(sentinel, 'release', {
                value: async () => {
                    if (!released) window.wakeLocks.held -= 1;
                    released = true;
                    return release();
                },
            });
            return sentinel;
        },
    };
    Object.defineProperty(Navigator.prototype, 'wakeLock', { configurable: true, get: () => recorder });
}

async function showPage(query, options) {
    const page = await session.newPage(options);
    await page.addInitScript(watchShow);
    await page.goto(session.base + query);
    return page;
}

const showFrames = (page) => page.evaluate(() => window.showFrames);

async function waitForShowFrame(page, test, what) {
    await page.waitForFunction(test, null, { timeout: PATIENCE }).catch((error) => {
        throw new Error(`no show frame ${what}: ${error.message}`);
    });
}

const showing = (page) =>
    page.evaluate(() => !document.getElementById('show').hidden && document.body.classList.contains('showing'));

// Waits until the show has ended and the worker has handed over the page's
// picture again, made as it stood.
async function waitForPageBack(page, pageFramesBefore) {
    await page.waitForFunction(
        (n) => document.getElementById('show').hidden && window.pageFrames > n,
        pageFramesBefore,
        { timeout: PATIENCE },
    );
}

// What the page reported, less the browser's advice on reading a canvas
// back, which the tests' own reads bring on.
const pageErrors = (page) => page.errors.filter((text) => !text.startsWith('Canvas2D: Multiple readback'));

function assertSamePixels(actual, expected, what) {
    assert.equal(actual.side, expected.side, `${what}: side`);
    let differ = 0;
    for (let i = 0; i < actual.side * actual.side; ++i) if (colourAt(actual.rgba, i) !== colourAt(expected.rgba, i)) ++differ;
    assert.equal(differ, 0, `${what}: pixels differing`);
}

// Hides the page (the show then stands still) so that a screenshot and the
// canvas show the same frame, and checks the show's picture is crisp with
// black around it; shows the page again.
async function checkShowCrisp(page, ratio) {
    await setHidden(page, true);
    // A frame already on its way may still land.
    await page.waitForTimeout(100);
    const factor = await checkCrisp(page, ratio, { id: 'show-picture', blackAround: true });
    await setHidden(page, false);
    return factor;
}

describe('starting and ending the show', () => {
    test('Screensaver shows the Options settings full screen, crisp on black, the screen kept on; a key gives the page back as it was', async () => {
        const page = await showPage('?shape=circle&size=256&seed=11&iterations=3000000');
        await waitForFrame(page, { equals: 3000000 });
        await waitForMode(page, 'stopped');
        // The page's picture turned a few palette steps, then left still.
        await page.keyboard.press('r');
        await waitForMode(page, 'rotating');
        await page.waitForFunction((n) => window.pageFrames > n + 5, await page.evaluate(() => window.pageFrames));
        await page.keyboard.press('r');
        await waitForMode(page, 'stopped');
        const before = await readCanvas(page);

        await page.getByRole('button', { name: 'Options' }).click();
        const dialog = page.getByRole('dialog', { name: 'Options...' });
        await dialog.getByLabel('Triangle', { exact: true }).check();
        await dialog.getByRole('button', { name: 'OK' }).click();
        await page.getByRole('alert').getByRole('button', { name: 'OK' }).click();

        await page.getByRole('button', { name: 'Screensaver' }).click();
        await waitForShowFrame(page, () => window.showFrames.length > 0, 'after the button');
        const [first] = await showFrames(page);
        assert.deepEqual([first.shape, first.side, first.phase], ['triangle', 256, 'sorting'], 'the first picture');
        assert.ok(await showing(page));
        await page.waitForFunction(() => document.fullscreenElement?.id === 'show', null, { timeout: PATIENCE });
        for (const hidden of ['#status', '.commands', '#picture']) {
            assert.equal(await page.locator(hidden).isVisible(), false, `${hidden} is hidden during the show`);
        }
        await page.waitForFunction(() => window.wakeLocks.held === 1, null, { timeout: PATIENCE });
        assert.equal(await checkShowCrisp(page, 1), 3, 'a 256 picture at three device pixels in 1100 x 900');

        const pageFrames = await page.evaluate(() => window.pageFrames);
        // Space, let go over the Screensaver button given the focus back,
        // must not press it again.
        await page.keyboard.press(' ');
        await waitForPageBack(page, pageFrames);
        assert.equal(await page.evaluate(() => document.fullscreenElement), null, 'full screen is left');
        const locks = await page.evaluate(() => window.wakeLocks);
        assert.deepEqual([locks.taken, locks.held], [1, 0], 'the wake lock was taken once and let go');
        assert.equal(await showing(page), false);
        assert.ok(await page.locator('#status').isVisible());
        assert.equal(await page.evaluate(() => document.activeElement.id), 'screensaver', 'the focus is back');
        assertSamePixels(await readCanvas(page), before, 'the page after the show');
        assert.equal(await page.locator('#picture').getAttribute('data-iterations'), '3000000');
        assert.equal(await page.locator('#status').getAttribute('data-mode'), 'stopped');
        assert.deepEqual(pageErrors(page), []);
        await page.context().close();
    });
});

describe('the show from a link', () => {
    test('show=1 shows the link settings over the whole window, crisp at devicePixelRatio 2, with the screen kept on', async () => {
        const page = await showPage('?show=1&shape=torus&size=256&red=down', {
            viewport: { width: 800, height: 600 },
            deviceScaleFactor: 2,
        });
        await waitForShowFrame(page, () => window.showFrames.length > 0, 'from the link');
        const [first] = await showFrames(page);
        assert.deepEqual([first.shape, first.side], ['torus', 256], 'the first picture');
        assert.ok(await showing(page));
        // Without a gesture no browser gives the screen: the show covers the window.
        assert.equal(await page.evaluate(() => document.fullscreenElement), null);
        const cover = await page.locator('#show').boundingBox();
        assert.deepEqual(cover, { x: 0, y: 0, width: 800, height: 600 }, 'the show covers the window');
        await page.waitForFunction(() => window.wakeLocks.held === 1, null, { timeout: PATIENCE });
        assert.equal(await checkShowCrisp(page, 2), 4, 'a 256 picture at four device pixels in 1200 device rows');
        assert.equal(await page.getByRole('alert').isVisible(), false, 'show=1 is no unknown key');
        assert.deepEqual(pageErrors(page), []);
        await page.context().close();
    });

    test('a bad show or show-timings value is named; show-timings without show=1 is a key Huesift does not know', async () => {
        for (const [query, named] of [
            ['?show=yes', 'The link\'s show "yes" is not one Huesift takes'],
            ['?show=1&show-timings=5,x', 'The link\'s show-timings "5,x" is not one Huesift takes'],
            ['?show-timings=10,10', 'The link\'s "show-timings" ("10,10") is not a setting Huesift knows'],
        ]) {
            const page = await showPage(query);
            if (query.includes('show=1')) {
                // The notice waits beneath the show, seen once it ends.
                await waitForShowFrame(page, () => window.showFrames.length > 0, 'from the link');
                await page.keyboard.press('x');
            }
            await page.getByRole('alert').waitFor({ timeout: PATIENCE });
            assert.match(await page.locator('#notice-text').textContent(), new RegExp(named.replace(/[()]/g, '\\$&')), query);
            await page.context().close();
        }
    });
});

describe("the engine's rules", () => {
    test('the picture sorts until it settles as huesift-render does, rotates, then the next shape comes with a new seed; hidden, the show stands still', async () => {
        const page = await showPage(`?show=1&shape=circle&size=256&red=up&speed=1&show-timings=60000,${ROTATION_MS}`);
        await waitForShowFrame(page, () => window.showFrames.some((frame) => frame.phase === 'rotating'), 'rotating');
        // Hidden at once for a while: the rotation's time stands still.
        await setHidden(page, true);
        await page.waitForTimeout(100);
        const hiddenFrom = await page.evaluate(() => window.showFrames.length);
        await page.waitForTimeout(HIDDEN_MS);
        assert.equal(await page.evaluate(() => window.showFrames.length), hiddenFrom, 'no frame while hidden');
        await setHidden(page, false);
        await waitForShowFrame(page, () => new Set(window.showFrames.map((frame) => frame.seed)).size === 2, 'of a second picture');

        const frames = await showFrames(page);
        const first = frames.filter((frame) => frame.seed === frames[0].seed);
        const next = frames.find((frame) => frame.seed !== frames[0].seed);
        const sorting = first.filter((frame) => frame.phase === 'sorting');
        const rotating = first.filter((frame) => frame.phase === 'rotating');
        assert.deepEqual(first.map((frame) => frame.phase), [...sorting, ...rotating].map((frame) => frame.phase),
            'sorting, then rotating');
        assert.ok(sorting.length >= 2 && rotating.length >= 5, `frames: ${sorting.length} sorting, ${rotating.length} rotating`);

        const settledAt = Number(pngText(render(['--shape', 'circle', '--size', '256', '--red', 'up', '--seed',
            String(frames[0].seed)], '--png')).Iterations);
        assert.ok(sorting.every((frame) => frame.iterations < settledAt),
            `every sorting frame is before the settle at ${settledAt}: ${sorting.at(-1).iterations}`);
        assert.ok(rotating.every((frame) => frame.iterations === settledAt),
            `the rotation starts at the check that settles it, ${settledAt}: ${rotating[0].iterations}`);
        assert.ok(rotating.every((frame, i) => i === 0 || frame.sum !== rotating[i - 1].sum),
            'every frame of the rotation shows the colours moved on');

        assert.deepEqual([next.shape, next.phase], ['torus', 'sorting'], 'the next shape comes, sorting');
        const rotated = next.at - rotating[0].at;
        assert.ok(rotated >= ROTATION_MS + HIDDEN_MS - 150,
            `the rotation ran its ${ROTATION_MS} ms shown, besides ${HIDDEN_MS} ms hidden: ${rotated} ms`);
        assert.deepEqual(pageErrors(page), []);
        await page.context().close();
    });
});

describe('what ends the show', () => {
    // Starts the show from its button and waits for its first frame.
    async function startShow(page) {
        const count = await page.evaluate(() => window.showFrames.length);
        await page.getByRole('button', { name: 'Screensaver' }).click();
        await page.waitForFunction((n) => window.showFrames.length > n, count, { timeout: PATIENCE });
        assert.ok(await showing(page));
    }

    test('a real move, a click and a tap end it, a jitter does not; the click and tap reach nothing beneath', async () => {
        const page = await showPage('?seed=9&iterations=1000000', { hasTouch: true });
        await waitForFrame(page, { equals: 1000000 });
        await waitForMode(page, 'stopped');
        const start = await page.getByRole('button', { name: 'Start' }).boundingBox();
        const overStart = { x: start.x + start.width / 2, y: start.y + start.height / 2 };

        await startShow(page);
        await page.mouse.move(500, 400);
        await page.mouse.move(501, 400);
        await page.mouse.move(501, 401);
        await page.mouse.move(500, 401);
        const count = await page.evaluate(() => window.showFrames.length);
        await page.waitForFunction(
            (n) => window.showFrames.length > n + 2 || document.getElementById('show').hidden,
            count,
            { timeout: PATIENCE },
        );
        assert.ok(await showing(page), 'a one-pixel jitter leaves the show running');
        let pageFrames = await page.evaluate(() => window.pageFrames);
        await page.mouse.move(530, 420, { steps: 3 });
        await waitForPageBack(page, pageFrames);

        for (const [how, end] of [
            ['click', () => page.mouse.click(overStart.x, overStart.y)],
            ['tap', () => page.touchscreen.tap(overStart.x, overStart.y)],
        ]) {
            await startShow(page);
            pageFrames = await page.evaluate(() => window.pageFrames);
            await end();
            await waitForPageBack(page, pageFrames);
            assert.equal(await page.evaluate(() => window.pictures), 1, `the ${how} over Start did not start a picture`);
            assert.equal(await showing(page), false, `the ${how} did not start the show again`);
        }
        assert.equal(await page.locator('#picture').getAttribute('data-iterations'), '1000000');
        assert.deepEqual(pageErrors(page), []);
        await page.context().close();
    });

    test('where full screen is refused the show covers the window; Space ends it and does not press the button again', async () => {
        const page = await session.newPage();
        await page.addInitScript(() => {
            Element.prototype.requestFullscreen = () => Promise.reject(new TypeError('Full screen is not allowed here.'));
        });
        await page.addInitScript(watchShow);
        await page.goto(`${session.base}?seed=5&iterations=1000`);
        await waitForFrame(page, { equals: 1000 });
        await startShow(page);
        assert.equal(await page.evaluate(() => document.fullscreenElement), null);
        const cover = await page.locator('#show').boundingBox();
        assert.deepEqual(cover, { x: 0, y: 0, width: 1100, height: 900 }, 'the show covers the window');
        const pageFrames = await page.evaluate(() => window.pageFrames);
        const showFramesBefore = await page.evaluate(() => window.showFrames.length);
        await page.keyboard.press(' ');
        await waitForPageBack(page, pageFrames);
        assert.equal(await page.evaluate(() => document.activeElement.id), 'screensaver', 'the focus is back');
        assert.equal(await showing(page), false, 'the show did not start again');
        // Anything that started it again would have its first frame by the
        // time the page has answered a round trip through the worker.
        await page.keyboard.press('r');
        await waitForMode(page, 'rotating');
        assert.equal(await showing(page), false);
        assert.ok((await page.evaluate(() => window.showFrames.length)) <= showFramesBefore + 1);
        assert.deepEqual(pageErrors(page), []);
        await page.context().close();
    });

    test('ended mid-sort, the page sorts on from where it stood to the picture huesift-render makes', async () => {
        const iterations = 30_000_000;
        const page = await showPage(`?shape=triangle&size=512&red=down&seed=23&iterations=${iterations}`);
        const shown = await waitForFrame(page, { above: 0 });
        await startShow(page);
        assert.ok(shown < iterations);
        await page.keyboard.press('x');
        await waitForFrame(page, { equals: iterations });
        await waitForMode(page, 'stopped');
        const expected = decodePng(render(['--shape', 'triangle', '--size', '512', '--red', 'down', '--seed', '23',
            '--iterations', String(iterations)], '--png'));
        assertSamePixels(await readCanvas(page), expected, 'the page after a show mid-sort');
        assert.deepEqual(pageErrors(page), []);
        await page.context().close();
    });
});
