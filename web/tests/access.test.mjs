// The page for everyone: axe-core finds nothing on the page, in Options, in
// Help, in the notice and in the screensaver; the status line announces the sort's state, not
// its figures; a phone's fingers and notch are allowed for.
import assert from 'node:assert/strict';
import { after, before, describe, test as nodeTest } from 'node:test';
import AxeBuilder from '@axe-core/playwright';
import { BUTTONS, PATIENCE, openSession, waitForFrame, waitForMode } from './support.mjs';

const test = (name, body) => nodeTest(name, { timeout: 4 * PATIENCE }, body);

let session;
before(async () => {
    session = await openSession();
});
after(async () => {
    await session?.close();
});

async function expectNoViolations(page, what) {
    const results = await new AxeBuilder({ page }).analyze();
    const found = results.violations.map(
        (violation) => `${violation.id}: ${violation.nodes.map((node) => node.target.join(' ')).join(', ')}`,
    );
    assert.deepEqual(found, [], `axe-core on ${what}`);
    return results.passes.length;
}

describe('axe-core', () => {
    for (const phone of [false, true]) {
        test(`finds no violation on the page, Options, Help, the notice or the screensaver${phone ? ' on a phone' : ''}`, async () => {
            const options = phone ? { viewport: { width: 375, height: 667 }, hasTouch: true, isMobile: true } : {};
            const page = await session.newPage(options);
            await page.goto(`${session.base}?size=512&seed=3&colour=blue`);
            await waitForFrame(page, { above: 0 });
            await page.getByRole('alert').waitFor();
            await expectNoViolations(page, 'the page with its notice');
            await page.getByRole('button', { name: 'OK' }).click();
            await page.getByRole('button', { name: 'Options' }).click();
            await page.getByRole('dialog', { name: 'Options...' }).waitFor();
            await expectNoViolations(page, 'Options');
            await page.keyboard.press('Escape');
            await page.getByRole('button', { name: 'Help' }).click();
            await page.getByRole('dialog', { name: 'Help...' }).waitFor();
            await expectNoViolations(page, 'Help');
            await page.keyboard.press('Escape');
            await page.getByRole('button', { name: 'Screensaver' }).click();
            await page.locator('#show-picture[data-phase]').waitFor({ timeout: PATIENCE });
            await expectNoViolations(page, 'the screensaver');
            await page.context().close();
        });
    }
});

describe('the status line', () => {
    test('announces the sort starting, stopping and rotating, not every figure', async () => {
        const page = await session.newPage();
        await page.addInitScript(() => {
            window.announced = [];
            addEventListener('DOMContentLoaded', () => {
                const region = document.querySelector('#status [role="status"]');
                new MutationObserver(() => window.announced.push(region.textContent)).observe(region, {
                    childList: true,
                    characterData: true,
                    subtree: true,
                });
            });
        });
        await page.goto(`${session.base}?size=512&seed=5&iterations=6000000`);
        await waitForFrame(page, { equals: 6000000 });
        await waitForMode(page, 'stopped');
        const toggle = page.getByRole('button', { name: 'Toggle rotation' });
        assert.equal(await toggle.getAttribute('aria-pressed'), 'false');
        await toggle.click();
        await waitForMode(page, 'rotating');
        assert.equal(await toggle.getAttribute('aria-pressed'), 'true');
        const announced = await page.evaluate(() => window.announced);
        assert.deepEqual(announced, ['Sorting', 'Sort stopped at 6,000,000 iterations', 'Rotating']);
        assert.match(await page.locator('#status').textContent(), /6,000,000 iterations · disorder/);
        await page.context().close();
    });
});

describe('a phone', () => {
    test('every control is a finger wide, and all stay clear of the notch', async () => {
        const page = await session.newPage({ viewport: { width: 375, height: 667 }, hasTouch: true, isMobile: true });
        const cdp = await page.context().newCDPSession(page);
        await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets: { top: 40, bottom: 30, left: 12, right: 12 } });
        await page.goto(`${session.base}?iterations=100000`);
        await waitForMode(page, 'stopped');
        const clear = (box) => box.y >= 40 && box.x >= 12 && box.x + box.width <= 375 - 12 && box.y + box.height <= 667 - 30;
        for (const name of BUTTONS) {
            const box = await page.getByRole('button', { name, exact: true }).boundingBox();
            assert.ok(box.width >= 44 && box.height >= 44, `${name} is at least 44 x 44: ${JSON.stringify(box)}`);
            assert.ok(clear(box), `${name} is clear of the notch: ${JSON.stringify(box)}`);
        }
        assert.ok(clear(await page.locator('#status').boundingBox()), 'the status line is clear of the notch');
        await page.getByRole('button', { name: 'Options' }).click();
        const dialog = page.getByRole('dialog', { name: 'Options...' });
        await dialog.waitFor();
        for (const label of await dialog.locator('label').all()) {
            const box = await label.boundingBox();
            assert.ok(box.height >= 44, `${await label.textContent()} is a finger high: ${box.height}`);
        }
        await page.context().close();
    });
});
