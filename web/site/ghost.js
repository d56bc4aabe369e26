// A replay raced as a ghost: its bike drawn in dim outlines on a canvas of
// its own over the game's picture, frame for frame with the live run, so the
// game's picture and recording stay exactly what they are without it. The
// ghost ends where its replay ends (its records, then the two frames that
// replay mode shows of the last one).

const RADIUS = [10, 15, 15];  // body ball, wheel 1, wheel 2
const COLOUR = 'rgba(150, 200, 255, 0.55)';

export class Ghost {
  // M: the game's module, which tells the picture's size and the record's.
  constructor(stage, M) {
    this.width = M._zuno_screen_width();
    this.height = M._zuno_screen_height();
    this.recordBytes = M._zuno_record_size();
    this.canvas = document.createElement('canvas');
    this.canvas.id = 'ghost';
    this.canvas.width = this.width;
    this.canvas.height = this.height;
    this.canvas.setAttribute('aria-hidden', 'true');
    stage.append(this.canvas);
    this.context = this.canvas.getContext('2d');
    this.records = null;
    this.name = '';
  }

  get active() { return this.records !== null; }

  set(bytes, name) {
    const whole = Math.floor(bytes.length / this.recordBytes) * this.recordBytes;
    this.records = new DataView(bytes.slice(0, whole).buffer);
    this.count = whole / this.recordBytes;
    this.name = name;
    this.clearPicture();
  }

  clear() {
    this.records = null;
    this.clearPicture();
  }

  clearPicture() { this.context.clearRect(0, 0, this.width, this.height); }

  // Value v (0 to 7) of record r: the three balls' x, y, then the centre's.
  value(r, v) { return this.records.getFloat64(r * this.recordBytes + v * 8, true); }

  // Draws the ghost of live frame `frame` under the camera (cx, cy), with
  // the game's own mapping from world to screen.
  draw(frame, cx, cy) {
    this.clearPicture();
    if (!this.active || this.count === 0 || frame >= this.count + 2) return;
    const r = Math.min(frame, this.count - 1);
    const sx = (x) => Math.trunc(Math.trunc(x) - cx) + this.width / 2 + 0.5;
    const sy = (y) => Math.trunc(Math.trunc(y) - cy) + this.height / 2 + 0.5;
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
