// Key scripts: what a valid script holds, every kind of mistake reported
// with its line, and playback into a key-state array frame by frame.
#include <gtest/gtest.h>

#include <SDL.h>

#include <sstream>
#include <vector>

#include "tools/replays/key_script.h"

namespace {

bool parse(const std::string& text, KeyScript& script, std::string& error) {
    std::istringstream in(text);
    return parseKeyScript(in, "drive.keys", script, error);
}

}  // namespace

TEST(KeyScript, ReadsEventsAroundCommentsAndBlankLines) {
    KeyScript script;
    std::string error;
    ASSERT_TRUE(parse("# warm up\n\n  0 press up   # hold it\n12\tpress space\n12 release space\n"
                      "40 release up\n40 press lshift\n",
                      script, error))
        << error;
    ASSERT_EQ(script.events.size(), 5u);
    EXPECT_EQ(script.events[0].frame, 0);
    EXPECT_EQ(script.events[0].key, SDLK_UP);
    EXPECT_TRUE(script.events[0].press);
    EXPECT_EQ(script.events[0].line, 3);
    EXPECT_EQ(script.events[2].key, SDLK_SPACE);
    EXPECT_FALSE(script.events[2].press);
    EXPECT_EQ(script.events[4].key, SDLK_LSHIFT);
    EXPECT_EQ(script.events[4].line, 7);
}

TEST(KeyScript, EveryKeyNameMapsBothWays) {
    const char* names[] = {"up", "down", "left", "right", "space", "return", "lshift",
                           "q",  "e",    "a",    "d",     "w",     "s",      "f"};
    for (const char* name : names) {
        int symbol = keySymbolOf(name);
        ASSERT_GE(symbol, 0) << name;
        EXPECT_STREQ(keyNameOf(symbol), name);
    }
    EXPECT_EQ(keySymbolOf("UP"), -1);
    EXPECT_EQ(keySymbolOf("x"), -1);
}

TEST(KeyScript, MistakesAreReportedWithTheirLine) {
    struct Case {
        const char* text;
        const char* where;  // expected message start
        const char* what;   // expected in the message
    };
    const Case cases[] = {
        {"5 press up\n3 release up\n", "drive.keys:2: ", "must not decrease"},
        {"# c\n\n1 press jump\n", "drive.keys:3: ", "unknown key \"jump\""},
        {"1 hold up\n", "drive.keys:1: ", "unknown action \"hold\""},
        {"1 press\n", "drive.keys:1: ", "expected"},
        {"1 press up now\n", "drive.keys:1: ", "unexpected \"now\""},
        {"-1 press up\n", "drive.keys:1: ", "not a whole number"},
        {"1e3 press up\n", "drive.keys:1: ", "not a whole number"},
        {"1000000000 press up\n", "drive.keys:1: ", "not a whole number"},
        {"1 press up\n2 press up\n", "drive.keys:2: ", "already down (pressed on line 1)"},
        {"1 press up\n2 release up\n3 release up\n", "drive.keys:3: ", "released but not down"},
    };
    for (const Case& c : cases) {
        KeyScript script;
        std::string error;
        EXPECT_FALSE(parse(c.text, script, error)) << c.text;
        EXPECT_EQ(error.rfind(c.where, 0), 0u) << error;
        EXPECT_NE(error.find(c.what), std::string::npos) << error;
        EXPECT_TRUE(script.events.empty());
    }
}

TEST(KeyScript, PlayerWritesEachFramesEventsInOrder) {
    KeyScript script;
    std::string error;
    ASSERT_TRUE(parse("2 press up\n2 press q\n2 release q\n5 release up\n", script, error)) << error;
    std::vector<uint8_t> keys(SDLK_LAST, 0);
    KeyScriptPlayer player(script);
    std::vector<int> upHeld;
    for (int32_t frame = 0; frame < 7; ++frame) {
        player.applyFrame(frame, keys.data());
        upHeld.push_back(keys[SDLK_UP]);
        // A press and release in the same frame leaves the key up, as an event
        // drain that sees both would.
        EXPECT_EQ(keys[SDLK_q], 0) << frame;
    }
    EXPECT_EQ(upHeld, (std::vector<int>{0, 0, 1, 1, 1, 0, 0}));
}
