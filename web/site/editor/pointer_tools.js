// What the pointer does on the editor's canvas (mouse, pen and touch alike,
// through pointer events): draw a shape point by point, select by a click
// inside or a box, move the selection, drag a vertex, drag an edge's middle
// to insert one, pan (middle button, Space held, one finger on empty
// ground while nothing is drawn) and zoom (wheel, two fingers).
import { SCALE, inside } from './drawing.js';

const HIT_PX = 9;        // how near a vertex or handle a press must be, CSS pixels
const CLOSE_PX = 10;     // how near the first point a press closes the outline

export class PointerTools {
  constructor(editor) {
    this.ed = editor;
    this.view = editor.view;
    this.gesture = null;
    this.pointers = new Map();   // id -> [x, y] in CSS pixels over the canvas
    this.spaceHeld = false;
    const c = this.view.canvas;
    c.addEventListener('pointerdown', (e) => this.down(e));
    c.addEventListener('pointermove', (e) => this.move(e));
    c.addEventListener('pointerup', (e) => this.up(e));
    c.addEventListener('pointercancel', (e) => this.up(e, true));
    c.addEventListener('wheel', (e) => {
      e.preventDefault();
      const [x, y] = this.local(e);
      this.view.zoomAbout(x, y, Math.exp(-e.deltaY * (e.deltaMode ? 0.05 : 0.0015)));
    }, { passive: false });
    c.addEventListener('contextmenu', (e) => e.preventDefault());
    // A double click closes the outline; its second press may have added a
    // corner a pixel or two from the first, which goes.
    c.addEventListener('dblclick', () => {
      const d = this.ed.draft;
      if (this.ed.mode !== 'draw' || d.length < 3) return;
      const [a, b] = [d[d.length - 2], d[d.length - 1]].map(([x, y]) => this.view.toScreen(x * SCALE, y * SCALE));
      if (Math.hypot(a[0] - b[0], a[1] - b[1]) <= HIT_PX) d.pop();
      this.ed.closeDraft();
    });
  }

  local(e) {
    const r = this.view.canvas.getBoundingClientRect();
    return [e.clientX - r.left, e.clientY - r.top];
  }

  // Hits in screen distance: the nearest vertex of the selection first,
  // then of any item; then the middles of the selection's edges.
  hitVertex(sx, sy, onlySelected) {
    const { items, selection } = this.ed;
    let best = null, bestD = HIT_PX * HIT_PX;
    const consider = (i) => items[i].pts.forEach(([x, y], k) => {
      const [px, py] = this.view.toScreen(x * SCALE, y * SCALE);
      const d = (px - sx) ** 2 + (py - sy) ** 2;
      if (d <= bestD) { bestD = d; best = { item: i, index: k }; }
    });
    for (const i of selection) consider(i);
    if (!best && !onlySelected) for (let i = items.length - 1; i >= 0; --i) consider(i);
    return best;
  }

  hitMiddle(sx, sy) {
    const { items, selection } = this.ed;
    for (const i of selection) {
      const pts = items[i].pts;
      for (let k = 0; k < pts.length; ++k) {
        const [ax, ay] = pts[k], [bx, by] = pts[(k + 1) % pts.length];
        const [px, py] = this.view.toScreen(((ax + bx) / 2) * SCALE, ((ay + by) / 2) * SCALE);
        if ((px - sx) ** 2 + (py - sy) ** 2 <= HIT_PX * HIT_PX) return { item: i, index: k };
      }
    }
    return null;
  }

  hitItem(wx, wy) {
    const { items } = this.ed;
    for (let i = items.length - 1; i >= 0; --i) if (inside(items[i].pts, wx / SCALE, wy / SCALE)) return i;
    return -1;
  }

  down(e) {
    const at = this.local(e);
    this.view.canvas.setPointerCapture?.(e.pointerId);
    this.view.canvas.focus({ preventScroll: true });
    this.pointers.set(e.pointerId, at);
    if (this.pointers.size === 2) {
      // A second finger: whatever the first began is dropped for a pinch.
      this.abandon();
      const [a, b] = [...this.pointers.values()];
      this.gesture = { kind: 'pinch', a, b };
      return;
    }
    if (this.pointers.size > 2) return;
    if (e.button === 1 || this.spaceHeld || e.button === 2) {
      this.gesture = { kind: 'pan', last: at };
      return;
    }
    const ed = this.ed;
    const [wx, wy] = this.view.toWorld(...at);
    if (ed.mode === 'draw') {
      const draft = ed.draft;
      const p = ed.snap(wx, wy);
      if (draft.length >= 3) {
        const [fx, fy] = this.view.toScreen(draft[0][0] * SCALE, draft[0][1] * SCALE);
        if ((fx - at[0]) ** 2 + (fy - at[1]) ** 2 <= CLOSE_PX * CLOSE_PX) return ed.closeDraft();
      }
      const last = draft[draft.length - 1];
      if (last && last[0] === p[0] && last[1] === p[1]) {
        // The second press of a double click, or a press on the last point: close.
        if (draft.length >= 3) ed.closeDraft();
        return;
      }
      draft.push(p);
      ed.redraw();
      return;
    }
    const vertex = this.hitVertex(at[0], at[1], false);
    if (vertex) {
      if (!ed.selection.has(vertex.item) && !e.shiftKey) ed.selection = new Set([vertex.item]);
      ed.vertex = vertex;
      this.gesture = { kind: 'vertex', ...vertex, moved: false };
      ed.redraw();
      return;
    }
    const middle = this.hitMiddle(at[0], at[1]);
    if (middle) {
      const it = ed.items[middle.item];
      const [ax, ay] = it.pts[middle.index], [bx, by] = it.pts[(middle.index + 1) % it.pts.length];
      this.gesture = { kind: 'insert', item: middle.item, index: middle.index + 1,
        point: [Math.round((ax + bx) / 2), Math.round((ay + by) / 2)], moved: false, start: at };
      return;
    }
    const hit = this.hitItem(wx, wy);
    ed.vertex = null;
    if (hit >= 0) {
      if (e.shiftKey) {
        const next = new Set(ed.selection);
        if (next.has(hit)) next.delete(hit); else next.add(hit);
        ed.selection = next;
        ed.selectionChanged();
        return;
      }
      if (!ed.selection.has(hit)) { ed.selection = new Set([hit]); ed.selectionChanged(); }
      this.gesture = { kind: 'move', start: ed.snap(wx, wy), from: ed.items.map((it) => it.pts.map((p) => [...p])), moved: false };
      return;
    }
    if (e.pointerType === 'touch' && !e.shiftKey) {
      // A finger on empty ground pans; a box needs a mouse or pen.
      if (ed.selection.size) { ed.selection = new Set(); ed.selectionChanged(); }
      this.gesture = { kind: 'pan', last: at };
      return;
    }
    this.gesture = { kind: 'box', start: [wx, wy], end: [wx, wy], add: e.shiftKey, before: new Set(ed.selection) };
  }

  move(e) {
    const at = this.local(e);
    if (this.pointers.has(e.pointerId)) this.pointers.set(e.pointerId, at);
    const ed = this.ed;
    const g = this.gesture;
    const [wx, wy] = this.view.toWorld(...at);
    if (ed.mode === 'draw' && !g) { ed.cursor = [wx, wy]; ed.redraw(); return; }
    if (!g) return;
    switch (g.kind) {
      case 'pinch': {
        const [a, b] = [...this.pointers.values()];
        if (!a || !b) return;
        const mid = (p, q) => [(p[0] + q[0]) / 2, (p[1] + q[1]) / 2];
        const [m0, m1] = [mid(g.a, g.b), mid(a, b)];
        const ratio = Math.hypot(a[0] - b[0], a[1] - b[1]) / Math.max(1, Math.hypot(g.a[0] - g.b[0], g.a[1] - g.b[1]));
        this.view.panBy(m1[0] - m0[0], m1[1] - m0[1]);
        this.view.zoomAbout(m1[0], m1[1], ratio);
        g.a = a; g.b = b;
        return;
      }
      case 'pan':
        this.view.panBy(at[0] - g.last[0], at[1] - g.last[1]);
        g.last = at;
        return;
      case 'insert':
        if (Math.hypot(at[0] - g.start[0], at[1] - g.start[1]) < 3) return;
        ed.insertVertex(g.item, g.index, g.point);
        Object.assign(g, { kind: 'vertex', moved: true });
        ed.vertex = { item: g.item, index: g.index };
        // falls through to drag the new vertex
      case 'vertex': {
        const p = ed.snap(wx, wy);
        const pts = ed.items[g.item].pts;
        if (pts[g.index][0] === p[0] && pts[g.index][1] === p[1]) return;
        pts[g.index] = p;
        g.moved = true;
        ed.changed();
        return;
      }
      case 'move': {
        const p = ed.snap(wx, wy);
        const dx = p[0] - g.start[0], dy = p[1] - g.start[1];
        for (const i of ed.selection) ed.items[i].pts = g.from[i].map(([x, y]) => [x + dx, y + dy]);
        g.moved = g.moved || dx !== 0 || dy !== 0;
        ed.changed();
        return;
      }
      case 'box': {
        g.end = [wx, wy];
        const x0 = Math.min(g.start[0], wx) / SCALE, x1 = Math.max(g.start[0], wx) / SCALE;
        const y0 = Math.min(g.start[1], wy) / SCALE, y1 = Math.max(g.start[1], wy) / SCALE;
        const next = new Set(g.add ? g.before : []);
        ed.items.forEach((it, i) => {
          if (it.pts.every(([x, y]) => x >= x0 && x <= x1 && y >= y0 && y <= y1)) next.add(i);
        });
        ed.selection = next;
        ed.box = [g.start[0], g.start[1], wx, wy];
        ed.redraw();
        return;
      }
      default:
    }
  }

  up(e, cancelled) {
    this.pointers.delete(e.pointerId);
    const g = this.gesture;
    if (!g) return;
    if (g.kind === 'pinch') { if (this.pointers.size === 0) this.gesture = null; return; }
    this.gesture = null;
    const ed = this.ed;
    if (g.kind === 'box') { ed.box = null; ed.selectionChanged(); return; }
    if (g.kind === 'insert') {
      // A press on an edge's middle without a drag inserts the vertex there.
      if (!cancelled) { ed.insertVertex(g.item, g.index, g.point); ed.vertex = { item: g.item, index: g.index }; ed.commit(); }
      return;
    }
    if ((g.kind === 'vertex' || g.kind === 'move') && g.moved) ed.commit();
  }

  // A gesture cut short (a second finger) keeps what it did so far.
  abandon() {
    const g = this.gesture;
    this.gesture = null;
    this.ed.box = null;
    if (g && (g.kind === 'vertex' || g.kind === 'move') && g.moved) this.ed.commit();
  }
}
