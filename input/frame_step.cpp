// The Display's frame step: controls or fast-forward, then events and pacing.
#include "input/frame_step.h"

#include <SDL.h>

#include "input/pacing.h"

void frameStep(Display& display, World& w, RecordSkipper* playback) {
    uint8_t* keys = SDL_GetKeyState(nullptr);
    if (w.recordMode)
        applyControls(keys, w, display);
    else
        fastForward(keys, playback);
    finishFrameStep(display);
}
