// The editor's drawing: shapes (closed outlines the compiler meshes) and
// kept triangles (from a level file or triangle lines, written back as they
// are). Points are whole file units, as the level file holds them; the view
// multiplies by 1.5 for world units.

export const SCALE = 1.5;          // world units per file unit
export const MAX_TRIANGLES = 5000;
export const INT_LIMIT = 2147483647;

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
