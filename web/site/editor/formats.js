// The drawing's files: shape text (shape lines and triangle lines, file
// units), the level file's bytes, and SVG (world units; kept triangles carry
// data-zuno="keep", which `zuno-level compile` writes as they are), read by
// the compiler's own reader in the module. Readers throw one line naming
// the file and what is wrong.
import { SCALE, INT_LIMIT, MAX_TRIANGLES, makeItem } from './drawing.js';
import { game } from './game.js';

export const KEEP_MARK = 'data-zuno="keep"';

// Line i + 1 holds item i, so the compiler's line numbers name items.
export function toShapeText(items) {
  let text = '';
  for (const it of items) {
    const flat = it.pts.flat().join(' ');
    text += it.kind === 'tri' ? `${flat}\n` : `shape ${flat}\n`;
  }
  return text;
}

// A level file of the kept triangles alone, in their order (shapes need the compiler).
export function toLevelBytes(items) {
  const tris = items.filter((it) => it.kind === 'tri');
  const bytes = new Uint8Array(4 + 24 * tris.length);
  const view = new DataView(bytes.buffer);
  view.setInt32(0, tris.length, true);
  tris.forEach((t, i) => t.pts.flat().forEach((v, k) => view.setInt32(4 + 24 * i + 4 * k, v, true)));
  return bytes;
}

export function fromLevelBytes(bytes, name) {
  if (bytes.length < 4) throw new Error(`${name}: not a level file: ${bytes.length} bytes`);
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const count = view.getInt32(0, true);
  if (count < 0 || count > MAX_TRIANGLES) throw new Error(`${name}: not a level file: ${count} triangles`);
  const have = Math.floor((bytes.length - 4) / 24);
  if (have < count) throw new Error(`${name}: truncated: ${have} of ${count} triangles`);
  const items = [];
  for (let i = 0; i < count; ++i) {
    const v = (k) => view.getInt32(4 + 24 * i + 4 * k, true);
    items.push(makeItem('tri', [[v(0), v(1)], [v(2), v(3)], [v(4), v(5)]]));
  }
  return items;
}

export function fromShapeText(text, name) {
  const items = [];
  text.split('\n').forEach((raw, n) => {
    const line = raw.replace(/#.*/, '').trim();
    if (!line) return;
    const words = line.split(/\s+/);
    const shape = words[0] === 'shape';
    if (shape) words.shift();
    const nums = words.map((w) => (/^[+-]?\d+$/.test(w) ? Number(w) : NaN));
    const where = `${name}:${n + 1}`;
    if (nums.some((v) => Number.isNaN(v))) throw new Error(`${where}: not a whole number: ${words[nums.findIndex(Number.isNaN)]}`);
    if (nums.some((v) => Math.abs(v) > INT_LIMIT)) throw new Error(`${where}: out of range`);
    if (nums.length % 2) throw new Error(`${where}: odd number of coordinates`);
    if (shape ? nums.length < 6 : nums.length !== 6)
      throw new Error(`${where}: ${shape ? 'a shape needs at least three points' : 'a triangle needs six numbers'}`);
    const pts = [];
    for (let i = 0; i < nums.length; i += 2) pts.push([nums[i], nums[i + 1]]);
    items.push(makeItem(shape ? 'shape' : 'tri', pts));
  });
  return items;
}

const w = (v) => String(v * SCALE);

export function toSvg(items, { title = 'ZUNO drawing', description = '' } = {}) {
  let { x0, y0, x1, y1 } = game().firstScreen;
  for (const it of items) for (const [x, y] of it.pts) {
    x0 = Math.min(x0, x * SCALE); y0 = Math.min(y0, y * SCALE);
    x1 = Math.max(x1, x * SCALE); y1 = Math.max(y1, y * SCALE);
  }
  const esc = (s) => s.replace(/&/g, '&amp;').replace(/</g, '&lt;');
  const lines = [
    '<?xml version="1.0" encoding="UTF-8"?>',
    '<!-- A ZUNO level: one user unit is one world unit; compile with zuno-level compile. -->',
    `<svg xmlns="http://www.w3.org/2000/svg" viewBox="${x0 - 50} ${y0 - 50} ${x1 - x0 + 100} ${y1 - y0 + 100}"` +
      ` width="${Math.ceil((x1 - x0 + 100) / 4)}" height="${Math.ceil((y1 - y0 + 100) / 4)}">`,
    `<title>${esc(title)}</title>`,
  ];
  if (description) lines.push(`<desc>${esc(description)}</desc>`);
  lines.push('<g fill="#800" stroke="#f00" stroke-width="2">');
  for (const it of items) {
    const pts = it.pts.map(([x, y]) => `${w(x)},${w(y)}`).join(' ');
    lines.push(it.kind === 'tri' ? `<polygon ${KEEP_MARK} points="${pts}"/>` : `<polygon points="${pts}"/>`);
  }
  lines.push('</g>', '</svg>', '');
  return lines.join('\n');
}

// Whatever file the user opens, by its name and first bytes.
export async function readDrawing(bytes, name) {
  if (/\.lev$/i.test(name)) return { items: fromLevelBytes(bytes, name), warnings: [] };
  const text = new TextDecoder().decode(bytes);
  if (/\.svg$/i.test(name) || /^\s*(<\?xml|<svg|<!--)/.test(text)) {
    const { outlines, warnings } = await ZUNO.readSvg({ source: bytes, name });
    const items = outlines.map((o) => makeItem(o.kept ? 'tri' : 'shape', o.points));
    return { items, warnings: warnings.map((w) => w.message) };
  }
  return { items: fromShapeText(text, name), warnings: [] };
}
