// Keeps the editor's session in IndexedDB as it happens: each state of the
// undo history under its own number, and a small record of which one is
// shown, so an edit writes one state and a reload (or a crashed tab) comes
// back to the drawing with its undo history.
const DB_NAME = 'zuno-editor';

export class SessionStore {
  constructor(db) { this.db = db; this.queue = Promise.resolve(); }

  static open() {
    return new Promise((resolve) => {
      if (!window.indexedDB) return resolve(new SessionStore(null));
      const request = indexedDB.open(DB_NAME, 1);
      request.onupgradeneeded = () => {
        request.result.createObjectStore('states');
        request.result.createObjectStore('meta');
      };
      request.onsuccess = () => resolve(new SessionStore(request.result));
      request.onerror = () => resolve(new SessionStore(null));
    });
  }

  // { states, index, base, name } or null.
  load() {
    if (!this.db) return Promise.resolve(null);
    return new Promise((resolve) => {
      const tx = this.db.transaction(['states', 'meta']);
      const metaRequest = tx.objectStore('meta').get('session');
      metaRequest.onsuccess = () => {
        const meta = metaRequest.result;
        if (!meta) return resolve(null);
        const range = IDBKeyRange.bound(meta.base, meta.base + meta.count - 1);
        const states = tx.objectStore('states').getAll(range);
        states.onsuccess = () => resolve(states.result.length === meta.count ? { ...meta, states: states.result } : null);
      };
      tx.onerror = tx.onabort = () => resolve(null);
    });
  }

  // Saves the history after a push, an undo or a redo: the shown state and
  // its neighbours are written, states beyond the end and before the base
  // removed.
  save(history, name, wrote) {
    if (!this.db) return this.queue;
    const { base, index } = history;
    const count = history.states.length;
    const state = history.current;
    const tx = this.db.transaction(['states', 'meta'], 'readwrite');
    const states = tx.objectStore('states');
    if (wrote) states.put(state, base + index);
    states.delete(IDBKeyRange.lowerBound(base + count));
    if (base > 0) states.delete(IDBKeyRange.upperBound(base - 1));
    tx.objectStore('meta').put({ base, index, count, name }, 'session');
    this.queue = this.queue.then(() => new Promise((resolve) => { tx.oncomplete = tx.onerror = tx.onabort = resolve; }));
    return this.queue;
  }

  // A new session (a file opened, a link followed): every state written afresh.
  replace(history, name) {
    if (!this.db) return this.queue;
    const tx = this.db.transaction(['states', 'meta'], 'readwrite');
    const states = tx.objectStore('states');
    states.clear();
    history.states.forEach((s, i) => states.put(s, history.base + i));
    tx.objectStore('meta').put({ base: history.base, index: history.index, count: history.states.length, name }, 'session');
    this.queue = this.queue.then(() => new Promise((resolve) => { tx.oncomplete = tx.onerror = tx.onabort = resolve; }));
    return this.queue;
  }
}
