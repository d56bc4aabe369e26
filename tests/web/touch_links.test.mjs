// Touch, ghosts and run links as a player meets them, on a phone's screen
// with the protocol's touch points: a touch run records what `zuno-replay
// drive` makes of the key script of its presses, a run raced against a ghost
// records the same, and the run's link replays that recording byte for byte.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { openSite, tool, tempDir, until, fromBase64, installBytes, touchStart, BUILD } from './support.mjs';
import { decodeRun } from '../../web/site/run_links.js';

let site, page, dir;
before(async () => {
  site = await openSite({ touch: true });
  page = await site.browser.newPage();
  await page.setViewport({ width: 390, height: 844, hasTouch: true, isMobile: true });
  await page.goto(site.url);
  await page.evaluate(() => ZUNO.ready);
  await installBytes(page);
  dir = tempDir('zuno-web-touch-');
});
after(async () => {
  await site?.close();
  if (dir) fs.rmSync(dir, { recursive: true, force: true });
});

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const frames = (p = page) => p.evaluate(() => ZUNO.status().frames);

async function centreOf(selector) {
  const box = await (await page.$(selector)).boundingBox();
  return [box.x + box.width / 2, box.y + box.height / 2];
}

async function tap(selector, ms = 100) {
  const finger = await touchStart(page, ...await centreOf(selector));
  await sleep(ms);
  await finger.end();
  await sleep(60);
}

// Shares the live run; returns the link, the run it carries and the
// recording's first bytes for that many frames.
async function shareRun() {
  await page.click('#share');
  await until(page, () => !document.getElementById('shared').hidden, 5000, 'the link');
  const link = await page.$eval('#shared-link', (e) => e.value);
  const run = await decodeRun(new URL(link).hash);
  const recorded = fromBase64(await page.evaluate((n) => {
    const M = ZUNO._page.module();
    return __b64(M.HEAPU8.subarray(M._zuno_recording(), M._zuno_recording() + n * 64));
  }, run.frames));
  return { link, run, recorded };
}

// What the desktop's tool records for the run's key script.
function nativeDrive(run, name) {
  fs.writeFileSync(path.join(dir, `${name}.keys`), run.keys);
  tool('zuno-replay', ['drive', '--level', path.join(BUILD, '0.lev'), '--keys', path.join(dir, `${name}.keys`),
    '--frames', String(run.frames), '-o', path.join(dir, `${name}.rec`)]);
  return new Uint8Array(fs.readFileSync(path.join(dir, `${name}.rec`)));
}

test('a touch run records what its key script drives, and its link replays it byte for byte', async () => {
  await until(page, () => ZUNO.status().frames > 30, 10000, 'the run to start');
  // Drive and turn held together by two fingers, then taps of the others.
  const drive = await touchStart(page, ...await centreOf('.pad button[data-key="273"]'));
  await sleep(400);
  const turn = await touchStart(page, ...await centreOf('.pad button[data-key="275"]'));
  await sleep(300);
  await turn.end();
  await sleep(500);
  await drive.end();
  await tap('.pad button[data-key="32"]');
  await tap('.pad button[data-key="113"]');
  await tap('.pad button[aria-expanded]');
  await tap('.pad button[data-key="119"]');
  assert.equal(await page.evaluate(() => window.scrollY), 0, 'held controls do not scroll the page');

  const { link, run, recorded } = await shareRun();
  const pressed = run.keys.trim().split('\n').map((l) => l.split(' ').slice(1).join(' '));
  assert.deepEqual(pressed, ['press up', 'press right', 'release right', 'release up', 'press space',
    'release space', 'press q', 'release q', 'press w', 'release w']);
  assert.deepEqual(recorded, nativeDrive(run, 'touch'), 'the touch run is the key script\'s drive');
  assert.ok(link.length < 2048, `the link is short (${link.length} characters)`);

  const opened = await site.browser.newPage();
  await opened.goto(link);
  await until(opened, () => window.ZUNO && ZUNO.runLink && ZUNO.status().mode === 'replay', 15000, 'the replay');
  await installBytes(opened);
  assert.deepEqual(fromBase64(await opened.evaluate(() => __b64(ZUNO.runLink.replay))), recorded);
  await opened.close();

  const broken = await site.browser.newPage();
  await broken.goto(`${link.slice(0, -12)}AAAA`);
  await until(broken, () => /^bad link: /.test(document.getElementById('message').textContent), 10000, 'the line');
  assert.equal(await broken.evaluate(() => ZUNO.status().mode), 'live', 'a damaged link opens nothing');
  await broken.close();
});

test('racing a ghost leaves the recording as it is without one', async () => {
  await until(page, () => ZUNO.status().frames > 150, 10000, 'a run long enough to race');
  const { link } = await shareRun();
  await page.goto(link);
  await until(page, () => window.ZUNO && ZUNO.runLink && ZUNO.status().mode === 'replay', 15000, 'the replay');
  await page.click('#race');
  await until(page, () => ZUNO.status().mode === 'live' && ZUNO.status().frames > 20, 5000, 'the race');
  await page.keyboard.down('ArrowUp');
  await sleep(600);
  await page.keyboard.up('ArrowUp');
  await page.keyboard.press('q');
  const ghostPixels = await page.evaluate(() => {
    const data = document.getElementById('ghost').getContext('2d').getImageData(0, 0, 1024, 768).data;
    return data.reduce((n, v, i) => n + (i % 4 === 3 && v > 0 ? 1 : 0), 0);
  });
  assert.ok(ghostPixels > 100, `the ghost is drawn (${ghostPixels} pixels)`);
  await installBytes(page);
  const { run, recorded } = await shareRun();
  assert.match(run.keys, /press up[^]*press q/);
  assert.deepEqual(recorded, nativeDrive(run, 'ghost'));
});
