// Indexed pictures and animated GIF writing through giflib.
#include "tools/output/gif_file.h"

#include <gif_lib.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "tools/output/output_file.h"

namespace {

const GifColorType kPalette[kGifPaletteSize] = {
    {0, 0, 0},   {50, 50, 50},   {100, 100, 100}, {255, 0, 0},
    {0, 0, 255}, {0, 255, 0},    {255, 255, 255}, {128, 128, 128},
};

// The changed part of a frame: columns [left, right), rows [top, bottom).
struct Rect {
    int left, top, right, bottom;
};

Rect changedRect(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after, int width, int height) {
    const uint8_t* a = before.data();
    const uint8_t* b = after.data();
    auto rowDiffers = [&](int y) {
        return std::memcmp(a + static_cast<std::size_t>(y) * width, b + static_cast<std::size_t>(y) * width,
                           static_cast<std::size_t>(width)) != 0;
    };
    int top = 0;
    while (top < height && !rowDiffers(top)) ++top;
    if (top == height) return Rect{0, 0, 0, 0};
    int bottom = height;
    while (!rowDiffers(bottom - 1)) --bottom;
    int left = width, right = 0;
    for (int y = top; y < bottom; ++y) {
        const uint8_t* ra = a + static_cast<std::size_t>(y) * width;
        const uint8_t* rb = b + static_cast<std::size_t>(y) * width;
        int l = 0;
        while (l < left && ra[l] == rb[l]) ++l;
        left = std::min(left, l);
        int r = width;
        while (r > right && ra[r - 1] == rb[r - 1]) --r;
        right = std::max(right, r);
    }
    return Rect{left, top, right, bottom};
}

}  // namespace

// The GIF variant of LZW over the 8-colour palette, with a direct child
// table in place of giflib's hash: several times faster on these pictures,
// which are mostly long runs of black. giflib still writes everything around
// the compressed data (and the code-size byte).
class LzwEncoder {
public:
    static constexpr int kMinCodeSize = 3;
    static_assert(1 << kMinCodeSize == kGifPaletteSize, "the code size follows the palette");

    // Compresses the rectangle's rows into GIF data sub-blocks (each a length
    // byte and up to 255 bytes), ending with the end-of-information code.
    const std::vector<uint8_t>& encode(const uint8_t* pixels, int stride, const Rect& r) {
        bytes_.clear();
        bitBuffer_ = 0;
        bitCount_ = 0;
        reset();
        put(kClear);
        int prefix = -1;
        for (int y = r.top; y < r.bottom; ++y) {
            const uint8_t* row = pixels + static_cast<std::size_t>(y) * stride;
            for (int x = r.left; x < r.right; ++x) {
                uint8_t c = row[x];
                if (prefix < 0) {
                    prefix = c;
                    continue;
                }
                uint16_t& child = children_[prefix][c];
                if (child) {
                    prefix = child;
                    continue;
                }
                put(prefix);
                growCodeSize();
                if (next_ < kMaxCodes) {
                    child = static_cast<uint16_t>(next_++);
                } else {
                    put(kClear);
                    reset();
                }
                prefix = c;
            }
        }
        put(prefix);
        growCodeSize();
        put(kEnd);
        if (bitCount_ > 0) bytes_.push_back(static_cast<uint8_t>(bitBuffer_));

        // Split into sub-blocks.
        blocks_.clear();
        for (std::size_t at = 0; at < bytes_.size(); at += 255) {
            std::size_t n = std::min<std::size_t>(255, bytes_.size() - at);
            blocks_.push_back(static_cast<uint8_t>(n));
            blocks_.insert(blocks_.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(at),
                           bytes_.begin() + static_cast<std::ptrdiff_t>(at + n));
        }
        return blocks_;
    }

private:
    static constexpr int kClear = 1 << kMinCodeSize;
    static constexpr int kEnd = kClear + 1;
    static constexpr int kMaxCodes = 4096;

    void reset() {
        std::memset(children_, 0, sizeof children_);
        next_ = kEnd + 1;
        codeSize_ = kMinCodeSize + 1;
    }

    // A decoder adds its table entry one code later than the encoder, and
    // widens its codes once its table reaches the current limit.
    void growCodeSize() {
        if (next_ >= (1 << codeSize_) && codeSize_ < 12) ++codeSize_;
    }

    void put(int code) {
        bitBuffer_ |= static_cast<uint32_t>(code) << bitCount_;
        bitCount_ += codeSize_;
        while (bitCount_ >= 8) {
            bytes_.push_back(static_cast<uint8_t>(bitBuffer_));
            bitBuffer_ >>= 8;
            bitCount_ -= 8;
        }
    }

    uint16_t children_[kMaxCodes][kGifPaletteSize];  // code of prefix + colour; 0 = none yet
    int next_ = 0;
    int codeSize_ = 0;
    uint32_t bitBuffer_ = 0;
    int bitCount_ = 0;
    std::vector<uint8_t> bytes_;
    std::vector<uint8_t> blocks_;
};

SurfaceIndexer::SurfaceIndexer(const SDL_PixelFormat* format, int scale) : scale_(scale) {
    auto* f = const_cast<SDL_PixelFormat*>(format);
    for (int i = 0; i < gifOther; ++i) known_[i] = SDL_MapRGB(f, kPalette[i].Red, kPalette[i].Green, kPalette[i].Blue);
}

uint8_t SurfaceIndexer::classify(uint32_t pixel) {
    for (int i = 1; i < gifOther; ++i)
        if (pixel == known_[i]) return static_cast<uint8_t>(i);
    if (pixel == known_[gifBlack]) return gifBlack;
    return gifOther;
}

void SurfaceIndexer::index(SDL_Surface* surface, IndexedImage& out) {
    const int s = scale_;
    out.width = surface->w / s;
    out.height = surface->h / s;
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, gifBlack);
    const uint32_t black = known_[gifBlack];
    const uint64_t blackPair = static_cast<uint64_t>(black) << 32 | black;
    const int usedWidth = out.width * s;
    bool locked = SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) == 0;
    for (int y = 0; y < out.height * s; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(surface->pixels) +
                                                            static_cast<std::ptrdiff_t>(y) * surface->pitch);
        uint8_t* target = out.pixels.data() + static_cast<std::size_t>(y / s) * out.width;
        auto take = [&](int x) {
            uint32_t p = row[x];
            if (p == black) return;
            uint8_t c = classify(p);
            uint8_t& t = target[x / s];
            if (c > t) t = c;
        };
        // Nearly every pixel is black background: test four at a time.
        int x = 0;
        for (; x + 4 <= usedWidth; x += 4) {
            uint64_t a, b;
            std::memcpy(&a, row + x, sizeof a);
            std::memcpy(&b, row + x + 2, sizeof b);
            if (a == blackPair && b == blackPair) continue;
            take(x);
            take(x + 1);
            take(x + 2);
            take(x + 3);
        }
        for (; x < usedWidth; ++x) take(x);
    }
    if (locked) SDL_UnlockSurface(surface);
}

GifAnimation::GifAnimation() : lzw_(std::make_unique<LzwEncoder>()) {}

GifAnimation::~GifAnimation() {
    if (gif_) {
        int error = 0;
        EGifCloseFile(gif_, &error);
    }
}

std::string GifAnimation::gifError(const char* what, int code) const {
    const char* text = GifErrorString(code);
    return std::string(what) + ": " + (text ? text : "giflib error " + std::to_string(code));
}

std::string GifAnimation::open(const std::string& path, int width, int height) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return "picture size out of range";
    file_ = std::make_unique<OutputFile>(path);
    if (!file_->error().empty()) return file_->error();
    int error = 0;
    // Opened here rather than by giflib, which would create the file
    // readable by its owner only.
    int fd = ::open(file_->writePath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) return std::string("cannot create: ") + std::strerror(errno);
    gif_ = EGifOpenFileHandle(fd, &error);
    if (!gif_) {
        ::close(fd);
        return gifError("cannot create", error);
    }
    width_ = width;
    height_ = height;
    frames_ = 0;
    previous_.assign(static_cast<std::size_t>(width) * height, gifBlack);

    EGifSetGifVersion(gif_, true);
    ColorMapObject* map = GifMakeMapObject(kGifPaletteSize, kPalette);
    int status = EGifPutScreenDesc(gif_, width, height, 3, gifBlack, map);
    GifFreeMapObject(map);
    if (status == GIF_ERROR) return gifError("cannot write", gif_->Error);

    // Loop forever.
    static const unsigned char application[] = "NETSCAPE2.0";
    static const unsigned char loop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 11, application) == GIF_ERROR ||
        EGifPutExtensionBlock(gif_, 3, loop) == GIF_ERROR || EGifPutExtensionTrailer(gif_) == GIF_ERROR)
        return gifError("cannot write", gif_->Error);
    return "";
}

std::string GifAnimation::addFrame(IndexedImage& image, int delayCs) {
    if (!gif_) return "not open";
    if (image.width != width_ || image.height != height_) return "frame size differs from the animation's";

    // The first frame is stored whole; an unchanged frame as one pixel that
    // repeats what is there, so that every frame keeps its own delay.
    Rect r = frames_ == 0 ? Rect{0, 0, width_, height_} : changedRect(previous_, image.pixels, width_, height_);
    if (r.right <= r.left) r = Rect{0, 0, 1, 1};

    GraphicsControlBlock control;
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = std::max(0, std::min(delayCs, 65535));
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    std::size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_ERROR)
        return gifError("cannot write", gif_->Error);

    int w = r.right - r.left;
    if (EGifPutImageDesc(gif_, r.left, r.top, w, r.bottom - r.top, false, nullptr) == GIF_ERROR)
        return gifError("cannot write", gif_->Error);
    const std::vector<uint8_t>& blocks = lzw_->encode(image.pixels.data(), width_, r);
    for (std::size_t at = 0; at < blocks.size(); at += blocks[at] + 1u)
        if (EGifPutCodeNext(gif_, &blocks[at]) == GIF_ERROR) return gifError("cannot write", gif_->Error);
    if (EGifPutCodeNext(gif_, nullptr) == GIF_ERROR) return gifError("cannot write", gif_->Error);
    previous_.swap(image.pixels);
    ++frames_;
    return "";
}

std::string GifAnimation::close() {
    if (!gif_) return "not open";
    int error = 0;
    int status = EGifCloseFile(gif_, &error);
    gif_ = nullptr;
    if (status == GIF_ERROR) return gifError("cannot write", error);
    return file_->commit();
}
