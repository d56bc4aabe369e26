// The functions the page's script calls: starting and advancing the page's
// run, keys, levels, the recording, and the API's drive and render. Bytes
// cross in two input slots and one output buffer; messages in one string.
#include <emscripten/emscripten.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/level_file.h"
#include "app/replay_file.h"
#include "display/display.h"
#include "display/scene.h"
#include "platform/ticks.h"
#include "sim/step.h"
#include "sim/world.h"
#include "web/api.h"
#include "web/level_input.h"
#include "web/page_run.h"
#include "web/sdl/sdl_web.h"

namespace {

PageRun page;
std::vector<uint8_t> inputs[2];
std::vector<uint8_t> output;
std::string message;

// The names the page knows the run modes by.
const char* modeName(PageMode mode) {
    switch (mode) {
        case PageMode::live: return "live";
        case PageMode::replay: return "replay";
        case PageMode::none: break;
    }
    return "none";
}

int result(const std::string& error) {
    message = error;
    return error.empty() ? 0 : 1;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE uint8_t* zuno_input(int slot, int size) {
    std::vector<uint8_t>& in = inputs[slot & 1];
    in.assign(static_cast<std::size_t>(size > 0 ? size : 0), 0);
    return in.data();
}

EMSCRIPTEN_KEEPALIVE const char* zuno_message() { return message.c_str(); }
EMSCRIPTEN_KEEPALIVE const uint8_t* zuno_output() { return output.data(); }
EMSCRIPTEN_KEEPALIVE int zuno_output_size() { return static_cast<int>(output.size()); }

EMSCRIPTEN_KEEPALIVE int zuno_start_live() { return result(page.startLive()); }

// Input slot 0 holds the replay's bytes.
EMSCRIPTEN_KEEPALIVE int zuno_start_replay(const char* name) { return result(page.startReplay(inputs[0], name)); }

// Input slot 0 holds the level file or its text; on success it is the new "0.lev".
EMSCRIPTEN_KEEPALIVE int zuno_set_level(const char* name) {
    std::vector<uint8_t> levelBytes;
    if (std::string error = levelFileFrom(inputs[0], name, levelBytes); !error.empty()) return result(error);
    return result(writeWholeFile(kLevelFileName, levelBytes));
}

// One animation frame of the page at time `now` (the callback's time, in
// milliseconds): a main-loop pass when 16 ms have passed since the last
// one began. 1 when a frame ran.
EMSCRIPTEN_KEEPALIVE int zuno_tick(double now) {
    const auto tick = static_cast<uint32_t>(static_cast<uint64_t>(now));
    return page.frameDue(tick) && page.frame(tick) ? 1 : 0;
}

// Up to n main-loop passes at time `now`, for a playback paced by the page
// (its timeline's speeds); the passes run.
EMSCRIPTEN_KEEPALIVE int zuno_run_frames(double now, int n) {
    const auto tick = static_cast<uint32_t>(static_cast<uint64_t>(now));
    int ran = 0;
    while (ran < n && page.frame(tick)) ++ran;
    return ran;
}

// The playback brought to frame `frame`, its picture drawn.
EMSCRIPTEN_KEEPALIVE int zuno_seek(double frame) { return result(page.seekReplay(static_cast<int64_t>(frame))); }
EMSCRIPTEN_KEEPALIVE double zuno_playback_frames() { return static_cast<double>(page.playbackFrames()); }
EMSCRIPTEN_KEEPALIVE double zuno_shown_frame() { return static_cast<double>(page.shownFrame()); }

// One main-loop pass whatever the time (benchmarks).
EMSCRIPTEN_KEEPALIVE int zuno_frame() { return page.frame(getTickCount()) ? 1 : 0; }

// The picture's size in pixels.
EMSCRIPTEN_KEEPALIVE int zuno_screen_width() { return kScreenWidth; }
EMSCRIPTEN_KEEPALIVE int zuno_screen_height() { return kScreenHeight; }

// How every run starts: ball `ball`'s position (axis 0, 1) and radius
// (axis 2), the selected wheel and its ring's radius, and the camera's
// first point, for the editor's picture of the start.
EMSCRIPTEN_KEEPALIVE double zuno_start_ball(int ball, int axis) {
    World start{};
    initialiseWorld(start);
    const int b = (ball % kBallCount + kBallCount) % kBallCount;
    return axis == 2 ? start.radius[b] : axis ? start.position[b].y : start.position[b].x;
}
EMSCRIPTEN_KEEPALIVE int zuno_start_wheel() {
    World start{};
    initialiseWorld(start);
    return start.selectedWheel;
}
EMSCRIPTEN_KEEPALIVE double zuno_marker_radius() { return kMarkerRadius; }
EMSCRIPTEN_KEEPALIVE double zuno_start_centre(int axis) {
    World start{};
    initialiseWorld(start);
    const Vec2 c = centrePoint(start.position);
    return axis ? c.y : c.x;
}

// The level file's world units per file unit, and the most triangles a level holds.
EMSCRIPTEN_KEEPALIVE double zuno_file_to_world() { return kFileToWorld; }
EMSCRIPTEN_KEEPALIVE int zuno_max_triangles() { return kMaxTriangles; }

EMSCRIPTEN_KEEPALIVE int zuno_take_flip() { return sdlWebTakeFlip() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE const uint8_t* zuno_picture() { return sdlWebPresented(); }

EMSCRIPTEN_KEEPALIVE void zuno_key(int sym, int down) { sdlWebPushKey(sym, down != 0); }

EMSCRIPTEN_KEEPALIVE const char* zuno_mode() { return modeName(page.mode()); }
EMSCRIPTEN_KEEPALIVE int zuno_running() { return page.running() ? 1 : 0; }
EMSCRIPTEN_KEEPALIVE int zuno_frames_run() { return page.framesRun(); }
EMSCRIPTEN_KEEPALIVE int zuno_selected_wheel() { return world.selectedWheel; }
EMSCRIPTEN_KEEPALIVE double zuno_ball(int ball, int axis) {
    const Vec2& p = world.position[(ball % kBallCount + kBallCount) % kBallCount];
    return axis ? p.y : p.x;
}

// The camera of the last picture: the centre point.
EMSCRIPTEN_KEEPALIVE double zuno_centre(int axis) { return axis ? world.centre.y : world.centre.x; }

// Bytes of one frame's record in a recording or a replay.
EMSCRIPTEN_KEEPALIVE int zuno_record_size() { return static_cast<int>(kFrameRecordSize); }
EMSCRIPTEN_KEEPALIVE const uint8_t* zuno_recording() { return page.recording().data(); }
EMSCRIPTEN_KEEPALIVE int zuno_recording_size() { return static_cast<int>(page.recording().size()); }
EMSCRIPTEN_KEEPALIVE const char* zuno_recording_name() { return page.recordingName().c_str(); }

// Slot 0 the level, slot 1 the key script's text; the replay lands in the output.
EMSCRIPTEN_KEEPALIVE int zuno_drive(int frames) {
    const std::string keys(inputs[1].begin(), inputs[1].end());
    return result(apiDrive(inputs[0], keys, frames, output));
}

// Slot 0 the level, slot 1 the replay; the RGBA picture lands in the output.
EMSCRIPTEN_KEEPALIVE int zuno_render(double frame) {
    return result(apiRender(inputs[1], inputs[0], static_cast<int64_t>(frame), output));
}

// Slot 0 the level source; the level file lands in the output, its
// warnings in the message, one a line.
EMSCRIPTEN_KEEPALIVE int zuno_compile_level(const char* name) {
    std::vector<std::string> warnings;
    if (std::string error = apiCompileLevel(inputs[0], name, output, warnings); !error.empty()) return result(error);
    message = joinLines(warnings);
    return 0;
}

// Slot 0 an SVG drawing: its outlines (see apiReadSvg) land in the output,
// its warnings in the message, one a line.
EMSCRIPTEN_KEEPALIVE int zuno_read_svg(const char* name) {
    std::vector<int32_t> words;
    std::vector<std::string> warnings;
    if (std::string error = apiReadSvg(inputs[0], name, words, warnings); !error.empty()) return result(error);
    output.resize(words.size() * sizeof(int32_t));
    std::memcpy(output.data(), words.data(), output.size());
    message = joinLines(warnings);
    return 0;
}

}  // extern "C"
