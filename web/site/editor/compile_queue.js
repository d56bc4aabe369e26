// Recompiles the drawing after every edit without holding up the page:
// only the newest drawing is compiled, each compile starts right after a
// frame has been drawn, and an edit made meanwhile waits for the next turn
// instead of stacking up. Results carry the level's bytes or the messages.
import { toShapeText, toLevelBytes } from './formats.js';
import { SCALE } from './drawing.js';

export const SOURCE_NAME = 'drawing';

// The triangles of level bytes, in world units, for drawing and marks.
export function levelTriangles(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const n = Math.max(0, Math.min(view.getInt32(0, true), Math.floor((bytes.length - 4) / 24)));
  const tris = new Float64Array(n * 6);
  for (let i = 0; i < n * 6; ++i) tris[i] = view.getInt32(4 + 4 * i, true) * SCALE;
  return tris;
}

// Where a message points (world coordinates it names, or the item of its
// line), and whether it is a warning.
export function problemPlace(message) {
  const near = /\(\s*(-?[\d.]+)\s*,\s*(-?[\d.]+)\s*\)|near (-?[\d.]+),\s*(-?[\d.]+)/.exec(message);
  const line = new RegExp(`^${SOURCE_NAME}:(\\d+):`).exec(message);
  return {
    at: near ? [Number(near[1] ?? near[3]), Number(near[2] ?? near[4])] : null,
    item: line ? Number(line[1]) - 1 : -1,
    // A warning (a side the compile bent or lengthened) is news, not a fault.
    warning: /^[^:]*(:\d+)?: warning: /.test(message),
  };
}

export class CompileQueue {
  constructor(onResult) {
    this.onResult = onResult;
    this.pending = null;
    this.running = false;
    this.generation = 0;
    this.waiters = [];
    this.last = null;
  }

  request(items) {
    this.pending = { items, generation: ++this.generation };
    if (!this.running) this.schedule();
  }

  // Resolves with the result for the drawing as it is now.
  settled() {
    if (!this.running && !this.pending) return Promise.resolve(this.last);
    return new Promise((resolve) => { this.waiters.push(resolve); });
  }

  schedule() {
    this.running = true;
    requestAnimationFrame(() => setTimeout(() => this.run(), 0));
  }

  async run() {
    const job = this.pending;
    this.pending = null;
    const started = performance.now();
    const result = { generation: job.generation, bytes: null, messages: [], triangles: null };
    const hasShapes = job.items.some((it) => it.kind === 'shape');
    try {
      if (!window.ZUNO || typeof ZUNO.compileLevel !== 'function') {
        if (hasShapes) throw new Error('this page has no shape compiler: only kept triangles can be played');
        result.bytes = toLevelBytes(job.items);
      } else if (job.items.length === 0) {
        result.bytes = toLevelBytes(job.items);
      } else {
        result.bytes = await ZUNO.compileLevel({ source: toShapeText(job.items), name: SOURCE_NAME });
        result.messages = result.bytes.warnings || [];
      }
    } catch (error) {
      result.messages = String(error && error.message || error).split('\n').filter((l) => l.trim());
      // Triangles alone still play as they are, whatever the checks say.
      if (!hasShapes) result.bytes = toLevelBytes(job.items);
    }
    if (result.bytes) result.triangles = levelTriangles(result.bytes);
    result.ms = performance.now() - started;
    this.last = result;
    this.onResult(result);
    if (this.pending) this.schedule();
    else {
      this.running = false;
      for (const w of this.waiters.splice(0)) w(result);
    }
  }
}
