// What the page reaches beyond SDL's own calls: key events from the
// keyboard, and the picture that SDL_Flip presented, as RGBA for a canvas.
#pragma once

#include <cstdint>

// Queues a key event; the next SDL_PollEvent takes it into the key-state array.
void sdlWebPushKey(int sym, bool down);

// Drops every queued event, as a fresh SDL would have none.
void sdlWebClearEvents();

// Moves the waiting events out of SDL's reach (true) and back (false), so
// a headless run between two frames of the page takes none of them.
void sdlWebSetEventsAside(bool aside);

// The last picture SDL_Flip presented: width x height RGBA bytes, opaque.
const uint8_t* sdlWebPresented();

// True once after each SDL_Flip.
bool sdlWebTakeFlip();
