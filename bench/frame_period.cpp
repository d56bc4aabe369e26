// Measures the paced frame period of the real frame step (events, present,
// busy-wait pacing) over 500 frames and prints the median and the spread.
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "display/display.h"
#include "input/frame_step.h"
#include "sim/world.h"

int main() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    SDL_Init(0);
    bool running = true;
    Display display(&running, 0, "");
    if (display.status != DisplayStatus::ok) return 1;
    World w{};
    constexpr int kFrames = 500;
    std::vector<double> periods;
    auto last = std::chrono::steady_clock::now();
    for (int i = 0; i <= kFrames; ++i) {
        frameStep(display, w, nullptr);
        auto now = std::chrono::steady_clock::now();
        if (i > 0) periods.push_back(std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    }
    std::sort(periods.begin(), periods.end());
    auto at = [&](double q) { return periods[static_cast<std::size_t>(q * (periods.size() - 1))]; };
    std::printf("frame period over %d frames: median %.3f ms, p5 %.3f ms, p95 %.3f ms, min %.3f ms, max %.3f ms\n",
                kFrames, at(0.5), at(0.05), at(0.95), periods.front(), periods.back());
    SDL_Quit();
    return 0;
}
