// The browser SDL's surfaces: software surfaces in ordinary memory, the
// screen surface that keeps its pixels between frames, colour mapping, the
// colour-keyed blit with SDL 1.2's clipping, and presenting for the canvas.
#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#ifdef __wasm_simd128__
#include <wasm_simd128.h>
#endif

#include "web/sdl/sdl_error.h"
#include "web/sdl/sdl_web.h"

namespace {

SDL_Surface* screen = nullptr;
std::vector<uint8_t> presented;  // RGBA of the last flip
bool flipped = false;

void describeMask(Uint32 mask, Uint8& shift, Uint8& loss) {
    shift = 0;
    loss = 8;
    if (!mask) return;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    int bits = 0;
    while (mask & 1u) {
        mask >>= 1;
        ++bits;
    }
    loss = static_cast<Uint8>(bits >= 8 ? 0 : 8 - bits);
}

Uint32 readPixel(const SDL_Surface* s, int x, int y) {
    const uint8_t* p = static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
        case 4: {
            Uint32 v;
            std::memcpy(&v, p, 4);
            return v;
        }
        case 3: return Uint32(p[0]) | Uint32(p[1]) << 8 | Uint32(p[2]) << 16;
        default: return p[0];
    }
}

void writePixel(SDL_Surface* s, int x, int y, Uint32 v) {
    uint8_t* p = static_cast<uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
    switch (s->format->BytesPerPixel) {
        case 4: std::memcpy(p, &v, 4); break;
        case 3:
            p[0] = uint8_t(v);
            p[1] = uint8_t(v >> 8);
            p[2] = uint8_t(v >> 16);
            break;
        default: p[0] = uint8_t(v); break;
    }
}

Uint8 channel(Uint32 pixel, Uint32 mask, Uint8 shift, Uint8 loss) {
    return static_cast<Uint8>(((pixel & mask) >> shift) << loss);
}

// Copies the rectangle pixel by pixel, converting between formats through
// RGB and skipping the colour key where the source has one.
void lowerBlit(SDL_Surface* src, const SDL_Rect& from, SDL_Surface* dst, const SDL_Rect& to) {
    const SDL_PixelFormat* f = src->format;
    const bool keyed = (src->flags & SDL_SRCCOLORKEY) != 0;
    const Uint32 rgbMask = ~f->Amask;
    const Uint32 key = f->colorkey & rgbMask;
    const bool sameFormat = f->BytesPerPixel == dst->format->BytesPerPixel && f->Rmask == dst->format->Rmask &&
                            f->Gmask == dst->format->Gmask && f->Bmask == dst->format->Bmask &&
                            f->Amask == dst->format->Amask;
    for (int y = 0; y < from.h; ++y) {
        for (int x = 0; x < from.w; ++x) {
            Uint32 v = readPixel(src, from.x + x, from.y + y);
            if (keyed && (v & rgbMask) == key) continue;
            if (!sameFormat)
                v = SDL_MapRGB(dst->format, channel(v, f->Rmask, f->Rshift, f->Rloss),
                               channel(v, f->Gmask, f->Gshift, f->Gloss), channel(v, f->Bmask, f->Bshift, f->Bloss));
            writePixel(dst, to.x + x, to.y + y, v);
        }
    }
}

// 0x00RRGGBB words (bytes B, G, R, 0) to the canvas's R, G, B, A bytes,
// opaque; four pixels a step where the browser has SIMD.
void toCanvasRow(const uint8_t* in, uint8_t* out, int width) {
    int x = 0;
#ifdef __wasm_simd128__
    const v128_t opaque = wasm_i32x4_splat(static_cast<int32_t>(0xFF000000u));
    for (; x + 4 <= width; x += 4) {
        v128_t p = wasm_v128_load(in + x * 4);
        p = wasm_i8x16_shuffle(p, p, 2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
        wasm_v128_store(out + x * 4, wasm_v128_or(p, opaque));
    }
#endif
    for (; x < width; ++x) {
        out[x * 4] = in[x * 4 + 2];
        out[x * 4 + 1] = in[x * 4 + 1];
        out[x * 4 + 2] = in[x * 4];
        out[x * 4 + 3] = 255;
    }
}

}  // namespace

const uint8_t* sdlWebPresented() { return presented.data(); }

bool sdlWebTakeFlip() {
    bool was = flipped;
    flipped = false;
    return was;
}

extern "C" {

SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 Rmask, Uint32 Gmask,
                                  Uint32 Bmask, Uint32 Amask) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || (depth != 8 && depth != 24 && depth != 32)) {
        sdlSetError("Invalid surface size or depth");
        return nullptr;
    }
    auto* s = static_cast<SDL_Surface*>(std::calloc(1, sizeof(SDL_Surface)));
    auto* f = static_cast<SDL_PixelFormat*>(std::calloc(1, sizeof(SDL_PixelFormat)));
    const int bytes = depth / 8;
    const int pitch = (width * bytes + 3) & ~3;
    void* pixels = std::calloc(static_cast<std::size_t>(pitch) * height, 1);
    if (!s || !f || !pixels) {
        std::free(s);
        std::free(f);
        std::free(pixels);
        sdlSetError("Out of memory");
        return nullptr;
    }
    f->BitsPerPixel = static_cast<Uint8>(depth);
    f->BytesPerPixel = static_cast<Uint8>(bytes);
    f->Rmask = Rmask;
    f->Gmask = Gmask;
    f->Bmask = Bmask;
    f->Amask = Amask;
    describeMask(Rmask, f->Rshift, f->Rloss);
    describeMask(Gmask, f->Gshift, f->Gloss);
    describeMask(Bmask, f->Bshift, f->Bloss);
    describeMask(Amask, f->Ashift, f->Aloss);
    f->alpha = 255;
    s->flags = flags & ~SDL_HWSURFACE;
    if (Amask) s->flags |= SDL_SRCALPHA;
    s->format = f;
    s->w = width;
    s->h = height;
    s->pitch = static_cast<Uint16>(pitch);
    s->pixels = pixels;
    s->clip_rect = {0, 0, static_cast<Uint16>(width), static_cast<Uint16>(height)};
    s->refcount = 1;
    return s;
}

void SDL_FreeSurface(SDL_Surface* s) {
    if (!s || s == screen) return;  // the screen is SDL's, as SDL_Quit frees it
    if (--s->refcount > 0) return;
    std::free(s->pixels);
    std::free(s->format);
    std::free(s);
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32) {
    if (bpp != 32 && bpp != 0) {
        sdlSetError("Only 32-bit video modes are available");
        return nullptr;
    }
    if (screen && (screen->w != width || screen->h != height)) {
        SDL_Surface* old = screen;
        screen = nullptr;
        SDL_FreeSurface(old);
    }
    // One software surface, like a window's shadow surface: it keeps what
    // was drawn into it from frame to frame, and a new mode starts black.
    if (!screen) screen = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    if (!screen) return nullptr;
    std::memset(screen->pixels, 0, static_cast<std::size_t>(screen->pitch) * screen->h);
    presented.assign(static_cast<std::size_t>(width) * height * 4, 0);
    for (std::size_t i = 3; i < presented.size(); i += 4) presented[i] = 255;
    return screen;
}

void SDL_WM_SetCaption(const char*, const char*) {}  // the page's title is its own

int SDL_Flip(SDL_Surface* s) {
    if (!s || s != screen) return -1;
    uint8_t* out = presented.data();
    for (int y = 0; y < s->h; ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
        toCanvasRow(row, out, s->w);
        out += static_cast<std::size_t>(s->w) * 4;
    }
    flipped = true;
    return 0;
}

Uint32 SDL_MapRGB(const SDL_PixelFormat* f, Uint8 r, Uint8 g, Uint8 b) {
    return (Uint32(r >> f->Rloss) << f->Rshift) | (Uint32(g >> f->Gloss) << f->Gshift) |
           (Uint32(b >> f->Bloss) << f->Bshift) | f->Amask;
}

int SDL_LockSurface(SDL_Surface*) { return 0; }
void SDL_UnlockSurface(SDL_Surface*) {}

int SDL_SetColorKey(SDL_Surface* s, Uint32 flag, Uint32 key) {
    if (!s) return -1;
    if (flag & SDL_SRCCOLORKEY) {
        s->flags |= SDL_SRCCOLORKEY;
        s->format->colorkey = key;
    } else {
        s->flags &= ~SDL_SRCCOLORKEY;
        s->format->colorkey = 0;
    }
    return 0;
}

// SDL 1.2's clipping: the source rectangle against the source surface, then
// the destination against its clip rectangle; dstrect gets what was drawn.
int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect) {
    if (!src || !dst) {
        sdlSetError("SDL_UpperBlit: passed a NULL surface");
        return -1;
    }
    SDL_Rect full = {0, 0, 0, 0};
    if (!dstrect) dstrect = &full;
    int srcx, srcy, w, h;
    if (srcrect) {
        srcx = srcrect->x;
        w = srcrect->w;
        if (srcx < 0) {
            w += srcx;
            dstrect->x = static_cast<Sint16>(dstrect->x - srcx);
            srcx = 0;
        }
        int maxw = src->w - srcx;
        if (maxw < w) w = maxw;
        srcy = srcrect->y;
        h = srcrect->h;
        if (srcy < 0) {
            h += srcy;
            dstrect->y = static_cast<Sint16>(dstrect->y - srcy);
            srcy = 0;
        }
        int maxh = src->h - srcy;
        if (maxh < h) h = maxh;
    } else {
        srcx = srcy = 0;
        w = src->w;
        h = src->h;
    }
    const SDL_Rect& clip = dst->clip_rect;
    int dx = clip.x - dstrect->x;
    if (dx > 0) {
        w -= dx;
        dstrect->x = static_cast<Sint16>(dstrect->x + dx);
        srcx += dx;
    }
    dx = dstrect->x + w - clip.x - clip.w;
    if (dx > 0) w -= dx;
    int dy = clip.y - dstrect->y;
    if (dy > 0) {
        h -= dy;
        dstrect->y = static_cast<Sint16>(dstrect->y + dy);
        srcy += dy;
    }
    dy = dstrect->y + h - clip.y - clip.h;
    if (dy > 0) h -= dy;
    if (w > 0 && h > 0) {
        SDL_Rect from = {static_cast<Sint16>(srcx), static_cast<Sint16>(srcy), static_cast<Uint16>(w),
                         static_cast<Uint16>(h)};
        dstrect->w = static_cast<Uint16>(w);
        dstrect->h = static_cast<Uint16>(h);
        lowerBlit(src, from, dst, *dstrect);
        return 0;
    }
    dstrect->w = dstrect->h = 0;
    return 0;
}

}  // extern "C"

