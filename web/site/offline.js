// Makes the site work offline and installable: registers the service worker
// (sw.js, written by the build), which keeps a copy of every file of the site.
export function registerOffline() {
  if (!('serviceWorker' in navigator)) return Promise.resolve(null);
  // updateViaCache 'none': a new sw.js is seen at the next visit, whatever HTTP caches hold.
  return navigator.serviceWorker.register('sw.js', { updateViaCache: 'none' }).catch((error) => {
    console.warn(`the page will not work offline: ${error.message}`);
    return null;
  });
}
