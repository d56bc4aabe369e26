// Fuzz target: any bytes as a key script of zuno-replay drive. A parse either
// fails with one line naming the file, or gives events in frame order that
// press only keys that are up and release only keys that are down; those
// events then drive a short headless live run, as the tool does.
#include <SDL.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "tools/replays/headless_run.h"
#include "tools/replays/key_script.h"
#include "app/replay_file.h"
#include "fuzz/fuzz_support.h"

namespace {

const char* const kName = "fuzz.keys";
constexpr int32_t kMaxDriveFrames = 16;

void checkEvents(const KeyScript& script) {
    std::set<int> down;
    int32_t lastFrame = 0;
    int lastLine = 0;
    for (const KeyEvent& e : script.events) {
        if (e.frame < lastFrame || e.frame > 99999999) fuzz::fail("event frame %d after %d", e.frame, lastFrame);
        if (e.line <= lastLine) fuzz::fail("event of line %d after line %d", e.line, lastLine);
        if (!keyNameOf(e.key)) fuzz::fail("event of key %d, which has no name", e.key);
        if (e.press == (down.count(e.key) != 0)) fuzz::fail("key %d pressed while down or released while up", e.key);
        if (e.press)
            down.insert(e.key);
        else
            down.erase(e.key);
        lastFrame = e.frame;
        lastLine = e.line;
    }
    if (defaultDriveFrames(script) < lastFrame) fuzz::fail("the default drive ends before the last event");
}

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
    checkEvents(script);

    // The drive itself, cut short: the frames up to the last event but at
    // most kMaxDriveFrames, played into the key-state array as zuno-replay
    // drive does, over the fixed level.
    fuzz::runUnderFrameLimit([&] { driveShort(script); });
    fuzz::checkMessages(messages.text(), kName, 0);
    return 0;
}
