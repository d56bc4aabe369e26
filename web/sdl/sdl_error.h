// SDL_GetError's text, set by the browser SDL's calls that fail.
#pragma once

void sdlSetError(const char* format, ...) __attribute__((format(printf, 1, 2)));
