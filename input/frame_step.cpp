// The Display's frame step: controls or fast-forward, then events and pacing.
#include <SDL.h>

#include "display/display.h"
#include "input/controls.h"
#include "input/pacing.h"

void Display::frameStep(World& w, std::istream* replayStream) {
    uint8_t* keys = SDL_GetKeyState(nullptr);
    if (w.recordMode)
        applyControls(keys, w, *this);
    else
        fastForward(keys, replayStream);
    finishFrameStep(*this);
}
