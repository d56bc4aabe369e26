// The editor in the page: its toolbar, canvas and problems list, the
// "Edit" button beside the game's controls, "Play" (or P) to drive the
// drawing at once in the page's own live run, and Esc or "Edit" back to the
// editor as it was. Opens a drawing from a link, else the stored session.
import { View, GRID_STEPS } from './view.js';
import { Editor } from './editor.js';
import { problemPlace } from './compile_queue.js';
import { PointerTools } from './pointer_tools.js';
import { wireKeys } from './keys.js';
import { SessionStore } from './storage.js';
import { History } from './history.js';
import { MAX_TRIANGLES, bounds, decodeItems, SCALE, takeGameScale } from './drawing.js';
import { readDrawing, toSvg, toShapeText, toLevelBytes, fromShapeText } from './formats.js';
import { linkFor, isDrawingLink, itemsFromLink } from './share.js';
import { courses } from '../course_list.js';

const $ = (id) => document.getElementById(id);
const MAX_FILE_BYTES = 16 * 1000000;

const section = document.createElement('section');
section.id = 'editor';
section.innerHTML = `
  <div id="ed-tools" role="toolbar">
    <button id="ed-select" type="button" title="Select, move, drag vertices (v)">Select</button>
    <button id="ed-draw" type="button" title="Draw a shape point by point (d)">Draw</button>
    <button id="ed-undo" type="button" title="Ctrl+Z">Undo</button>
    <button id="ed-redo" type="button" title="Ctrl+Shift+Z, Ctrl+Y">Redo</button>
    <button id="ed-delete" type="button" title="Delete">Delete</button>
    <button id="ed-duplicate" type="button" title="Ctrl+D">Duplicate</button>
    <label><input id="ed-grid" type="checkbox" checked> grid</label>
    <label><input id="ed-snap" type="checkbox" checked> snap</label>
    <select id="ed-step" title="grid step, world units">${GRID_STEPS.map((s) => `<option${s === 50 ? ' selected' : ''}>${s}</option>`).join('')}</select>
    <label><input id="ed-triangles" type="checkbox"> triangles</label>
    <button id="ed-fit" type="button" title="f">Fit level</button>
    <button id="ed-open" type="button">Open…</button>
    <select id="ed-course" title="open a course of the pack as a drawing"><option value="">Open a course…</option></select>
    <button id="ed-save-svg" type="button">Save SVG</button>
    <button id="ed-save-text" type="button">Save text</button>
    <button id="ed-save-lev" type="button">Save .lev</button>
    <button id="ed-link" type="button">Copy link</button>
    <button id="ed-play" type="button" title="p">Play</button>
    <button id="ed-leave" type="button" title="the game as it was, without the drawing">Back to the game</button>
    <input id="ed-file" type="file" accept=".svg,.txt,.lev" hidden>
  </div>
  <div id="ed-body">
    <canvas id="ed-canvas" tabindex="0"></canvas>
    <aside id="ed-panel">
      <p id="ed-count"></p>
      <p id="ed-note"></p>
      <ul id="ed-problems"></ul>
    </aside>
  </div>`;
document.querySelector('main').after(section);

const editButton = document.createElement('button');
editButton.id = 'edit';
editButton.type = 'button';
editButton.textContent = 'Edit';
$('controls').prepend(editButton);

const view = new View($('ed-canvas'));
let editor;
let playing = false;   // the page's run is a play-test of the drawing
const editing = () => document.body.classList.contains('editing');

function note(text, offerSvg) {
  const p = $('ed-note');
  p.textContent = text;
  if (offerSvg) {
    const b = document.createElement('button');
    b.type = 'button';
    b.textContent = 'Save SVG';
    b.onclick = saveSvg;
    p.append(' ', b);
  }
}

function showStatus(result) {
  const r = result || editor.result;
  const count = r && r.triangles ? r.triangles.length / 6 : null;
  $('ed-count').textContent = count === null ? `${editor.items.length} shapes · not compiled`
    : `${count} / ${MAX_TRIANGLES} triangles · ${editor.items.length} shapes` + (r.ms !== undefined ? ` · compiled in ${Math.round(r.ms)} ms` : '');
  // How far the compiles have come, for the benchmark: asked for and shown.
  $('ed-count').dataset.asked = editor.queue.generation;
  if (result) $('ed-count').dataset.compiles = result.generation;
  const list = $('ed-problems');
  list.textContent = '';
  for (const m of r ? r.messages : []) {
    const li = document.createElement('li');
    li.textContent = m;
    if (problemPlace(m).warning) li.className = 'warning';
    li.onclick = () => {
      const place = /\(\s*(-?[\d.]+)\s*,\s*(-?[\d.]+)\s*\)/.exec(m);
      if (place) { view.cx = Number(place[1]); view.cy = Number(place[2]); view.invalidate(); }
    };
    list.append(li);
  }
  $('ed-undo').disabled = !editor.history.canUndo();
  $('ed-redo').disabled = !editor.history.canRedo();
  $('ed-select').classList.toggle('on', editor.mode === 'select');
  $('ed-draw').classList.toggle('on', editor.mode === 'draw');
}

const download = (name, data, type) => ZUNO._page.download(name, data, type);

const baseName = () => editor.name.replace(/\.[^.]*$/, '') || 'drawing';
function saveSvg() { download(`${baseName()}.svg`, toSvg(editor.items, { title: baseName() }), 'image/svg+xml'); }

async function levelOrSay() {
  if (editor.items.every((it) => it.kind === 'tri')) return toLevelBytes(editor.items);
  const r = await editor.levelBytes();
  if (!r.bytes) { note(r.messages[0] || 'the drawing does not compile'); return null; }
  return r.bytes;
}

function enterEditor() {
  if (playing || !editing()) window.ZUNO?.pause?.();
  playing = false;
  document.body.classList.add('editing');
  view.invalidate();
  view.canvas.focus({ preventScroll: true });
}

// The drawing the page's run drives, as shape text, for run links; any
// other run the page starts forgets it.
let drivenDrawing = null;
let startingPlay = false;
window.ZUNO?.on?.('run', () => { if (!startingPlay) drivenDrawing = null; });
if (window.ZUNO) {
  ZUNO.courseForLink = async () => (drivenDrawing ? { drawing: drivenDrawing } : null);
  ZUNO.levelFromDrawing = async (bytes) => {
    const items = fromShapeText(new TextDecoder().decode(bytes), 'drawing');
    if (items.every((it) => it.kind === 'tri')) return toLevelBytes(items);
    return ZUNO.compileLevel({ source: toShapeText(items), name: 'drawing' });
  };
}

async function play() {
  const bytes = await levelOrSay();
  if (!bytes) return;
  startingPlay = true;
  try {
    await ZUNO.playLevel(bytes, `${baseName()}.lev`);
  } catch (error) {
    note(String(error.message || error));
    return;
  } finally {
    startingPlay = false;
  }
  drivenDrawing = new TextEncoder().encode(toShapeText(editor.items));
  if ($('course')) $('course').selectedIndex = -1;   // the course list names none of the site's
  playing = true;
  document.body.classList.remove('editing');
  $('screen').focus({ preventScroll: true });
}

async function openFile(file) {
  if (file.size > MAX_FILE_BYTES) { note(`${file.name}: too large (${file.size} bytes)`); return; }
  try {
    const { items, warnings } = await readDrawing(new Uint8Array(await file.arrayBuffer()), file.name);
    editor.load(items, file.name);
    view.fitBox(boxOf(items));
    note(warnings.length ? `${warnings[0]}${warnings.length > 1 ? ` (and ${warnings.length - 1} more)` : ''}` : '');
  } catch (error) {
    note(String(error.message || error));
  }
}

const boxOf = (items) => {
  const b = bounds(items);
  return b && { x0: b.x0 * SCALE, y0: b.y0 * SCALE, x1: b.x1 * SCALE, y1: b.y1 * SCALE };
};

async function openLink() {
  if (!isDrawingLink(location.hash)) return false;
  const hash = location.hash;
  history.replaceState(null, '', location.pathname + location.search);
  try {
    const items = await itemsFromLink(hash);
    editor.load(items, 'link');
    view.fitBox(boxOf(items));
    enterEditor();
    note('');
  } catch (error) {
    const line = String(error.message || error);
    const message = $('message');
    if (message) message.textContent = line;
  }
  return true;
}

async function start() {
  await window.ZUNO?.ready;
  takeGameScale();
  const store = await SessionStore.open();
  editor = new Editor(view, store, showStatus);
  const tools = new PointerTools(editor);
  const commands = {
    d: () => editor.setMode('draw'), v: () => editor.setMode('select'), f: () => view.fitBox(boxOf(editor.items)),
    g: () => { $('ed-grid').click(); }, s: () => { $('ed-snap').click(); }, t: () => { $('ed-triangles').click(); },
    p: play,
  };
  wireKeys(editor, tools, commands, editing);
  // Esc during a play-test comes back to the editor before the game sees it.
  window.addEventListener('keydown', (e) => {
    if (playing && !editing() && e.key === 'Escape') { e.stopImmediatePropagation(); enterEditor(); }
  }, true);

  editButton.onclick = enterEditor;
  $('ed-select').onclick = () => editor.setMode('select');
  $('ed-draw').onclick = () => editor.setMode('draw');
  $('ed-undo').onclick = () => editor.undo();
  $('ed-redo').onclick = () => editor.redo();
  $('ed-delete').onclick = () => editor.deleteSelected();
  $('ed-duplicate').onclick = () => editor.duplicate();
  $('ed-grid').onchange = (e) => { view.grid = e.target.checked; view.invalidate(); };
  $('ed-snap').onchange = (e) => { editor.snapOn = e.target.checked; };
  $('ed-step').onchange = (e) => { view.gridStep = Number(e.target.value); view.invalidate(); };
  $('ed-triangles').onchange = (e) => { view.showTriangles = e.target.checked; view.invalidate(); };
  $('ed-fit').onclick = commands.f;
  $('ed-open').onclick = () => $('ed-file').click();
  $('ed-file').onchange = async (e) => {
    const file = e.target.files[0];
    e.target.value = '';
    if (file) await openFile(file);
  };
  for (const c of await courses()) $('ed-course').append(new Option(c.title, c.file));
  $('ed-course').onchange = async (e) => {
    const file = e.target.value;
    e.target.value = '';
    if (!file) return;
    const response = await fetch(`courses/${file}.svg`);
    if (response.ok) await openFile(new File([await response.arrayBuffer()], `${file}.svg`));
    else note(`courses/${file}.svg: cannot load (${response.status})`);
  };
  $('ed-save-svg').onclick = saveSvg;
  $('ed-save-text').onclick = () => download(`${baseName()}.txt`, toShapeText(editor.items), 'text/plain');
  $('ed-save-lev').onclick = async () => {
    const bytes = await levelOrSay();
    if (bytes) download(`${baseName()}.lev`, bytes, 'application/octet-stream');
  };
  $('ed-link').onclick = async () => {
    try {
      const url = await linkFor(editor.items);
      await navigator.clipboard?.writeText(url).catch(() => {});
      note('Link copied: whoever opens it gets this drawing in the editor: ');
      const a = document.createElement('a');
      a.href = url;
      a.textContent = 'the link';
      $('ed-note').append(a);
    } catch (error) {
      note(String(error.message || error), true);
    }
  };
  $('ed-play').onclick = play;
  $('ed-leave').onclick = () => {
    document.body.classList.remove('editing');
    ZUNO.resume();
    $('screen').focus({ preventScroll: true });
  };
  new ResizeObserver(() => view.invalidate()).observe(view.canvas);
  window.addEventListener('hashchange', openLink);

  const saved = await store.load();
  if (saved) {
    const h = new History(saved.states, saved.index);
    h.base = saved.base;
    editor.load(decodeItems(h.current), saved.name, h);
  } else editor.load([], 'drawing');
  view.fitBox(boxOf(editor.items));
  await openLink();
}

// For the benchmark: one redraw of the view, its pixels flushed, in ms.
window.ZUNO_EDITOR_BENCH = {
  redraw() {
    const t = performance.now();
    view.draw();
    view.ctx.getImageData(0, 0, 1, 1);
    return performance.now() - t;
  },
  // Where a world point is on the page, in CSS pixels.
  pageOf(wx, wy) {
    const r = view.canvas.getBoundingClientRect();
    const [x, y] = view.toScreen(wx, wy);
    return [r.left + x, r.top + y];
  },
};

window.ZUNO_EDITOR_READY = start().catch((error) => { const m = $('message'); if (m) m.textContent = String(error.message || error); });
