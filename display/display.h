// The Display: the 1024 x 768 32-bit surface everything is drawn into, the
// camera, colour mapping and pixel plotting, and the clocks and timers that
// the keyboard controls and frame pacing keep.
#pragma once

#include <SDL.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "display/camera_axis.h"
#include "display/last_picture.h"
#include "display/screen_map.h"
#include "sim/vec2.h"
#include "sim/world.h"

enum class DisplayStatus {
    ok,
    videoFailed,    // SDL's video could not be started or gave no usable surface
    digitsMissing,  // record mode without a loadable "nums.bmp"
};

class Display {
public:
    // Opens the "ZUNO" window and, in record mode, loads programDirectory +
    // "nums.bmp". Clears *running when the bitmap is missing or video fails;
    // status says which.
    Display(bool* running, int32_t recordMode, const std::string& programDirectory);

    // Draws into target (a 1024 x 768, 32-bit surface the caller owns) without
    // any window; digits may be null. For tools and tests.
    Display(SDL_Surface* target, SDL_Surface* digits, bool* running);

    // Frees the digit bitmap this Display loaded; the window's surface is SDL's.
    ~Display();

    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    void setCamera(const Vec2& point) { camera = point; }
    uint32_t mapColour(uint8_t red, uint8_t green, uint8_t blue) const;

    // Writes at most one pixel. With useCamera, (x, y) are world integers:
    // column trunc(x - camera.x) + 512, row trunc(y - camera.y) + 384.
    void plotPixel(int32_t x, int32_t y, uint32_t colour, bool useCamera);

    // Plots the world point (trunc(x), trunc(y)) through the camera. Equal to
    // plotPixel(trunc(x), trunc(y), colour, true) wherever that conversion is
    // defined; points that cannot reach the screen, or are not finite, are
    // dropped before any conversion to an integer.
    void plotWorld(double x, double y, uint32_t colour) {
        const CameraAxis columns = columnAxis(camera), rows = rowAxis(camera);
        const double sx = columns.of(x), sy = rows.of(y);
        if (!(columns.lands(sx) && rows.lands(sy))) return;
        auto* row = static_cast<uint8_t*>(screen->pixels) + static_cast<std::ptrdiff_t>(sy) * screen->pitch;
        reinterpret_cast<uint32_t*>(row)[static_cast<int>(sx)] = colour;
    }

    // The camera mapping tabulated for the current camera (rebuilt when the
    // camera has changed since the last call).
    const ScreenMap& screenMap();

    // Drawing primitives (lines and circles in world space through the camera,
    // rectangles, digits and cells in screen space). Each call counts in
    // drawCalls, plotPixel's too; plotWorld is the primitives' own plot.
    void drawLine(double x1, double y1, double x2, double y2, uint32_t colour);
    void drawCircle(double cx, double cy, double radius, uint32_t colour);
    void fillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour);
    void drawNumber(int32_t value, int32_t x, int32_t y);
    void blitCell(SDL_Surface* source, int32_t sourceX, int32_t sourceY, int32_t width,
                  int32_t height, int32_t destinationX, int32_t destinationY, bool useKey);

    // Brackets direct pixel access on surfaces that must be locked; blits
    // happen outside the bracket.
    void lockPixels();
    void unlockPixels();

    // Presents the frame; nothing for an off-screen target.
    void present();

    DisplayStatus status = DisplayStatus::ok;
    bool paced = false;  // frame steps wait out 16 ms of the tick counter (the window only)

    SDL_Surface* screen = nullptr;       // drawing target; the window's surface unless off-screen
    SDL_Surface* digitBitmap = nullptr;  // glyphs 0..9 at a pitch of 19 px; null in replay mode
    uint32_t lastTick = 0xFFFFFFFFu;     // tick reading at the end of the last frame step; all bits = none yet
    bool* running = nullptr;             // the main loop's running flag
    int32_t lastRotateTime = -1;         // game-clock ms of the last rotate impulse; -1 = never
    Vec2 camera{0, 0};                   // world point drawn at (512, 384)
    int32_t boostEnergy = 1000;          // spent 150 per boost, refilled to 1000
    int32_t lastBoostTime = 0;           // game-clock ms of the last boost
    int32_t gameClock = 0;               // ms, exactly 33 per frame step
    uint64_t drawCalls = 0;              // drawing calls so far: the scene sees whether anything drew between frames
    LastPicture lastPicture;             // what the scene drew last, and whether the screen holds only that

private:
    bool windowed_ = false;
    int lockDepth_ = 0;
    ScreenMap map_;
    Vec2 mappedCamera_{0, 0};  // the camera and pitch map_ was built for, when mapBuilt_
    int mappedPitch_ = 0;
    bool mapBuilt_ = false;
};
