// The page's one run of the game: a live run recorded into memory, or the
// playback of a replay the player opened, both started in the game's own
// startup order and advanced one main-loop pass at a time by the page.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/game.h"

class Display;

enum class PageMode { none = 0, live = 1, replay = 2 };

class PageRun {
public:
    PageRun();
    ~PageRun();

    // A live run over the file system's "0.lev", recorded into recording().
    // Returns "" or what went wrong.
    std::string startLive();

    // Checks the bytes as `zuno-replay info` does; a file that cannot be a
    // replay gives "NAME: not a replay: ..." and the current run goes on.
    // Otherwise plays them back over "0.lev".
    std::string startReplay(const std::vector<uint8_t>& bytes, const std::string& name);

    // Whether `now` (milliseconds of the page's clock) is 16 ms or more past
    // the start of the last frame, or no frame ran yet. The page asks at each
    // animation frame with that frame's time, so a 60 Hz display runs one
    // frame a callback and a faster one skips the callbacks that come early.
    bool frameDue(uint32_t now) const;

    // One pass of the main loop, starting at `now`; false when the running
    // flag was already clear.
    bool frame(uint32_t now);

    // Replay mode: the playback started again and brought to playback frame
    // `frame` (clamped to the playback), whose picture it draws as an
    // uninterrupted playback does. The keys are released, as at any start.
    std::string seekReplay(int64_t frame);
    // Frames of the playback: the whole records plus two; 0 outside replay mode.
    int64_t playbackFrames() const;
    // The playback frame whose picture the last pass drew (its record's
    // index; with f held, records are skipped); -1 before the first pass.
    int64_t shownFrame() const { return shownFrame_; }

    PageMode mode() const { return mode_; }
    bool running() const;
    int32_t framesRun() const { return framesRun_; }
    const std::vector<uint8_t>& recording() const { return recording_; }
    const std::string& recordingName() const { return recordingName_; }

private:
    void stop();
    std::string start(int32_t recordMode, std::unique_ptr<ReplayWriter> writer, std::unique_ptr<ReplayReader> reader);
    std::string restartReplay();
    void pass();  // one pass of the main loop, counted
    int64_t nextPlaybackFrame() const;

    PageMode mode_ = PageMode::none;
    std::unique_ptr<RunState> run_;  // the Display keeps the address of its running flag
    std::unique_ptr<Display> display_;
    std::vector<uint8_t> recording_;
    std::string recordingName_;
    std::string replayText_;  // the bytes being played back, for seeking
    std::string replayName_;
    std::istream* replayStream_ = nullptr;  // the playback's stream, owned by its reader
    int64_t shownFrame_ = -1;
    int32_t framesRun_ = 0;
    bool ranFrame_ = false;
    uint32_t lastStart_ = 0;  // `now` of the last frame
};
