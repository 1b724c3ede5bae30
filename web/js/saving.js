// Saving what is on screen: the picture as a PNG with its recipe, the loop
// of its palette rotation as a GIF, and its link.
import { GIFEncoder } from '../vendor/gifenc.esm.js';
import { addPngText } from './png-text.js';
import { recipeText } from './recipe.js';

export function download(bytes, type, name) {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    const anchor = document.createElement('a');
    anchor.href = url;
    anchor.download = name;
    document.body.append(anchor);
    anchor.click();
    anchor.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
}

function canvasPng(canvas) {
    return new Promise((resolve, reject) => {
        canvas.toBlob((blob) => (blob ? resolve(blob) : reject(new Error('no PNG'))), 'image/png');
    });
}

export function fileStem(recipe, iterations) {
    return `huesift-${recipe.shape}-${recipe.size}-${recipe.red}-${recipe.seed}-${iterations}`;
}

export async function savePng(canvas, recipe, iterations) {
    const blob = await canvasPng(canvas);
    const png = addPngText(new Uint8Array(await blob.arrayBuffer()), recipeText(recipe, iterations));
    download(png, 'image/png', `${fileStem(recipe, iterations)}.png`);
}

const BLACK = [0, 0, 0];
const nextPaint = () => new Promise((resolve) => setTimeout(resolve, 0));

// Encodes the worker's 90 frames, each with its own exact colours (the
// palette of that step, and black for the background), looping forever;
// `delay` is in hundredths of a second. Reports each frame done.
export async function encodeLoopGif(frames, side, delay, onProgress) {
    const gif = GIFEncoder();
    for (let i = 0; i < frames.length; ++i) {
        const { indices, colours } = frames[i];
        const palette = [];
        for (let k = 0; k < colours.length; k += 3) palette.push([colours[k], colours[k + 1], colours[k + 2]]);
        palette.push(BLACK);
        gif.writeFrame(indices, side, side, { palette, delay: delay * 10, repeat: 0 });
        onProgress(i + 1);
        await nextPaint();
    }
    gif.finish();
    return gif.bytes();
}
