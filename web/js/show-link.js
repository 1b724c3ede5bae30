// The link's screensaver keys, which the page reads itself: `show=1` starts
// the screensaver once the page has loaded. With it, and only with it,
// `show-timings=SORT,ROTATION` (milliseconds) replaces the show's longest
// sort and its rotation time: an aid for tests, which cannot wait minutes.
// Without `show=1` the key stays in the link, and the worker names it as
// one Huesift does not know.

const LONGEST_TIMING_MS = 3_600_000;

function readTimings(text) {
    const match = /^(\d{1,7}),(\d{1,7})$/.exec(text);
    if (!match) return null;
    const [sortLimitMs, rotationMs] = [Number(match[1]), Number(match[2])];
    const fits = (ms) => ms >= 1 && ms <= LONGEST_TIMING_MS;
    return fits(sortLimitMs) && fits(rotationMs) ? { sortLimitMs, rotationMs } : null;
}

// What the link asks of the screensaver, the values it could not take (as
// the worker reports a link's problems), and the rest of the link's query
// for the worker.
export function readShowLink(query) {
    const params = new URLSearchParams(query);
    const problems = [];
    let start = false;
    let timings = null;
    if (params.has('show')) {
        const text = params.get('show');
        if (text === '1') start = true;
        else if (text !== '0') problems.push({ name: 'show', text, replacement: 'the page without the screensaver' });
        params.delete('show');
    }
    if (start && params.has('show-timings')) {
        const text = params.get('show-timings');
        timings = readTimings(text);
        if (!timings) problems.push({ name: 'show-timings', text, replacement: "the screensaver's own timings" });
        params.delete('show-timings');
    }
    const rest = params.toString();
    return { start, timings, problems, query: rest ? `?${rest}` : '' };
}
