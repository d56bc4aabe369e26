// PNG writing and reading through libpng's simplified interface.
#include "tools/output/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/output/output_file.h"

RgbImage surfaceToRgb(SDL_Surface* surface) {
    RgbImage image(surface->w, surface->h);
    bool locked = SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) == 0;
    const SDL_PixelFormat* f = surface->format;
    uint8_t* out = image.pixels.data();
    for (int y = 0; y < surface->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(surface->pixels) +
                                                            static_cast<std::ptrdiff_t>(y) * surface->pitch);
        for (int x = 0; x < surface->w; ++x) {
            uint8_t r, g, b;
            SDL_GetRGB(row[x], const_cast<SDL_PixelFormat*>(f), &r, &g, &b);
            *out++ = r;
            *out++ = g;
            *out++ = b;
        }
    }
    if (locked) SDL_UnlockSurface(surface);
    return image;
}

std::string writePng(const std::string& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0) return "empty picture";
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    OutputFile file(path);
    if (!file.error().empty()) return file.error();
    std::FILE* out = std::fopen(file.writePath().c_str(), "wb");
    if (!out) return std::string("cannot create: ") + std::strerror(errno);
    bool written = png_image_write_to_stdio(&png, out, 0, image.pixels.data(), 0, nullptr);
    std::string reason = written ? "" : png.message[0] ? png.message : "cannot write";
    png_image_free(&png);
    if (std::fclose(out) != 0 && written) reason = std::string("cannot write: ") + std::strerror(errno);
    return reason.empty() ? file.commit() : reason;
}

std::string readPng(const std::string& path, RgbImage& image) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        std::string reason = png.message[0] ? png.message : "cannot read";
        png_image_free(&png);
        return reason;
    }
    png.format = PNG_FORMAT_RGB;
    image = RgbImage(static_cast<int>(png.width), static_cast<int>(png.height));
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr)) {
        std::string reason = png.message[0] ? png.message : "cannot read";
        png_image_free(&png);
        image = RgbImage();
        return reason;
    }
    return "";
}
