// Regression digests of long headless live runs on the shipped course: the
// replay bytes of a given level and key sequence never change unless a
// commit says it changes them on purpose.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "tools/replays/headless_run.h"
#include "tools/replays/key_script.h"
#include "tests/support/process.h"

namespace {

const std::string kCourse = ZUNO_BINARY_DIR "/0.lev";

uint64_t fnv1a(const std::string& bytes) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

std::string digestOf(const std::string& script, int32_t frames) {
    KeyScript keys;
    std::string error;
    std::istringstream in(script);
    EXPECT_TRUE(parseKeyScript(in, "digest.keys", keys, error)) << error;
    TempDir dir;
    EXPECT_EQ(driveToFile(kCourse, keys, frames, dir.file("digest.rec")), "");
    std::string bytes = readFile(dir.file("digest.rec"));
    EXPECT_EQ(bytes.size(), 64u * static_cast<std::size_t>(frames));
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(fnv1a(bytes)));
    return hex;
}

// Every control, several boosts, turns within and against the rotate lock,
// gravity off and on, shifts, wheel swaps, across level reloads.
const char* const kEveryControl = R"(
0 press up
200 press space
201 release space
260 release up
300 press q
301 release q
305 press e
306 release e
400 press left
460 release left
470 press right
530 release right
600 press lshift
640 press return
641 release return
700 release lshift
720 press down
780 release down
800 press up
1300 press a
1310 release a
1320 press d
1330 release d
1340 press w
1345 release w
1350 press s
1352 release s
2100 release up
2200 press space
2201 release space
2210 press up
3500 release up
)";

}  // namespace

TEST(Determinism, DroppedBikeOnTheShippedCourse) {
    EXPECT_EQ(digestOf("", 6000), "c0f8289ea43533a4");
}

TEST(Determinism, ScriptedDriveOverTheShippedCourse) {
    EXPECT_EQ(digestOf(kEveryControl, 4000), "10f0d2f9fa8ef158");
}
