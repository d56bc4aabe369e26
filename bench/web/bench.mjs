// Figures of the browser edition in headless Chromium, as medians: one
// frame's work on the shipped course (step, scene, present to the canvas),
// ZUNO.drive of 10,000 frames against real time, the first load's transfer,
// and the wasm/native ratio of the step benchmark. `make web-bench` runs it.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { openSite, BUILD, DATA } from '../../tests/web/support.mjs';
import { median, firstLoad, nativeMedian, sayLoad } from './figures.mjs';

const PACE_MS = 16;

const site = await openSite();
try {
  // First load: every response of a fresh page, as the network counted it.
  const { page, transferred, files } = await firstLoad(site, () => ZUNO.ready);
  console.log(`first load: ${(transferred / 1e6).toFixed(3)} MB transferred (${files.sort().join(', ')})`);

  // One frame's work: Up held on the shipped course, 1500 frames timed one by one.
  const frameMs = await page.evaluate(() => {
    ZUNO._key(273, true);
    const times = [];
    for (let i = 0; i < 1500; ++i) {
      const t = performance.now();
      ZUNO._frame();
      times.push(performance.now() - t);
    }
    ZUNO._key(273, false);
    return times;
  });
  // Timers here tick in 0.1 ms steps: the mean is quoted beside the median.
  const mean = frameMs.reduce((a, b) => a + b, 0) / frameMs.length;
  console.log(`frame (step + scene + present): median ${median(frameMs).toFixed(2)} ms, mean ${mean.toFixed(3)} ms, ` +
    `95th percentile ${[...frameMs].sort((a, b) => a - b)[Math.floor(frameMs.length * 0.95)].toFixed(2)} ms over ${frameMs.length} frames`);

  // ZUNO.drive of 10,000 frames with the course's key script.
  const keys = fs.readFileSync(path.join(DATA, 'course.keys'), 'utf8');
  const driveMs = await page.evaluate(async (keys) => {
    const times = [];
    for (let i = 0; i < 5; ++i) {
      const t = performance.now();
      await ZUNO.drive({ keys, frames: 10000 });
      times.push(performance.now() - t);
    }
    return times;
  }, keys);
  const drive = median(driveMs);
  console.log(`ZUNO.drive 10,000 frames: median ${(drive / 1000).toFixed(2)} s, ${(10000 * PACE_MS / drive).toFixed(1)} x real time ` +
    `(${driveMs.map((t) => (t / 1000).toFixed(2)).join(', ')} s)`);

  // The desktop tool's drive of the same frames, for comparison on this machine's load.
  const nativeDrive = [0, 1, 2].map(() => {
    const out = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'zuno-bench-')), 'drive.rec');
    const t = performance.now();
    execFileSync(path.join(BUILD, 'zuno-replay'), ['drive', '--level', path.join(BUILD, '0.lev'), '--keys',
      path.join(DATA, 'course.keys'), '-o', out, '--frames', '10000'], { stdio: 'ignore' });
    fs.rmSync(path.dirname(out), { recursive: true, force: true });
    return performance.now() - t;
  });
  console.log(`zuno-replay drive 10,000 frames (native): median ${(median(nativeDrive) / 1000).toFixed(2)} s, ` +
    `${(10000 * PACE_MS / median(nativeDrive)).toFixed(1)} x real time`);

  // The step benchmark, wasm and native.
  const stepFrames = 200000;
  const wasmMs = await page.evaluate((n) => [0, 1, 2, 3, 4].map(() => ZUNO._stepBench(n)), stepFrames);
  const wasmUs = median(wasmMs) * 1000 / stepFrames;
  const nativeUs = nativeMedian('BM_StepShippedLevel');
  console.log(`step on the shipped course: wasm median ${wasmUs.toFixed(2)} us, native median ${nativeUs.toFixed(2)} us, ` +
    `ratio ${(wasmUs / nativeUs).toFixed(2)}`);
  sayLoad();
} finally {
  await site.close();
}
