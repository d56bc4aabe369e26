// Drive and render for the page's API, isolated from the page's run.
#include "web/api.h"

#include <SDL.h>

#include <cstring>
#include <memory>
#include <sstream>

#include "sim/contact_list.h"
#include "sim/world.h"
#include "tools/replays/headless_run.h"
#include "tools/replays/key_script.h"
#include "tools/shapes/shape_compile.h"
#include "web/byte_sink.h"
#include "web/level_input.h"
#include "web/sdl/sdl_web.h"

namespace {

// The files the headless runs read, named as messages show them.
constexpr const char* kLevelPath = "level.lev";
constexpr const char* kReplayPath = "replay.rec";
constexpr int32_t kMaxDriveFrames = 100000000;  // `zuno-replay drive --frames` takes no more

// The global World, Level, ContactList, key-state array and waiting events
// of the page's run, set aside while a headless run uses them.
class PageStateAside {
public:
    PageStateAside() : world_(world), level_(std::make_unique<Level>(level)), contacts_(contactList) {
        std::memcpy(keys_, SDL_GetKeyState(nullptr), sizeof keys_);
        sdlWebSetEventsAside(true);
    }
    ~PageStateAside() {
        world = world_;
        level = *level_;
        contactList = contacts_;
        std::memcpy(SDL_GetKeyState(nullptr), keys_, sizeof keys_);
        sdlWebSetEventsAside(false);
    }
    PageStateAside(const PageStateAside&) = delete;
    PageStateAside& operator=(const PageStateAside&) = delete;

private:
    World world_;
    std::unique_ptr<Level> level_;
    ContactList contacts_;
    Uint8 keys_[SDLK_LAST];
};

}  // namespace

std::string apiDrive(const std::vector<uint8_t>& levelBytes, const std::string& keys, int32_t frames,
                     std::vector<uint8_t>& replay) {
    std::istringstream in(keys);
    KeyScript script;
    std::string error;
    if (!parseKeyScript(in, "keys", script, error)) return error;
    if (frames < 0) frames = defaultDriveFrames(script);
    if (frames < 1 || frames > kMaxDriveFrames)
        return "frames: " + std::to_string(frames) + " is outside 1 to " + std::to_string(kMaxDriveFrames);
    if (std::string e = writeWholeFile(kLevelPath, levelBytes); !e.empty()) return e;
    PageStateAside aside;
    replay.clear();
    return drive(kLevelPath, script, frames, std::make_unique<ByteSinkStream>(replay), kReplayPath);
}

std::string apiRender(const std::vector<uint8_t>& replayBytes, const std::vector<uint8_t>& levelBytes,
                      int64_t frame, std::vector<uint8_t>& rgba) {
    if (std::string e = writeWholeFile(kLevelPath, levelBytes); !e.empty()) return e;
    if (std::string e = writeWholeFile(kReplayPath, replayBytes); !e.empty()) return e;
    if (frame < 0) return std::string(kReplayPath) + ": frame " + std::to_string(frame) + " is below 0";

    PageStateAside aside;
    HeadlessGame game;
    if (std::string error = renderReplayFrame(game, kReplayPath, kLevelPath, frame); !error.empty()) return error;
    const SDL_Surface* s = game.surface();
    rgba.resize(static_cast<std::size_t>(s->w) * s->h * 4);
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x) {
            const uint32_t p = pixelAt(s, x, y);
            uint8_t* o = &rgba[(static_cast<std::size_t>(y) * s->w + x) * 4];
            o[0] = static_cast<uint8_t>(p >> 16);
            o[1] = static_cast<uint8_t>(p >> 8);
            o[2] = static_cast<uint8_t>(p);
            o[3] = 255;
        }
    return "";
}

std::string apiCompileLevel(const std::vector<uint8_t>& source, const std::string& name, std::vector<uint8_t>& level) {
    CompiledLevel compiled;
    const std::string fault = compileLevel(std::string(source.begin(), source.end()), name, true, compiled);
    if (!fault.empty()) return fault;
    const std::string bytes = encodeLevel(compiled.triangles);
    level.assign(bytes.begin(), bytes.end());
    return "";
}
