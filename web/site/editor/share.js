// A drawing carried in the page address: its shape text, compressed, after
// '#' as a "draw" link. Too large a drawing is refused with the size; a
// damaged or hostile link gives one line and opens nothing.
import { toShapeText, fromShapeText } from './formats.js';

// The page's link codec, fetched when a link is made or followed.
const codec = () => import('../link_codec.js');

export const LINK_KIND = 'draw';
export const MAX_COMPRESSED = 32 * 1024;
const MAX_TEXT_BYTES = 4 * 1024 * 1024;   // 5000 triangles' worth of text and more

export async function linkFor(items) {
  const text = new TextEncoder().encode(toShapeText(items));
  const { encodeLink } = await codec();
  const tooLarge = (kb) => new Error(`This drawing is too large for a link (${kb} KB compressed, ` +
    `at most ${MAX_COMPRESSED / 1024} KB); save it as SVG instead.`);
  let fragment;
  try {
    fragment = await encodeLink(LINK_KIND, text);
  } catch (error) {
    const size = /(\d+) KB compressed/.exec(error.message);
    if (size) throw tooLarge(size[1]);
    throw new Error(`This drawing cannot be made into a link: ${error.message}; save it as SVG instead.`);
  }
  const compressed = Math.floor(((fragment.length - fragment.indexOf('.') - 1) * 3) / 4);
  if (compressed > MAX_COMPRESSED) throw tooLarge(Math.ceil(compressed / 1024));
  const url = new URL(location.href);
  url.hash = fragment;
  return url.href;
}

export function isDrawingLink(hash) { return new RegExp(`^#?${LINK_KIND}\\d+\\.`).test(hash); }

// The items of a drawing link; throws one line when it is damaged.
export async function itemsFromLink(hash) {
  try {
    const { decodeLink } = await codec();
    const { bytes } = await decodeLink(hash, { kind: LINK_KIND, maxBytes: MAX_TEXT_BYTES });
    const text = new TextDecoder('utf-8', { fatal: true }).decode(bytes);
    return fromShapeText(text, 'link');
  } catch (error) {
    throw new Error(`This link's drawing cannot be opened: ${String(error.message || error).split('\n')[0]}`);
  }
}
