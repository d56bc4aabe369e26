// Figures of the level editor in headless Chromium, as medians: a redraw of
// the view of a 5000-triangle level, the recompile after a vertex drag on a
// drawing of about 1000 triangles (with the longest the page was held up),
// and the whole site's first load with the editor and the course pack.
// `make web-bench` runs it after the game's figures.
import fs from 'node:fs';
import path from 'node:path';
import { openSite, tempDir, WEB_SITE } from '../../tests/web/support.mjs';
import { median, firstLoad } from './figures.mjs';

const dir = tempDir('zuno-editor-bench-');
const site = await openSite();
try {
  const { page, transferred } = await firstLoad(site, () => window.ZUNO_EDITOR_READY, { width: 1366, height: 768 });
  const served = (d) => fs.readdirSync(d, { withFileTypes: true }).reduce((n, e) => n +
    (e.isDirectory() ? (['CMakeFiles', 'game'].includes(e.name) ? 0 : served(path.join(d, e.name)))
      : /\.(html|js|css|wasm|lev|bmp|json|svg)$/.test(e.name) ? fs.statSync(path.join(d, e.name)).size : 0), 0);
  console.log(`first load: ${(transferred / 1e6).toFixed(3)} MB transferred; every file the site serves ` +
    `(editor, course pack) ${(served(WEB_SITE) / 1e6).toFixed(3)} MB`);

  // A 5000-triangle level: a grid of 40-unit squares cut in two, opened as kept triangles.
  const lines = [];
  for (let i = 0; i < 50; ++i) for (let j = 0; j < 50; ++j) {
    const x = i * 40, y = 400 + j * 40;
    lines.push(`${x} ${y} ${x + 40} ${y} ${x} ${y + 40}`, `${x + 40} ${y} ${x + 40} ${y + 40} ${x} ${y + 40}`);
  }
  fs.writeFileSync(path.join(dir, 'grid.txt'), lines.join('\n') + '\n');
  await page.click('#edit');
  await (await page.$('#ed-file')).uploadFile(path.join(dir, 'grid.txt'));
  await page.waitForFunction(() => /5000 \/ 5000/.test(document.getElementById('ed-count').textContent), { timeout: 60000 });
  await page.click('#ed-triangles');
  await page.click('#ed-fit');
  const redraws = await page.evaluate(() => Array.from({ length: 60 }, () => ZUNO_EDITOR_BENCH.redraw()));
  console.log(`editor redraw, 5000 triangles in view: median ${median(redraws).toFixed(2)} ms over ${redraws.length}`);

  // About 1000 triangles of shapes: 40 round outlines of 26 corners.
  const shapes = [];
  for (let k = 0; k < 40; ++k) {
    const cx = 300 + (k % 8) * 400, cy = 500 + Math.floor(k / 8) * 400;
    const pts = [];
    for (let a = 0; a < 26; ++a) pts.push(Math.round(cx + 150 * Math.cos(a * Math.PI / 13)), Math.round(cy + 150 * Math.sin(a * Math.PI / 13)));
    shapes.push(`shape ${pts.join(' ')}`);
  }
  fs.writeFileSync(path.join(dir, 'round.txt'), shapes.join('\n') + '\n');
  await (await page.$('#ed-file')).uploadFile(path.join(dir, 'round.txt'));
  const compiles = await page.evaluate(() => typeof ZUNO.compileLevel === 'function');
  if (!compiles) console.log('recompile after a vertex drag: this build has no ZUNO.compileLevel');
  else {
    await page.waitForFunction(() => /compiled in/.test(document.getElementById('ed-count').textContent), { timeout: 60000 });
    await page.click('#ed-fit');
    await page.click('#ed-snap');
    const count = await page.$eval('#ed-count', (e) => e.textContent);
    await page.evaluate(() => {
      window.__long = 0;
      new PerformanceObserver((l) => { for (const e of l.getEntries()) window.__long = Math.max(window.__long, e.duration); })
        .observe({ type: 'longtask' });
    });
    const times = [];
    const compileMs = [];
    let long = 0;
    for (let i = 0; i < 9; ++i) {
      // The first outline's first corner, (450, 500) in file units, dragged a little.
      const [sx, sy] = await page.evaluate(() => ZUNO_EDITOR_BENCH.pageOf(450 * 1.5, 500 * 1.5));
      await page.mouse.move(sx, sy);
      await page.mouse.down();
      await page.mouse.move(sx + 2 - (i % 2) * 4, sy, { steps: 2 });
      const t0 = Date.now();
      await page.mouse.up();
      await page.waitForFunction(() => {
        const d = document.getElementById('ed-count').dataset;
        return d.compiles === d.asked;
      }, { timeout: 10000 });
      times.push(Date.now() - t0);
      const shown = await page.$eval('#ed-panel', (e) => e.textContent);
      const took = /compiled in (\d+) ms/.exec(shown);
      if (!took) throw new Error(`the drawing did not compile: ${shown}`);
      compileMs.push(Number(took[1]));
      long = Math.max(long, await page.evaluate(() => window.__long));
    }
    console.log(`recompile after a drag, ${count.split(' · ')[0]}: median ${median(times)} ms from the release to the new count ` +
      `(${times.join(', ')}); ` +
      `the compile alone median ${median(compileMs)} ms; longest hold-up of the page ${long.toFixed(0)} ms`);
  }
} finally {
  await site.close();
  fs.rmSync(dir, { recursive: true, force: true });
}
