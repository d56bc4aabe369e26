// Animated GIF files of the game's pictures: a fixed palette of the few
// colours the game draws, an integer downscale that keeps one-pixel lines,
// and a writer that encodes only what changed since the previous frame.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include <memory>

struct GifFileType;
class OutputFile;
class LzwEncoder;

// Palette entries, in rising priority: where a downscaled pixel covers
// several colours, the highest index wins, so thin lines stay visible.
enum GifColour : uint8_t {
    gifBlack = 0,
    gifSpokeGrey = 1,  // the frame's spokes: (100, 100, 100) halved
    gifFrameGrey = 2,
    gifRed = 3,
    gifBlue = 4,
    gifGreen = 5,
    gifOther = 6,  // any colour the scene does not draw
    kGifPaletteSize = 8,
};

// An indexed picture.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // rows top to bottom, one palette index a pixel
};

// Maps a 32-bit surface to palette indices, shrunk by an integer factor:
// output pixel (x, y) covers source columns x*scale .. x*scale+scale-1 and the
// same rows; output size is (w / scale) x (h / scale).
class SurfaceIndexer {
public:
    SurfaceIndexer(const SDL_PixelFormat* format, int scale);
    void index(SDL_Surface* surface, IndexedImage& out);

private:
    uint8_t classify(uint32_t pixel);

    int scale_;
    uint32_t known_[gifOther];  // pixel value of each palette colour in the surface's format
};

class GifAnimation {
public:
    GifAnimation();
    ~GifAnimation();
    GifAnimation(const GifAnimation&) = delete;
    GifAnimation& operator=(const GifAnimation&) = delete;

    // Starts a looping animation of width x height; returns "" or the reason.
    std::string open(const std::string& path, int width, int height);

    // Appends one picture shown for delayCs hundredths of a second. Only the
    // rectangle that differs from the previous picture is stored. The picture
    // is kept as the next one's reference; image's pixels are left holding an
    // older buffer of the same size, for reuse.
    std::string addFrame(IndexedImage& image, int delayCs);

    // Ends the file and puts it in place; returns "" or the reason.
    std::string close();

    int frameCount() const { return frames_; }

private:
    std::string gifError(const char* what, int code) const;

    std::unique_ptr<OutputFile> file_;
    std::unique_ptr<LzwEncoder> lzw_;
    GifFileType* gif_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int frames_ = 0;
    std::vector<uint8_t> previous_;
};
