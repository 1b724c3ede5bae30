// Keeps the site's files so the page works without a network once loaded:
// they are stored when this version installs and served from the store,
// the network only asked for what is not there.
const CACHE = 'huesift-@VERSION@';
const FILES = @FILES@;

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(
        caches
            .keys()
            .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))))
            .then(() => self.clients.claim()),
    );
});

self.addEventListener('fetch', (event) => {
    if (event.request.method !== 'GET') return;
    event.respondWith(
        caches.match(event.request, { ignoreSearch: true }).then((stored) => stored || fetch(event.request)),
    );
});
