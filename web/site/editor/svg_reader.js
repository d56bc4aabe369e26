// Opens an SVG drawing as editable outlines: polygon, polyline, rect and
// paths of straight segments, with their transforms; filled ones only.
// Curves, circles and the like are left out with one warning each (the
// compiler reads them; the editor edits corners). The browser's XML parser
// never fetches external entities.
const MAX_POINTS = 200000;

function multiply(a, b) {
  return [a[0] * b[0] + a[2] * b[1], a[1] * b[0] + a[3] * b[1], a[0] * b[2] + a[2] * b[3],
    a[1] * b[2] + a[3] * b[3], a[0] * b[4] + a[2] * b[5] + a[4], a[1] * b[4] + a[3] * b[5] + a[5]];
}

function parseTransform(text) {
  let m = [1, 0, 0, 1, 0, 0];
  const re = /(matrix|translate|scale|rotate|skewX|skewY)\s*\(([^)]*)\)/g;
  let found;
  while ((found = re.exec(text || ''))) {
    const a = found[2].split(/[\s,]+/).filter(Boolean).map(Number);
    const rad = (d) => (d * Math.PI) / 180;
    let t;
    switch (found[1]) {
      case 'matrix': t = a.length === 6 ? a : [1, 0, 0, 1, 0, 0]; break;
      case 'translate': t = [1, 0, 0, 1, a[0] || 0, a[1] || 0]; break;
      case 'scale': t = [a[0] ?? 1, 0, 0, a[1] ?? a[0] ?? 1, 0, 0]; break;
      case 'rotate': {
        const c = Math.cos(rad(a[0] || 0)), s = Math.sin(rad(a[0] || 0));
        t = [c, s, -s, c, 0, 0];
        if (a.length === 3) t = multiply(multiply([1, 0, 0, 1, a[1], a[2]], t), [1, 0, 0, 1, -a[1], -a[2]]);
        break;
      }
      case 'skewX': t = [1, 0, Math.tan(rad(a[0] || 0)), 1, 0, 0]; break;
      default: t = [1, Math.tan(rad(a[0] || 0)), 0, 1, 0, 0];
    }
    m = multiply(m, t);
  }
  return m;
}

function styleOf(el, name) {
  const m = new RegExp(`(?:^|;)\\s*${name}\\s*:\\s*([^;]+)`).exec(el.getAttribute('style') || '');
  return m ? m[1].trim() : el.getAttribute(name);
}

function numbers(text) { return (text || '').match(/[+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?/g)?.map(Number) || []; }

// Outlines of a path of straight segments; null when it holds a curve or arc.
function pathOutlines(d) {
  const out = [];
  let cur = [];
  let x = 0, y = 0, sx = 0, sy = 0;
  const tokens = (d || '').match(/[a-zA-Z]|[+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?/g) || [];
  let cmd = '';
  for (let i = 0; i < tokens.length;) {
    if (/[a-zA-Z]/.test(tokens[i])) cmd = tokens[i++];
    const num = () => Number(tokens[i++]);
    const rel = cmd === cmd.toLowerCase();
    switch (cmd.toUpperCase()) {
      case 'M':
        if (cur.length) out.push(cur);
        x = (rel ? x : 0) + num(); y = (rel ? y : 0) + num();
        sx = x; sy = y; cur = [[x, y]];
        cmd = rel ? 'l' : 'L';
        break;
      case 'L': x = (rel ? x : 0) + num(); y = (rel ? y : 0) + num(); cur.push([x, y]); break;
      case 'H': x = (rel ? x : 0) + num(); cur.push([x, y]); break;
      case 'V': y = (rel ? y : 0) + num(); cur.push([x, y]); break;
      case 'Z':
        if (cur.length) out.push(cur);
        cur = [];
        x = sx; y = sy;
        break;
      default: return null;
    }
    if (tokens[i - 1] === undefined || Number.isNaN(x) || Number.isNaN(y)) return null;
  }
  if (cur.length) out.push(cur);
  return out;
}

export function readSvg(text, name, toFile) {
  const doc = new DOMParser().parseFromString(text, 'image/svg+xml');
  const error = doc.querySelector('parsererror');
  if (error) throw new Error(`${name}: not an SVG drawing: ${error.textContent.split('\n').find((l) => l.trim()) || 'bad XML'}`);
  const root = doc.documentElement;
  if (root.localName !== 'svg') throw new Error(`${name}: not an SVG drawing`);
  const items = [];
  const warnings = [];
  let total = 0;
  const label = (el) => (el.id ? `${el.localName} "${el.id}"` : el.localName);

  function walk(el, matrix, fill) {
    const display = styleOf(el, 'display');
    const visibility = styleOf(el, 'visibility');
    if (display === 'none' || visibility === 'hidden') return;
    const m = multiply(matrix, parseTransform(el.getAttribute('transform')));
    const f = styleOf(el, 'fill') ?? fill;
    const tag = el.localName;
    if (tag === 'g' || tag === 'svg' || tag === 'a') {
      for (const child of el.children) walk(child, m, f);
      return;
    }
    if (['title', 'desc', 'metadata', 'defs', 'style', 'namedview'].includes(tag)) return;
    if (f === 'none') return;
    let outlines = null;
    if (tag === 'polygon' || tag === 'polyline') {
      const v = numbers(el.getAttribute('points'));
      outlines = [[]];
      for (let i = 0; i + 1 < v.length; i += 2) outlines[0].push([v[i], v[i + 1]]);
    } else if (tag === 'rect' && !Number(el.getAttribute('rx')) && !Number(el.getAttribute('ry'))) {
      const [x, y, wd, ht] = ['x', 'y', 'width', 'height'].map((a) => Number(el.getAttribute(a)) || 0);
      outlines = [[[x, y], [x + wd, y], [x + wd, y + ht], [x, y + ht]]];
    } else if (tag === 'path') {
      outlines = pathOutlines(el.getAttribute('d'));
    }
    if (!outlines) {
      warnings.push(`${name}: ${label(el)}: left out (the editor edits straight outlines; zuno-level compile reads it)`);
      return;
    }
    const keep = el.getAttribute('data-zuno') === 'keep';
    for (const outline of outlines) {
      const pts = outline.map(([x, y]) => [toFile(m[0] * x + m[2] * y + m[4]), toFile(m[1] * x + m[3] * y + m[5])]);
      const n = pts.length;
      if (n > 1 && pts[0][0] === pts[n - 1][0] && pts[0][1] === pts[n - 1][1]) pts.pop();
      if (pts.length < 3 || pts.some(([a, b]) => !Number.isFinite(a) || !Number.isFinite(b))) {
        warnings.push(`${name}: ${label(el)}: left out (fewer than three points)`);
        continue;
      }
      total += pts.length;
      if (total > MAX_POINTS) throw new Error(`${name}: more than ${MAX_POINTS} points`);
      items.push({ kind: keep && pts.length === 3 ? 'tri' : 'shape', pts });
    }
  }
  walk(root, [1, 0, 0, 1, 0, 0], 'black');
  const title = doc.querySelector('title')?.textContent?.trim() || '';
  return { items, warnings, title };
}
