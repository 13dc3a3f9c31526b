// Cross-origin isolation for static hosts that cannot send headers.
// The engine's threads share memory, which a browser allows only on a
// cross-origin-isolated page (the Cross-Origin-Opener-Policy and
// Cross-Origin-Embedder-Policy headers). tools/serve-web sends them; where the
// host does not, this same file, registered as a service worker, adds them to
// every reply of the page's own origin, and the page reloads once under it.
// Service workers need https (or localhost).
'use strict';

if (typeof window === 'undefined') {
  // The service worker.
  self.addEventListener('install', () => self.skipWaiting());
  self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));
  self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (new URL(request.url).origin !== self.location.origin) return;
    if (request.cache === 'only-if-cached' && request.mode !== 'same-origin') return;
    event.respondWith(
      fetch(request).then((response) => {
        if (response.status === 0) return response;
        const headers = new Headers(response.headers);
        headers.set('Cross-Origin-Opener-Policy', 'same-origin');
        headers.set('Cross-Origin-Embedder-Policy', 'require-corp');
        headers.set('Cross-Origin-Resource-Policy', 'same-origin');
        return new Response(response.body, { status: response.status, statusText: response.statusText, headers });
      }),
    );
  });
} else if (!window.crossOriginIsolated && window.isSecureContext && 'serviceWorker' in navigator) {
  const reloadKey = 'quenvik-isolation-reload';
  if (sessionStorage.getItem(reloadKey)) {
    // Reloaded once already and still not isolated: the page says why.
    sessionStorage.removeItem(reloadKey);
  } else {
    window.quenvikIsolationPending = true;
    const reloadOnce = () => {
      sessionStorage.setItem(reloadKey, '1');
      location.reload();
    };
    navigator.serviceWorker.addEventListener('controllerchange', reloadOnce);
    navigator.serviceWorker.register(document.currentScript.src).then(
      (registration) => {
        // Already installed but not controlling this load (a forced reload).
        if (registration.active && !navigator.serviceWorker.controller) reloadOnce();
      },
      () => {
        window.quenvikIsolationPending = false;
      },
    );
  }
}
