// Buttons for every control of the game, for touch screens (and any screen
// through the "Touch controls" toggle): each one holds its key while a
// finger (or the mouse button, or a pen) is on it, several at once, and
// writes the key-state array as that key does. They sit beside the picture,
// never over the bike, and the page neither scrolls nor zooms while one is held.

// [symbol, label, what it does, pad]; the shift keys are behind "more".
const CONTROLS = [
  [276, '↶ turn', 'turn left', 'left'],
  [275, 'turn ↷', 'turn right', 'left'],
  [274, 'brake', 'brake', 'left'],
  [304, 'no gravity', 'no gravity while held', 'left'],
  [97, '◀', 'shift left', 'more'],
  [100, '▶', 'shift right', 'more'],
  [119, '▲', 'shift up', 'more'],
  [115, '▼', 'shift down', 'more'],
  [113, 'kick in', 'kick towards the centre', 'right'],
  [101, 'kick out', 'kick away from the centre', 'right'],
  [13, 'apart', 'push apart', 'right'],
  [32, 'swap', 'swap the driving wheel', 'right'],
  [273, 'drive', 'drive', 'right'],
];
const STORED = 'zuno-touch-controls';

// One button holding key `sym` while any pointer is on it.
function holdButton(label, title, sym, setKey) {
  const button = document.createElement('button');
  button.type = 'button';
  button.tabIndex = -1;  // the keyboard stays with the game
  button.textContent = label;
  button.title = title;
  button.dataset.key = String(sym);
  const pointers = new Set();
  const update = () => {
    const down = pointers.size > 0;
    if (down === button.classList.contains('held')) return;
    button.classList.toggle('held', down);
    setKey(sym, down);
  };
  const take = (event) => { pointers.add(event.pointerId); update(); };
  const drop = (event) => { pointers.delete(event.pointerId); update(); };
  button.addEventListener('pointerdown', (event) => {
    event.preventDefault();  // no focus, no emulated mouse events
    // A finger sliding off lets go, one sliding on takes hold: no capture.
    if (button.hasPointerCapture(event.pointerId)) button.releasePointerCapture(event.pointerId);
    take(event);
  });
  button.addEventListener('gotpointercapture', (event) => button.releasePointerCapture(event.pointerId));
  button.addEventListener('pointerenter', (event) => { if (event.buttons & 1) take(event); });
  for (const type of ['pointerup', 'pointercancel', 'pointerleave']) button.addEventListener(type, drop);
  button.releaseAll = () => { pointers.clear(); update(); };
  return button;
}

// Builds the pads into `stage`'s parent, around it, and the toggle into
// `controls`. setKey(sym, down) is the page's own key path.
export function touchControls({ stage, controls, setKey }) {
  const pads = {};
  const buttons = [];
  for (const side of ['left', 'right']) {
    pads[side] = document.createElement('div');
    pads[side].className = `pad pad-${side}`;
  }
  const more = document.createElement('div');
  more.className = 'pad-more';
  more.hidden = true;
  for (const [sym, label, title, where] of CONTROLS) {
    const button = holdButton(label, title, sym, setKey);
    buttons.push(button);
    if (sym === 273) button.classList.add('drive');
    (where === 'more' ? more : pads[where]).append(button);
  }
  const moreButton = document.createElement('button');
  moreButton.type = 'button';
  moreButton.tabIndex = -1;
  moreButton.textContent = 'more';
  moreButton.title = 'the shift keys';
  moreButton.setAttribute('aria-expanded', 'false');
  // On pointerdown: the pads' touches make no clicks.
  moreButton.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    more.hidden = !more.hidden;
    moreButton.setAttribute('aria-expanded', String(!more.hidden));
    if (more.hidden) for (const b of more.children) b.releaseAll();
  });
  pads.left.append(moreButton, more);
  stage.before(pads.left);
  stage.after(pads.right);

  const held = () => buttons.some((b) => b.classList.contains('held'));
  // While a control is held nothing pans or zooms the page, wherever the other fingers are.
  document.addEventListener('touchmove', (event) => { if (held()) event.preventDefault(); }, { passive: false });
  for (const pad of Object.values(pads)) {
    pad.addEventListener('touchstart', (event) => event.preventDefault(), { passive: false });
    pad.addEventListener('contextmenu', (event) => event.preventDefault());
  }

  const toggle = document.createElement('button');
  toggle.type = 'button';
  toggle.id = 'touch-toggle';
  toggle.textContent = 'Touch controls';
  const show = (on) => {
    document.body.classList.toggle('touch', on);
    toggle.setAttribute('aria-pressed', String(on));
    if (!on) for (const b of buttons) b.releaseAll();
  };
  toggle.onclick = () => {
    const on = !document.body.classList.contains('touch');
    try { localStorage.setItem(STORED, on ? 'on' : 'off'); } catch (error) { /* not kept: private mode */ }
    show(on);
    document.getElementById('screen').focus({ preventScroll: true });
  };
  controls.append(toggle);
  let stored = null;
  try { stored = localStorage.getItem(STORED); } catch (error) { /* no storage */ }
  const touchScreen = matchMedia('(pointer: coarse)').matches || navigator.maxTouchPoints > 0;
  show(stored ? stored === 'on' : touchScreen);

  return { releaseAll() { for (const b of buttons) b.releaseAll(); } };
}
