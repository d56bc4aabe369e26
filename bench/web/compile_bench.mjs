// ZUNO.compileLevel in headless Chromium against zuno-level compile: the
// median time to compile a drawing of about 5000 triangles, the same one
// bench/bench_shapes.cpp compiles. `make web-bench` runs it.
import os from 'node:os';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { openSite, BUILD } from '../../tests/web/support.mjs';

const median = (xs) => { const s = [...xs].sort((a, b) => a - b); const m = s.length >> 1; return s.length % 2 ? s[m] : (s[m - 1] + s[m]) / 2; };

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
  const json = JSON.parse(execFileSync(path.join(BUILD, 'bench/zuno_bench'), ['--benchmark_filter=BM_CompileDrawing5000$',
    '--benchmark_repetitions=5', '--benchmark_format=json'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] }));
  const native = median(json.benchmarks.filter((b) => b.run_type === 'iteration').map((b) => b.real_time));
  const page_ = median(times);
  console.log(`compile of a ${count}-triangle drawing: page median ${page_.toFixed(1)} ms, native median ${native.toFixed(1)} ms, ` +
    `ratio ${(page_ / native).toFixed(2)}`);
  console.log(`load average while measuring: ${os.loadavg().map((l) => l.toFixed(2)).join(' ')} on ${os.cpus().length} cores`);
} finally {
  await site.close();
}
