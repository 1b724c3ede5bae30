// The engine compiled to WebAssembly, with SIMD and without, against the
// native engine: the same pixels and generator state after the same sort,
// for every surface, size and red direction (so every sort entry), the
// WebAssembly builds sorting in uneven pieces as the page's worker does.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import path from 'node:path';
import { test } from 'node:test';
import { PROGRAMS } from './support.mjs';

const CASES = 22; // 5 surfaces x 2 sizes x 2 red directions, and two long runs

function run(program, args) {
    return execFileSync(program[0], [...program.slice(1), ...args], { encoding: 'utf8', maxBuffer: 1 << 20 })
        .trim()
        .split('\n');
}

const native = run([path.join(PROGRAMS, 'exact-native')], []);

test('the native check covers every entry', () => {
    assert.equal(native.length, CASES);
    for (const size of [256, 512]) {
        for (const red of ['up', 'down']) {
            assert.ok(native.some((line) => line.includes(` ${size} ${red} `)), `${size} ${red}`);
        }
    }
    assert.ok(native.every((line) => / pixels [0-9a-f]{16} generator [0-9a-f]{16}$/.test(line)));
});

for (const flavour of ['simd', 'scalar']) {
    test(`WebAssembly (${flavour}) gives the native pixels and generator words`, () => {
        const program = ['node', '--no-experimental-fetch', path.join(PROGRAMS, `exact-${flavour}.js`)];
        const lines = run(program, ['--chunks']);
        assert.equal(lines.length, CASES);
        for (let i = 0; i < CASES; ++i) assert.equal(lines[i], native[i]);
    });
}

test('every block kernel path of every build gives the scalar results on the hardest words', () => {
    const lines = {
        native: run([path.join(PROGRAMS, 'exact-native')], ['--kernels']),
        simd: run(['node', '--no-experimental-fetch', path.join(PROGRAMS, 'exact-simd.js')], ['--kernels']),
        scalar: run(['node', '--no-experimental-fetch', path.join(PROGRAMS, 'exact-scalar.js')], ['--kernels']),
    };
    const truth = lines.native.find((line) => line.startsWith('kernels scalar '));
    assert.ok(truth, 'the native build has the scalar path');
    assert.ok(
        lines.simd.some((line) => line.startsWith('kernels baseline ')),
        'the SIMD module has a path of its own',
    );
    for (const [build, paths] of Object.entries(lines)) {
        for (const line of paths) assert.equal(line.split(' ')[2], truth.split(' ')[2], `${build}: ${line}`);
    }
});
