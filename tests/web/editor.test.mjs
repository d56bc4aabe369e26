// The level editor as an author uses it, with real mouse and key events:
// a shape drawn by clicks, a vertex dragged, undo and redo, and the level
// compiled as zuno-level compiles the saved drawing; a play-test and
// back to the same view; the session back after a reload, the saved SVG
// opening back as it was; a copied link opening the same level elsewhere,
// and a damaged one opening nothing.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { openSite, tool, tempDir, compileLevel, until, DATA } from './support.mjs';

let site, page, dir;
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

before(async () => {
  dir = tempDir('zuno-web-editor-');
  site = await openSite({ downloads: dir });
  page = await site.page();
  await page.setViewport({ width: 1366, height: 768 });
  await page.evaluate(() => window.ZUNO_EDITOR_READY);
});
after(async () => {
  await site?.close();
  if (dir) fs.rmSync(dir, { recursive: true, force: true });
});

// Clicks a save button and returns the downloaded file's bytes.
async function saved(on, button, ext) {
  for (const f of fs.readdirSync(dir)) fs.rmSync(path.join(dir, f));
  await on.click(button);
  for (let i = 0; i < 100; ++i) {
    const file = fs.readdirSync(dir).find((f) => f.endsWith(ext));
    if (file) { await sleep(100); return fs.readFileSync(path.join(dir, file)); }
    await sleep(100);
  }
  throw new Error(`nothing downloaded from ${button}`);
}

const canvasBox = (on) => on.$eval('#ed-canvas', (c) => { const r = c.getBoundingClientRect(); return { x: r.x, y: r.y, w: r.width, h: r.height }; });
const shapes = (text) => String(text).trim().split('\n').filter(Boolean).map((l) => l.split(' ').slice(1).map(Number));

test('a shape drawn by clicks, a vertex dragged, undone and redone', async () => {
  await page.click('#edit');
  const b = await canvasBox(page);
  const at = (fx, fy) => [b.x + b.w * fx, b.y + b.h * fy];
  await page.keyboard.press('s');   // snapping off: the corners are where the clicks are
  await page.keyboard.press('d');
  for (const [fx, fy] of [[0.2, 0.7], [0.7, 0.7], [0.7, 0.9], [0.2, 0.9], [0.2, 0.7]]) await page.mouse.click(...at(fx, fy));
  const drawn = shapes(await saved(page, '#ed-save-text', '.txt'));
  assert.equal(drawn.length, 1, 'one shape');
  const [x0, y0, x1, y1, x2, y2, x3, y3] = drawn[0];
  assert.ok(drawn[0].length === 8 && x1 > x0 && y0 === y1 && x2 === x1 && y2 > y1 && x3 === x0 && y3 === y2, `a box: ${drawn[0]}`);

  await page.keyboard.press('v');
  await page.mouse.move(...at(0.7, 0.7));
  await page.mouse.down();
  await page.mouse.move(...at(0.8, 0.55), { steps: 6 });
  await page.mouse.up();
  const dragged = shapes(await saved(page, '#ed-save-text', '.txt'))[0];
  assert.ok(dragged[2] > x1 && dragged[3] < y1, `the corner moved right and up: ${dragged}`);
  assert.deepEqual([...dragged.slice(0, 2), ...dragged.slice(4)], [x0, y0, x2, y2, x3, y3], 'the other corners stay');

  await page.keyboard.down('Control');
  await page.keyboard.press('z');
  await page.keyboard.up('Control');
  assert.deepEqual(shapes(await saved(page, '#ed-save-text', '.txt'))[0], drawn[0], 'undo');
  await page.keyboard.down('Control');
  await page.keyboard.down('Shift');
  await page.keyboard.press('z');
  await page.keyboard.up('Shift');
  await page.keyboard.up('Control');
  assert.deepEqual(shapes(await saved(page, '#ed-save-text', '.txt'))[0], dragged, 'redo');

  // The level the editor compiled is the one zuno-level makes of the saved drawing.
  const work = tempDir('zuno-web-editor-work-');
  fs.writeFileSync(path.join(work, 'drawn.svg'), await saved(page, '#ed-save-svg', '.svg'));
  const level = await saved(page, '#ed-save-lev', '.lev');
  tool('zuno-level', ['compile', path.join(work, 'drawn.svg'), path.join(work, 'drawn.lev')]);
  assert.deepEqual(level, fs.readFileSync(path.join(work, 'drawn.lev')));
  fs.rmSync(work, { recursive: true, force: true });

  // The session is stored as it happens: a reload brings the drawing and its undo back.
  await page.reload();
  await page.evaluate(() => window.ZUNO_EDITOR_READY);
  await page.click('#edit');
  assert.deepEqual(shapes(await saved(page, '#ed-save-text', '.txt'))[0], dragged, 'the drawing after a reload');
  await page.click('#ed-undo');
  assert.deepEqual(shapes(await saved(page, '#ed-save-text', '.txt'))[0], drawn[0], 'its undo after a reload');

  // The saved SVG opens back as it was, through the compiler's reader, which also flattens a circle added to it.
  const svg = String(await saved(page, '#ed-save-svg', '.svg')).replace('</g>', '<circle cx="0" cy="0" r="300"/></g>');
  fs.writeFileSync(path.join(dir, 'round.svg'), svg);
  await page.$('#ed-file').then((input) => input.uploadFile(path.join(dir, 'round.svg')));
  await until(page, () => /2 shapes/.test(document.getElementById('ed-count').textContent), 5000, 'the opened SVG');
  const back = shapes(await saved(page, '#ed-save-text', '.txt'));
  assert.deepEqual(back[0], drawn[0], 'the saved shape');
  assert.ok(back[1].length > 16, `the circle, flattened: ${back[1].length / 2} points`);
});

test('Play runs the drawing live, Esc comes back to the same view', async () => {
  await page.$('#ed-file').then((input) => input.uploadFile(path.join(DATA, 'bowl.txt')));
  await until(page, () => /triangles/.test(document.getElementById('ed-count').textContent), 5000, 'the opened level');
  await page.mouse.move(700, 400);
  await page.mouse.wheel({ deltaY: -300 });
  await sleep(200);
  const before = await page.$eval('#ed-canvas', (c) => c.toDataURL());
  await page.keyboard.press('p');
  await until(page, () => ZUNO.status().mode === 'live' && ZUNO.status().frames > 30, 5000, 'the play-test');
  assert.equal(await page.evaluate(() => document.body.classList.contains('editing')), false);
  await page.keyboard.press('Escape');
  await sleep(300);
  assert.equal(await page.evaluate(() => document.body.classList.contains('editing')), true, 'back in the editor');
  assert.equal(await page.$eval('#ed-canvas', (c) => c.toDataURL()), before, 'the same view');
});

test('a copied link opens the same level in a new page; a damaged one opens nothing', async () => {
  const lev = fs.readFileSync(compileLevel(path.join(DATA, 'bowl.txt'), dir));
  await page.click('#ed-link');
  await until(page, () => document.querySelector('#ed-note a') !== null, 5000, 'the link');
  const link = await page.$eval('#ed-note a', (a) => a.href);
  const other = await site.browser.newPage();
  await other.goto(link);
  await other.evaluate(() => window.ZUNO_EDITOR_READY);
  await until(other, () => document.body.classList.contains('editing'), 5000, 'the editor to open');
  assert.deepEqual(await saved(other, '#ed-save-lev', '.lev'), lev);

  const damaged = link.slice(0, -6) + (link.endsWith('AAAAAA') ? 'BBBBBB' : 'AAAAAA');
  await other.goto('about:blank');
  await other.goto(damaged);
  await other.evaluate(() => window.ZUNO_EDITOR_READY);
  const line = await other.$eval('#message', (m) => m.textContent);
  assert.match(line, /^This link's drawing cannot be opened: bad link: [^\n]+$/);
  assert.equal(await other.evaluate(() => document.body.classList.contains('editing')), false, 'no editor opened');
  await other.close();
});
