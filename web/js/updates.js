// The offline copy and its updates: registers the service worker, says so
// when a new release is ready (the page runs the release it loaded until
// the user takes the new one), and reports in the console when a release
// cannot be stored; the page works online all the same.
import { showNotice } from './notice.js';

const MESSAGE = self.HuesiftMessages;

let reloadAsked = false;

function offerUpdate(waiting) {
    showNotice('Huesift', ['A new version of Huesift is ready.'], undefined, {
        label: 'Reload',
        run: () => {
            reloadAsked = true;
            waiting.postMessage({ type: MESSAGE.TAKE_UPDATE });
        },
    });
}

function watchInstall(registration) {
    const installing = registration.installing;
    if (!installing) return;
    installing.addEventListener('statechange', () => {
        if (installing.state === 'installed' && navigator.serviceWorker.controller) offerUpdate(installing);
    });
}

export function watchForUpdates() {
    if (!('serviceWorker' in navigator)) return;
    const workers = navigator.serviceWorker;
    workers.addEventListener('message', (event) => {
        if (event.data && event.data.type === MESSAGE.INSTALL_FAILED) {
            console.error(`Huesift's offline copy could not be stored: ${event.data.text}`);
        }
    });
    workers.addEventListener('controllerchange', () => {
        if (reloadAsked) location.reload();
    });
    workers
        .register('sw.js', { updateViaCache: 'none' })
        .then((registration) => {
            if (!registration) return; // refused by the browser's own policy
            if (registration.waiting && workers.controller) offerUpdate(registration.waiting);
            watchInstall(registration);
            registration.addEventListener('updatefound', () => watchInstall(registration));
            // Offline, or with the site gone, there is simply nothing new.
            registration.update().catch(() => {});
        })
        .catch((error) => console.error(`Huesift could not register its offline copy: ${error.message}`));
}
