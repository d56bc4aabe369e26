// The page of ZUNO in the browser: loads the game's module and data, runs a
// live run paced by animation frames, presents each frame on the canvas,
// keeps every recording in IndexedDB, opens replays and levels, and offers
// the ZUNO.drive / ZUNO.render API.
(function () {
  'use strict';

  const SAVE_EVERY_FRAMES = 60;   // about a second of play between saves
  const RECENT_KEPT = 10;         // recordings kept in the browser's storage
  // Larger files are refused before they reach the module, whose memory
  // they could exhaust: a million frames of replay (four and a half hours),
  // and far more text than 5000 triangles take.
  const MAX_REPLAY_RECORDS = 1000000;
  const MAX_LEVEL_BYTES = 16 * 1000000;

  // SDL 1.2 key symbols of the keyboard's keys, as the controls read them.
  const NAMED_KEYS = {
    ArrowUp: 273, ArrowDown: 274, ArrowRight: 275, ArrowLeft: 276, Enter: 13, NumpadEnter: 13,
    ShiftLeft: 304, ShiftRight: 303, ControlLeft: 306, ControlRight: 305, AltLeft: 308, AltRight: 307,
    Space: 32, Escape: 27, Backspace: 8, Tab: 9, Delete: 127,
  };
  // Keys whose browser actions (scrolling, activating) the game takes over.
  const CAPTURED = new Set([273, 274, 275, 276, 32, 13]);

  function symbolOf(event) {
    if (NAMED_KEYS[event.code] !== undefined) return NAMED_KEYS[event.code];
    let m = /^Key([A-Z])$/.exec(event.code);
    if (m) return m[1].toLowerCase().charCodeAt(0);
    m = /^Digit([0-9])$/.exec(event.code);
    if (m) return 48 + Number(m[1]);
    return 0;
  }

  const $ = (id) => document.getElementById(id);
  const canvas = $('screen');
  const context = canvas.getContext('2d');
  let picture = null;          // an ImageData over the module's presented pixels

  let M = null;               // the module
  // What the module says of its files and picture, once it is loaded.
  let RECORD_BYTES = 0;       // one frame's record
  let WIDTH = 0;              // the picture, in pixels
  let HEIGHT = 0;
  let shippedLevel = null;    // the course's bytes, for the API's default
  let replayName = '';
  let paused = false;         // the editor is shown: no frames run
  // The keys held, each with what holds it (the keyboard, a touch button):
  // the game sees a key go down when its first holder takes it and come up
  // when its last lets go, as one key on a keyboard.
  const held = new Map();
  // The page's events for the modules around the game: 'key' (sym, down,
  // frame: the frames run when the game got it), 'frame' () after each frame
  // shown, 'run' ({mode, bytes, name}) when a run starts.
  const listeners = { key: [], frame: [], run: [] };
  function emit(type, ...args) { for (const fn of listeners[type]) fn(...args); }
  let keysThisRun = 0;  // key events the game got in this run, heard or not
  let pacer = null;  // in replay mode, what runs the frames of an animation frame

  // ---- module helpers ----
  function putInput(slot, bytes) {
    const at = M._zuno_input(slot, bytes.length);
    M.HEAPU8.set(bytes, at);
  }
  function message() { return M.UTF8ToString(M._zuno_message()); }
  function callNamed(fn, name) { return M.ccall(fn, 'number', ['string'], [name]); }
  function outputBytes() {
    const at = M._zuno_output();
    return M.HEAPU8.slice(at, at + M._zuno_output_size());
  }
  function recordingBytes() {
    const at = M._zuno_recording();
    return M.HEAPU8.slice(at, at + M._zuno_recording_size());
  }
  function toBytes(value) {
    if (value instanceof Uint8Array) return value;
    if (value instanceof ArrayBuffer) return new Uint8Array(value);
    return new TextEncoder().encode(String(value));
  }

  function say(text) { $('message').textContent = text; }
  function runMode() { return M.UTF8ToString(M._zuno_mode()); }  // 'none', 'live' or 'replay'
  const maxReplayBytes = () => MAX_REPLAY_RECORDS * RECORD_BYTES;

  // ---- the recordings' storage ----
  // A live run is stored as numbered chunks of its recording, each with its
  // byte offset. Bytes count as saved only once their transaction commits:
  // a save that fails (quota, a closing tab) leaves them unsaved and the
  // next save stores them again with what came after, so what is stored is
  // always the recording's start, never a recording with a piece cut out.
  let db = null;
  // The live run's storage: `saved` bytes in `seq` chunks committed; while
  // transactions are in flight every new one rewrites the chunk the first
  // of them began (`base`), longer, so that whichever of them fail, the
  // committed ones leave one chunk from that offset to the latest commit.
  let live = null;  // { id, name, saved, seq, asked, inFlight, base: { offset, seq } }

  function openStorage() {
    return new Promise((resolve) => {
      if (!window.indexedDB) return resolve(null);
      const request = indexedDB.open('zuno', 1);
      request.onupgradeneeded = () => {
        const d = request.result;
        d.createObjectStore('runs', { keyPath: 'run' });
        d.createObjectStore('chunks', { keyPath: ['run', 'seq'] });
      };
      request.onsuccess = () => resolve(request.result);
      request.onerror = () => resolve(null);
    });
  }

  // Stores what the live run recorded and is not yet saved, as one chunk.
  // The transaction is made at once, so reads made after this see it.
  function saveRecording() {
    const run = live;
    if (!db || !M || !run || runMode() !== 'live') return;
    const size = M._zuno_recording_size();
    if (size <= Math.max(run.saved, run.asked)) return;  // nothing new; an empty run is not kept
    if (run.inFlight === 0) run.base = { offset: run.saved, seq: run.seq };
    const { offset, seq } = run.base;
    const at = M._zuno_recording();
    const bytes = M.HEAPU8.slice(at + offset, at + size);
    let tx;
    try {
      tx = db.transaction(['runs', 'chunks'], 'readwrite');
      tx.objectStore('chunks').put({ run: run.id, seq, offset, bytes });
      tx.objectStore('runs').put({ run: run.id, name: run.name, bytes: size, updated: Date.now() });
    } catch (error) {
      return;  // the storage is closing: the bytes stay unsaved
    }
    run.inFlight += 1;
    run.asked = size;
    tx.oncomplete = () => {
      run.inFlight -= 1;
      run.saved = Math.max(run.saved, size);
      run.seq = Math.max(run.seq, seq + 1);
    };
    // A failed request aborts its transaction; nothing of it is stored.
    tx.onabort = () => {
      run.inFlight -= 1;
      if (run.inFlight === 0) run.asked = run.saved;
    };
  }

  function allRuns() {
    return new Promise((resolve) => {
      if (!db) return resolve([]);
      const request = db.transaction('runs').objectStore('runs').getAll();
      request.onsuccess = () => resolve(request.result.sort((a, b) => b.updated - a.updated));
      request.onerror = () => resolve([]);
    });
  }

  // The stored recording's bytes up to its first missing piece, and whether
  // there was one.
  function storedRecording(run) {
    return new Promise((resolve) => {
      const range = IDBKeyRange.bound([run, 0], [run, Infinity]);
      const request = db.transaction('chunks').objectStore('chunks').getAll(range);
      request.onsuccess = () => {
        const chunks = request.result.sort((a, b) => a.seq - b.seq);
        let whole = 0;
        let gap = false;
        for (const c of chunks) {
          if (c.offset !== undefined && c.offset !== whole) { gap = true; break; }
          whole += c.bytes.length;
        }
        const bytes = new Uint8Array(whole);
        let at = 0;
        for (const c of chunks) {
          if (at === whole) break;
          bytes.set(c.bytes, at);
          at += c.bytes.length;
        }
        resolve({ bytes, gap });
      };
      request.onerror = () => resolve({ bytes: new Uint8Array(0), gap: false });
    });
  }

  // A stored recording for the player: its whole start, and a line on the
  // page when a piece of it was never saved.
  async function recordingToUse(r) {
    const { bytes, gap } = await storedRecording(r.run);
    if (gap)
      say(`${r.name}: only the first ${bytes.length / RECORD_BYTES} frames were stored whole; ` +
        'a later piece was never saved, so the rest is left out');
    return bytes;
  }

  async function pruneAndList() {
    const runs = await allRuns();
    if (db) {
      for (const old of runs.slice(RECENT_KEPT)) {
        const tx = db.transaction(['runs', 'chunks'], 'readwrite');
        tx.objectStore('runs').delete(old.run);
        tx.objectStore('chunks').delete(IDBKeyRange.bound([old.run, 0], [old.run, Infinity]));
      }
    }
    const list = $('recent');
    list.textContent = '';
    for (const r of runs.slice(0, RECENT_KEPT)) {
      if (live && r.run === live.id) continue;
      const item = document.createElement('li');
      item.textContent = `${r.name} (${r.bytes / RECORD_BYTES} frames, ${new Date(r.updated).toLocaleString()})`;
      const get = document.createElement('button');
      get.textContent = 'Download';
      get.onclick = async () => { download(r.name, await recordingToUse(r)); canvas.focus(); };
      const play = document.createElement('button');
      play.textContent = 'Play';
      play.onclick = async () => {
        const bytes = await recordingToUse(r);
        const said = $('message').textContent;
        if (startReplay(bytes, r.name) && said) say(said);
        canvas.focus();
      };
      item.append(get, play);
      list.append(item);
    }
    $('recent-section').hidden = list.children.length === 0;
  }

  // Saves bytes or text as a file of this name, through the browser's download.
  function download(name, data, type = 'application/octet-stream') {
    const url = URL.createObjectURL(new Blob([data], { type }));
    const a = document.createElement('a');
    a.href = url;
    a.download = name;
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 10000);
  }

  // ---- runs ----
  function setKey(source, sym, down) {
    const holders = held.get(sym) || new Set();
    const wasDown = holders.size > 0;
    if (down) holders.add(source); else holders.delete(source);
    if (holders.size) held.set(sym, holders); else held.delete(sym);
    if (wasDown === holders.size > 0) return;
    M._zuno_key(sym, down ? 1 : 0);
    keysThisRun += 1;
    emit('key', sym, down, M._zuno_frames_run());
  }

  function releaseHeldKeys() {
    for (const sym of [...held.keys()]) for (const source of [...held.get(sym)]) setKey(source, sym, false);
  }

  function startLive() {
    saveRecording();
    if (M._zuno_start_live()) { say(message()); return false; }
    live = {
      id: Date.now() * 1000 + Math.floor(Math.random() * 1000),
      name: M.UTF8ToString(M._zuno_recording_name()), saved: 0, seq: 0, asked: 0, inFlight: 0, base: null,
    };
    held.clear();
    $('ended').hidden = true;
    pruneAndList();
    keysThisRun = 0;
    emit('run', { mode: 'live' });
    return true;
  }

  function tooLarge(bytes, name, limit) {
    if (bytes.length <= limit) return false;
    say(`${name}: too large for the page (${bytes.length} bytes, at most ${limit})`);
    return true;
  }

  function startReplay(bytes, name) {
    bytes = toBytes(bytes);
    if (tooLarge(bytes, name, maxReplayBytes())) return false;
    putInput(0, bytes);
    saveRecording();
    if (callNamed('zuno_start_replay', name)) { say(message()); return false; }
    say('');
    replayName = name;
    held.clear();
    $('ended').hidden = true;
    keysThisRun = 0;
    emit('run', { mode: 'replay', bytes, name });
    return true;
  }

  function openLevel(bytes, name) {
    bytes = toBytes(bytes);
    if (tooLarge(bytes, name, MAX_LEVEL_BYTES)) return false;
    putInput(0, bytes);
    if (callNamed('zuno_set_level', name)) { say(message()); return false; }
    say('');
    startLive();
    return true;
  }

  // Puts the presented pixels on the canvas straight from the module's
  // memory; the view is made again when that memory grows or moves.
  function present() {
    const at = M._zuno_picture();
    if (!picture || picture.data.buffer !== M.HEAPU8.buffer || picture.data.byteOffset !== at)
      picture = new ImageData(new Uint8ClampedArray(M.HEAPU8.buffer, at, WIDTH * HEIGHT * 4), WIDTH, HEIGHT);
    context.putImageData(picture, 0, 0);
  }

  function showStatus() {
    const mode = runMode();
    const frames = M._zuno_frames_run();
    if (mode === 'live') $('status').textContent = `live run: frame ${frames}, ${M._zuno_recording_size() / RECORD_BYTES} recorded`;
    else if (mode === 'replay') $('status').textContent = `replay ${replayName}: frame ${frames}`;
  }

  // One main-loop pass when the callback comes 16 ms or more after the one
  // that ran the last frame: on a 60 Hz display one frame a callback, on
  // faster ones the early callbacks run none. Never a wait: that would
  // freeze the tab.
  function onAnimationFrame(now) {
    requestAnimationFrame(onAnimationFrame);
    if (document.hidden || paused) return;
    const mode = runMode();
    if (!(mode === 'replay' && pacer ? pacer(now) : M._zuno_tick(now))) return;
    if (M._zuno_take_flip()) present();
    showStatus();
    emit('frame');
    if (mode === 'live' && M._zuno_frames_run() % SAVE_EVERY_FRAMES === 0) saveRecording();
    if (mode === 'replay' && !M._zuno_running() && $('ended').hidden) {
      $('ended-text').textContent = `The replay ${replayName} ended after ${M._zuno_frames_run()} frames.`;
      $('ended').hidden = false;
    }
  }

  // A chosen or dropped file as a level or a replay; its size is looked at
  // before it is read.
  async function openFile(file, asLevel) {
    const limit = asLevel ? MAX_LEVEL_BYTES : maxReplayBytes();
    if (file.size > limit) return tooLarge({ length: file.size }, file.name, limit);
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      say(`${file.name}: cannot read: ${error.message}`);
      return false;
    }
    return asLevel ? openLevel(bytes, file.name) : startReplay(bytes, file.name);
  }

  // ---- the page's controls ----
  function wireControls() {
    const gameHasFocus = (event) => !(event.target instanceof HTMLInputElement ||
      event.target instanceof HTMLButtonElement || event.target instanceof HTMLAnchorElement);
    window.addEventListener('keydown', (event) => {
      const sym = symbolOf(event);
      if (!sym || !gameHasFocus(event)) return;
      if (CAPTURED.has(sym)) event.preventDefault();
      if (event.repeat) return;  // SDL 1.2 repeats no key unless asked
      setKey('keyboard', sym, true);
    });
    window.addEventListener('keyup', (event) => {
      const sym = symbolOf(event);
      if (!sym) return;
      if (CAPTURED.has(sym) && gameHasFocus(event)) event.preventDefault();
      setKey('keyboard', sym, false);
    });
    window.addEventListener('blur', releaseHeldKeys);
    document.addEventListener('visibilitychange', () => { if (document.hidden) { releaseHeldKeys(); saveRecording(); } });
    window.addEventListener('pagehide', () => saveRecording());

    const refocus = () => canvas.focus();
    $('save').onclick = () => { download(M.UTF8ToString(M._zuno_recording_name()), recordingBytes()); refocus(); };
    $('open-replay').onclick = () => $('replay-file').click();
    $('open-level').onclick = () => $('level-file').click();
    $('back-live').onclick = () => { startLive(); refocus(); };
    $('replay-file').onchange = async (event) => {
      const file = event.target.files[0];
      event.target.value = '';
      if (file) await openFile(file, false);
      refocus();
    };
    $('level-file').onchange = async (event) => {
      const file = event.target.files[0];
      event.target.value = '';
      if (file) await openFile(file, true);
      refocus();
    };
    document.addEventListener('dragover', (event) => { event.preventDefault(); document.body.classList.add('dragging'); });
    document.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
    document.addEventListener('drop', async (event) => {
      event.preventDefault();
      document.body.classList.remove('dragging');
      const file = event.dataTransfer && event.dataTransfer.files[0];
      if (!file) return;
      await openFile(file, /\.(lev|txt|svg)$/i.test(file.name));
      refocus();
    });
  }

  async function fetchBytes(name) {
    const response = await fetch(name);
    if (!response.ok) throw new Error(`${name}: cannot load (${response.status})`);
    return new Uint8Array(await response.arrayBuffer());
  }

  // ---- start ----
  const ready = (async () => {
    const [module, level, digits] = await Promise.all([
      createZunoModule({ stdin: () => null, printErr: (t) => console.warn(t) }),
      fetchBytes('0.lev'), fetchBytes('nums.bmp')]);
    M = module;
    RECORD_BYTES = M._zuno_record_size();
    WIDTH = M._zuno_screen_width();
    HEIGHT = M._zuno_screen_height();
    canvas.width = WIDTH;
    canvas.height = HEIGHT;
    document.documentElement.style.setProperty('--screen-aspect', `${WIDTH} / ${HEIGHT}`);
    shippedLevel = level;
    M.FS.writeFile('/0.lev', level);
    M.FS.writeFile('/nums.bmp', digits);
    db = await openStorage();
    wireControls();
    startLive();
    canvas.focus();
    requestAnimationFrame(onAnimationFrame);
  })();
  ready.catch((error) => say(String(error && error.message || error)));

  // ---- the API ----
  window.ZUNO = {
    ready,
    // The replay of a live run with the key script's keys, as `zuno-replay drive` writes it.
    drive({ level, keys, frames } = {}) {
      return ready.then(() => {
        putInput(0, level ? toBytes(level) : shippedLevel);
        putInput(1, toBytes(keys || ''));
        if (M._zuno_drive(frames === undefined || frames === null ? -1 : frames)) throw new Error(message());
        return outputBytes();
      });
    },
    // The level file `zuno-level compile` writes for a source (text or SVG).
    compileLevel({ source, name } = {}) {
      return ready.then(() => {
        putInput(0, toBytes(source || ''));
        if (callNamed('zuno_compile_level', String(name || 'level.txt'))) throw new Error(message());
        const bytes = outputBytes();
        const text = message();
        // What the compile did to the drawing (a long side bent), one a line.
        bytes.warnings = text ? text.split('\n') : [];
        return bytes;
      });
    },
    // An SVG drawing's filled outlines as the compiler reads them: in source
    // order, in file units, kept triangles marked; and its warnings.
    readSvg({ source, name } = {}) {
      return ready.then(() => {
        putInput(0, toBytes(source || ''));
        const file = String(name || 'drawing.svg');
        if (callNamed('zuno_read_svg', file)) throw new Error(message());
        const text = message();
        const bytes = outputBytes();
        const w = new Int32Array(bytes.buffer, bytes.byteOffset, bytes.length >> 2);
        const warnings = text ? text.split('\n').map((line, i) => ({ line: w[2 + i], message: line })) : [];
        const outlines = [];
        for (let at = 2 + w[1], i = 0; i < w[0]; ++i) {
          const n = w[at + 2], points = [];
          for (let j = 0; j < n; ++j) points.push([w[at + 3 + 2 * j], w[at + 4 + 2 * j]]);
          outlines.push({ kept: w[at] === 1, line: w[at + 1], points });
          at += 3 + 2 * n;
        }
        return { outlines, warnings };
      });
    },
    // The picture replay mode shows at playback frame `frame`, as `zuno-replay render` draws it.
    render({ replay, level, frame } = {}) {
      return ready.then(() => {
        putInput(0, level ? toBytes(level) : shippedLevel);
        putInput(1, toBytes(replay || new Uint8Array(0)));
        if (M._zuno_render(Number(frame) || 0)) throw new Error(message());
        return new ImageData(new Uint8ClampedArray(outputBytes().buffer), WIDTH, HEIGHT);
      });
    },
    // The editor's play-test: a live run on these level bytes at once; and
    // the pause while the editor is shown, its recording kept.
    playLevel(bytes, name) {
      return ready.then(() => {
        if (!openLevel(bytes, name)) throw new Error($('message').textContent);
        paused = false;
      });
    },
    pause() {
      if (!M) return;
      releaseHeldKeys();
      saveRecording();
      paused = true;
    },
    resume() { paused = false; },
    // For the benchmark: one main-loop pass of the page's run and its
    // presenting, unpaced; and the step benchmark's milliseconds for n frames.
    _frame() {
      M._zuno_frame();
      if (M._zuno_take_flip()) present();
    },
    _stepBench(n) { return M._zuno_bench_step(n); },
    _key(sym, down) { M._zuno_key(sym, down ? 1 : 0); },
    // What the page is doing: for embedders and tests.
    // The page's workings, for the modules around the game (see extras.js).
    on(type, fn) { listeners[type].push(fn); },
    _page: {
      module: () => M, mode: runMode, canvas, say, download, present, startLive, startReplay, openLevel, setKey, releaseHeldKeys,
      shippedLevel: () => shippedLevel,
      keysThisRun: () => keysThisRun,
      setPacer(fn) { pacer = fn; },
      refreshStatus() { showStatus(); },
    },
    status() {
      return {
        mode: runMode(),
        running: M._zuno_running() === 1,
        frames: M._zuno_frames_run(),
        selectedWheel: M._zuno_selected_wheel(),
        body: { x: M._zuno_ball(0, 0), y: M._zuno_ball(0, 1) },
        recordingBytes: M._zuno_recording_size(),
        recordingName: M.UTF8ToString(M._zuno_recording_name()),
        message: $('message').textContent,
      };
    },
  };
})();
