// What the browser tests share: the site's static server, the system's
// headless Chromium or Firefox ESR (ZUNO_BROWSER=firefox; offline, a fresh
// profile), the native tools that give the expected bytes, and a PNG reader
// for their pictures.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { execFileSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { startServer } from '../../web/serve.mjs';

export const ROOT = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const WEB_BUILD = process.env.ZUNO_WEB_BUILD || path.join(ROOT, 'build-web');
// The site itself: the folder of the build that holds what a visitor loads.
export const WEB_SITE = path.join(WEB_BUILD, 'site');
export const BUILD = process.env.ZUNO_BUILD || path.join(ROOT, 'build');
export const DATA = path.join(ROOT, 'tests/web/data');

// Chromium here has no network: without these flags it waits on connections.
const FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// Each browser's launch in a fresh profile. puppeteer's profile for Firefox
// already turns off updates, telemetry and safe browsing; these keep it from
// reaching for the network at all.
export const BROWSER = process.env.ZUNO_BROWSER || 'chromium';
const BROWSERS = {
  chromium: { name: 'Chromium', launch: (profile) => ({
    executablePath: '/usr/bin/chromium', args: [...FLAGS, `--user-data-dir=${profile}`] }) },
  firefox: { name: 'Firefox ESR', launch: (profile, downloads, touch) => ({
    browser: 'firefox', executablePath: '/usr/bin/firefox-esr', userDataDir: profile,
    extraPrefsFirefox: { 'network.proxy.type': 0, 'network.dns.disablePrefetch': true,
      'network.prefetch-next': false, 'browser.newtabpage.enabled': false,
      // Firefox takes its download folder and a touch screen from the
      // profile; Chromium from the protocol (and setViewport's hasTouch).
      ...(downloads && { 'browser.download.dir': downloads, 'browser.download.folderList': 2,
        'browser.download.useDownloadDir': true, 'browser.download.always_ask_before_handling_new_types': false }),
      ...(touch && { 'ui.primaryPointerCapabilities': 1, 'dom.maxtouchpoints.testing.value': 5 }) } }) },
};
if (!BROWSERS[BROWSER]) throw new Error(`ZUNO_BROWSER=${BROWSER}: chromium or firefox`);

export function tempDir(prefix) { return fs.mkdtempSync(path.join(os.tmpdir(), prefix)); }

// A browser and the site's server (of `root`, the built site unless named;
// a folder alone may stand for the options); close() ends both. Downloads
// land in the folder `downloads`, when given; `touch` makes the browser a
// touch screen's. Fails, never skips, where the browser cannot start.
export async function openSite(options = {}) {
  const { root = WEB_SITE, downloads, touch } = typeof options === 'string' ? { root: options } : options;
  const { server, url } = await startServer(root);
  const profile = tempDir(`zuno-${BROWSER}-`);
  let browser;
  try {
    browser = await puppeteer.launch({ ...BROWSERS[BROWSER].launch(profile, downloads, touch), headless: true,
      protocolTimeout: 600000 });
    if (downloads && BROWSER === 'chromium') {
      const cdp = await browser.target().createCDPSession();
      await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads, eventsEnabled: true });
    }
  } catch (error) {
    server.close();
    await browser?.close();
    throw new Error(`headless ${BROWSERS[BROWSER].name} cannot start: ${error.message}`);
  }
  return {
    browser, url, server,
    async page() {
      const page = await browser.newPage();
      page.on('pageerror', (e) => console.error('page error:', e.message));
      await page.goto(url);
      await page.evaluate(() => ZUNO.ready);
      return page;
    },
    async close() {
      await browser.close();
      server.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A finger down at (x, y) through puppeteer's touchscreen; end() lifts it.
// Firefox ESR refuses the pen angle puppeteer gives every touch, so there
// the same touch goes through the protocol's input actions without it.
export async function touchStart(page, x, y) {
  if (BROWSER !== 'firefox') return page.touchscreen.touchStart(x, y);
  const id = `zuno-finger-${++touchStart.fingers}`;
  const act = (actions) => page.mainFrame().browsingContext.performActions([
    { type: 'pointer', id, parameters: { pointerType: 'touch' }, actions }]);
  await act([{ type: 'pointerMove', x: Math.round(x), y: Math.round(y) },
    { type: 'pointerDown', button: 0, width: 1, height: 1, pressure: 0.5 }]);
  return { end: () => act([{ type: 'pointerUp', button: 0 }]) };
}
touchStart.fingers = 0;

export function tool(name, args) {
  return execFileSync(path.join(BUILD, name), args, { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
}

// A level file from its text form, by zuno-level compile.
export function compileLevel(txt, dir) {
  const out = path.join(dir, path.basename(txt, '.txt') + '.lev');
  tool('zuno-level', ['compile', txt, out]);
  return out;
}

// Bytes cross into the page as plain arrays.
export const toArray = (buffer) => Array.from(buffer);

// The pixels of an 8-bit RGB or RGBA PNG, non-interlaced, as RGBA.
export function readPng(file) {
  const png = fs.readFileSync(file);
  let at = 8;
  let width = 0, height = 0, colourType = 0;
  const data = [];
  while (at < png.length) {
    const length = png.readUInt32BE(at);
    const type = png.toString('ascii', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      colourType = body[9];
      if (body[8] !== 8 || body[12] !== 0 || (colourType !== 2 && colourType !== 6))
        throw new Error(`${file}: only 8-bit RGB/RGBA, non-interlaced PNGs are read here`);
    } else if (type === 'IDAT') data.push(body);
    at += 12 + length;
  }
  const bpp = colourType === 6 ? 4 : 3;
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * bpp;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= bpp ? rows[y * stride + x - bpp] : 0;
      const b = y > 0 ? rows[(y - 1) * stride + x] : 0;
      const c = x >= bpp && y > 0 ? rows[(y - 1) * stride + x - bpp] : 0;
      let v = line[x];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      rows[y * stride + x] = v & 255;
    }
  }
  const rgba = Buffer.alloc(width * height * 4);
  for (let i = 0; i < width * height; ++i) {
    rgba[i * 4] = rows[i * bpp];
    rgba[i * 4 + 1] = rows[i * bpp + 1];
    rgba[i * 4 + 2] = rows[i * bpp + 2];
    rgba[i * 4 + 3] = bpp === 4 ? rows[i * bpp + 3] : 255;
  }
  return { width, height, rgba };
}

// Bytes cross the protocol as base64 both ways.
export const toBase64 = (bytes) => Buffer.from(bytes).toString('base64');
export const fromBase64 = (text) => new Uint8Array(Buffer.from(text, 'base64'));

// Installs the page's half of the base64 crossing as window.__b64 / __bytes.
export async function installBytes(page) {
  await page.evaluate(() => {
    window.__b64 = (u8) => {
      let s = '';
      for (let i = 0; i < u8.length; i += 0x8000) s += String.fromCharCode.apply(null, u8.subarray(i, i + 0x8000));
      return btoa(s);
    };
    window.__bytes = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
  });
}

// Waits until fn, run in the page, is true, for at most ms. fn returns a
// plain value: Firefox's protocol hands back no page elements.
export async function until(page, fn, ms, what) {
  const end = Date.now() + ms;
  for (;;) {
    if (await page.evaluate(fn)) return;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await new Promise((r) => setTimeout(r, 50));
  }
}
