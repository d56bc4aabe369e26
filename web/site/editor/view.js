// The editor's picture: the level in world units on a canvas filling its
// box, drawn as the game draws it (red edges on black), with the shapes'
// outlines and handles, the grid, the bike's start pose and the first
// screen the camera shows, and the problems' marks. Pans and zooms about a
// point; redraws at most once an animation frame, on demand.
import { SCALE } from './drawing.js';
import { game } from './game.js';

export const GRID_STEPS = [10, 50, 100];

export class View {
  constructor(canvas) {
    this.canvas = canvas;
    this.ctx = canvas.getContext('2d');
    this.cx = 0;               // world point at the middle (fitBox sets it)
    this.cy = 0;
    this.zoom = 0.5;           // CSS pixels per world unit
    this.grid = true;
    this.gridStep = 50;
    this.showTriangles = false;
    this.triangles = null;     // Float64Array of the compiled level, world units
    this.trianglePath = null;
    this.scene = null;         // () => { items, selection, vertex, draft, box, marks, badItems }
    this.queued = false;
  }

  setTriangles(tris) {
    this.triangles = tris;
    this.trianglePath = null;
    this.invalidate();
  }

  // Canvas pixels follow the box it is laid out in.
  fit() {
    const r = this.canvas.getBoundingClientRect();
    const dpr = window.devicePixelRatio || 1;
    const w = Math.max(1, Math.round(r.width * dpr)), h = Math.max(1, Math.round(r.height * dpr));
    if (this.canvas.width !== w || this.canvas.height !== h) { this.canvas.width = w; this.canvas.height = h; }
    this.width = r.width;
    this.height = r.height;
    this.dpr = dpr;
  }

  toWorld(px, py) { return [(px - this.width / 2) / this.zoom + this.cx, (py - this.height / 2) / this.zoom + this.cy]; }
  toScreen(wx, wy) { return [(wx - this.cx) * this.zoom + this.width / 2, (wy - this.cy) * this.zoom + this.height / 2]; }

  zoomAbout(px, py, factor) {
    const [wx, wy] = this.toWorld(px, py);
    this.zoom = Math.max(0.005, Math.min(20, this.zoom * factor));
    this.cx = wx - (px - this.width / 2) / this.zoom;
    this.cy = wy - (py - this.height / 2) / this.zoom;
    this.invalidate();
  }

  panBy(dx, dy) { this.cx -= dx / this.zoom; this.cy -= dy / this.zoom; this.invalidate(); }

  // The whole drawing (world box) with the first screen, with a margin;
  // while the canvas is not laid out, at its first drawing.
  fitBox(box) {
    this.fit();
    if (this.width < 2 || this.height < 2) { this.pendingFit = box || null; this.invalidate(); return; }
    this.pendingFit = undefined;
    const first = game().firstScreen;
    const x0 = Math.min(box ? box.x0 : first.x0, first.x0), y0 = Math.min(box ? box.y0 : first.y0, first.y0);
    const x1 = Math.max(box ? box.x1 : first.x1, first.x1), y1 = Math.max(box ? box.y1 : first.y1, first.y1);
    this.cx = (x0 + x1) / 2;
    this.cy = (y0 + y1) / 2;
    this.zoom = Math.min(this.width / ((x1 - x0) * 1.1), this.height / ((y1 - y0) * 1.1));
    this.invalidate();
  }

  invalidate() {
    if (this.queued) return;
    this.queued = true;
    requestAnimationFrame(() => { this.queued = false; this.draw(); });
  }

  draw() {
    this.fit();
    if (this.width < 2 || this.height < 2) return;
    if (this.pendingFit !== undefined) this.fitBox(this.pendingFit);
    const { ctx, zoom, dpr } = this;
    ctx.setTransform(1, 0, 0, 1, 0, 0);
    ctx.fillStyle = '#000';
    ctx.fillRect(0, 0, this.canvas.width, this.canvas.height);
    const [wx0, wy0] = this.toWorld(0, 0);
    const [wx1, wy1] = this.toWorld(this.width, this.height);
    // World to device pixels.
    const world = () => ctx.setTransform(zoom * dpr, 0, 0, zoom * dpr, (this.width / 2 - this.cx * zoom) * dpr,
      (this.height / 2 - this.cy * zoom) * dpr);
    world();
    const px = 1 / zoom;  // one CSS pixel in world units

    if (this.grid) {
      let step = this.gridStep;
      while (step * zoom < 8) step *= 10;
      ctx.beginPath();
      for (let x = Math.floor(wx0 / step) * step; x <= wx1; x += step) { ctx.moveTo(x, wy0); ctx.lineTo(x, wy1); }
      for (let y = Math.floor(wy0 / step) * step; y <= wy1; y += step) { ctx.moveTo(wx0, y); ctx.lineTo(wx1, y); }
      ctx.strokeStyle = '#1c1c1c';
      ctx.lineWidth = px;
      ctx.stroke();
    }

    const s = this.scene ? this.scene() : { items: [], selection: new Set(), marks: [] };
    const outline = (pts) => {
      const path = new Path2D();
      pts.forEach(([x, y], i) => (i ? path.lineTo(x * SCALE, y * SCALE) : path.moveTo(x * SCALE, y * SCALE)));
      path.closePath();
      return path;
    };
    // The shapes filled faintly, then the edges as the game draws them: the
    // compiled triangles', or the outlines'. Kept triangles are not filled:
    // a level file's thousands of small fills would cost more than the
    // rest of the picture. The paths are made again only after a change.
    if (!this.solidPath || this.solidItems !== s.items || this.solidVersion !== s.version) {
      const shapes = new Path2D(), edges = new Path2D();
      for (const it of s.items) {
        const path = it.kind === 'shape' ? shapes : edges;
        it.pts.forEach(([x, y], i) => (i ? path.lineTo(x * SCALE, y * SCALE) : path.moveTo(x * SCALE, y * SCALE)));
        path.closePath();
      }
      edges.addPath(shapes);
      this.solidPath = shapes;
      this.edgePath = edges;
      this.solidItems = s.items;
      this.solidVersion = s.version;
    }
    ctx.fillStyle = '#2a0000';
    ctx.fill(this.solidPath, 'nonzero');
    ctx.lineWidth = px;
    ctx.strokeStyle = '#f00';
    if (this.showTriangles && this.triangles) {
      if (!this.trianglePath) {
        const t = this.triangles;
        const path = new Path2D();
        for (let i = 0; i < t.length; i += 6) {
          path.moveTo(t[i], t[i + 1]); path.lineTo(t[i + 2], t[i + 3]); path.lineTo(t[i + 4], t[i + 5]); path.closePath();
        }
        this.trianglePath = path;
      }
      ctx.stroke(this.trianglePath);
    } else {
      ctx.stroke(this.edgePath);
    }

    // The start pose and the first screen around it.
    ctx.setLineDash([6 * px, 6 * px]);
    ctx.strokeStyle = '#456';
    const g = game();
    ctx.strokeRect(g.firstScreen.x0, g.firstScreen.y0, g.screen[0], g.screen[1]);
    ctx.setLineDash([]);
    g.balls.forEach(([x, y, r], i) => {
      ctx.beginPath();
      ctx.arc(x, y, r, 0, Math.PI * 2);
      ctx.strokeStyle = i ? '#00f' : '#f00';
      ctx.stroke();
    });
    ctx.beginPath();
    ctx.arc(g.balls[g.wheel][0], g.balls[g.wheel][1], g.marker, 0, Math.PI * 2);
    ctx.strokeStyle = '#0f0';
    ctx.stroke();

    // Selected and faulty items, their vertices and edge middles.
    const handle = 4 * px;
    for (const i of s.badItems || []) {
      if (!s.items[i]) continue;
      ctx.strokeStyle = '#fa0';
      ctx.lineWidth = 3 * px;
      ctx.stroke(outline(s.items[i].pts));
    }
    ctx.lineWidth = px;
    for (const i of s.selection) {
      const it = s.items[i];
      if (!it) continue;
      ctx.strokeStyle = it.kind === 'tri' ? '#8cf' : '#ff0';
      ctx.stroke(outline(it.pts));
      ctx.fillStyle = '#ff0';
      for (const [x, y] of it.pts) ctx.fillRect(x * SCALE - handle, y * SCALE - handle, 2 * handle, 2 * handle);
      ctx.fillStyle = '#aa4';
      it.pts.forEach(([x, y], k) => {
        const [nx, ny] = it.pts[(k + 1) % it.pts.length];
        ctx.beginPath();
        ctx.arc(((x + nx) / 2) * SCALE, ((y + ny) / 2) * SCALE, handle * 0.8, 0, Math.PI * 2);
        ctx.fill();
      });
    }
    if (s.vertex) {
      const p = s.items[s.vertex.item]?.pts[s.vertex.index];
      if (p) { ctx.strokeStyle = '#fff'; ctx.strokeRect(p[0] * SCALE - 2 * handle, p[1] * SCALE - 2 * handle, 4 * handle, 4 * handle); }
    }
    if (s.draft && s.draft.length) {
      ctx.beginPath();
      s.draft.forEach(([x, y], i) => (i ? ctx.lineTo(x * SCALE, y * SCALE) : ctx.moveTo(x * SCALE, y * SCALE)));
      if (s.cursor) ctx.lineTo(s.cursor[0], s.cursor[1]);
      ctx.strokeStyle = '#0ff';
      ctx.stroke();
      ctx.fillStyle = '#0ff';
      for (const [x, y] of s.draft) ctx.fillRect(x * SCALE - handle, y * SCALE - handle, 2 * handle, 2 * handle);
    }
    if (s.box) {
      ctx.setLineDash([4 * px, 4 * px]);
      ctx.strokeStyle = '#ccc';
      ctx.strokeRect(s.box[0], s.box[1], s.box[2] - s.box[0], s.box[3] - s.box[1]);
      ctx.setLineDash([]);
    }
    for (const [x, y] of s.marks || []) {
      ctx.beginPath();
      ctx.arc(x, y, 12 * px, 0, Math.PI * 2);
      ctx.strokeStyle = '#fa0';
      ctx.lineWidth = 2 * px;
      ctx.stroke();
    }
  }
}
