// The live run's storage in the browser: a save whose transaction fails is
// stored again with what follows, so the stored recording stays whole from
// its start; a stored recording with a piece missing plays up to the gap and
// the page says so.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { openSite, until } from './support.mjs';

let site, page;
before(async () => {
  site = await openSite();
  page = await site.browser.newPage();
  // The first transaction storing a chunk fails, as a full quota or a
  // closing tab makes it fail.
  await page.evaluateOnNewDocument(() => {
    const put = IDBObjectStore.prototype.put;
    let failures = 1;
    IDBObjectStore.prototype.put = function (...args) {
      const request = put.apply(this, args);
      if (this.name === 'chunks' && failures > 0) {
        failures -= 1;
        this.transaction.abort();
      }
      return request;
    };
  });
  await page.goto(site.url);
  await page.evaluate(() => ZUNO.ready);
});
after(async () => { await site?.close(); });

// What the storage holds for the newest run of that name.
const stored = (name) => page.evaluate((name) => new Promise((resolve) => {
  indexedDB.open('zuno').onsuccess = (event) => {
    const tx = event.target.result.transaction(['runs', 'chunks']);
    tx.objectStore('runs').getAll().onsuccess = (runs) => {
      const run = runs.target.result.filter((r) => r.name === name).sort((a, b) => b.updated - a.updated)[0];
      tx.objectStore('chunks').getAll(IDBKeyRange.bound([run.run, 0], [run.run, Infinity])).onsuccess = (chunks) =>
        resolve({ bytes: run.bytes, chunks: chunks.target.result.map((c) => ({ offset: c.offset, length: c.bytes.length })) });
    };
  };
}), name);

test('a failed save is stored again with what follows it', async () => {
  await until(page, () => ZUNO.status().frames > 200, 20000, 'three saves');
  const { recordingName } = await page.evaluate(() => ZUNO.status());
  const { bytes, chunks } = await stored(recordingName);
  assert.ok(bytes >= 120 * 64 && bytes % 64 === 0, `${bytes} bytes stored`);
  let whole = 0;
  for (const c of chunks) {
    assert.equal(c.offset, whole, `chunks ${JSON.stringify(chunks)} follow each other from 0`);
    whole += c.length;
  }
  assert.equal(whole, bytes, 'the chunks hold every byte the run says is stored');
});

test('a stored recording with a piece missing plays up to the gap and says so', async () => {
  await page.evaluate(() => new Promise((resolve) => {
    indexedDB.open('zuno').onsuccess = (event) => {
      const tx = event.target.result.transaction(['runs', 'chunks'], 'readwrite');
      tx.objectStore('runs').put({ run: 1, name: 'mgap.rec', bytes: 256, updated: Date.now() });
      tx.objectStore('chunks').put({ run: 1, seq: 0, offset: 0, bytes: new Uint8Array(128) });
      tx.objectStore('chunks').put({ run: 1, seq: 1, offset: 192, bytes: new Uint8Array(64) });
      tx.oncomplete = resolve;
    };
  }));
  await page.reload();
  await page.evaluate(() => ZUNO.ready);
  await until(page, () => [...document.querySelectorAll('#recent li')].some((li) => li.textContent.startsWith('mgap.rec')),
    5000, 'the stored recording in the list');
  let item;
  for (const li of await page.$$('#recent li'))
    if (await li.evaluate((e) => e.textContent.startsWith('mgap.rec'))) item = li;
  await (await item.$('button:nth-of-type(2)')).click();
  await until(page, () => ZUNO.status().mode === 'replay' && !ZUNO.status().running, 5000, 'the replay to end');
  assert.equal((await page.evaluate(() => ZUNO.status())).frames, 4, 'two records, then two frames more');
  assert.match(await page.$eval('#message', (e) => e.textContent), /^mgap\.rec: only the first 2 frames/);
});
