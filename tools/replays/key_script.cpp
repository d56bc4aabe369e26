// Key script reading and playback into the key-state array.
#include "tools/replays/key_script.h"

#include <SDL.h>

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>

#include "tools/common/input_file.h"
#include "tools/common/text_words.h"

namespace {

struct KeyName {
    const char* name;
    int symbol;
};

// Every key the game reads, in the order of the control table, then f.
const KeyName kKeyNames[] = {
    {"up", SDLK_UP},         {"left", SDLK_LEFT},     {"right", SDLK_RIGHT}, {"down", SDLK_DOWN},
    {"q", SDLK_q},           {"e", SDLK_e},           {"return", SDLK_RETURN},
    {"lshift", SDLK_LSHIFT}, {"a", SDLK_a},           {"d", SDLK_d},         {"w", SDLK_w},
    {"s", SDLK_s},           {"space", SDLK_SPACE},   {"f", SDLK_f},
};

// A frame beyond this is surely a typo; it also keeps "frame + margin" far
// from overflowing a 32-bit frame counter.
constexpr int64_t kMaxScriptFrame = 99999999;

std::string stripComment(const std::string& line) {
    std::size_t hash = line.find('#');
    return hash == std::string::npos ? line : line.substr(0, hash);
}

bool parseFrame(const std::string& text, int64_t& frame) {
    if (text.empty() || text.size() > 9) return false;
    frame = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        frame = frame * 10 + (c - '0');
    }
    return frame <= kMaxScriptFrame;
}

}  // namespace

int keySymbolOf(const std::string& name) {
    for (const KeyName& k : kKeyNames)
        if (name == k.name) return k.symbol;
    return -1;
}

const char* keyNameOf(int symbol) {
    for (const KeyName& k : kKeyNames)
        if (symbol == k.symbol) return k.name;
    return nullptr;
}

std::string keyNameList() {
    std::string list;
    for (const KeyName& k : kKeyNames) {
        if (!list.empty()) list += ", ";
        list += k.name;
    }
    return list;
}

bool parseKeyScript(std::istream& in, const std::string& name, KeyScript& script, std::string& error) {
    script.events.clear();
    std::map<int, int> downSince;  // key -> line of the press that holds it down
    int64_t lastFrame = 0;
    std::string raw;
    int lineNumber = 0;
    auto fail = [&](const std::string& what) {
        error = name + ":" + std::to_string(lineNumber) + ": " + what;
        script.events.clear();
        return false;
    };
    while (std::getline(in, raw)) {
        ++lineNumber;
        std::istringstream fields(stripComment(raw));
        std::string frameText, action, key, extra;
        if (!(fields >> frameText)) continue;  // blank or comment only
        if (!(fields >> action >> key))
            return fail("expected \"FRAME press|release KEY\", got \"" + shown(frameText) + (action.empty() ? "" : " " + shown(action)) + "\"");
        if (fields >> extra) return fail("unexpected \"" + shown(extra) + "\" after the key name");

        int64_t frame = 0;
        if (!parseFrame(frameText, frame))
            return fail("frame \"" + shown(frameText) + "\" is not a whole number from 0 to " + std::to_string(kMaxScriptFrame));
        if (frame < lastFrame)
            return fail("frame " + std::to_string(frame) + " comes before frame " + std::to_string(lastFrame) +
                        " of an earlier line; frames must not decrease");
        bool press;
        if (action == "press")
            press = true;
        else if (action == "release")
            press = false;
        else
            return fail("unknown action \"" + shown(action) + "\"; use press or release");
        int symbol = keySymbolOf(key);
        if (symbol < 0) return fail("unknown key \"" + shown(key) + "\"; keys are " + keyNameList());

        auto held = downSince.find(symbol);
        if (press && held != downSince.end())
            return fail(key + " is already down (pressed on line " + std::to_string(held->second) + ")");
        if (!press && held == downSince.end()) return fail(key + " is released but not down");
        if (press)
            downSince[symbol] = lineNumber;
        else
            downSince.erase(held);

        lastFrame = frame;
        script.events.push_back(KeyEvent{static_cast<int32_t>(frame), press, symbol, lineNumber});
    }
    if (in.bad()) {
        error = name + ": read error";
        script.events.clear();
        return false;
    }
    return true;
}

bool loadKeyScript(const std::string& path, KeyScript& script, std::string& error) {
    std::ifstream in;
    error = openInputFile(path, in, std::ios::in);
    if (!error.empty()) return false;
    return parseKeyScript(in, path, script, error);
}

void KeyScriptPlayer::applyFrame(int32_t frame, uint8_t* keys) {
    const std::vector<KeyEvent>& events = script_.events;
    while (next_ < events.size() && events[next_].frame <= frame) {
        const KeyEvent& e = events[next_++];
        keys[e.key] = e.press ? SDL_PRESSED : SDL_RELEASED;
    }
}
