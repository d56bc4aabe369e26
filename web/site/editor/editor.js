// The editor's state and its edits: the drawing's items, the selection, the
// shape being drawn, snapping; every finished edit becomes one undo step,
// is stored at once and recompiled. The view, the pointer and the keys act
// through these methods only.
import { cloneItems, encodeItems, decodeItems, makeItem, toFile, MAX_TRIANGLES } from './drawing.js';
import { History } from './history.js';
import { CompileQueue, problemPlace } from './compile_queue.js';

export class Editor {
  constructor(view, store, onStatus) {
    this.view = view;
    this.store = store;
    this.onStatus = onStatus;     // (result | null) after a compile or an edit
    this.items = [];
    this.selection = new Set();
    this.vertex = null;           // { item, index } last pressed vertex
    this.draft = [];              // points of the shape being drawn (file units)
    this.cursor = null;
    this.box = null;
    this.mode = 'select';
    this.snapOn = true;
    this.name = 'drawing';
    this.history = new History([encodeItems([])], 0);
    this.result = null;
    this.marks = [];
    this.badItems = [];
    this.version = 0;             // counts the drawing's changes, for the view's cache
    this.queue = new CompileQueue((r) => this.compiled(r));
    view.scene = () => ({
      items: this.items, version: this.version, selection: this.selection, vertex: this.vertex, draft: this.draft,
      cursor: this.mode === 'draw' ? this.cursor : null, box: this.box, marks: this.marks, badItems: this.badItems,
    });
  }

  // A point in world units to whole file units, on the grid when snapping.
  snap(wx, wy) {
    if (this.snapOn) {
      const step = this.view.gridStep;
      wx = Math.round(wx / step) * step;
      wy = Math.round(wy / step) * step;
    }
    return [toFile(wx), toFile(wy)];
  }

  redraw() { this.view.invalidate(); }

  // The drawing changed in the middle of a gesture: shown, not yet an undo
  // step, and not compiled, so that the compile of the finished edit starts
  // at once instead of after one of a shape still moving.
  changed() {
    this.version += 1;
    this.redraw();
  }

  // A finished edit: one undo step, stored, compiled.
  recompile() {
    this.changed();
    this.queue.request(cloneItems(this.items));
  }

  commit() {
    if (this.history.push(encodeItems(this.items))) this.store.save(this.history, this.name, true);
    this.recompile();
    this.onStatus(null);
  }

  selectionChanged() { this.redraw(); this.onStatus(null); }

  // Starts a session on these items (a file, a link, the stored session).
  load(items, name, history) {
    this.items = items;
    this.name = name || 'drawing';
    this.selection = new Set();
    this.vertex = null;
    this.draft = [];
    if (history) this.history = history;
    else {
      this.history = new History([encodeItems(items)], 0);
      this.store.replace(this.history, this.name);
    }
    this.recompile();
    this.onStatus(null);
  }

  show(state) {
    this.items = decodeItems(state);
    this.selection = new Set([...this.selection].filter((i) => i < this.items.length));
    this.vertex = null;
    this.store.save(this.history, this.name, false);
    this.recompile();
    this.onStatus(null);
  }

  undo() { if (this.history.canUndo()) this.show(this.history.undo()); }
  redo() { if (this.history.canRedo()) this.show(this.history.redo()); }

  setMode(mode) {
    this.mode = mode;
    this.draft = [];
    this.cursor = null;
    this.redraw();
    this.onStatus(null);
  }

  closeDraft() {
    if (this.draft.length < 3) return false;
    this.items.push(makeItem('shape', this.draft));
    this.selection = new Set([this.items.length - 1]);
    this.draft = [];
    this.commit();
    return true;
  }

  cancelDraft() { this.draft = []; this.redraw(); }

  insertVertex(item, index, point) {
    const it = this.items[item];
    it.pts.splice(index, 0, point);
    it.kind = 'shape';   // a kept triangle with a fourth corner is a shape to mesh
  }

  // Delete: the pressed vertex when its item keeps three, else the selection.
  deleteSelected() {
    const v = this.vertex;
    if (v && this.selection.has(v.item)) {
      const it = this.items[v.item];
      if (it.kind === 'shape' && it.pts.length > 3) {
        it.pts.splice(v.index, 1);
        this.vertex = null;
        this.commit();
        return;
      }
    }
    if (!this.selection.size) return;
    this.items = this.items.filter((_, i) => !this.selection.has(i));
    this.selection = new Set();
    this.vertex = null;
    this.commit();
  }

  duplicate() {
    if (!this.selection.size) return;
    const step = toFile(this.snapOn ? this.view.gridStep : 50) || 1;
    const copies = [...this.selection].sort((a, b) => a - b)
      .map((i) => makeItem(this.items[i].kind, this.items[i].pts.map(([x, y]) => [x + step, y + step])));
    const first = this.items.length;
    this.items.push(...copies);
    this.selection = new Set(copies.map((_, k) => first + k));
    this.commit();
  }

  selectAll() { this.selection = new Set(this.items.map((_, i) => i)); this.selectionChanged(); }

  compiled(result) {
    this.result = result;
    this.marks = [];
    const bad = new Set();
    for (const m of result.messages) {
      const place = problemPlace(m);
      if (place.at) this.marks.push(place.at);
      if (place.item >= 0 && !place.warning) bad.add(place.item);
    }
    this.badItems = [...bad];
    this.view.setTriangles(result.triangles);
    this.onStatus(result);
  }

  // The level's bytes for the drawing as it is now, or the messages why not.
  async levelBytes() {
    const r = await this.queue.settled();
    return r || { bytes: null, messages: ['nothing compiled yet'] };
  }

  static get MAX_TRIANGLES() { return MAX_TRIANGLES; }
}
