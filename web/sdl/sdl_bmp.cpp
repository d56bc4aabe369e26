// The browser SDL's files: SDL_RWFromFile over the whole file read into
// memory, and SDL_LoadBMP_RW for uncompressed 24- and 32-bit bitmaps.
#include <SDL.h>

#include <cstdio>
#include <vector>

#include "web/sdl/sdl_error.h"

struct SDL_RWops {
    std::vector<uint8_t> bytes;
};

namespace {

uint32_t le32(const std::vector<uint8_t>& b, std::size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t le16(const std::vector<uint8_t>& b, std::size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

SDL_Surface* decodeBmp(const std::vector<uint8_t>& b) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') {
        sdlSetError("File is not a Windows BMP file");
        return nullptr;
    }
    const uint32_t offset = le32(b, 10);
    const uint32_t headerSize = le32(b, 14);
    if (headerSize < 40) {
        sdlSetError("Unsupported BMP header");
        return nullptr;
    }
    const int32_t width = static_cast<int32_t>(le32(b, 18));
    int32_t height = static_cast<int32_t>(le32(b, 22));
    const uint16_t bits = le16(b, 28);
    const uint32_t compression = le32(b, 30);
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (compression != 0 && !(compression == 3 && bits == 32)) {
        sdlSetError("Compressed BMP files not supported");
        return nullptr;
    }
    if (bits != 24 && bits != 32) {
        sdlSetError("Unsupported BMP depth: %d bits", bits);
        return nullptr;
    }
    Uint32 r = 0xFF0000, g = 0xFF00, bl = 0xFF, a = bits == 32 ? 0xFF000000u : 0;
    if (compression == 3) {
        if (b.size() < 66) {
            sdlSetError("Error reading from datastream");
            return nullptr;
        }
        r = le32(b, 54);
        g = le32(b, 58);
        bl = le32(b, 62);
        a = headerSize >= 56 && b.size() >= 70 ? le32(b, 66) : 0;
    }
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        sdlSetError("Invalid BMP size");
        return nullptr;
    }
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * (bits / 8) + 3) & ~std::size_t(3);
    if (offset > b.size() || b.size() - offset < rowBytes * static_cast<std::size_t>(height)) {
        sdlSetError("Error reading from datastream");
        return nullptr;
    }
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, bits, r, g, bl, a);
    if (!s) return nullptr;
    for (int32_t row = 0; row < height; ++row) {
        const int32_t y = topDown ? row : height - 1 - row;
        const uint8_t* from = b.data() + offset + rowBytes * static_cast<std::size_t>(row);
        uint8_t* to = static_cast<uint8_t*>(s->pixels) + static_cast<std::size_t>(y) * s->pitch;
        for (std::size_t i = 0; i < static_cast<std::size_t>(width) * (bits / 8); ++i) to[i] = from[i];
    }
    return s;
}

}  // namespace

extern "C" {

SDL_RWops* SDL_RWFromFile(const char* file, const char* mode) {
    if (!file || !mode) {
        sdlSetError("SDL_RWFromFile(): No file or no mode specified");
        return nullptr;
    }
    std::FILE* f = std::fopen(file, mode);
    if (!f) {
        sdlSetError("Couldn't open %s", file);
        return nullptr;
    }
    auto* rw = new SDL_RWops;
    uint8_t chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) rw->bytes.insert(rw->bytes.end(), chunk, chunk + n);
    std::fclose(f);
    return rw;
}

SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* src, int freesrc) {
    if (!src) return nullptr;  // SDL_RWFromFile has said why
    SDL_Surface* s = decodeBmp(src->bytes);
    if (freesrc) delete src;
    return s;
}

}  // extern "C"
