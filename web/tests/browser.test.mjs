// The page in Debian's Chromium, driven as a person would: loading, the
// sort and its rotation, a link's recipe against huesift-render's picture,
// the dialogs, saving, bad links and a phone's screen. One browser for all.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { after, before, describe, test as nodeTest } from 'node:test';
import omggif from 'omggif';
import {
    BUTTONS,
    PATIENCE,
    colourAt,
    decodePng,
    enginePalette,
    openSession,
    pngText,
    readCanvas,
    recordWorker,
    render,
    waitForFrame,
    waitForMode,
    waitForStatus,
} from './support.mjs';

const RECIPE = { shape: 'triangle', size: 512, red: 'up', seed: 7, iterations: 2500000 };
const RECIPE_QUERY = '?shape=triangle&size=512&red=up&seed=7&iterations=2500000';
const RECIPE_ARGS = ['--shape', 'triangle', '--size', '512', '--red', 'up', '--seed', '7', '--iterations', '2500000'];
// No test may hang the run: each ends within a bound well above its waits.
const test = (name, body) => nodeTest(name, { timeout: 4 * PATIENCE }, body);

let session;
before(async () => {
    session = await openSession();
});
after(async () => {
    await session?.close();
});

async function openPage(query = '', options) {
    const page = await session.newPage(options);
    await page.goto(session.base + query);
    return page;
}

// The share of horizontally neighbouring surface pixels whose colours
// differ: near 1 for the seeded noise, small once sorted.
function roughness({ side, rgba }) {
    let pairs = 0;
    let differ = 0;
    for (let y = 0; y < side; ++y) {
        for (let x = 0; x + 1 < side; ++x) {
            const a = colourAt(rgba, y * side + x);
            const b = colourAt(rgba, y * side + x + 1);
            if (a === 0 || b === 0) continue;
            ++pairs;
            if (a !== b) ++differ;
        }
    }
    return differ / pairs;
}

// Runs in the page before its scripts: keeps the first frame drawn.
function watchFrames() {
    const draw = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
        if (!window.firstFrame) {
            const first = { side: image.width, rgba: Array.from(image.data) };
            window.firstFrame = first;
            queueMicrotask(() => (first.iterations = Number(document.getElementById('picture').dataset.iterations)));
        }
        return draw.call(this, image, ...rest);
    };
}

async function recipePage(initScript) {
    const page = await session.newPage();
    if (initScript) await page.addInitScript(initScript);
    await page.goto(session.base + RECIPE_QUERY);
    await waitForFrame(page, { equals: RECIPE.iterations });
    await waitForMode(page, 'stopped');
    return page;
}

function assertSamePixels(actual, expected, what) {
    assert.equal(actual.side, expected.side, `${what}: side`);
    let first = -1;
    let count = 0;
    for (let i = 0; i < actual.side * actual.side; ++i) {
        if (colourAt(actual.rgba, i) !== colourAt(expected.rgba, i)) {
            if (first < 0) first = i;
            ++count;
        }
    }
    assert.equal(count, 0, `${what}: ${count} pixels differ, the first at index ${first}`);
}

describe('loading and sorting', () => {
    // The worker reports the disorder at each of the engine's settle checks
    // with the frames; the sort stops at the check that settles it, where
    // huesift-render --until-settled stops, and the page then rests.
    test('a random start shows noise, then a falling disorder at every check until it settles as huesift-render does, then rests', async () => {
        const page = await session.newPage();
        await page.addInitScript(watchFrames);
        await page.addInitScript(recordWorker);
        await page.goto(session.base);
        await waitForFrame(page);
        const first = await page.evaluate(() => window.firstFrame);
        assert.equal(first.side, 256, 'the default picture is 256 x 256');
        assert.equal(first.iterations, 0, 'the first frame is the picture before its sort');
        assert.ok(roughness(first) > 0.5, `the first frame is noise (roughness ${roughness(first)})`);
        await waitForStatus(page, 'mode', 'stopped');
        const stopped = await waitForFrame(page);
        const checks = await page.evaluate(() =>
            window.workerMessages.filter((message) => message.type === 'frame').flatMap((message) => message.checks));
        const interval = checks[1].iterations;
        checks.forEach((check, k) => assert.equal(check.iterations, k * interval, `check ${k} is where it falls due`));
        assert.equal(checks.at(-1).iterations, stopped, 'the sort stops at its last check');
        const sums = checks.map((check) => check.disorder.reduce((a, b) => a + b));
        assert.ok(sums[0] > 0 && sums.at(-1) < sums[0] / 2, `the disorder falls: ${sums.join(', ')}`);
        assert.ok(sums[1] < sums[0] && sums[2] < sums[1], `it falls at the first checks: ${sums.join(', ')}`);
        const status = await page.locator('#status').textContent();
        assert.ok(status.includes(`Settled: the sort stopped at ${stopped.toLocaleString('en-US')} iterations`), status);
        const seed = status.match(/seed (\d+)/)[1];
        const rendered = render(['--shape', 'circle', '--size', '256', '--red', 'up', '--seed', seed], '--png');
        assert.equal(pngText(rendered).Iterations, String(stopped), 'huesift-render settles at the same check');
        assertSamePixels(await readCanvas(page), decodePng(rendered), 'the settled picture against huesift-render');
        // At rest: no frame asked of the display, no message from the worker.
        const before = await page.evaluate(() => [window.animationFrames, window.workerMessages.length]);
        await page.waitForTimeout(1000);
        const after = await page.evaluate(() => [window.animationFrames, window.workerMessages.length]);
        assert.ok(after[0] - before[0] <= 1, `frames asked at rest: ${after[0] - before[0]}`);
        assert.equal(after[1], before[1], 'the worker sends nothing at rest');
        assert.equal(await page.locator('#picture').getAttribute('data-iterations'), String(stopped));
        assert.deepEqual(page.errors, []);
        // A link's iteration count is sorted to the end, settled or not.
        await page.goto(`${session.base}?seed=${seed}&iterations=${stopped + 300000}`);
        await waitForFrame(page, { equals: stopped + 300000 });
        await waitForMode(page, 'stopped');
        await page.context().close();
    });

    test('a browser without WebAssembly gets a clear message', async () => {
        const page = await session.newPage();
        await page.addInitScript(() => delete window.WebAssembly);
        await page.goto(session.base);
        const message = page.locator('#unsupported');
        await message.waitFor();
        assert.match(await message.textContent(), /needs WebAssembly/);
        assert.ok(await page.getByRole('button', { name: 'Start' }).isDisabled());
        assert.deepEqual(page.errors, []);
        await page.context().close();
    });

    test('works offline once loaded', async () => {
        const page = await openPage();
        await waitForFrame(page);
        await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: PATIENCE });
        await page.context().setOffline(true);
        await page.reload();
        await waitForFrame(page, { above: 0 });
        assert.deepEqual(page.errors, []);
        await page.context().close();
    });
});

describe('a link is a recipe', () => {
    // A browser without WebAssembly SIMD gets the scalar build, which must
    // give the same pixels.
    const withoutSimd = () => {
        const validate = WebAssembly.validate;
        WebAssembly.validate = (bytes) => (bytes.length < 64 ? false : validate(bytes));
    };
    for (const build of ['simd', 'scalar']) {
        test(`the recipe link shows huesift-render's picture pixel for pixel (${build} build)`, async () => {
            const page = await recipePage(build === 'scalar' ? withoutSimd : null);
            assert.equal(await page.evaluate(() => document.documentElement.dataset.build), build);
            const expected = decodePng(render(RECIPE_ARGS, '--png'));
            assertSamePixels(await readCanvas(page), expected, 'canvas against huesift-render');
            assert.match(
                await page.locator('#status').textContent(),
                /Triangle · 512 x 512 · seed 7 · 2,500,000 iterations/,
            );
            assert.deepEqual(page.errors, []);
            await page.context().close();
        });
    }

    test('Copy link gives the recipe, with the iterations once the sort has stopped', async () => {
        // A 512 picture sorts for seconds before it settles.
        const page = await openPage('?shape=torus&size=512&red=down&seed=99&speed=3');
        await page.context().grantPermissions(['clipboard-read', 'clipboard-write']);
        await waitForFrame(page);
        await page.getByRole('button', { name: 'Copy link' }).click();
        const sorting = new URL(await page.evaluate(() => navigator.clipboard.readText()));
        assert.equal(sorting.search, '?shape=torus&size=512&red=down&seed=99&speed=3');
        await page.getByRole('button', { name: 'Toggle rotation' }).click();
        await waitForMode(page, 'rotating');
        const iterations = Number(await page.locator('#picture').getAttribute('data-iterations'));
        await page.getByRole('button', { name: 'Copy link' }).click();
        const stopped = new URL(await page.evaluate(() => navigator.clipboard.readText()));
        assert.equal(stopped.searchParams.get('iterations'), String(iterations));
        assert.equal(stopped.searchParams.get('seed'), '99');
        await page.context().close();
    });

    test('bad values are named in a notice and replaced by the defaults; the page still starts', async () => {
        const page = await openPage(
            '?shape=%3Cb%3Ehexagon%3C/b%3E&size=300&red=sideways&seed=-1&speed=9&iterations=1e6&colour=%3Cb%3Ebold%3C/b%3E',
        );
        await waitForFrame(page, { above: 0 });
        const notice = page.getByRole('alert');
        await notice.waitFor({ timeout: PATIENCE });
        const text = await notice.textContent();
        for (const shown of ['shape "<b>hexagon</b>"', 'size "300"', 'red "sideways"', 'seed "-1"', 'speed "9"',
            'iterations "1e6"', '"colour" ("<b>bold</b>")']) {
            assert.ok(text.includes(shown), `the notice names ${shown}: ${text}`);
        }
        assert.equal(await page.locator('#notice b').count(), 0, 'nothing from the link becomes markup');
        assert.match(await page.locator('#status').textContent(), /^Circle · 256 x 256 · seed \d+/);
        // With the iteration count refused, the sort runs until it settles.
        await waitForStatus(page, 'settled', 'true');
        await page.context().close();
    });
});

describe('rotation', () => {
    test('Toggle rotation moves every coloured pixel by the same palette step, and stops it again', async () => {
        const palette = enginePalette();
        const indexOf = new Map(palette.map((colour, index) => [colour, index]));
        const page = await recipePage();
        const before = await readCanvas(page);
        const toggle = page.getByRole('button', { name: 'Toggle rotation' });
        await toggle.click();
        await waitForMode(page, 'rotating');
        assert.equal(await toggle.getAttribute('aria-pressed'), 'true');
        await page.waitForTimeout(300);
        await toggle.click();
        await waitForMode(page, 'stopped');
        assert.equal(await toggle.getAttribute('aria-pressed'), 'false');
        const rotated = await readCanvas(page);
        const steps = new Set();
        for (let i = 0; i < before.side * before.side; ++i) {
            const a = colourAt(before.rgba, i);
            const b = colourAt(rotated.rgba, i);
            if (a === 0) {
                assert.equal(b, 0, `background pixel ${i} stays black`);
                continue;
            }
            assert.ok(indexOf.has(a) && indexOf.has(b), `pixel ${i} holds palette colours`);
            steps.add((indexOf.get(b) - indexOf.get(a) + palette.length) % palette.length);
        }
        assert.equal(steps.size, 1, `one step for every pixel, not ${[...steps].join(', ')}`);
        assert.notEqual([...steps][0], 0, 'the palette moved');
        assert.equal(await page.locator('#picture').getAttribute('data-iterations'), String(RECIPE.iterations));
        await page.context().close();
    });
});

describe('options and help', () => {
    const notice = (page) => page.getByRole('alert');
    async function chooseOptions(page, labels, button = 'OK') {
        await page.getByRole('button', { name: 'Options' }).click();
        const dialog = page.getByRole('dialog', { name: 'Options...' });
        await dialog.waitFor();
        for (const label of labels) await dialog.getByLabel(label, { exact: true }).check();
        await dialog.getByRole('button', { name: button }).click();
        await dialog.waitFor({ state: 'hidden' });
    }

    test('a change of surface stops the sort and asks for Start; Start makes the new shape', async () => {
        const page = await openPage('?shape=triangle&seed=5');
        await waitForFrame(page, { above: 0 });
        await page.getByRole('button', { name: 'Options' }).click();
        const dialog = page.getByRole('dialog', { name: 'Options...' });
        assert.ok(await dialog.getByLabel('Triangle', { exact: true }).isChecked(), 'the dialog shows the settings');
        assert.ok(await dialog.getByLabel('Small (256 pixels)').isChecked());
        assert.ok(await dialog.getByLabel('Less (faster)').isChecked());
        assert.equal(await page.evaluate(() => document.activeElement.textContent), 'OK', 'OK has the focus');
        await dialog.getByRole('button', { name: 'Cancel' }).click();
        await chooseOptions(page, ['Square']);
        await notice(page).waitFor();
        assert.equal(await page.locator('#notice-caption').textContent(), 'Changed parameter(s)...');
        assert.equal(await page.locator('#notice-text').textContent(), 'Click File menu/Start for changes to take effect.');
        await waitForMode(page, 'stopped');
        await page.getByRole('button', { name: 'OK' }).click();
        await page.getByRole('button', { name: 'Start' }).click();
        await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Square'), null, {
            timeout: PATIENCE,
        });
        const square = await readCanvas(page);
        assert.notEqual(colourAt(square.rgba, 0), 0, 'the square fills the corner');
        await page.context().close();
    });

    test('refreshes change the running sort without a notice; Cancel changes nothing; speed waits only without rotation', async () => {
        // A link's iteration count keeps the sort going whether it settles
        // or not.
        const page = await openPage('?seed=3&iterations=1000000000000');
        await waitForFrame(page, { above: 0 });
        await chooseOptions(page, ['More (slower)']);
        const seen = await waitForFrame(page);
        await waitForFrame(page, { above: seen });
        assert.ok(await notice(page).isHidden(), 'no notice for the refresh group');
        await chooseOptions(page, ['Torus', 'Big (512 pixels)', 'Red down', '3'], 'Cancel');
        assert.ok(await notice(page).isHidden(), 'no notice after Cancel');
        await page.getByRole('button', { name: 'Options' }).click();
        const dialog = page.getByRole('dialog', { name: 'Options...' });
        for (const label of ['Circle', 'Small (256 pixels)', 'More (slower)', 'Red up', '1 (fastest)']) {
            assert.ok(await dialog.getByLabel(label, { exact: true }).isChecked(), `${label} still chosen`);
        }
        await dialog.getByRole('button', { name: 'Cancel' }).click();
        await page.getByRole('button', { name: 'Toggle rotation' }).click();
        await waitForMode(page, 'rotating');
        await chooseOptions(page, ['5 (slowest)']);
        assert.ok(await notice(page).isHidden(), 'no notice for a speed change while rotating');
        await waitForMode(page, 'rotating');
        await page.getByRole('button', { name: 'Toggle rotation' }).click();
        await waitForMode(page, 'stopped');
        await chooseOptions(page, ['2']);
        await notice(page).waitFor();
        assert.equal(await page.locator('#notice-caption').textContent(), 'Changed parameter(s)...');
        await page.context().close();
    });

    test('Help opens and closes from the keyboard, keeps the focus inside and gives it back', async () => {
        const page = await openPage();
        await waitForFrame(page);
        await page.getByRole('button', { name: 'Options' }).focus();
        await page.keyboard.press('h');
        const dialog = page.getByRole('dialog', { name: 'Help...' });
        await dialog.waitFor();
        const text = await dialog.textContent();
        for (const line of ['Huesift Version 1.00', 'Does a huesift of a special palette of 90 colours.',
            "Click 'Start' and wait until sort stops, then toggle on rotation.",
            'Palette animation reveals that the colours sorted into a smooth', 'gradient.', 'Toggle rotation']) {
            assert.ok(text.includes(line), `Help says ${line}`);
        }
        for (let k = 0; k < 3; ++k) {
            await page.keyboard.press('Tab');
            assert.ok(await page.evaluate(() => document.getElementById('help-dialog').contains(document.activeElement)),
                'the focus stays in the dialog');
        }
        await page.keyboard.press('Escape');
        await dialog.waitFor({ state: 'hidden' });
        assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Options', 'the focus is back');
        await page.keyboard.press('?');
        await dialog.waitFor();
        await page.keyboard.press('Enter');
        await dialog.waitFor({ state: 'hidden' });
        await page.context().close();
    });
});

describe('saving', () => {
    test("Save PNG gives the canvas's pixels with the recipe in huesift-render's text chunks", async () => {
        const page = await recipePage();
        const [download] = await Promise.all([
            page.waitForEvent('download'),
            page.getByRole('button', { name: 'Save PNG' }).click(),
        ]);
        const bytes = readFileSync(await download.path());
        assertSamePixels(decodePng(bytes), await readCanvas(page), 'saved PNG against the canvas');
        const saved = pngText(bytes);
        const rendered = pngText(render(RECIPE_ARGS, '--png'));
        for (const key of ['Shape', 'Size', 'Red', 'Seed', 'Iterations', 'Command']) {
            assert.equal(saved[key], rendered[key], `${key}`);
        }
        // The page's build stamp is the version huesift-render was built with.
        assert.equal(saved.Software, rendered.Software.replace(/^huesift-render /, 'Huesift web '));
        await page.context().close();
    });

    test("Save loop GIF gives huesift-render's 90 frames, looping, with its delay", async () => {
        const args = ['--shape', 'circle', '--size', '256', '--red', 'down', '--seed', '11', '--iterations', '300000'];
        const page = await openPage('?shape=circle&size=256&red=down&seed=11&iterations=300000&speed=4');
        await waitForFrame(page, { equals: 300000 });
        await page.evaluate(() => {
            window.progressSeen = [];
            const bar = document.getElementById('notice-progress');
            new MutationObserver(() => bar.hidden || window.progressSeen.push(bar.value)).observe(bar, {
                attributes: true,
            });
        });
        const [download] = await Promise.all([
            page.waitForEvent('download', { timeout: PATIENCE }),
            page.getByRole('button', { name: 'Save loop GIF' }).click(),
        ]);
        const progress = await page.evaluate(() => window.progressSeen);
        assert.ok(progress.length >= 10 && progress.at(-1) === 90, `progress shown: ${progress.join(' ')}`);
        const ours = new omggif.GifReader(readFileSync(await download.path()));
        const theirs = new omggif.GifReader(render([...args, '--speed', '4'], '--loop-gif'));
        assert.equal(ours.numFrames(), 90);
        assert.equal(ours.loopCount(), 0, 'loops forever');
        const canvas = await readCanvas(page);
        const frame = new Uint8Array(256 * 256 * 4);
        const expected = new Uint8Array(256 * 256 * 4);
        for (let k = 0; k < 90; ++k) {
            assert.equal(ours.frameInfo(k).delay, theirs.frameInfo(k).delay, `frame ${k} delay`);
            ours.decodeAndBlitFrameRGBA(k, frame);
            theirs.decodeAndBlitFrameRGBA(k, expected);
            assertSamePixels({ side: 256, rgba: frame }, { side: 256, rgba: expected }, `frame ${k}`);
            if (k === 0) assertSamePixels({ side: 256, rgba: frame }, canvas, 'frame 1 against the canvas');
        }
        await page.context().close();
    });
});

describe('full screen', () => {
    test('Full screen shows the picture alone, enlarged by a whole factor; the key leaves it', async () => {
        const page = await openPage('?seed=4');
        await waitForFrame(page);
        await page.getByRole('button', { name: 'Full screen' }).click();
        await page.waitForFunction(() => document.fullscreenElement?.id === 'stage', null, { timeout: PATIENCE });
        await page.waitForFunction(() => {
            const shown = document.getElementById('picture').getBoundingClientRect().width;
            return shown >= 256 && shown % 256 === 0 && shown + 256 > Math.min(innerWidth, innerHeight);
        }, null, { timeout: PATIENCE });
        assert.equal(await page.locator('#picture').evaluate((canvas) => getComputedStyle(canvas).imageRendering),
            'pixelated');
        await page.keyboard.press('f');
        await page.waitForFunction(() => document.fullscreenElement === null, null, { timeout: PATIENCE });
        await page.context().close();
    });
});

describe('a phone', () => {
    test('a 375 x 667 touch screen shows the whole picture and every button, and Start answers a tap', async () => {
        const page = await openPage('?size=512&seed=1', {
            viewport: { width: 375, height: 667 },
            hasTouch: true,
            isMobile: true,
        });
        await waitForFrame(page);
        const inside = (box) => box && box.x >= 0 && box.y >= 0 && box.x + box.width <= 375 && box.y + box.height <= 667;
        const canvas = await page.locator('#picture').boundingBox();
        assert.ok(inside(canvas) && canvas.width > 300, `the picture fits: ${JSON.stringify(canvas)}`);
        for (const name of BUTTONS) {
            const box = await page.getByRole('button', { name, exact: true }).boundingBox();
            assert.ok(inside(box), `${name} is on screen: ${JSON.stringify(box)}`);
        }
        const seed = (await page.locator('#status').textContent()).match(/seed (\d+)/)[1];
        await page.getByRole('button', { name: 'Start' }).tap();
        await page.waitForFunction((old) => !document.getElementById('status').textContent.includes(`seed ${old} `),
            seed, { timeout: PATIENCE });
        await page.context().close();
    });
});
