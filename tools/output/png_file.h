// PNG files of pictures: writing a drawing surface or an RGB buffer, and
// reading one back (tools and tests).
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // rows top to bottom, 3 bytes (R, G, B) a pixel

    RgbImage() = default;
    RgbImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 3, 0) {}
};

// The surface's pixels as RGB, through its own pixel format.
RgbImage surfaceToRgb(SDL_Surface* surface);

// Writes image to path (through a temporary file, so an existing file is
// replaced only by a complete one). Returns "" or the reason it failed.
std::string writePng(const std::string& path, const RgbImage& image);

// Reads an 8-bit RGB picture; returns "" or the reason it failed.
std::string readPng(const std::string& path, RgbImage& image);
