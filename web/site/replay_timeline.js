// The timeline under the picture in replay mode: play / pause, a slider to
// any frame, a frame back or forward (buttons and ',' '.'), and speeds from
// a quarter to four times. Every picture comes from the game's own playback,
// brought to the frame by the module's seek, so it is the one replay mode
// shows there; f still fast-forwards while held.

const SPEEDS = [0.25, 0.5, 1, 2, 4];
const SPEED_LABELS = ['¼×', '½×', '1×', '2×', '4×'];
const FRAME_MS = 16;  // the page's pace at 1×: a frame when 16 ms have passed

function button(text, title) {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = text;
  b.title = title;
  return b;
}

// page: zuno.js's workings (ZUNO._page); after(element): where the bar goes.
export function replayTimeline({ page, stage, onRace }) {
  const M = page.module();
  const bar = document.createElement('div');
  bar.id = 'timeline';
  bar.hidden = true;
  const back = button('◀▮', 'one frame back (,)');
  const play = button('▶', 'play / pause');
  const forward = button('▮▶', 'one frame forward (.)');
  const slider = document.createElement('input');
  slider.type = 'range';
  slider.min = '0';
  slider.step = '1';
  slider.setAttribute('aria-label', 'frame');
  const label = document.createElement('span');
  label.className = 'frame';
  const speeds = document.createElement('span');
  speeds.className = 'speeds';
  speeds.setAttribute('role', 'radiogroup');
  const speedButtons = SPEEDS.map((s, i) => {
    const b = button(SPEED_LABELS[i], `${SPEED_LABELS[i]} speed`);
    b.setAttribute('role', 'radio');
    b.onclick = () => setSpeed(s);
    speeds.append(b);
    return b;
  });
  const race = button('Race it', 'drive a live run against this replay as a ghost');
  back.id = 'step-back';
  play.id = 'play';
  forward.id = 'step-forward';
  race.id = 'race';
  bar.append(back, play, forward, slider, label, speeds, race);
  stage.after(bar);

  let playing = true;
  let speed = 1;
  let lastRun = null;
  let dragging = false;
  let replay = null;  // { bytes, name } of the replay playing

  const total = () => M._zuno_playback_frames();
  const shown = () => Math.max(0, M._zuno_shown_frame());

  function show() {
    const last = Math.max(0, total() - 1);
    slider.max = String(last);
    if (!dragging) slider.value = String(shown());
    label.textContent = `${shown()} / ${last}`;
    play.textContent = playing && M._zuno_running() ? '❚❚' : '▶';
    speedButtons.forEach((b, i) => b.setAttribute('aria-checked', String(SPEEDS[i] === speed)));
  }

  function setSpeed(s) {
    speed = s;
    show();
  }

  function seek(frame) {
    page.releaseHeldKeys();
    if (M._zuno_seek(frame)) { page.say(M.UTF8ToString(M._zuno_message())); return; }
    if (M._zuno_take_flip()) page.present();
    document.getElementById('ended').hidden = true;
    lastRun = null;
    page.refreshStatus();
    show();
  }

  function step(by) {
    playing = false;
    seek(shown() + by);
  }

  // Runs the frames of one animation frame: at 1× one when 16 ms have
  // passed, as live; slower, one every 2 or 4 such periods; faster, 2 or 4.
  page.setPacer((now) => {
    if (!playing) return false;
    const period = FRAME_MS / Math.min(speed, 1);
    const slack = speed < 1 ? 2 : 0;  // a callback a hair early still counts
    if (lastRun !== null && now - lastRun < period - slack) return false;
    lastRun = now;
    return M._zuno_run_frames(now, Math.max(1, speed)) > 0;
  });

  play.onclick = () => {
    if (!M._zuno_running()) { playing = true; seek(0); return; }
    playing = !playing;
    lastRun = null;
    show();
  };
  back.onclick = () => step(-1);
  forward.onclick = () => step(1);
  slider.addEventListener('pointerdown', () => { dragging = true; });
  slider.addEventListener('input', () => seek(Number(slider.value)));
  slider.addEventListener('change', () => { dragging = false; show(); page.canvas.focus(); });
  race.onclick = () => { if (replay) onRace(replay); };
  // The keyboard goes back to the game (f) after a button of the bar.
  for (const b of [back, play, forward, ...speedButtons]) b.addEventListener('click', () => page.canvas.focus());

  window.addEventListener('keydown', (event) => {
    if (bar.hidden || event.target instanceof HTMLInputElement && event.target.type !== 'range') return;
    if (event.code === 'Comma' || event.code === 'Period') {
      event.preventDefault();
      step(event.code === 'Comma' ? -1 : 1);
    }
  });

  return {
    // A run started: the bar shows for a replay, which starts playing at 1×.
    onRun(run) {
      bar.hidden = run.mode !== 'replay';
      document.body.classList.toggle('replaying', run.mode === 'replay');
      if (run.mode !== 'replay') return;
      replay = { bytes: run.bytes, name: run.name };
      playing = true;
      lastRun = null;
      show();
    },
    onFrame() { if (!bar.hidden) show(); },
  };
}
