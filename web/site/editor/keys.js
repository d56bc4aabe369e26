// The editor's keys, read before the game's so that none reaches the bike
// while the editor is shown: Enter and Esc for the shape being drawn,
// Delete, Ctrl+D, undo and redo, arrows to pan, Space held to pan with the
// pointer, and one-letter commands (d draw, v select, f fit, g grid, s snap,
// t triangles, p play).
const PAN_PX = 60;

export function wireKeys(editor, tools, commands, isEditing) {
  const typing = (e) => e.target instanceof HTMLInputElement || e.target instanceof HTMLSelectElement ||
    e.target instanceof HTMLTextAreaElement;
  window.addEventListener('keydown', (e) => {
    if (!isEditing() || typing(e)) return;
    e.stopImmediatePropagation();
    const ctrl = e.ctrlKey || e.metaKey;
    const key = e.key.length === 1 ? e.key.toLowerCase() : e.key;
    let handled = true;
    if (ctrl && key === 'z' && !e.shiftKey) editor.undo();
    else if (ctrl && (key === 'y' || (key === 'z' && e.shiftKey))) editor.redo();
    else if (ctrl && key === 'd') editor.duplicate();
    else if (ctrl && key === 'a') editor.selectAll();
    else if (ctrl) handled = false;
    else if (key === 'Enter') editor.closeDraft();
    else if (key === 'Escape') {
      if (editor.draft.length) editor.cancelDraft();
      else if (editor.mode === 'draw') editor.setMode('select');
      else { editor.selection = new Set(); editor.vertex = null; editor.selectionChanged(); }
    } else if (key === 'Delete' || key === 'Backspace') {
      if (editor.draft.length) { editor.draft.pop(); editor.redraw(); } else editor.deleteSelected();
    } else if (key === 'ArrowLeft') editor.view.panBy(PAN_PX, 0);
    else if (key === 'ArrowRight') editor.view.panBy(-PAN_PX, 0);
    else if (key === 'ArrowUp') editor.view.panBy(0, PAN_PX);
    else if (key === 'ArrowDown') editor.view.panBy(0, -PAN_PX);
    else if (key === ' ') tools.spaceHeld = true;
    else if (commands[key] && !e.repeat) commands[key]();
    else handled = false;
    if (handled) e.preventDefault();
  }, true);
  window.addEventListener('keyup', (e) => {
    if (e.key === ' ') tools.spaceHeld = false;
    if (isEditing() && !typing(e)) e.stopImmediatePropagation();
  }, true);
}
