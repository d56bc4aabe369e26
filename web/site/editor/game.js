// What the editor shows of the game, as the game's module gives it: the
// screen's size, the bike as every run starts (world units), the ring
// around the selected wheel, and the first screen the camera shows.
let known = null;

export function game() {
  if (known) return known;
  const M = window.ZUNO._page.module();
  const screen = [M._zuno_screen_width(), M._zuno_screen_height()];
  const centre = [M._zuno_start_centre(0), M._zuno_start_centre(1)];
  const balls = [0, 1, 2].map((b) => [M._zuno_start_ball(b, 0), M._zuno_start_ball(b, 1), M._zuno_start_ball(b, 2)]);
  known = {
    screen, centre, balls, wheel: M._zuno_start_wheel(), marker: M._zuno_marker_radius(),
    firstScreen: { x0: centre[0] - screen[0] / 2, y0: centre[1] - screen[1] / 2, x1: centre[0] + screen[0] / 2, y1: centre[1] + screen[1] / 2 },
  };
  return known;
}
