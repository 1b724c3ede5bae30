// The notice: a caption and lines of plain text over the page, with an OK
// button and, where the notice offers one, a button that acts on it; it
// never takes markup, so a link's values show as typed.

let returnFocus = null;

// `progress` shows a bar at that value; `action` ({ label, run }) a button.
export function showNotice(caption, lines, progress, action) {
    const notice = document.getElementById('notice');
    document.getElementById('notice-caption').textContent = caption;
    const text = document.getElementById('notice-text');
    text.replaceChildren(
        ...lines.map((line) => {
            const paragraph = document.createElement('p');
            paragraph.textContent = line;
            return paragraph;
        }),
    );
    const bar = document.getElementById('notice-progress');
    bar.hidden = progress === undefined;
    if (progress !== undefined) bar.value = progress;
    const button = document.getElementById('notice-action');
    button.hidden = !action;
    button.textContent = action ? action.label : '';
    button.onclick = action ? action.run : null;
    if (notice.hidden) returnFocus = document.activeElement;
    notice.hidden = false;
}

export function setNoticeProgress(value) {
    document.getElementById('notice-progress').value = value;
}

export function hideNotice() {
    const notice = document.getElementById('notice');
    const hadFocus = notice.contains(document.activeElement);
    notice.hidden = true;
    if (hadFocus && returnFocus && returnFocus.isConnected) returnFocus.focus();
    returnFocus = null;
}

export function wireNotice() {
    document.getElementById('notice-ok').addEventListener('click', hideNotice);
}
