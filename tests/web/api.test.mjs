// ZUNO.drive and ZUNO.render against the desktop tools: the same key
// scripts over the same levels give the same replay bytes, and the same
// playback frames the same pixels.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { openSite, tool, compileLevel, tempDir, readPng, installBytes, toBase64, fromBase64, BROWSER, BUILD, DATA, ROOT,
  WEB_SITE } from './support.mjs';

let site, page, dir;
before(async () => {
  site = await openSite();
  page = await site.page();
  await installBytes(page);
  dir = tempDir('zuno-web-api-');
});
after(async () => {
  await site?.close();
  if (dir) fs.rmSync(dir, { recursive: true, force: true });
});

function nativeDrive(levelPath, keysPath, name) {
  const out = path.join(dir, name + '.rec');
  tool('zuno-replay', ['drive', '--level', levelPath, '--keys', keysPath, '-o', out]);
  return fs.readFileSync(out);
}

function pageDrive(level, keys) {
  return page.evaluate(async (level, keys) => {
    const replay = await ZUNO.drive({ level: level ? __bytes(level) : undefined, keys });
    return __b64(replay);
  }, level ? toBase64(level) : null, keys).then(fromBase64);
}

const drives = [
  { name: 'course', level: null, keys: 'course.keys' },
  { name: 'bowl', level: 'bowl.txt', keys: 'bowl.keys' },
  { name: 'steps', level: 'steps.txt', keys: 'steps.keys' },
];

test('ZUNO.drive writes the bytes zuno-replay drive writes', async (t) => {
  for (const d of drives) {
    await t.test(d.name, async () => {
      const levelPath = d.level ? compileLevel(path.join(DATA, d.level), dir) : path.join(BUILD, '0.lev');
      const keysPath = path.join(DATA, d.keys);
      const expected = nativeDrive(levelPath, keysPath, d.name);
      assert.ok(expected.length >= 64 * 2900, `${d.name}: a drive of several thousand frames`);
      const got = Buffer.from(await pageDrive(d.level ? fs.readFileSync(levelPath) : null,
        fs.readFileSync(keysPath, 'utf8')));
      let first = got.findIndex((b, i) => b !== expected[i]);
      if (first < 0 && got.length !== expected.length) first = Math.min(got.length, expected.length);
      assert.equal(first, -1, `${BROWSER}: level ${d.level || 'the shipped course'}, script ${d.keys}: ` +
        `the replay differs from frame ${first >> 6} (${expected.length / 64} frames, ${got.length / 64} in the page)`);
    });
  }
});

test('ZUNO.render draws what zuno-replay render draws', async () => {
  const levelPath = path.join(BUILD, '0.lev');
  const replay = nativeDrive(levelPath, path.join(DATA, 'course.keys'), 'render');
  const last = replay.length / 64 + 1;
  for (const frame of [0, 1, 650, 1765, last]) {
    const png = path.join(dir, `frame-${frame}.png`);
    tool('zuno-replay', ['render', path.join(dir, 'render.rec'), '--level', levelPath, '--frame', String(frame), '-o', png]);
    const expected = readPng(png);
    const got = fromBase64(await page.evaluate(async (replay, frame) => {
      const image = await ZUNO.render({ replay: __bytes(replay), frame });
      return __b64(new Uint8Array(image.data.buffer)) + (image.width === 1024 && image.height === 768 ? '' : '!');
    }, toBase64(replay), frame));
    assert.equal(expected.width, 1024);
    assert.equal(got.length, expected.rgba.length, `${BROWSER}: frame ${frame}: size`);
    const first = got.findIndex((v, i) => v !== expected.rgba[i]);
    assert.equal(first, -1, `${BROWSER}: the shipped course, script course.keys: frame ${frame}: ` +
      `first differing pixel ${first >> 2}`);
  }
  await assert.rejects(page.evaluate((replay) => ZUNO.render({ replay: __bytes(replay), frame: 1e6 }),
    toBase64(replay)), /past the end of the playback/);
});

test('ZUNO.compileLevel writes the bytes zuno-level compile writes', async () => {
  const root = ROOT;
  const sources = [path.join(root, 'tests/tools/shapes/course_shapes.txt'), path.join(root, 'data/example.svg'),
    path.join(DATA, 'bent_bar.txt'), path.join(DATA, 'stairs.txt'), path.join(DATA, 'tight_curves.svg'),
    path.join(DATA, 'curves_meet.svg'), path.join(DATA, 'just_over_80.svg'),
    ...fs.readdirSync(path.join(root, 'data/courses')).filter((f) => f.endsWith('.svg')).map((f) => path.join(root, 'data/courses', f))];
  for (const source of sources) {
    const out = path.join(dir, path.basename(source) + '.lev');
    tool('zuno-level', ['compile', source, out]);
    const got = fromBase64(await page.evaluate(async (text, name) => __b64(await ZUNO.compileLevel({ source: text, name })),
      fs.readFileSync(source, 'utf8'), path.basename(source)));
    assert.ok(Buffer.from(got).equals(fs.readFileSync(out)), `${source}: the page's level differs`);
  }
  const warnings = await page.evaluate(async (text) => (await ZUNO.compileLevel({ source: text, name: 'bar.txt' })).warnings,
    fs.readFileSync(path.join(DATA, 'bent_bar.txt'), 'utf8'));
  assert.equal(warnings.length, 2);
  assert.match(warnings[0], /^bar\.txt:3: warning: shape has a side from \(4660, 1798\) to \(6402, 603\) .*: bent in by at most/);
  // The editor reads a drawing's curves as that compile flattened them: the
  // corners rounded by 5 units are square, and their warning is there.
  const read = await page.evaluate((text) => ZUNO.readSvg({ source: text, name: 't.svg' }),
    fs.readFileSync(path.join(DATA, 'tight_curves.svg'), 'utf8'));
  assert.deepEqual(read.outlines[0].points, [[667, 400], [667, 533], [400, 533], [400, 400]]);
  assert.match(read.warnings[0].message, /rect id=r has 4 sides under 50 world units/);
  const met = await page.evaluate((text) => ZUNO.readSvg({ source: text, name: 'm.svg' }),
    fs.readFileSync(path.join(DATA, 'curves_meet.svg'), 'utf8'));
  assert.match(met.warnings[0].message, /^m\.svg: warning: the compile takes corners out where its shapes meet, which the editor's outlines keep/);
  const nudged = await page.evaluate((text) => ZUNO.readSvg({ source: text, name: 'n.svg' }),
    fs.readFileSync(path.join(DATA, 'just_over_80.svg'), 'utf8'));
  assert.match(nudged.warnings[0].message, /^n\.svg: warning: the compile takes corners out where its shapes meet and moves corners where they meet or on its curves by a whole point/);
  await assert.rejects(page.evaluate(() => ZUNO.compileLevel({ source: 'shape 0 0 600 0 600 20 0 20\n', name: 'thin.txt' })),
    /thin\.txt:1: shape is \d+ world units thick near \(/);
});

test("the module brings none of emscripten's own SDL", () => {
  const glue = fs.readFileSync(path.join(WEB_SITE, 'zuno_core.js'), 'utf8');
  assert.equal((glue.match(/SDL_\w+|library_sdl|SDL\.(?:init|keyCodes)/g) || []).length, 0);
});
