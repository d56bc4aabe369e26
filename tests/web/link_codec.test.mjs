// The link codec's bounds, in node (its streams and base64 are the
// browser's): a link round-trips, and damaged, foreign or hostile links each
// give one "bad link" line instead of bytes.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import zlib from 'node:zlib';
import { encodeLink, decodeLink, linkKind } from '../../web/site/link_codec.js';

test('a link round-trips its bytes and names its kind', async () => {
  const bytes = Uint8Array.from({ length: 5000 }, (_, i) => (i * 7919) & 255);
  const text = await encodeLink('run', bytes);
  assert.equal(linkKind('#' + text), 'run');
  const back = await decodeLink('#' + text, { kind: 'run' });
  assert.deepEqual(back.bytes, bytes);
  await assert.rejects(encodeLink('run', crypto.getRandomValues(new Uint8Array(60000))), /too large for a link/);
});

test('damaged, foreign and hostile links are refused with one line', async () => {
  const good = await encodeLink('run', new TextEncoder().encode('10 press up\n'.repeat(50)));
  const bomb = zlib.deflateSync(Buffer.alloc(30e6)).toString('base64url');
  const cases = [good.slice(0, -4), good.slice(0, 30) + (good[30] === 'A' ? 'B' : 'A') + good.slice(31),
    'run9.' + good.slice(5), 'hello', 'run1.' + bomb, 'run1.' + 'A'.repeat(60000)];
  for (const text of cases) await assert.rejects(decodeLink(text), /^Error: bad link: [^\n]+$/);
  await assert.rejects(decodeLink(good, { kind: 'course' }), /not a course link/);
});
