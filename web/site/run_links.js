// Runs shared as links: the course (a course of the site by name, a drawing
// of the editor, or the level's own bytes) and the live run's key script,
// compressed into the address after '#run1.'. Opening one drives the same
// run through the game's own frame loop (ZUNO.drive) and plays it back:
// the very recording the page made of that run.
//
// Payload: one line of JSON {"frames":N,"keys":K,"course":{...}}, then the K
// bytes of the key script, then the course's bytes when it carries any
// ({"drawing":D} or {"level":L}; {"name":"0.lev"} carries none).
import { encodeLink, decodeLink } from './link_codec.js';

export const RUN_KIND = 'run';
// About 70 minutes at the page's pace: ZUNO.drive runs it in a second or two.
const MAX_FRAMES = 250000;
// Opening a link runs its frames at once, each frame's step over every
// triangle: at most this many triangle-frames (a second or so), so that a
// link never holds the page for long (a 5000-triangle level: 20,000 frames).
const MAX_WORK = 1e8;
const LEVEL_TRIANGLE_BYTES = 24;  // six 32-bit coordinates
const MAX_PAYLOAD = 4 * 1024 * 1024;
const COURSE_NAME = /^[A-Za-z0-9_-][A-Za-z0-9_.\/-]{0,120}\.lev$/;

const utf8 = new TextEncoder();

export async function encodeRun({ frames, keys, course }) {
  const keyBytes = utf8.encode(keys);
  let courseBytes = new Uint8Array(0);
  let about;
  if (course.name) about = { name: course.name };
  else if (course.drawing) { courseBytes = course.drawing; about = { drawing: courseBytes.length }; }
  else { courseBytes = course.level; about = { level: courseBytes.length }; }
  const head = utf8.encode(JSON.stringify({ frames, keys: keyBytes.length, course: about }) + '\n');
  const payload = new Uint8Array(head.length + keyBytes.length + courseBytes.length);
  payload.set(head, 0);
  payload.set(keyBytes, head.length);
  payload.set(courseBytes, head.length + keyBytes.length);
  return encodeLink(RUN_KIND, payload);
}

// Why a run of `frames` frames on the level (its file's bytes) is too long
// for a link, or ''.
export function tooLongForLink(frames, level) {
  const triangles = Math.max(300, Math.ceil(level.length / LEVEL_TRIANGLE_BYTES));
  if (frames <= MAX_FRAMES && frames * triangles <= MAX_WORK) return '';
  const most = Math.min(MAX_FRAMES, Math.floor(MAX_WORK / triangles));
  return `the run is too long for a link (${frames} frames; at most ${most} on this course)`;
}

// { frames, keys, course: {name} | {drawing: bytes} | {level: bytes} }, or
// an Error of one line starting "bad link:".
export async function decodeRun(fragment) {
  const { bytes } = await decodeLink(fragment, { kind: RUN_KIND, maxBytes: MAX_PAYLOAD });
  const bad = (why) => new Error(`bad link: ${why}`);
  const end = bytes.indexOf(10);
  if (end < 0 || end > 1000) throw bad('no run in it');
  let head;
  try {
    head = JSON.parse(new TextDecoder('utf-8', { fatal: true }).decode(bytes.subarray(0, end)));
  } catch (error) {
    throw bad('no run in it');
  }
  const count = (v, max) => Number.isInteger(v) && v >= 0 && v <= max;
  if (!head || !count(head.frames, MAX_FRAMES) || head.frames < 1)
    throw bad(`the run's length is not 1 to ${MAX_FRAMES} frames`);
  const course = head.course || {};
  const keysEnd = end + 1 + head.keys;
  if (!count(head.keys, bytes.length) || keysEnd > bytes.length) throw bad('the key script is cut short');
  let keys;
  try {
    keys = new TextDecoder('utf-8', { fatal: true }).decode(bytes.subarray(end + 1, keysEnd));
  } catch (error) {
    throw bad('the key script is not text');
  }
  const rest = bytes.subarray(keysEnd);
  const run = { frames: head.frames, keys };
  if (typeof course.name === 'string' && rest.length === 0) {
    if (!COURSE_NAME.test(course.name) || course.name.includes('..')) throw bad(`no course named "${course.name.slice(0, 40)}"`);
    run.course = { name: course.name };
  } else if (count(course.drawing, MAX_PAYLOAD) && course.drawing === rest.length) {
    run.course = { drawing: rest.slice() };
  } else if (count(course.level, MAX_PAYLOAD) && course.level === rest.length) {
    run.course = { level: rest.slice() };
  } else {
    throw bad('its course is missing or cut short');
  }
  return run;
}
