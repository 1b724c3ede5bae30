// A picture's recipe as a link and as the text a saved PNG carries, under
// the keys and with the command that huesift-render uses.

// The page's build stamp, the project's version, set when the page is built.
export const SOFTWARE = `Huesift web ${document.documentElement.dataset.version}`;

// The link to the picture on screen; with `iterations` (a stopped sort) it
// makes exactly this picture, otherwise the same picture sorting on.
export function recipeLink(base, recipe, iterations) {
    const url = new URL(base);
    url.search = '';
    url.hash = '';
    const params = url.searchParams;
    params.set('shape', recipe.shape);
    params.set('size', String(recipe.size));
    params.set('red', recipe.red);
    params.set('seed', String(recipe.seed));
    params.set('speed', String(recipe.speed));
    if (iterations !== null) params.set('iterations', String(iterations));
    return url.href;
}

export function recipeCommand(recipe, iterations) {
    return (
        `huesift-render --shape ${recipe.shape} --size ${recipe.size} --red ${recipe.red}` +
        ` --seed ${recipe.seed} --iterations ${iterations}`
    );
}

export function recipeText(recipe, iterations) {
    return [
        ['Shape', recipe.shape],
        ['Size', String(recipe.size)],
        ['Red', recipe.red],
        ['Seed', String(recipe.seed)],
        ['Iterations', String(iterations)],
        ['Command', recipeCommand(recipe, iterations)],
        ['Software', SOFTWARE],
    ];
}
