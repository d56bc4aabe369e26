// Bytes carried in a page address after '#': compressed, base64url, behind
// a short kind and version ("run1.…", "course1.…"). Decoding is bounded in
// input length, output size and time, so a damaged or hostile link gives
// one Error with one line and never hangs or exhausts the page.
//
//   await encodeLink(kind, bytes)  -> fragment text (no '#'); throws when the
//                                     link would exceed MAX_LINK_CHARS
//   linkKind(text)                 -> the kind of a fragment ('#' optional), or null
//   await decodeLink(text, { kind, maxBytes }) -> { kind, bytes }; throws Error
//
// The compressed form is zlib's ('deflate'), whose checksum catches damage.

export const LINK_VERSION = 1;
// Addresses this long still pass through browsers, chat programs and mail.
export const MAX_LINK_CHARS = 48 * 1024;
const DEFAULT_MAX_BYTES = 8 * 1024 * 1024;
const TIMEOUT_MS = 3000;
const FORMAT = 'deflate';
const PREFIX = /^#?([a-z]{1,16})([0-9]{1,3})\./;
const PATTERN = /^#?([a-z]{1,16})([0-9]{1,3})\.([A-Za-z0-9_-]*)$/;

function toBase64Url(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000)
    text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  if (text.length % 4 === 1) throw new Error('the link is cut short');
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/') + '='.repeat((4 - text.length % 4) % 4));
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

// Reads a stream to its end, at most `limit` bytes, within `ms`; cancels it otherwise.
async function readAll(stream, limit, ms) {
  const reader = stream.getReader();
  const chunks = [];
  let total = 0;
  let timer = 0;
  const late = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error('the link takes too long to unpack')), ms);
  });
  try {
    for (;;) {
      const { done, value } = await Promise.race([reader.read(), late]);
      if (done) break;
      total += value.length;
      if (total > limit) throw new Error(`the link unpacks to more than ${limit} bytes`);
      chunks.push(value);
    }
  } catch (error) {
    reader.cancel().catch(() => {});
    throw error;
  } finally {
    clearTimeout(timer);
  }
  const out = new Uint8Array(total);
  let at = 0;
  for (const c of chunks) { out.set(c, at); at += c.length; }
  return out;
}

function piped(bytes, transform) {
  const writer = transform.writable.getWriter();
  writer.write(bytes).catch(() => {});
  writer.close().catch(() => {});
  return transform.readable;
}

export async function encodeLink(kind, bytes) {
  if (!/^[a-z]{1,16}$/.test(kind)) throw new Error(`not a link kind: ${kind}`);
  if (typeof CompressionStream !== 'function') throw new Error('this browser cannot compress links');
  const packed = await readAll(piped(bytes, new CompressionStream(FORMAT)), Infinity, 60000);
  const text = `${kind}${LINK_VERSION}.${toBase64Url(packed)}`;
  if (text.length > MAX_LINK_CHARS)
    throw new Error(`too large for a link (${Math.ceil(packed.length / 1024)} KB compressed, ` +
      `at most ${Math.floor(MAX_LINK_CHARS * 3 / 4 / 1024)} KB)`);
  return text;
}

export function linkKind(text) {
  const m = PREFIX.exec(String(text).slice(0, 24));
  return m ? m[1] : null;
}

export async function decodeLink(text, { kind, maxBytes = DEFAULT_MAX_BYTES } = {}) {
  text = String(text);
  if (text.length > MAX_LINK_CHARS + 40) throw new Error(`bad link: longer than ${MAX_LINK_CHARS} characters`);
  const m = PATTERN.exec(text);
  if (!m) throw new Error('bad link: not a ZUNO link');
  if (kind && m[1] !== kind) throw new Error(`bad link: a ${m[1]} link, not a ${kind} link`);
  if (Number(m[2]) !== LINK_VERSION) throw new Error(`bad link: version ${m[2]}, this page reads ${LINK_VERSION}`);
  if (typeof DecompressionStream !== 'function') throw new Error('bad link: this browser cannot unpack links');
  try {
    const packed = fromBase64Url(m[3]);
    const bytes = await readAll(piped(packed, new DecompressionStream(FORMAT)), maxBytes, TIMEOUT_MS);
    return { kind: m[1], bytes };
  } catch (error) {
    const why = /unpack|cut short/.test(error.message) ? error.message : 'the link is damaged';
    throw new Error(`bad link: ${why}`);
  }
}
