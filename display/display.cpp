// Display construction, colour mapping and pixel plotting.
#include "display/display.h"

#include <cmath>
#include <cstring>
#include <iostream>

namespace {

// A page-flipped hardware double buffer does not keep the last picture, and
// erasing by redrawing needs it kept: fall back to a plain software surface.
SDL_Surface* openVideoSurface() {
    SDL_Surface* s = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    if (s && (s->flags & SDL_HWSURFACE) && (s->flags & SDL_DOUBLEBUF))
        s = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, SDL_SWSURFACE);
    return s;
}

bool usableSurface(const SDL_Surface* s) {
    return s && s->w >= kScreenWidth && s->h >= kScreenHeight && s->format &&
           s->format->BytesPerPixel == 4 && s->pixels != nullptr;
}

}  // namespace

Display::Display(bool* runningFlag, int32_t recordMode, const std::string& programDirectory)
    : paced(true), running(runningFlag), windowed_(true) {
    SDL_Init(SDL_INIT_EVERYTHING);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) SDL_InitSubSystem(SDL_INIT_VIDEO);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        std::cerr << "zuno: cannot start SDL video: " << SDL_GetError() << '\n';
        status = DisplayStatus::videoFailed;
        *running = false;
        return;
    }
    screen = openVideoSurface();
    if (!usableSurface(screen)) {
        std::cerr << "zuno: cannot open a 1024 x 768, 32-bit video mode: " << SDL_GetError() << '\n';
        status = DisplayStatus::videoFailed;
        screen = nullptr;
        *running = false;
        return;
    }
    SDL_WM_SetCaption("ZUNO", nullptr);
    lastTick = 0xFFFFFFFFu;
    lastRotateTime = -1;
    boostEnergy = 1000;
    lastBoostTime = 0;
    if (recordMode) {
        std::string path = programDirectory + "nums.bmp";
        digitBitmap = SDL_LoadBMP_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
        if (!digitBitmap) {
            std::cout << "File \"" << path << "\" not found, terminating." << std::endl;
            status = DisplayStatus::digitsMissing;
            *running = false;
            std::cout << SDL_GetError() << std::endl;
            int discarded = 0;
            std::cin >> discarded;  // the player reads the message; end of input returns at once
        }
    }
    gameClock = 0;
}

Display::Display(SDL_Surface* target, SDL_Surface* digits, bool* runningFlag)
    : screen(target), digitBitmap(digits), running(runningFlag) {}

Display::~Display() {
    if (windowed_ && digitBitmap) SDL_FreeSurface(digitBitmap);
}

uint32_t Display::mapColour(uint8_t red, uint8_t green, uint8_t blue) const {
    return SDL_MapRGB(screen->format, red, green, blue);
}

void Display::plotPixel(int32_t x, int32_t y, uint32_t colour, bool useCamera) {
    ++drawCalls;
    if (useCamera) {
        const CameraAxis columns = columnAxis(camera), rows = rowAxis(camera);
        const double sx = columns.ofWhole(x), sy = rows.ofWhole(y);
        if (!(columns.lands(sx) && rows.lands(sy))) return;
        x = static_cast<int32_t>(sx);
        y = static_cast<int32_t>(sy);
    } else if (x < 0 || x >= kScreenWidth || y < 0 || y >= kScreenHeight) {
        return;
    }
    auto* row = static_cast<uint8_t*>(screen->pixels) + static_cast<std::ptrdiff_t>(y) * screen->pitch;
    reinterpret_cast<uint32_t*>(row)[x] = colour;
}

const ScreenMap& Display::screenMap() {
    // Compared bit for bit: -0.0 and 0.0, or two NaNs, may map differently.
    if (!mapBuilt_ || mappedPitch_ != screen->pitch || std::memcmp(&mappedCamera_, &camera, sizeof camera) != 0) {
        map_.usable = map_.x.build(columnAxis(camera), sizeof(uint32_t)) && map_.y.build(rowAxis(camera), screen->pitch);
        mappedCamera_ = camera;
        mappedPitch_ = screen->pitch;
        mapBuilt_ = true;
    }
    return map_;
}

void Display::lockPixels() {
    if (lockDepth_++ == 0 && SDL_MUSTLOCK(screen)) SDL_LockSurface(screen);
}

void Display::unlockPixels() {
    if (--lockDepth_ == 0 && SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
}

void Display::present() {
    if (windowed_) SDL_Flip(screen);
}
