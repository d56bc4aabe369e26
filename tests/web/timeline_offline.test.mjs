// The replay timeline shows ZUNO.render's picture at every frame however it
// is reached (playing, the slider, stepping back and forward); a new deploy
// is what the next visit gets, and after one visit the site loads and plays
// with its server gone.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { openSite, until, tempDir, WEB_SITE } from './support.mjs';
import { encodeRun } from '../../web/site/run_links.js';

let site, page;
before(async () => {
  site = await openSite();
  page = await site.browser.newPage();
  await page.setViewport({ width: 1280, height: 900 });
});
after(async () => { await site?.close(); });

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const shownFrame = () => page.$eval('#timeline .frame', (e) => Number(e.textContent.split(' / ')[0]));

// Bytes of the canvas that differ from ZUNO.render's picture of the frame shown.
function differences() {
  return page.evaluate(async () => {
    const frame = Number(document.querySelector('#timeline .frame').textContent.split(' / ')[0]);
    const shown = document.getElementById('screen').getContext('2d').getImageData(0, 0, 1024, 768).data;
    const wanted = (await ZUNO.render({ replay: ZUNO.runLink.replay, frame })).data;
    let n = 0;
    for (let i = 0; i < wanted.length; ++i) if (shown[i] !== wanted[i]) ++n;
    return { frame, n };
  });
}

test('the timeline shows the playback\'s own picture at every frame it reaches', async () => {
  const keys = '0 press up\n150 release up\n160 press left\n175 release left\n200 press q\n201 release q\n';
  const link = await encodeRun({ frames: 500, keys, course: { name: '0.lev' } });
  await page.goto(`${site.url}#${link}`);
  await until(page, () => window.ZUNO && ZUNO.runLink && ZUNO.status().mode === 'replay', 15000, 'the replay');
  await page.click('#timeline [title="2× speed"]');
  await until(page, () => Number(document.querySelector('#timeline .frame').textContent.split(' / ')[0]) > 120,
    10000, 'playing at 2×');
  await page.click('#play');
  const reached = [];
  reached.push(await differences());

  // The slider, clicked along its length, then dragged back.
  const slider = await (await page.$('#timeline input[type=range]')).boundingBox();
  const y = slider.y + slider.height / 2;
  await page.mouse.click(slider.x + slider.width * 0.8, y);
  reached.push(await differences());
  await page.mouse.move(slider.x + slider.width * 0.7, y);
  await page.mouse.down();
  await page.mouse.move(slider.x + slider.width * 0.1, y, { steps: 5 });
  await page.mouse.up();
  reached.push(await differences());

  const before = await shownFrame();
  await page.keyboard.press('Comma');
  await page.keyboard.press('Comma');
  assert.equal(await shownFrame(), before - 2, ', steps back');
  reached.push(await differences());
  await page.click('#step-forward');
  await page.keyboard.press('Period');
  assert.equal(await shownFrame(), before, '. and the button step forward');
  reached.push(await differences());
  await page.mouse.click(slider.x + slider.width - 1, y);
  reached.push(await differences());

  for (const r of reached) assert.equal(r.n, 0, `frame ${r.frame}: ${r.n} bytes differ from ZUNO.render's`);
  assert.ok(new Set(reached.map((r) => r.frame)).size >= 5, `frames ${reached.map((r) => r.frame)}`);
});

test('a new deploy shows at the next visit, and after one visit the site plays with no network', async () => {
  const copy = tempDir('zuno-web-site-');
  fs.cpSync(WEB_SITE, copy, { recursive: true });
  const deployed = await openSite(copy);
  try {
    const first = await deployed.browser.newPage();
    await first.goto(deployed.url);
    await first.evaluate(() => ZUNO.ready);
    await until(first, () => navigator.serviceWorker.controller !== null, 15000, 'the service worker');
    const index = path.join(copy, 'index.html');
    fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace('<title>ZUNO</title>', '<title>ZUNO 2</title>'));
    await first.reload();
    assert.equal(await first.title(), 'ZUNO 2', 'the next visit gets the new deploy');
    await first.evaluate(() => ZUNO.ready);
    deployed.server.closeAllConnections();
    await new Promise((resolve) => deployed.server.close(resolve));

    const offline = await deployed.browser.newPage();
    await offline.goto(deployed.url);
    await offline.evaluate(() => ZUNO.ready);
    assert.equal(await offline.title(), 'ZUNO 2');
    await until(offline, () => ZUNO.status().mode === 'live' && ZUNO.status().frames > 30, 10000, 'the live run');
    const start = await offline.evaluate(() => ZUNO.status().body.x);
    await offline.keyboard.down('ArrowUp');
    await sleep(1200);
    await offline.keyboard.up('ArrowUp');
    const end = await offline.evaluate(() => ZUNO.status().body.x);
    assert.ok(end > start + 30, `the bike drives offline (${start} -> ${end})`);
  } finally {
    await deployed.close();
    fs.rmSync(copy, { recursive: true, force: true });
  }
});
