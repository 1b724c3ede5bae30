// What this browser can run: WebAssembly at all, and its SIMD instructions,
// which pick the faster of the two builds (both give the same pixels).

// The smallest module that uses a SIMD instruction, a function that makes
// i8x16.splat(0) and drops it; validating it tells whether the browser has
// SIMD.
const SIMD_PROBE = new Uint8Array([
    0, 97, 115, 109, 1, 0, 0, 0, 1, 4, 1, 96, 0, 0, 3, 2, 1, 0, 10, 9, 1, 7, 0, 65, 0, 253, 15, 26, 11,
]);

export function hasWebAssembly() {
    return typeof WebAssembly === 'object' && typeof WebAssembly.instantiate === 'function';
}

export function chooseBuild() {
    try {
        return WebAssembly.validate(SIMD_PROBE) ? 'simd' : 'scalar';
    } catch {
        return 'scalar';
    }
}
