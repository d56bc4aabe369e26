// ZUNO.compileLevel in headless Chromium against zuno-level compile: the
// median time to compile a drawing of about 5000 triangles, the same one
// bench/bench_shapes.cpp compiles. `make web-bench` runs it.
import { openSite } from '../../tests/web/support.mjs';
import { median, nativeMedian, sayLoad } from './figures.mjs';


let source = '';
for (let r = 0; r < 22; ++r) {
  const y0 = 400 + r * 1000;
  source += 'shape';
  for (let i = 0; i <= 380; ++i) source += ` ${i * 60} ${y0 + (i * 37) % 160}`;
  source += ` 22800 ${y0 + 500} 0 ${y0 + 500}\n`;
}

const site = await openSite();
try {
  const page = await site.page();
  const { times, count } = await page.evaluate(async (source) => {
    const times = [];
    let bytes = null;
    for (let i = 0; i < 11; ++i) {
      const t = performance.now();
      bytes = await ZUNO.compileLevel({ source, name: 'strips.txt' });
      times.push(performance.now() - t);
    }
    return { times, count: new DataView(bytes.buffer).getInt32(0, true) };
  }, source);
  const native = nativeMedian('BM_CompileDrawing5000');
  const page_ = median(times);
  console.log(`compile of a ${count}-triangle drawing: page median ${page_.toFixed(1)} ms, native median ${native.toFixed(1)} ms, ` +
    `ratio ${(page_ / native).toFixed(2)}`);
  sayLoad();
} finally {
  await site.close();
}
