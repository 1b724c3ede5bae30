// The notice: a caption and lines of plain text over the page, with an OK
// button; it never takes markup, so a link's values show as typed.

let returnFocus = null;

export function showNotice(caption, lines, progress) {
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
