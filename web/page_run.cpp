// The page's live run and playback, started as the game's entry starts them.
#include "web/page_run.h"

#include <sstream>

#include "app/replay_file.h"
#include "display/display.h"
#include "input/pacing.h"
#include "platform/local_time.h"
#include "sim/world.h"
#include "tools/replays/replay_stats.h"
#include "web/byte_sink.h"
#include "web/sdl/sdl_web.h"

PageRun::PageRun() = default;
PageRun::~PageRun() { stop(); }

void PageRun::stop() {
    display_.reset();
    if (run_ && run_->writer) run_->writer->close();
    run_.reset();
    mode_ = PageMode::none;
}

// The game's startup, over the file system's "0.lev", with the replay
// stream made ready by the caller.
std::string PageRun::start(int32_t recordMode, std::unique_ptr<ReplayWriter> writer,
                           std::unique_ptr<ReplayReader> reader) {
    stop();
    run_ = std::make_unique<RunState>();
    sdlWebClearEvents();  // no event of an earlier run is waiting
    RunStart how;
    how.recordMode = recordMode;
    how.openReplay = [&](RunState& run) {
        run.writer = std::move(writer);
        run.reader = std::move(reader);
        return std::string();
    };
    how.openDisplay = [](RunState& run, std::unique_ptr<Display>& display) -> std::string {
        display = std::make_unique<Display>(&run.running, world.recordMode, run.programDirectory);
        // The page's animation frames keep the pace; the desktop's busy wait
        // would freeze the tab.
        display->paced = false;
        if (display->status != DisplayStatus::ok) return "the game could not start: " + std::string(SDL_GetError());
        return "";
    };
    std::string error = startRun(how, *run_, display_).error;
    framesRun_ = 0;
    ranFrame_ = false;
    mode_ = recordMode ? PageMode::live : PageMode::replay;
    if (!error.empty()) stop();
    return error;
}

std::string PageRun::startLive() {
    stop();  // the last run's writer writes its rest into recording_ as it closes
    recording_.clear();
    recordingName_ = composeReplayPath("", currentDateTime());
    return start(1, std::make_unique<ReplayWriter>(std::make_unique<ByteSinkStream>(recording_), recordingName_),
                 nullptr);
}

std::string PageRun::startReplay(const std::vector<uint8_t>& bytes, const std::string& name) {
    const std::string text(bytes.begin(), bytes.end());
    std::istringstream probe(text);
    ReplayStats stats;
    analyseReplay(probe, stats);
    if (std::string problem = replayProblem(stats); !problem.empty()) return name + ": not a replay: " + problem;

    return start(0, nullptr, std::make_unique<ReplayReader>(std::make_unique<std::istringstream>(text), name));
}

bool PageRun::frameDue(uint32_t now) const {
    // Unsigned: the difference is right across the counter's wrap.
    return display_ && (!ranFrame_ || now - lastStart_ >= kFramePeriodMs);
}

bool PageRun::running() const { return run_ && run_->running; }

bool PageRun::frame(uint32_t now) {
    if (!running() || !display_) return false;
    ranFrame_ = true;
    lastStart_ = now;
    runFrame(*display_, *run_);
    ++framesRun_;
    return true;
}
