// Animated GIFs of a replay's playback, drawn frame by frame by the game's
// own replay loop, timed to the game's pace of 16 ms a frame.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

struct GifOptions {
    int64_t from = 0;   // first playback frame shown (0 = first)
    int64_t to = -1;    // last playback frame shown; -1 = the last one
    int every = 3;      // one GIF frame for every this many playback frames
    int scale = 2;      // the 1024 x 768 picture shrinks by this factor
    std::ostream* progress = nullptr;  // a progress line goes here while rendering
};

struct GifSummary {
    int frames = 0;       // GIF frames written
    int width = 0;
    int height = 0;
    int64_t from = 0;     // playback frames covered, inclusive
    int64_t to = 0;
    double seconds = 0;   // time the rendering took
};

// Hundredths of a second that the GIF frame covering playback frames
// [start, end) is shown: the rounded end time minus the rounded start time,
// so that the delays of consecutive frames add up to the rounded total.
int gifDelayCs(int64_t start, int64_t end);

// Writes the GIF; returns "" or "PATH: what is wrong".
std::string renderReplayGif(const std::string& replayPath, const std::string& levelPath,
                            const std::string& gifPath, const GifOptions& options, GifSummary& summary);
