// The page's live run and playback, started as the game's entry starts them.
#include "web/page_run.h"

#include <algorithm>
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

    replayText_ = text;
    replayName_ = name;
    return restartReplay();
}

std::string PageRun::restartReplay() {
    shownFrame_ = -1;
    auto stream = std::make_unique<std::istringstream>(replayText_);
    replayStream_ = stream.get();
    return start(0, nullptr, std::make_unique<ReplayReader>(std::move(stream), replayName_));
}

int64_t PageRun::playbackFrames() const {
    return mode_ == PageMode::replay ? static_cast<int64_t>(replayText_.size() / kFrameRecordSize) + 2 : 0;
}

std::string PageRun::seekReplay(int64_t frame) {
    if (mode_ != PageMode::replay) return "no replay is playing";
    const int64_t records = playbackFrames() - 2;
    frame = std::max<int64_t>(0, std::min(frame, records + 1));
    if (std::string error = restartReplay(); !error.empty()) return error;
    // A picture depends on its own record and on the one before, which the
    // erase pass blacks out; the playback before that is skipped unread.
    // From the record before the frame's, up to the last one, the reads and
    // the end of file come as in the playback run in full.
    const int64_t from = std::max<int64_t>(0, std::min(frame - 1, records - 1));
    run_->reader->skipRecords(static_cast<int>(from));
    framesRun_ = static_cast<int32_t>(from);
    world.frameCounter = static_cast<int32_t>(from);
    run_->drawing = false;
    while (framesRun_ < frame && running()) pass();
    run_->drawing = true;
    pass();
    return "";
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
    pass();
    return true;
}

void PageRun::pass() {
    if (mode_ == PageMode::replay) shownFrame_ = nextPlaybackFrame();
    runFrame(*display_, *run_);
    ++framesRun_;
}

// The playback frame the next pass shows: the index of the record it
// reads; past the records, the frame that meets the end of file, and then
// the last one.
int64_t PageRun::nextPlaybackFrame() const {
    const int64_t records = playbackFrames() - 2;
    std::istream* in = replayStream_;
    if (!in->good()) return records + 1;
    const std::streamoff at = in->tellg();
    if (at < 0) return records + 1;
    return std::min<int64_t>(records, at / static_cast<std::streamoff>(kFrameRecordSize));
}
