// The game's own frame loop without a window: a fresh start of the global
// World, Level and ContactList, an off-screen 1024 x 768 Display, and
// runFrame in record mode (driven by a key script) or replay mode.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "app/game.h"
#include "tools/replays/key_script.h"
#include "tools/replays/surface.h"

class Display;

class HeadlessGame {
public:
    HeadlessGame();
    ~HeadlessGame();
    HeadlessGame(const HeadlessGame&) = delete;
    HeadlessGame& operator=(const HeadlessGame&) = delete;

    // Startup of a playback of replayPath over the level at levelPath, in the
    // game's order. Returns "" or "PATH: what is wrong".
    std::string startReplay(const std::string& replayPath, const std::string& levelPath);

    // Startup of a live run over levelPath (also the periodic reload's file),
    // recording through writer.
    std::string startRecord(const std::string& levelPath, std::unique_ptr<ReplayWriter> writer);

    // One pass of the main loop; in record mode the script's events of this
    // frame are put into the key-state array first (see drive).
    void runFrame();

    bool running() const { return run_.running; }
    int32_t framesRun() const { return framesRun_; }  // passes of runFrame so far
    SDL_Surface* surface() const { return surface_.get(); }
    RunState& run() { return run_; }
    Display& display() { return *display_; }

    // The script that plays the keys of a record-mode run; may be null.
    void setKeyScript(const KeyScript* script);

private:
    std::string start(int32_t recordMode, const std::string& levelPath,
                      std::function<std::string(RunState&)> openReplay);

    SurfacePtr surface_;  // first member, so freed after the Display drawing into it
    std::unique_ptr<Display> display_;
    RunState run_;
    std::unique_ptr<KeyScriptPlayer> keys_;
    int32_t framesRun_ = 0;
};

// Frames a drive runs when none are asked for: the last event's frame plus
// this, about five seconds at the game's pace for the bike to settle.
constexpr int32_t kDriveSettleFrames = 300;
int32_t defaultDriveFrames(const KeyScript& script);

// Runs `frames` record-mode frames over the level at levelPath with the
// script at the keys and writes the replay to outPath (replaced whole).
// Returns "" or "PATH: what is wrong".
std::string driveToFile(const std::string& levelPath, const KeyScript& script, int32_t frames,
                        const std::string& outPath);

// The same, writing to a stream of the caller's (named outName in messages).
std::string drive(const std::string& levelPath, const KeyScript& script, int32_t frames,
                  std::unique_ptr<std::ostream> out, const std::string& outName);

// Frames that replay mode shows for the file at path: its whole records plus
// two (a short last record changes nothing). -1 when it cannot be read.
int64_t playbackFrameCount(const std::string& replayPath);

// "PATH: <what>N is past the end of the playback (T frames, 0 to T-1)".
std::string pastTheEnd(const std::string& replayPath, const char* what, int64_t frame, int64_t total);

// Plays the replay in game up to playback frame `frame` (0 = first), whose
// picture its surface then holds. Returns "" or "PATH: what is wrong".
std::string renderReplayFrame(HeadlessGame& game, const std::string& replayPath, const std::string& levelPath,
                              int64_t frame);

// Writes the picture replay mode shows at frame `frame` (0 = first) as PNG.
std::string renderReplayFrame(const std::string& replayPath, const std::string& levelPath, int64_t frame,
                              const std::string& pngPath);
