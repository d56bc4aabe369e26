// Fuzz target: any bytes as a replay file, through the replay reader alone,
// from memory, with the fast-forward's skips in the frames the first input
// byte picks. Every frame's values, the frame the playback ends in and the
// report of a bad record are checked against the playback model.
//
// Input: as fuzz_replay's, so that the two share their seeds: byte 0 bits
// 0-6 hold f in frame i when bit (i mod 7) is set; bit 7, a real file
// there, is ignored here (opening files is fuzz_replay's part: here it
// would cost most of the time). The rest is the file.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "app/replay_file.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/reader_models.h"
#include "input/controls.h"

namespace {

const char* const kName = "fuzz.rec";

// The World's values before the first record: different from each other
// and from anything a short record could leave.
void startingValues(World& w) {
    for (int i = 0; i < kBallCount; ++i) w.position[i] = Vec2(10.5 + i, -20.25 - i);
    w.centre = Vec2(3.125, -4.5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const uint8_t pattern = data[0] & 0x7F;
    const uint8_t* file = data + 1;
    const std::size_t fileSize = size - 1;

    static World w;  // the reader writes positions and centre only
    startingValues(w);
    fuzz::PlaybackModel model(file, fileSize, fuzz::shownBy(w));
    static uint8_t keys[SDLK_LAST];
    std::string messages;
    int32_t frame = 0;
    {
        fuzz::MessageCapture capture;
        ReplayReader reader(
            std::make_unique<std::istringstream>(std::string(reinterpret_cast<const char*>(file), fileSize)), kName);
        const int64_t limit = static_cast<int64_t>(fileSize / kFrameRecordSize) + 2;
        bool running = true;
        while (running) {
            if (frame >= limit) fuzz::fail("playback of %zu bytes still running after %d frames", fileSize, frame);
            const bool f = (pattern >> (frame % 7)) & 1;
            const bool modelRunning = model.frame(f);
            reader.playNext(w, running);
            keys[SDLK_f] = f ? 1 : 0;
            fastForward(keys, &reader);
            const fuzz::Shown now = fuzz::shownBy(w);
            if (std::memcmp(&now, &model.shown(), sizeof now) != 0)
                fuzz::fail("frame %d shows another position than the file's record", frame);
            if (running != modelRunning) fuzz::fail("frame %d: the playback ends at the wrong frame", frame);
            ++frame;
        }
        if (pattern == 0 && frame != limit)
            fuzz::fail("%zu bytes played in %d frames, not %lld", fileSize, frame, static_cast<long long>(limit));
        messages = capture.text();
    }
    fuzz::checkMessages(messages, kName, 1);
    if (messages.empty() == model.reportDue())
        fuzz::fail("%s", model.reportDue() ? "a bad record went unreported" : "a report without a bad record");
    return 0;
}
