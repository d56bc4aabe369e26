// The key events of the live run as it goes, kept as the key script that
// `zuno-replay drive` and ZUNO.drive play: "FRAME press|release KEY", FRAME
// being the frame whose frame step first sees the event.

// The keys a key script names, by SDL 1.2 symbol; the game reads no other.
const NAMES = {
  273: 'up', 274: 'down', 275: 'right', 276: 'left', 32: 'space', 13: 'return', 304: 'lshift',
  113: 'q', 101: 'e', 97: 'a', 100: 'd', 119: 'w', 115: 's', 102: 'f',
};

export class KeyLog {
  constructor() { this.reset(); }

  reset() {
    this.events = [];  // [frame, press, name]
    this.down = new Set();
  }

  // A key event the game got after `framesRun` frames: the event drain at
  // the end of the next frame takes it, for the frame step after that.
  add(sym, press, framesRun) {
    const name = NAMES[sym];
    if (!name || press === this.down.has(sym)) return;
    if (press) this.down.add(sym); else this.down.delete(sym);
    this.events.push([framesRun + 1, press, name]);
  }

  // The script of the events that can act within the first `frames` frames.
  script(frames = Infinity) {
    return this.events.filter(([frame]) => frame < frames)
      .map(([frame, press, name]) => `${frame} ${press ? 'press' : 'release'} ${name}\n`).join('');
  }
}
