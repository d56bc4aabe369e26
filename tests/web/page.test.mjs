// The page as a player uses it: real key events over the browser's protocol
// drive the bike, "Save replay" downloads a replay the tools accept, a
// dropped replay plays for its records plus two frames, and a bad replay or
// level gives its one line while the page goes on.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { openSite, tool, tempDir, installBytes, toBase64, until, BUILD, DATA, ROOT } from './support.mjs';

let site, page, dir;
before(async () => {
  dir = tempDir('zuno-web-page-');
  site = await openSite({ downloads: dir });
  page = await site.page();
  await installBytes(page);
});
after(async () => {
  await site?.close();
  if (dir) fs.rmSync(dir, { recursive: true, force: true });
});

const status = () => page.evaluate(() => ZUNO.status());
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Drops a file on the page as a browser's drag and drop delivers it.
function drop(name, bytes) {
  return page.evaluate((name, bytes) => {
    const data = new DataTransfer();
    data.items.add(new File([__bytes(bytes)], name));
    document.body.dispatchEvent(new DragEvent('drop', { dataTransfer: data, bubbles: true, cancelable: true }));
  }, name, toBase64(bytes));
}

// The message a desktop tool gives for the file, its path cut to the name.
function nativeMessage(command, args, file) {
  try {
    execFileSync(path.join(BUILD, command), [...args, file], { stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (error) {
    const line = error.stderr.toString().trim().split('\n').find((l) => l.startsWith(file));
    return path.basename(file) + line.slice(file.length);
  }
  throw new Error(`${command} accepted ${file}`);
}

async function framesGoOn() {
  const before = (await status()).frames;
  await sleep(300);
  assert.ok((await status()).frames > before, 'the page keeps running frames');
}

test('keys from the keyboard drive the bike and Save replay downloads the run', async () => {
  await until(page, () => ZUNO.status().frames > 60, 10000, 'the bike to settle');
  const start = await status();
  assert.equal(start.mode, 'live');
  await page.keyboard.down('ArrowUp');
  await sleep(1500);
  await page.keyboard.up('ArrowUp');
  const driven = await status();
  assert.ok(driven.body.x > start.body.x + 50, `Up held moves the bike right (${start.body.x} -> ${driven.body.x})`);
  assert.equal(await page.evaluate(() => window.scrollY), 0, 'arrows do not scroll the page');

  assert.equal(driven.selectedWheel, 1);
  await page.keyboard.down(' ');
  await sleep(150);
  await page.keyboard.up(' ');
  await sleep(100);
  assert.equal((await status()).selectedWheel, 2, 'Space swaps the wheel');

  await page.click('#save');
  let saved;
  for (let i = 0; i < 100 && !saved; ++i) {
    await sleep(100);
    saved = fs.readdirSync(dir).find((f) => f.endsWith('.rec'));
  }
  assert.ok(saved, 'a replay was downloaded');
  assert.match(saved, /^m\d\d-\d\d-\d\d-\d\d-\d\d-\d\d\.rec$/);
  const bytes = fs.readFileSync(path.join(dir, saved));
  assert.ok(bytes.length > 0 && bytes.length % 64 === 0, `length ${bytes.length} is whole records`);
  assert.match(tool('zuno-replay', ['info', path.join(dir, saved)]), /recorded: +\d+ frames/);

  // The run was kept in the browser's storage: after a reload it is listed.
  await page.reload();
  await page.evaluate(() => ZUNO.ready);
  await installBytes(page);
  await until(page, () => document.querySelectorAll('#recent li').length > 0, 5000, 'the recent recordings');
  assert.match(await page.$eval('#recent li', (e) => e.textContent), /^m\d\d-\d\d-\d\d-\d\d-\d\d-\d\d\.rec \(\d+ frames/);
});

test('one frame per animation frame at 60 Hz', async () => {
  const counted = await page.evaluate(() => new Promise((resolve) => {
    const first = ZUNO.status().frames;
    let callbacks = 0;
    const start = performance.now();
    const count = () => {
      if (performance.now() - start < 1000) {
        callbacks += 1;
        requestAnimationFrame(count);
      } else resolve({ callbacks, frames: ZUNO.status().frames - first });
    };
    requestAnimationFrame(count);
  }));
  assert.ok(counted.callbacks > 20, `${counted.callbacks} animation frames in a second`);
  assert.ok(Math.abs(counted.frames - counted.callbacks) <= 1, `${counted.frames} frames in ${counted.callbacks} callbacks`);
});

test('a hidden tab pauses, keeps its recording so far, and resumes where it was', async () => {
  const other = await site.browser.newPage();
  await other.bringToFront();
  await until(page, () => document.hidden, 5000, 'the tab to be hidden');
  const hidden = await status();
  await sleep(500);
  assert.equal((await status()).frames, hidden.frames, 'no frame runs while hidden');
  const stored = await page.evaluate((name) => new Promise((resolve) => {
    indexedDB.open('zuno').onsuccess = (e) => {
      const request = e.target.result.transaction('runs').objectStore('runs').getAll();
      request.onsuccess = () => resolve(request.result.filter((r) => r.name === name)
        .sort((a, b) => b.updated - a.updated)[0]?.bytes);
    };
  }), hidden.recordingName);
  assert.equal(stored, hidden.recordingBytes, 'the recording so far is in the browser storage');
  await page.bringToFront();
  await other.close();
  await until(page, () => ZUNO.status().frames > 0, 5000, 'frames again');
  await framesGoOn();
  assert.equal((await status()).recordingName, hidden.recordingName, 'the same run goes on');
});

test('a dropped replay plays for its records plus two frames, then the page offers a live run', async () => {
  const replay = await page.evaluate(async () => __b64(await ZUNO.drive({ keys: '0 press up\n', frames: 90 })));
  await drop('ninety.rec', Buffer.from(replay, 'base64'));
  await until(page, () => ZUNO.status().mode === 'replay', 5000, 'the replay to start');
  await until(page, () => !ZUNO.status().running, 10000, 'the replay to end');
  assert.equal((await status()).frames, 92);
  assert.equal(await page.$eval('#ended', (e) => e.hidden), false);
  await page.click('#back-live');
  assert.equal((await status()).mode, 'live');
  await framesGoOn();
});

test('a bad replay and a bad level each give one line and the page goes on', async () => {
  const badReplay = path.join(dir, 'bad.rec');
  fs.writeFileSync(badReplay, Buffer.alloc(100, 7));
  await drop('bad.rec', fs.readFileSync(badReplay));
  await until(page, () => ZUNO.status().message !== '', 5000, 'the message');
  assert.equal((await status()).message, nativeMessage('zuno-replay', ['info'], badReplay));
  assert.equal((await status()).mode, 'live');
  await framesGoOn();

  const badLevel = path.join(dir, 'short.lev');
  fs.writeFileSync(badLevel, Buffer.from([40, 0, 0, 0, 1, 2, 3, 4]));
  const input = await page.$('#level-file');
  await input.uploadFile(badLevel);
  await until(page, () => ZUNO.status().message.startsWith('short.lev'), 5000, 'the level message');
  assert.equal((await status()).message, nativeMessage('zuno-level', ['check'], badLevel));

  const badText = path.join(dir, 'thin.txt');
  fs.writeFileSync(badText, '0 300  1000 300  1000 310\n');
  await input.uploadFile(badText);
  await until(page, () => ZUNO.status().message.startsWith('thin.txt'), 5000, 'the text message');
  assert.equal((await status()).message, nativeMessage('zuno-level', ['check'], badText));
  assert.equal((await status()).mode, 'live');
  await framesGoOn();

  // A good level still opens afterwards and restarts the live run on it.
  const before = (await status()).frames;
  await input.uploadFile(path.join(DATA, 'bowl.txt'));
  await until(page, () => ZUNO.status().message === '' && ZUNO.status().frames < 30, 5000, 'the new run');
  assert.ok(before > 30);
  await framesGoOn();

  // A drawing opens too, its shapes meshed as zuno-level compile meshes them.
  await until(page, () => ZUNO.status().frames > 30, 5000, 'frames on the bowl');
  await input.uploadFile(path.join(ROOT, 'data/example.svg'));
  await until(page, () => ZUNO.status().message === '' && ZUNO.status().frames < 30, 5000, 'the run on the drawing');
  await framesGoOn();
});
