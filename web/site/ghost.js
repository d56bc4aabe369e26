// A replay raced as a ghost: its bike drawn in dim outlines on a canvas of
// its own over the game's picture, frame for frame with the live run, so the
// game's picture and recording stay exactly what they are without it. The
// ghost ends where its replay ends (its records, then the two frames that
// replay mode shows of the last one).

const WIDTH = 1024;
const HEIGHT = 768;
const RECORD = 64;
const RADIUS = [10, 15, 15];  // body ball, wheel 1, wheel 2
const COLOUR = 'rgba(150, 200, 255, 0.55)';

export class Ghost {
  constructor(stage) {
    this.canvas = document.createElement('canvas');
    this.canvas.id = 'ghost';
    this.canvas.width = WIDTH;
    this.canvas.height = HEIGHT;
    this.canvas.setAttribute('aria-hidden', 'true');
    stage.append(this.canvas);
    this.context = this.canvas.getContext('2d');
    this.records = null;
    this.name = '';
  }

  get active() { return this.records !== null; }

  set(bytes, name) {
    const whole = Math.floor(bytes.length / RECORD) * RECORD;
    this.records = new DataView(bytes.slice(0, whole).buffer);
    this.count = whole / RECORD;
    this.name = name;
    this.clearPicture();
  }

  clear() {
    this.records = null;
    this.clearPicture();
  }

  clearPicture() { this.context.clearRect(0, 0, WIDTH, HEIGHT); }

  // Value v (0 to 7) of record r: the three balls' x, y, then the centre's.
  value(r, v) { return this.records.getFloat64(r * RECORD + v * 8, true); }

  // Draws the ghost of live frame `frame` under the camera (cx, cy), with
  // the game's own mapping from world to screen.
  draw(frame, cx, cy) {
    this.clearPicture();
    if (!this.active || this.count === 0 || frame >= this.count + 2) return;
    const r = Math.min(frame, this.count - 1);
    const sx = (x) => Math.trunc(Math.trunc(x) - cx) + WIDTH / 2 + 0.5;
    const sy = (y) => Math.trunc(Math.trunc(y) - cy) + HEIGHT / 2 + 0.5;
    const p = [0, 1, 2, 3].map((i) => [sx(this.value(r, 2 * i)), sy(this.value(r, 2 * i + 1))]);
    const c = this.context;
    c.strokeStyle = COLOUR;
    c.lineWidth = 1;
    c.setLineDash([4, 3]);
    c.beginPath();
    c.moveTo(...p[0]);
    c.lineTo(...p[1]);
    c.lineTo(...p[2]);
    c.closePath();
    for (let i = 0; i < 3; ++i) {
      c.moveTo(...p[i]);
      c.lineTo(...p[3]);
    }
    c.stroke();
    c.setLineDash([]);
    for (let i = 0; i < 3; ++i) {
      c.beginPath();
      c.arc(p[i][0], p[i][1], RADIUS[i], 0, 2 * Math.PI);
      c.stroke();
    }
  }
}
