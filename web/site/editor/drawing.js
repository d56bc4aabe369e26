// The editor's drawing: shapes (closed outlines the compiler meshes) and
// kept triangles (from a level file or triangle lines, written back as they
// are). Points are whole file units, as the level file holds them; the view
// multiplies by SCALE for world units.

// The level file's world units per file unit and its triangle limit, as the
// game's module gives them (takeGameScale, once the module is loaded).
export let SCALE = NaN;
export let MAX_TRIANGLES = NaN;
export const INT_LIMIT = 2147483647;

export function takeGameScale() {
  const M = window.ZUNO._page.module();
  SCALE = M._zuno_file_to_world();
  MAX_TRIANGLES = M._zuno_max_triangles();
}

// An item is { kind: 'shape' | 'tri', pts: [[x, y], ...] } in file units.
export function makeItem(kind, pts) { return { kind, pts: pts.map(([x, y]) => [x, y]) }; }

export function cloneItems(items) { return items.map((it) => makeItem(it.kind, it.pts)); }

export function toFile(w) { return Math.round(w / SCALE); }

// Whole-drawing text for history, storage and comparison.
export function encodeItems(items) { return JSON.stringify(items.map((it) => [it.kind === 'tri' ? 1 : 0, it.pts.flat()])); }

export function decodeItems(text) {
  const raw = JSON.parse(text);
  if (!Array.isArray(raw)) throw new Error('not a drawing');
  return raw.map(([k, flat]) => {
    if (!Array.isArray(flat) || flat.length < 6 || flat.length % 2 || !flat.every(Number.isInteger))
      throw new Error('not a drawing');
    const pts = [];
    for (let i = 0; i < flat.length; i += 2) pts.push([flat[i], flat[i + 1]]);
    return { kind: k === 1 && pts.length === 3 ? 'tri' : 'shape', pts };
  });
}

// Even-odd point-in-polygon, in whatever units pts are.
export function inside(pts, x, y) {
  let hit = false;
  for (let i = 0, j = pts.length - 1; i < pts.length; j = i++) {
    const [xi, yi] = pts[i];
    const [xj, yj] = pts[j];
    if ((yi > y) !== (yj > y) && x < ((xj - xi) * (y - yi)) / (yj - yi) + xi) hit = !hit;
  }
  return hit;
}

export function bounds(items) {
  let x0 = Infinity, y0 = Infinity, x1 = -Infinity, y1 = -Infinity;
  for (const it of items) for (const [x, y] of it.pts) {
    if (x < x0) x0 = x;
    if (y < y0) y0 = y;
    if (x > x1) x1 = x;
    if (y > y1) y1 = y;
  }
  return x0 <= x1 ? { x0, y0, x1, y1 } : null;
}

// Distance from (px, py) to the segment a-b, squared.
export function segmentDistance2(px, py, [ax, ay], [bx, by]) {
  const dx = bx - ax, dy = by - ay;
  const len = dx * dx + dy * dy;
  let t = len ? ((px - ax) * dx + (py - ay) * dy) / len : 0;
  t = Math.max(0, Math.min(1, t));
  const qx = ax + t * dx - px, qy = ay + t * dy - py;
  return qx * qx + qy * qy;
}
