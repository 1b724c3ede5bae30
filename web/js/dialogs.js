// The Options and Help dialogs: modal, focus kept inside while open and
// given back to where it was when they close. Options, made from the
// engine's settings table, shows the current settings and applies the whole
// dialog on OK; Cancel and Esc change nothing.

let groups = []; // the keys of the option groups, in the dialog's order

const FOCUSABLE = 'button, input, [tabindex]:not([tabindex="-1"])';

// Tab and Shift+Tab go round the dialog's own controls, never out of it.
function keepFocusInside(dialog, event) {
    if (event.key !== 'Tab') return;
    const stops = [...dialog.querySelectorAll(FOCUSABLE)].filter(
        (element) => !element.disabled && (element.type !== 'radio' || element.checked),
    );
    if (stops.length === 0) return;
    const first = stops[0];
    const last = stops[stops.length - 1];
    if (event.shiftKey && document.activeElement === first) {
        event.preventDefault();
        last.focus();
    } else if (!event.shiftKey && document.activeElement === last) {
        event.preventDefault();
        first.focus();
    }
}

function openModal(dialog, first) {
    const before = document.activeElement;
    dialog.addEventListener(
        'close',
        () => {
            if (before && before.isConnected) before.focus();
        },
        { once: true },
    );
    dialog.showModal();
    first.focus();
}

export function openHelp() {
    const dialog = document.getElementById('help-dialog');
    if (!dialog.open) openModal(dialog, document.getElementById('help-ok'));
}

// One group of radio buttons per setting, one button per choice, each
// valued with the engine's code.
export function buildOptions(table) {
    const fieldsets = table.groups.map((group) => {
        const fieldset = document.createElement('fieldset');
        const legend = document.createElement('legend');
        legend.textContent = group.caption;
        fieldset.append(legend);
        for (const choice of group.choices) {
            const label = document.createElement('label');
            const input = document.createElement('input');
            input.type = 'radio';
            input.name = group.key;
            input.value = String(choice.code);
            label.append(input, ` ${choice.label}`);
            fieldset.append(label);
        }
        return fieldset;
    });
    document.getElementById('option-groups').replaceChildren(...fieldsets);
    groups = table.groups.map((group) => group.key);
}

export function openOptions(settings, apply) {
    const dialog = document.getElementById('options-dialog');
    if (dialog.open) return;
    const form = document.getElementById('options-form');
    for (const group of groups) {
        for (const input of form.elements[group]) input.checked = Number(input.value) === settings[group];
    }
    dialog.onclose = () => {
        if (dialog.returnValue !== 'ok') return;
        const values = {};
        for (const group of groups) {
            const checked = [...form.elements[group]].find((input) => input.checked);
            values[group] = checked ? Number(checked.value) : settings[group];
        }
        apply(values);
    };
    dialog.returnValue = '';
    openModal(dialog, document.getElementById('options-ok'));
}

// Enter on a radio button acts as OK, as in the window program's dialog.
export function wireDialogs() {
    for (const dialog of document.querySelectorAll('dialog')) {
        dialog.addEventListener('keydown', (event) => keepFocusInside(dialog, event));
    }
    const options = document.getElementById('options-dialog');
    document.getElementById('options-cancel').addEventListener('click', () => options.close('cancel'));
    options.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' && event.target.type === 'radio') {
            event.preventDefault();
            options.close('ok');
        }
    });
    document.getElementById('options-form').addEventListener('submit', (event) => {
        event.preventDefault();
        options.close('ok');
    });
    const help = document.getElementById('help-dialog');
    document.getElementById('help-ok').addEventListener('click', () => help.close());
}

export function dialogOpen() {
    return document.querySelector('dialog[open]') !== null;
}
