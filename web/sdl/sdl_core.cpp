// The browser SDL's start and stop, error text, events and key-state array.
#include <SDL.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>

#include "web/sdl/sdl_error.h"
#include "web/sdl/sdl_web.h"

namespace {

Uint32 initialised = 0;
char errorText[256] = "";
Uint8 keyState[SDLK_LAST];

struct RawKey {
    int sym;
    bool down;
};
std::deque<RawKey> pending;    // arrived from the page, not yet pumped
std::deque<SDL_Event> queue;   // pumped, waiting for SDL_PollEvent

// Moves the page's key events into the queue and the key-state array, as
// SDL's event pump does; an event that changes no key's state is dropped,
// so a key goes down only while up and up only while down.
void pumpEvents() {
    for (const RawKey& k : pending) {
        if (k.sym <= 0 || k.sym >= SDLK_LAST) continue;
        const Uint8 state = k.down ? SDL_PRESSED : SDL_RELEASED;
        if (keyState[k.sym] == state) continue;
        keyState[k.sym] = state;
        SDL_Event e;
        std::memset(&e, 0, sizeof e);
        e.key.type = k.down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = state;
        e.key.keysym.sym = static_cast<SDLKey>(k.sym);
        queue.push_back(e);
    }
    pending.clear();
}

}  // namespace

void sdlSetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(errorText, sizeof errorText, format, args);
    va_end(args);
}

void sdlWebPushKey(int sym, bool down) { pending.push_back({sym, down}); }

void sdlWebSetEventsAside(bool aside) {
    static std::deque<RawKey> pendingAside;
    static std::deque<SDL_Event> queueAside;
    if (aside) {
        pendingAside.swap(pending);
        queueAside.swap(queue);
        pending.clear();
        queue.clear();
    } else {
        pending.swap(pendingAside);
        queue.swap(queueAside);
        pendingAside.clear();
        queueAside.clear();
    }
}

void sdlWebClearEvents() {
    pending.clear();
    queue.clear();
}

extern "C" {

int SDL_Init(Uint32 flags) {
    initialised |= flags;
    return 0;
}

int SDL_InitSubSystem(Uint32 flags) { return SDL_Init(flags); }

Uint32 SDL_WasInit(Uint32 flags) { return initialised & flags; }

void SDL_Quit(void) { initialised = 0; }

char* SDL_GetError(void) { return errorText; }

int SDL_PollEvent(SDL_Event* event) {
    pumpEvents();
    if (queue.empty()) return 0;
    if (event) {
        *event = queue.front();
        queue.pop_front();
    }
    return 1;
}

Uint8* SDL_GetKeyState(int* numkeys) {
    if (numkeys) *numkeys = SDLK_LAST;
    return keyState;
}

}  // extern "C"
