// A returning visitor gets the newest release: a copy of the build is
// served as a static host serves it, its files' times set hours back (as a
// deployed site's look), loaded, replaced by a changed build at the same
// address (its files an hour newer, still hours old), and loaded again. The
// browser's cache then takes the old files as fresh. Each copy marks its
// page, its main script and its worker with a release name, so the test
// sees which release each runs.
import assert from 'node:assert/strict';
import { cpSync, mkdtempSync, readFileSync, readdirSync, rmSync, statSync, utimesSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { after, describe, test as nodeTest } from 'node:test';
import { PATIENCE, SITE, eventually, openSession, waitForFrame } from './support.mjs';

const test = (name, body) => nodeTest(name, { timeout: 4 * PATIENCE }, body);
const HOUR = 3600 * 1000;

const folders = [];
after(() => folders.forEach((folder) => rmSync(folder, { recursive: true, force: true })));

function edit(file, change) {
    writeFileSync(file, change(readFileSync(file, 'utf8')));
}

function setTimes(folder, time) {
    for (const name of readdirSync(folder)) {
        const file = path.join(folder, name);
        if (statSync(file).isDirectory()) setTimes(file, time);
        utimesSync(file, time, time);
    }
}

// The build copied into `site` as release `name`, its files `hoursOld`.
function publish(site, name, hoursOld, { without } = {}) {
    rmSync(site, { recursive: true, force: true });
    cpSync(SITE, site, { recursive: true });
    edit(path.join(site, 'index.html'), (text) => {
        assert.match(text, /<html lang="en"/, 'the page opens with its html tag');
        return text.replace('<html lang="en"', `<html lang="en" data-release="${name}"`);
    });
    edit(path.join(site, 'js/main.js'), (text) => `${text}\ndocument.documentElement.dataset.scriptRelease = '${name}';\n`);
    edit(path.join(site, 'worker/sort-worker.js'), (text) => `${text}\nself.release = '${name}';\n`);
    edit(path.join(site, 'sw.js'), (text) => text.replace(/'huesift-[0-9a-f]+'/, `'huesift-${name}'`));
    if (without) rmSync(path.join(site, without));
    setTimes(site, new Date(Date.now() - hoursOld * HOUR));
}

// The releases of the page, its main script and its sort worker.
async function releases(page) {
    await eventually(() => page.workers().length > 0, 'the sort worker runs');
    const worker = page.workers().at(-1);
    return {
        page: await page.evaluate(() => document.documentElement.dataset.release),
        script: await page.evaluate(() => document.documentElement.dataset.scriptRelease),
        worker: await worker.evaluate(() => self.release),
    };
}

const all = (name) => ({ page: name, script: name, worker: name });

describe('updates', () => {
    test('a new release is announced, taken with Reload, never mixed with the old one, and works offline', async () => {
        const site = path.join(mkdtempSync(path.join(tmpdir(), 'huesift-site-')), 'site');
        folders.push(path.dirname(site));
        publish(site, 'one', 3);
        const session = await openSession(site, ['--host-caching']);
        try {
            const page = await session.newPage();
            await page.goto(session.base);
            await waitForFrame(page);
            await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: PATIENCE });
            assert.deepEqual(await releases(page), all('one'));

            publish(site, 'two', 2);
            await page.reload();
            await waitForFrame(page);
            const notice = page.getByRole('alert');
            await page.waitForFunction(
                () => document.getElementById('notice-text').textContent.includes('A new version of Huesift is ready'),
                null, { timeout: PATIENCE });
            assert.deepEqual(await releases(page), all('one'), 'the loaded release runs whole until it is replaced');
            await Promise.all([
                page.waitForEvent('load', { timeout: PATIENCE }),
                notice.getByRole('button', { name: 'Reload' }).click(),
            ]);
            await page.waitForFunction(() => document.documentElement.dataset.release === 'two', null, {
                timeout: PATIENCE,
            });
            await waitForFrame(page);
            assert.deepEqual(await releases(page), all('two'));

            await page.context().setOffline(true);
            await page.reload();
            await waitForFrame(page, { above: 0 });
            assert.deepEqual(await releases(page), all('two'));
            assert.deepEqual(page.errors, []);
            await page.context().close();
        } finally {
            await session.close();
        }
    });

    test('a release whose files cannot all be stored is reported in the console, and the page works online', async () => {
        const site = path.join(mkdtempSync(path.join(tmpdir(), 'huesift-site-')), 'site');
        folders.push(path.dirname(site));
        publish(site, 'three', 2, { without: 'icons/icon-512.png' });
        const session = await openSession(site);
        try {
            const page = await session.newPage();
            await page.goto(session.base);
            await waitForFrame(page, { above: 0 });
            await eventually(() => page.errors.some((text) => text.includes('offline copy could not be stored')),
                'the failed install is reported');
            await page.context().close();
        } finally {
            await session.close();
        }
    });
});
