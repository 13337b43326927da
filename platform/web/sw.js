// The page's service worker: it keeps the site's files so that the page starts with no network
// after one visit, and from a phone's home screen. Online, every file comes from the network
// (so an updated site is seen at once) and the kept copy is refreshed; offline, the kept copy
// answers.
'use strict';

const CACHE = 'quorvane';
const SITE = ['./', 'index.html', 'page.css', 'page.js', 'quorvane.js', 'quorvane.wasm',
              'quorvane.data', 'manifest.webmanifest', 'icon.svg', 'icon-192.png', 'icon-512.png'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(SITE)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(self.clients.claim());
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    try {
      const response = await fetch(request);
      if (response.ok) await cache.put(request, response.clone());
      return response;
    } catch (error) {
      // A page opened with a query (?level=...) is the same page.
      const kept = await cache.match(request, {ignoreSearch: request.mode === 'navigate'});
      if (kept) return kept;
      throw error;
    }
  })());
});
