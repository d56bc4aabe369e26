// Off-screen surfaces of the game's own format: the 1024 x 768 32-bit
// software surface that tools, tests and benchmarks draw into, an owning
// pointer for SDL surfaces, and reading back one pixel.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A black 1024 x 768, 32-bit (0x00RRGGBB) software surface, as the game's
// window is; null when SDL cannot make one (SDL_GetError says why).
SurfacePtr createScreenSurface();

// The 32-bit pixel at column x, row y of a 32-bit surface; no bounds check.
// Inline: tests read whole screens with it.
inline uint32_t pixelAt(const SDL_Surface* s, int x, int y) {
    return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) + y * s->pitch)[x];
}
