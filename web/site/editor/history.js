// Undo and redo over whole states of the drawing (encoded text), so a step
// back is exact whatever the edit was. Keeps the last LIMIT states; the
// storage saves them with the drawing, so a reload keeps the session's undo.
export const LIMIT = 500;

export class History {
  constructor(states = [], index = -1) {
    this.states = states;   // encoded drawings, oldest first
    this.index = index;     // the one shown
    this.base = 0;          // how many were dropped from the front, for storage keys
  }

  get current() { return this.states[this.index]; }
  canUndo() { return this.index > 0; }
  canRedo() { return this.index < this.states.length - 1; }

  // A new state after the shown one; the redo branch is dropped. Returns
  // false when nothing changed.
  push(state) {
    if (state === this.current) return false;
    this.states.length = this.index + 1;
    this.states.push(state);
    if (this.states.length > LIMIT) {
      const drop = this.states.length - LIMIT;
      this.states.splice(0, drop);
      this.base += drop;
    }
    this.index = this.states.length - 1;
    return true;
  }

  undo() { if (this.canUndo()) this.index -= 1; return this.current; }
  redo() { if (this.canRedo()) this.index += 1; return this.current; }
}
