// Fuzz target: any bytes as a key script, through the parser and the
// player alone. A parse either fails with one line naming the file and the
// line, or gives events in frame order that press only keys that are up and
// release only keys that are down; played frame by frame into a key-state
// array, they leave each key as their last event says. From a device that
// fails at the end, the parse reports the read error.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "fuzz/fuzz_support.h"
#include "fuzz/reader_models.h"
#include "tools/replays/key_script.h"

namespace {

const char* const kName = "fuzz.keys";

// Plays the events' frames in order and compares the array with the state
// the events give after each of them.
void checkPlayer(const KeyScript& script) {
    static uint8_t keys[SDLK_LAST];
    static uint8_t expected[SDLK_LAST];
    std::memset(keys, 0, sizeof keys);
    std::memset(expected, 0, sizeof expected);
    KeyScriptPlayer player(script);
    for (std::size_t i = 0; i < script.events.size();) {
        const int32_t frame = script.events[i].frame;
        for (; i < script.events.size() && script.events[i].frame == frame; ++i)
            expected[script.events[i].key] = script.events[i].press ? 1 : 0;
        player.applyFrame(frame, keys);
        if (std::memcmp(keys, expected, sizeof keys) != 0) fuzz::fail("the keys after frame %d differ", frame);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    KeyScript script;
    std::string error;
    const bool parsed = parseKeyScript(in, kName, script, error);
    // From a device that fails at the end: the same refusal when its line
    // came whole, else a read error.
    {
        const std::string bytes(reinterpret_cast<const char*>(data), size);
        fuzz::FailingAtEnd device(bytes);
        std::istream failing(&device);
        KeyScript partial;
        std::string failed;
        const bool failingParsed = parseKeyScript(failing, kName, partial, failed);
        const bool sameError =
            !parsed && fuzz::lineEndsInNewline(data, size, std::atoi(error.c_str() + std::strlen(kName) + 1));
        const std::string expected = sameError ? error : std::string(kName) + ": read error";
        if (failingParsed || failed != expected || !partial.events.empty())
            fuzz::fail("a device failing at the end: \"%s\", not \"%s\"", failed.c_str(), expected.c_str());
    }
    if (!parsed) {
        if (!script.events.empty()) fuzz::fail("a refused script keeps events");
        fuzz::checkMessages(error + "\n", kName, 1);
        if (error.compare(0, std::strlen(kName) + 1, std::string(kName) + ":") != 0 ||
            error.size() <= std::strlen(kName) + 1 || error[std::strlen(kName) + 1] < '1' ||
            error[std::strlen(kName) + 1] > '9')
            fuzz::fail("a refusal that names no line: %s", error.c_str());
        return 0;
    }
    if (!error.empty()) fuzz::fail("an accepted script with an error: %s", error.c_str());
    fuzz::checkKeyEvents(script);
    checkPlayer(script);
    return 0;
}
