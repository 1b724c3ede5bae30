// What the page costs the device it runs on, in Debian's Chromium: the CPU
// time of all the browser's processes over 10 s on a blank page, after a
// default picture has settled, and while the page is hidden mid-sort and
// mid-rotation; then the garbage the page and its worker make over 60 s of
// palette rotation of a 512 picture at the fastest speed (the collections
// in the browser's timeline trace, per thread) with the frames drawn.
//   node web/bench/citizen.mjs BASE_URL
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';
import { BROWSER_ARGS, PATIENCE } from '../tests/support.mjs';

const base = process.argv[2];
const CPU_SECONDS = 10;
const ROTATION_SECONDS = 60;
const TICKS_PER_SECOND = 100; // Linux's USER_HZ, the unit of /proc's times

// The browser is started here rather than by Playwright so that the CPU time
// of its processes can be read.
const profile = mkdtempSync(path.join(tmpdir(), 'huesift-citizen-'));
const browserProcess = spawn(
    '/usr/bin/chromium',
    [...BROWSER_ARGS, '--remote-debugging-port=0', `--user-data-dir=${profile}`, 'about:blank'],
    { stdio: ['ignore', 'ignore', 'pipe'] },
);
const endpoint = await new Promise((resolve, reject) => {
    let text = '';
    browserProcess.stderr.on('data', (chunk) => {
        text += chunk;
        const found = text.match(/DevTools listening on (ws:\S+)/);
        if (found) resolve(found[1]);
    });
    browserProcess.once('exit', () => reject(new Error(`chromium ended: ${text}`)));
});
const browser = await chromium.connectOverCDP(endpoint);
const context = browser.contexts()[0];

// Every process the browser started, the browser's own included.
function browserTree() {
    const parents = new Map();
    for (const name of readdirSync('/proc')) {
        if (!/^\d+$/.test(name)) continue;
        try {
            const stat = readFileSync(`/proc/${name}/stat`, 'utf8');
            parents.set(Number(name), Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]));
        } catch {
            // ended meanwhile
        }
    }
    const tree = new Set([browserProcess.pid]);
    for (let grew = true; grew; ) {
        grew = false;
        for (const [pid, parent] of parents) {
            if (!tree.has(pid) && tree.has(parent)) {
                tree.add(pid);
                grew = true;
            }
        }
    }
    return tree;
}

function cpuTicks() {
    let ticks = 0;
    for (const pid of browserTree()) {
        try {
            const fields = readFileSync(`/proc/${pid}/stat`, 'utf8').split(') ')[1].split(' ');
            ticks += Number(fields[11]) + Number(fields[12]);
        } catch {
            // ended meanwhile
        }
    }
    return ticks;
}

async function cpuShare(seconds) {
    const before = cpuTicks();
    const began = Date.now();
    await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
    return (cpuTicks() - before) / TICKS_PER_SECOND / ((Date.now() - began) / 1000);
}

// Headless Chromium keeps every page visible; the page is told otherwise.
function hide() {
    Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => 'hidden' });
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => true });
    document.dispatchEvent(new Event('visibilitychange'));
}

function countFrames() {
    window.framesDrawn = 0;
    const draw = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (...args) {
        window.framesDrawn += 1;
        return draw.apply(this, args);
    };
}

const statusIs = (page, key, value) =>
    page.waitForFunction(([k, v]) => document.getElementById('status').dataset[k] === v, [key, value], {
        timeout: PATIENCE * 4,
    });

function report(what, share) {
    console.log(`cpu\t${what}\t${(share * 100).toFixed(1)}% of a core`);
}

async function freshPage(query) {
    const page = await context.newPage();
    await page.addInitScript(countFrames);
    await page.goto(base + query);
    await page.waitForFunction(() => window.framesDrawn > 0, null, { timeout: PATIENCE });
    return page;
}

const blank = await context.newPage();
report('a blank page', await cpuShare(CPU_SECONDS));
await blank.close();

let page = await freshPage('');
await statusIs(page, 'settled', 'true');
await page.waitForTimeout(1000);
report('after a default picture settled', await cpuShare(CPU_SECONDS));
await page.close();

page = await freshPage('?size=512&iterations=1000000000000');
await page.waitForTimeout(1000);
await page.evaluate(hide);
report('hidden while a 512 picture sorts', await cpuShare(CPU_SECONDS));
await page.close();

page = await freshPage('?iterations=100000');
await statusIs(page, 'mode', 'stopped');
await page.keyboard.press('r');
await statusIs(page, 'mode', 'rotating');
await page.evaluate(hide);
report('hidden while rotating', await cpuShare(CPU_SECONDS));
await page.close();

page = await freshPage('?size=512&speed=1&iterations=3000000');
await statusIs(page, 'mode', 'stopped');
await page.keyboard.press('r');
await statusIs(page, 'mode', 'rotating');
await page.waitForTimeout(2000);
const cdp = await context.newCDPSession(page);
await cdp.send('Performance.enable');
const heapAt = async () =>
    (await cdp.send('Performance.getMetrics')).metrics.find((metric) => metric.name === 'JSHeapUsedSize').value;
const heapBefore = await heapAt();
const framesBefore = await page.evaluate(() => window.framesDrawn);
await browser.startTracing(page, { categories: ['devtools.timeline', 'disabled-by-default-devtools.timeline'] });
const cpuBefore = cpuTicks();
await page.waitForTimeout(ROTATION_SECONDS * 1000);
const cpuUsed = (cpuTicks() - cpuBefore) / TICKS_PER_SECOND / ROTATION_SECONDS;
const events = JSON.parse((await browser.stopTracing()).toString()).traceEvents;
const frames = (await page.evaluate(() => window.framesDrawn)) - framesBefore;
const heapAfter = await heapAt();
// The timeline's record of each collection, per thread: MinorGC (the
// young objects) and MajorGC (the whole heap).
const threadNames = new Map(
    events.filter((event) => event.name === 'thread_name').map((event) => [event.tid, event.args.name]),
);
const threads = new Map();
for (const event of events) {
    if ((event.name !== 'MinorGC' && event.name !== 'MajorGC') || event.ph === 'E') continue;
    const name = threadNames.get(event.tid) || `thread ${event.tid}`;
    const thread = threads.get(name) || { collections: 0, major: 0 };
    thread.collections += 1;
    if (event.name === 'MajorGC') thread.major += 1;
    threads.set(name, thread);
}
console.log(`rotation\t512 at speed 1 for ${ROTATION_SECONDS} s\t${(frames / ROTATION_SECONDS).toFixed(1)} frames/s` +
    `\t${(cpuUsed * 100).toFixed(0)}% of a core`);
console.log(`rotation\tpage's JS heap\t${(heapBefore / 1e6).toFixed(1)} MB -> ${(heapAfter / 1e6).toFixed(1)} MB`);
let total = 0;
for (const [name, thread] of threads) {
    total += thread.collections;
    console.log(`rotation\t${name}\t${thread.collections} collections (${thread.major} major)`);
}
console.log(`rotation\tcollections in all threads\t${total}`);
await browser.close();
const ended = new Promise((resolve) => browserProcess.once('exit', resolve));
browserProcess.kill();
await ended;
rmSync(profile, { recursive: true, force: true, maxRetries: 5 });
