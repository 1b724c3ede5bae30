// What the web tests share: the paths of the built site and programs, a
// server for the site on the loopback address, one Chromium for the run, and
// readers for canvases, PNG text chunks and the engine's palette.
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { PNG } from 'pngjs';

export const ROOT = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const SITE = path.join(ROOT, 'build/web');
export const PROGRAMS = path.join(ROOT, 'build/web-tests');
export const RENDER = path.join(ROOT, 'build/native/render/huesift-render');

// A bound for anything the page must do; generous for a loaded machine.
export const PATIENCE = 45_000;

// The page's buttons by their accessible names, in the order the page shows them.
export const BUTTONS = ['Start', 'Toggle rotation', 'Options', 'Help', 'Save PNG', 'Save loop GIF', 'Copy link', 'Full screen',
    'Screensaver'];

export const BROWSER_ARGS = [
    '--headless',
    '--no-sandbox',
    '--disable-gpu',
    '--disable-quic',
    '--no-first-run',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
];

function freePort() {
    return new Promise((resolve, reject) => {
        const probe = createServer();
        probe.once('error', reject);
        probe.listen(0, '127.0.0.1', () => {
            const { port } = probe.address();
            probe.close(() => resolve(port));
        });
    });
}

async function waitForServer(url) {
    const until = Date.now() + PATIENCE;
    for (;;) {
        try {
            if ((await fetch(url)).ok) return;
        } catch {
            if (Date.now() > until) throw new Error(`no server at ${url}`);
        }
        await new Promise((resolve) => setTimeout(resolve, 100));
    }
}

// The site (the build, or `site`) served, and one browser (Playwright gives
// it a fresh profile folder of its own); every page gets a fresh context;
// `close` ends both. `serverOptions` go to web/serve.py.
export async function openSession(site = SITE, serverOptions = []) {
    const port = await freePort();
    const server = spawn('python3', [path.join(ROOT, 'web/serve.py'), '--port', String(port), ...serverOptions, site], {
        stdio: 'ignore',
    });
    const base = `http://127.0.0.1:${port}/`;
    await waitForServer(base);
    const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: BROWSER_ARGS });
    return {
        base,
        async newPage(options = {}) {
            const context = await browser.newContext({
                acceptDownloads: true,
                viewport: { width: 1100, height: 900 },
                ...options,
            });
            const page = await context.newPage();
            const errors = [];
            page.on('pageerror', (error) => errors.push(`page error: ${error.message}`));
            page.on('console', (message) => {
                if (message.type() === 'error' || message.type() === 'warning') errors.push(message.text());
            });
            page.errors = errors;
            return page;
        },
        async close() {
            await browser.close();
            server.kill();
        },
    };
}

// Waits until the canvas shows a frame, one past `above` iterations or at
// exactly `equals` when given; returns its iterations. (The page's policy
// refuses code made from strings, so the wait is a function.)
export async function waitForFrame(page, { above = -1, equals = null } = {}) {
    await page.waitForFunction(
        ({ above, equals }) => {
            const text = document.getElementById('picture').dataset.iterations;
            if (text === undefined) return false;
            const n = Number(text);
            return equals === null ? n > above : n === equals;
        },
        { above, equals },
        { timeout: PATIENCE },
    );
    return Number(await page.locator('#picture').getAttribute('data-iterations'));
}

// Runs in the page before its scripts: keeps every message the sort's
// worker sends (without the pixels), the worker itself as window.sortWorker,
// and a count of the frames the page asks the display for.
export function recordWorker() {
    window.workerMessages = [];
    window.animationFrames = 0;
    const PageWorker = window.Worker;
    window.Worker = class extends PageWorker {
        constructor(...args) {
            super(...args);
            window.sortWorker = this;
            this.addEventListener('message', (event) => {
                const { pixels, frames, ...rest } = event.data;
                window.workerMessages.push(rest);
            });
        }
    };
    const ask = window.requestAnimationFrame;
    window.requestAnimationFrame = (callback) => {
        window.animationFrames += 1;
        return ask.call(window, callback);
    };
}

// Headless Chromium keeps every page visible: the page is told it is hidden
// or shown as a browser tells it.
export async function setHidden(page, hidden) {
    await page.evaluate((hide) => {
        Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => (hide ? 'hidden' : 'visible') });
        Object.defineProperty(document, 'hidden', { configurable: true, get: () => hide });
        document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
}

// Waits, within PATIENCE, until `check` (run here, not in the page) holds.
export async function eventually(check, what) {
    const until = Date.now() + PATIENCE;
    while (!check()) {
        if (Date.now() > until) throw new Error(`still not so after ${PATIENCE} ms: ${what}`);
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
}

export async function waitForStatus(page, key, value) {
    await page.waitForFunction(([k, v]) => document.getElementById('status').dataset[k] === v, [key, value], {
        timeout: PATIENCE,
    });
}

export async function waitForMode(page, mode) {
    await page.waitForFunction((wanted) => document.getElementById('status').dataset.mode === wanted, mode, {
        timeout: PATIENCE,
    });
}

// A canvas's pixels (the page's picture, or the canvas with id `id`) as
// RGBA bytes, with its side.
export async function readCanvas(page, id = 'picture') {
    const { side, data } = await page.evaluate((id) => {
        const canvas = document.getElementById(id);
        const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let text = '';
        for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
        return { side: canvas.width, data: btoa(text) };
    }, id);
    return { side, rgba: new Uint8Array(Buffer.from(data, 'base64')) };
}

export function decodePng(bytes) {
    const png = PNG.sync.read(Buffer.from(bytes));
    return { side: png.width, rgba: new Uint8Array(png.data) };
}

// The tEXt chunks of a PNG file, key to value.
export function pngText(bytes) {
    const buffer = Buffer.from(bytes);
    const entries = {};
    for (let at = 8; at < buffer.length; ) {
        const length = buffer.readUInt32BE(at);
        const kind = buffer.toString('latin1', at + 4, at + 8);
        if (kind === 'tEXt') {
            const data = buffer.subarray(at + 8, at + 8 + length);
            const split = data.indexOf(0);
            entries[data.toString('latin1', 0, split)] = data.toString('latin1', split + 1);
        }
        at += 12 + length;
    }
    return entries;
}

// Runs huesift-render with `args` and an output of `kind` (--png,
// --loop-gif); returns the file's bytes.
export function render(args, kind) {
    const dir = mkdtempSync(path.join(tmpdir(), 'huesift-render-'));
    try {
        const file = path.join(dir, 'out');
        execFileSync(RENDER, [...args, kind, file], { stdio: ['ignore', 'ignore', 'inherit'] });
        return readFileSync(file);
    } finally {
        rmSync(dir, { recursive: true, force: true });
    }
}

// The engine's palette, colour word per index, as the native check program
// prints it.
export function enginePalette() {
    const text = execFileSync(path.join(PROGRAMS, 'exact-native'), ['--palette'], { encoding: 'utf8' });
    return text.trim().split('\n').map((line) => parseInt(line, 16));
}

export const colourAt = (rgba, i) => (rgba[4 * i] << 16) | (rgba[4 * i + 1] << 8) | rgba[4 * i + 2];

// The device pixels a square picture of noise covers, read from a
// screenshot: each image pixel of the canvas `id` must fill a `factor` x
// `factor` square, the same everywhere, at the largest whole factor its
// container allows; with `blackAround`, every other pixel of the screenshot
// is black. Where the picture's width is no whole number of 64ths of a CSS
// pixel (2048 device pixels at 2.625 is 780.19 CSS pixels), emulated
// Chromium clips the box at a whole CSS pixel and the last device row and
// column may stay black; they may never show another image pixel or a blend.
// Returns the factor.
export async function checkCrisp(page, ratio, { id = 'picture', blackAround = false } = {}) {
    const box = await page.locator(`#${id}`).evaluate((canvas) => {
        const rect = canvas.getBoundingClientRect();
        const room = canvas.parentElement.getBoundingClientRect();
        return { left: rect.left, top: rect.top, width: rect.width, room: Math.min(room.width, room.height) };
    });
    const shot = PNG.sync.read(await page.screenshot());
    const canvas = await readCanvas(page, id);
    const side = canvas.side;
    const factor = Math.round((box.width * ratio) / side);
    const size = side * factor;
    const left = Math.round(box.left * ratio);
    const top = Math.round(box.top * ratio);
    let wrong = 0;
    let firstWrong = '';
    for (let y = 0; y < size; ++y) {
        for (let x = 0; x < size; ++x) {
            const at = 4 * ((top + y) * shot.width + left + x);
            const colour = (shot.data[at] << 16) | (shot.data[at + 1] << 8) | shot.data[at + 2];
            const expected = colourAt(canvas.rgba, Math.floor(y / factor) * side + Math.floor(x / factor));
            const edge = x === size - 1 || y === size - 1;
            if (colour !== expected && !(edge && colour === 0)) {
                if (!wrong) firstWrong = `(${x}, ${y})`;
                ++wrong;
            }
        }
    }
    assert.equal(wrong, 0, `at ratio ${ratio}, device pixels showing the wrong image pixel, first at ${firstWrong}`);
    assert.ok(factor >= 1 && (factor + 1) * side > box.room * ratio - 1,
        `at ratio ${ratio} the largest whole factor is used: ${factor}`);
    if (blackAround) {
        let lit = 0;
        for (let y = 0; y < shot.height; ++y) {
            for (let x = 0; x < shot.width; ++x) {
                if (x >= left && x < left + size && y >= top && y < top + size) continue;
                const at = 4 * (y * shot.width + x);
                if (shot.data[at] || shot.data[at + 1] || shot.data[at + 2]) ++lit;
            }
        }
        assert.equal(lit, 0, `at ratio ${ratio}, pixels around the picture that are not black`);
    }
    return factor;
}
