// Keeps the site's files so the page works without a network once loaded.
// A release's files are fetched past the browser's HTTP cache (a deployed
// site's files look hours old, and a cached copy may be the last release's)
// and kept together in a store named after their content; the page is
// served from its own release's store alone, so a page and its worker never
// mix two releases. A new release waits until the page takes it (the
// notice's Reload) or every page of the old one has closed.
importScripts('js/messages.js');
const MESSAGE = self.HuesiftMessages;
const CACHE = 'huesift-@VERSION@';
const FILES = @FILES@;

async function tellPages(message) {
    for (const client of await self.clients.matchAll({ includeUncontrolled: true, type: 'window' })) {
        client.postMessage(message);
    }
}

async function storeRelease() {
    try {
        const cache = await caches.open(CACHE);
        await cache.addAll(FILES.map((file) => new Request(file, { cache: 'reload' })));
    } catch (error) {
        await caches.delete(CACHE);
        await tellPages({ type: MESSAGE.INSTALL_FAILED, text: String(error.message || error) });
        throw error;
    }
}

self.addEventListener('install', (event) => {
    event.waitUntil(storeRelease());
});

self.addEventListener('activate', (event) => {
    event.waitUntil(
        caches
            .keys()
            .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))))
            .then(() => self.clients.claim()),
    );
});

self.addEventListener('message', (event) => {
    if (event.data && event.data.type === MESSAGE.TAKE_UPDATE) self.skipWaiting();
});

self.addEventListener('fetch', (event) => {
    if (event.request.method !== 'GET') return;
    event.respondWith(
        caches
            .open(CACHE)
            .then((cache) => cache.match(event.request, { ignoreSearch: true }))
            .then((stored) => stored || fetch(event.request)),
    );
});
