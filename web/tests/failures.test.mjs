// What the page says when something goes wrong, and what it still does:
// the engine or its worker failing to load or dying, the GIF encoder
// failing, commands given before the engine is ready, held keys and messages
// nobody knows.
import assert from 'node:assert/strict';
import { after, before, describe, test as nodeTest } from 'node:test';
import { PATIENCE, eventually, openSession, recordWorker, waitForFrame, waitForMode } from './support.mjs';

const test = (name, body) => nodeTest(name, { timeout: 4 * PATIENCE }, body);
const ENGINE_BUTTONS = ['Start', 'Toggle rotation', 'Options', 'Save PNG', 'Save loop GIF', 'Copy link', 'Screensaver'];
// A page whose requests the test routes: its service worker, which would
// store and serve the real files past the routes, is kept out, and
// Playwright says so in the console.
const ROUTED = { serviceWorkers: 'block' };
const unexpected = (errors) => errors.filter((text) => !text.includes('registration blocked by Playwright'));

let session;
before(async () => {
    session = await openSession();
});
after(async () => {
    await session?.close();
});

async function expectEngineFailure(page, words) {
    const notice = page.getByRole('alert');
    await notice.waitFor({ timeout: PATIENCE });
    assert.match(await notice.textContent(), words);
    for (const name of ENGINE_BUTTONS) {
        assert.ok(await page.getByRole('button', { name, exact: true }).isDisabled(), `${name} is disabled`);
    }
    assert.match(await page.locator('#status').textContent(), /The sort engine is not running/);
    await page.keyboard.press('h');
    await page.getByRole('dialog', { name: 'Help...' }).waitFor();
}

describe('the engine cannot run', () => {
    test('a module that cannot be fetched is named, and what needs it is disabled', async () => {
        const page = await session.newPage(ROUTED);
        await page.route('**/*.wasm', (route) => route.fulfill({ status: 404, body: 'gone' }));
        await page.goto(session.base);
        await expectEngineFailure(page, /The sort engine could not be loaded/);
        await page.context().close();
    });

    test('a worker script that cannot be fetched is named too', async () => {
        const page = await session.newPage(ROUTED);
        await page.route('**/worker/sort-worker.js', (route) => route.fulfill({ status: 404, body: 'gone' }));
        await page.goto(session.base);
        await expectEngineFailure(page, /The sort engine could not be loaded/);
        await page.context().close();
    });

    test('a worker that dies with an error mid-sort is named', async () => {
        const page = await session.newPage();
        await page.goto(`${session.base}?size=512&iterations=1000000000`);
        await waitForFrame(page, { above: 0 });
        await page.workers()[0].evaluate(() => setTimeout(() => {
            throw new Error('out of luck');
        }));
        await expectEngineFailure(page, /The sort engine stopped with an error.*out of luck/);
        await page.context().close();
    });
});

describe('commands', () => {
    test('before the engine is ready, Options waits for it and what needs a picture says why', async () => {
        const page = await session.newPage(ROUTED);
        let release;
        const held = new Promise((resolve) => (release = resolve));
        await page.route('**/*.wasm', async (route) => {
            await held;
            await route.continue();
        });
        await page.goto(session.base);
        await page.getByRole('button', { name: 'Options' }).click();
        assert.match(await page.locator('#status').textContent(), /Options opens once it is ready/);
        await page.getByRole('button', { name: 'Save PNG' }).click();
        const notice = page.getByRole('alert');
        await notice.waitFor();
        assert.match(await notice.textContent(), /still loading/);
        release();
        const dialog = page.getByRole('dialog', { name: 'Options...' });
        await dialog.waitFor({ timeout: PATIENCE });
        assert.ok(await dialog.getByLabel('Circle', { exact: true }).isChecked());
        await dialog.getByRole('button', { name: 'Cancel' }).click();
        await waitForFrame(page, { above: 0 });
        assert.deepEqual(unexpected(page.errors), []);
        await page.context().close();
    });

    test('a GIF the encoder cannot make is named, and Save loop GIF works again', async () => {
        const page = await session.newPage(ROUTED);
        await page.route('**/vendor/gifenc.esm.js', (route) =>
            route.fulfill({
                contentType: 'text/javascript',
                body: 'export function GIFEncoder() { return { writeFrame() { throw new Error("no room"); } }; }',
            }));
        await page.goto(`${session.base}?iterations=100000`);
        await waitForMode(page, 'stopped');
        const save = page.getByRole('button', { name: 'Save loop GIF' });
        for (let k = 0; k < 2; ++k) {
            await save.click();
            await page.waitForFunction(() => document.getElementById('notice-text').textContent.includes('no room'),
                null, { timeout: PATIENCE });
            assert.match(await page.locator('#notice-text').textContent(), /The GIF could not be made: no room/);
            await page.getByRole('button', { name: 'OK' }).click();
        }
        assert.ok(await save.isEnabled());
        await page.context().close();
    });

    test('a held key gives its command once', async () => {
        const page = await session.newPage();
        await page.addInitScript(recordWorker);
        await page.goto(`${session.base}?iterations=100000`);
        await waitForMode(page, 'stopped');
        await page.keyboard.down('r');
        await page.keyboard.down('r');
        await page.keyboard.down('r');
        await page.keyboard.up('r');
        // Start comes after the toggles in the worker's queue: once its
        // picture is there, every toggle has been answered.
        await page.keyboard.press('s');
        await page.waitForFunction(() => window.workerMessages.filter((m) => m.type === 'picture').length === 2,
            null, { timeout: PATIENCE });
        const answers = await page.evaluate(() => window.workerMessages.filter((m) => m.type === 'rotation').length);
        assert.equal(answers, 1, 'toggles answered');
        await page.context().close();
    });

    test('a message nobody knows is an error in the console, on either side', async () => {
        const page = await session.newPage();
        await page.addInitScript(recordWorker);
        const workerErrors = [];
        page.on('worker', (worker) => worker.on('console', (message) => workerErrors.push(message.text())));
        await page.goto(`${session.base}?iterations=100000`);
        await waitForMode(page, 'stopped');
        await page.evaluate(() => {
            window.sortWorker.dispatchEvent(new MessageEvent('message', { data: { type: 'no-such-news' } }));
            window.sortWorker.postMessage({ type: 'no-such-command' });
        });
        await eventually(() => page.errors.some((text) => text.includes('"no-such-news"')), 'the page names it');
        await eventually(() => workerErrors.some((text) => text.includes('"no-such-command"')), 'the worker names it');
        await page.context().close();
    });
});
