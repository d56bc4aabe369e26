// Off-screen screen-sized surfaces.
#include "tools/replays/surface.h"

#include <cstring>

#include "display/display.h"

SurfacePtr createScreenSurface() {
    SurfacePtr s(SDL_CreateRGBSurface(SDL_SWSURFACE, kScreenWidth, kScreenHeight, 32, 0xFF0000, 0xFF00, 0xFF, 0));
    // The game's screen starts black; say so rather than rely on the allocator.
    if (s) std::memset(s->pixels, 0, static_cast<std::size_t>(s->h) * s->pitch);
    return s;
}
