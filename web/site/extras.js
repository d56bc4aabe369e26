// The page around the game, beyond zuno.js: touch controls, the offline
// copy, the replay timeline, races against a ghost, and runs shared as
// links. Each lives in its own module; this one wires them to the page.
//
// Hooks for other parts of the page (the editor):
//   ZUNO.courseForLink()      -> {drawing: Uint8Array} while a drawing is
//                                driven, else null (the level then goes by its bytes)
//   ZUNO.levelFromDrawing(b)  -> Promise of the level bytes of a drawing
import { registerOffline } from './offline.js';
import { touchControls } from './touch_controls.js';
import { replayTimeline } from './replay_timeline.js';
import { Ghost } from './ghost.js';
import { KeyLog } from './key_log.js';
import { linkKind } from './link_codec.js';
import { RUN_KIND, encodeRun, decodeRun, tooLongForLink } from './run_links.js';
import { courses } from './course_list.js';

registerOffline();
await ZUNO.ready;

const page = ZUNO._page;
const M = page.module();
const $ = (id) => document.getElementById(id);
const stage = $('stage');
const controls = $('controls');

touchControls({ stage, controls, setKey: (sym, down) => page.setKey('touch', sym, down) });
// The picture takes the height the header leaves (see extras.css).
const header = document.querySelector('header');
new ResizeObserver(() => document.documentElement.style.setProperty('--chrome', `${header.offsetHeight}px`))
  .observe(header);

const ghost = new Ghost(stage, M);
const keyLog = new KeyLog();
// Whether the log holds every key event of the live run: not when the run
// got keys before this module could listen.
let keyLogWhole = page.keysThisRun() === 0;
let raceNext = null;  // the replay the next live run races

const timeline = replayTimeline({
  page, stage,
  onRace(replay) {
    raceNext = replay;
    page.startLive();
    page.canvas.focus();
  },
});

// ---- what shows while racing ----
const racing = document.createElement('span');
racing.id = 'racing';
racing.hidden = true;
const racingName = document.createElement('span');
const stopRace = document.createElement('button');
stopRace.type = 'button';
stopRace.textContent = 'No ghost';
stopRace.onclick = () => { ghost.clear(); racing.hidden = true; page.canvas.focus(); };
racing.append('Racing ', racingName, ' ', stopRace);

// ---- sharing a run ----
const share = document.createElement('button');
share.type = 'button';
share.id = 'share';
share.textContent = 'Share run';
const shared = document.createElement('p');
shared.id = 'shared';
shared.hidden = true;
const sharedLink = document.createElement('input');
sharedLink.id = 'shared-link';
sharedLink.readOnly = true;
sharedLink.setAttribute('aria-label', 'link to this run');
const sharedSize = document.createElement('span');
const copy = document.createElement('button');
copy.type = 'button';
copy.textContent = 'Copy';
copy.onclick = () => { sharedLink.select(); navigator.clipboard?.writeText(sharedLink.value).catch(() => {}); };
shared.append(sharedLink, ' ', copy, ' ', sharedSize);
controls.append(share, racing);
controls.after(shared);

const sameBytes = (a, b) => a.length === b.length && a.every((v, i) => v === b[i]);

async function fetchBytes(name) {
  const response = await fetch(name);
  return response.ok ? new Uint8Array(await response.arrayBuffer()) : null;
}

// A course of the site goes by its name, a drawing as the editor keeps it,
// any other level as its bytes.
async function courseOfRun() {
  const level = M.FS.readFile('/0.lev');
  if (sameBytes(level, page.shippedLevel())) return { name: '0.lev' };
  for (const c of await courses()) {
    const name = `courses/${c.file}.lev`;
    const bytes = await fetchBytes(name).catch(() => null);
    if (bytes && sameBytes(bytes, level)) return { name };
  }
  const drawn = typeof ZUNO.courseForLink === 'function' ? await ZUNO.courseForLink() : null;
  return drawn || { level };
}

share.onclick = async () => {
  const frames = M._zuno_frames_run();
  try {
    if (page.mode() !== 'live' || frames < 1) throw new Error('no live run to share yet');
    if (!keyLogWhole) throw new Error('this run began before the page could follow its keys; share the next one');
    const tooLong = tooLongForLink(frames, M.FS.readFile('/0.lev'));
    if (tooLong) throw new Error(tooLong);
    const text = await encodeRun({ frames, keys: keyLog.script(frames), course: await courseOfRun() });
    sharedLink.value = `${location.href.split('#')[0]}#${text}`;
    sharedSize.textContent = `${frames} frames, ${(sharedLink.value.length / 1024).toFixed(1)} KB`;
    shared.hidden = false;
    navigator.clipboard?.writeText(sharedLink.value).catch(() => {});
  } catch (error) {
    page.say(`Share run: ${error.message}`);
  }
  page.canvas.focus();
};

// ---- opening a run link ----
async function levelOfCourse(course) {
  if (course.level) return course.level;
  if (course.drawing) {
    if (typeof ZUNO.levelFromDrawing !== 'function') throw new Error('this page cannot open drawn courses');
    return ZUNO.levelFromDrawing(course.drawing);
  }
  if (course.name === '0.lev') return page.shippedLevel();
  const bytes = await fetchBytes(course.name);
  if (!bytes) throw new Error(`no course named ${course.name}`);
  return bytes;
}

async function openRunLink(fragment) {
  try {
    const run = await decodeRun(fragment);
    const level = await levelOfCourse(run.course);
    const tooLong = tooLongForLink(run.frames, level);
    if (tooLong) throw new Error(tooLong);
    const replay = await ZUNO.drive({ level, keys: run.keys, frames: run.frames });
    const name = run.course.name || 'the course of the link';
    if (!page.openLevel(level, name)) return;
    ZUNO.runLink = { frames: run.frames, replay };
    page.startReplay(replay, `a shared run on ${name}`);
    // Opened over the editor: the game is what the link shows.
    document.body.classList.remove('editing');
    ZUNO.resume?.();
    page.canvas.focus();
  } catch (error) {
    const line = String(error.message || error).split('\n')[0];
    page.say(line.startsWith('bad link:') ? line : `bad link: ${line}`);
  }
}

function openFromAddress() {
  if (linkKind(location.hash) === RUN_KIND) openRunLink(location.hash);
}
window.addEventListener('hashchange', openFromAddress);

// ---- the page's events ----
ZUNO.on('key', (sym, down, frames) => { if (page.mode() === 'live') keyLog.add(sym, down, frames); });
ZUNO.on('run', (run) => {
  keyLog.reset();
  keyLogWhole = true;
  timeline.onRun(run);
  shared.hidden = true;
  if (run.mode === 'live' && raceNext) {
    ghost.set(raceNext.bytes, raceNext.name);
    racingName.textContent = raceNext.name;
  } else ghost.clear();
  racing.hidden = !ghost.active;
  raceNext = null;
});
ZUNO.on('frame', () => {
  timeline.onFrame();
  if (ghost.active && page.mode() === 'live') ghost.draw(M._zuno_frames_run() - 1, M._zuno_centre(0), M._zuno_centre(1));
});

openFromAddress();
