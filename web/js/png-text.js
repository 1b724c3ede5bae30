// Adds tEXt chunks to a PNG file, right after its header chunk, so a saved
// picture carries its recipe.

const CRC_TABLE = (() => {
    const table = new Uint32Array(256);
    for (let n = 0; n < 256; ++n) {
        let c = n;
        for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
        table[n] = c >>> 0;
    }
    return table;
})();

function crc32(bytes) {
    let c = 0xffffffff;
    for (const byte of bytes) c = CRC_TABLE[(c ^ byte) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
}

// Latin-1 as tEXt requires; a character outside it is written as '?'.
function latin1(text) {
    return Uint8Array.from(text, (ch) => (ch.charCodeAt(0) < 256 ? ch.charCodeAt(0) : 63));
}

function textChunk(key, value) {
    const keyBytes = latin1(key);
    const valueBytes = latin1(value);
    const data = new Uint8Array(keyBytes.length + 1 + valueBytes.length);
    data.set(keyBytes, 0);
    data.set(valueBytes, keyBytes.length + 1);
    const chunk = new Uint8Array(12 + data.length);
    const view = new DataView(chunk.buffer);
    view.setUint32(0, data.length);
    chunk.set(latin1('tEXt'), 4);
    chunk.set(data, 8);
    view.setUint32(8 + data.length, crc32(chunk.subarray(4, 8 + data.length)));
    return chunk;
}

const SIGNATURE_LENGTH = 8;

// `png` holds a whole PNG file; returns a new one with the entries added.
export function addPngText(png, entries) {
    const view = new DataView(png.buffer, png.byteOffset, png.byteLength);
    const headerEnd = SIGNATURE_LENGTH + 12 + view.getUint32(SIGNATURE_LENGTH);
    const chunks = entries.map(([key, value]) => textChunk(key, value));
    const size = png.length + chunks.reduce((sum, chunk) => sum + chunk.length, 0);
    const out = new Uint8Array(size);
    out.set(png.subarray(0, headerEnd), 0);
    let at = headerEnd;
    for (const chunk of chunks) {
        out.set(chunk, at);
        at += chunk.length;
    }
    out.set(png.subarray(headerEnd), at);
    return out;
}
