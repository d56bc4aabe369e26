// Key scripts: a readable list of key presses and releases by frame number,
// which a headless record-mode run plays into SDL's key-state array in place
// of a player.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

struct KeyEvent {
    int32_t frame;  // frame whose frame step first sees the event (0 = first frame)
    bool press;     // true: key goes down; false: key comes up
    int key;        // SDL 1.2 key symbol
    int line;       // line of the script it came from
};

struct KeyScript {
    std::vector<KeyEvent> events;  // in script order; frames never decrease
};

// The key names a script may use, and their SDL key symbols; -1 for an
// unknown name, nullptr for a symbol without a name.
int keySymbolOf(const std::string& name);
const char* keyNameOf(int symbol);
std::string keyNameList();  // "up, down, ..." for messages

// Parses a script. Lines hold "FRAME press|release KEY"; "#" starts a
// comment; blank lines are skipped. A key is pressed only while up and
// released only while down. On error returns false with error set to
// "NAME:LINE: what is wrong".
bool parseKeyScript(std::istream& in, const std::string& name, KeyScript& script, std::string& error);

// Reads and parses the file at path; an unreadable file gives "PATH: cannot
// open: REASON" (or "PATH: is a directory").
bool loadKeyScript(const std::string& path, KeyScript& script, std::string& error);

// Plays a script into a key-state array frame by frame.
class KeyScriptPlayer {
public:
    explicit KeyScriptPlayer(const KeyScript& script) : script_(script) {}

    // Writes the events of frame `frame` into keys (1 for a press, 0 for a
    // release, in script order). Frames must be asked for in increasing order.
    void applyFrame(int32_t frame, uint8_t* keys);

private:
    const KeyScript& script_;
    std::size_t next_ = 0;
};
