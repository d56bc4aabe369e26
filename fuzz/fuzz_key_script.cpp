// Fuzz target: any bytes as a key script of zuno-replay drive. A parse either
// fails with one line naming the file, or gives events in frame order that
// press only keys that are up and release only keys that are down; those
// events then drive a short headless live run, as the tool does.
#include <SDL.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "tools/replays/headless_run.h"
#include "tools/replays/key_script.h"
#include "app/replay_file.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/reader_models.h"

namespace {

const char* const kName = "fuzz.keys";
constexpr int32_t kMaxDriveFrames = 16;

void driveShort(const KeyScript& script) {
    const int32_t frames = std::min(defaultDriveFrames(script), kMaxDriveFrames);
    fuzz::LiveRun live(fuzz::fixedLevelPath());
    KeyScriptPlayer player(script);
    uint8_t* keys = SDL_GetKeyState(nullptr);
    for (int32_t frame = 0; frame < frames; ++frame) {
        player.applyFrame(frame, keys);
        live.frame(frame, "key script");
    }
    if (live.recorded != static_cast<std::size_t>(frames) * kFrameRecordSize)
        fuzz::fail("%zu bytes recorded for %d frames", live.recorded, frames);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    KeyScript script;
    std::string error;
    fuzz::MessageCapture messages;
    if (!parseKeyScript(in, kName, script, error)) {
        if (!script.events.empty()) fuzz::fail("a refused script keeps events");
        fuzz::checkMessages(error + "\n", kName, 1);
        return 0;
    }
    fuzz::checkKeyEvents(script);

    // The drive itself, cut short: the frames up to the last event but at
    // most kMaxDriveFrames, played into the key-state array as zuno-replay
    // drive does, over the fixed level.
    fuzz::runUnderFrameLimit([&] { driveShort(script); });
    fuzz::checkMessages(messages.text(), kName, 0);
    return 0;
}
