// Headless runs of the game's frame loop: startup as the game does it, then
// runFrame on an off-screen surface.
#include "tools/replays/headless_run.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "display/display.h"
#include "input/controls.h"
#include "tools/output/output_file.h"
#include "tools/output/png_file.h"

namespace {

std::string notAFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return path + ": is a directory";
    return "";
}

}  // namespace

HeadlessGame::HeadlessGame() = default;

HeadlessGame::~HeadlessGame() {
    run_.writer.reset();
    run_.reader.reset();
    display_.reset();
}

std::string HeadlessGame::start(int32_t recordMode, const std::string& levelPath,
                                std::function<std::string(RunState&)> openReplay) {
    RunStart how;
    how.recordMode = recordMode;
    how.levelPath = levelPath;
    how.reloadPath = levelPath;
    how.levelFailure = LevelFailure::refuse;
    how.openReplay = std::move(openReplay);
    how.openDisplay = [this](RunState& run, std::unique_ptr<Display>& display) -> std::string {
        surface_ = createScreenSurface();
        if (!surface_) return std::string("cannot create the off-screen surface: ") + SDL_GetError();
        display = std::make_unique<Display>(surface_.get(), nullptr, &run.running);
        return "";
    };
    framesRun_ = 0;
    return startRun(how, run_, display_).error;
}

std::string HeadlessGame::startReplay(const std::string& replayPath, const std::string& levelPath) {
    return start(0, levelPath, [&](RunState& run) -> std::string {
        if (std::string e = notAFile(replayPath); !e.empty()) return e;
        run.reader = std::make_unique<ReplayReader>(replayPath);
        return run.reader->isOpen() ? "" : replayPath + ": " + run.reader->error();
    });
}

std::string HeadlessGame::startRecord(const std::string& levelPath, std::unique_ptr<ReplayWriter> writer) {
    return start(1, levelPath, [&](RunState& run) {
        run.writer = std::move(writer);
        return std::string();
    });
}

void HeadlessGame::setKeyScript(const KeyScript* script) {
    keys_ = script ? std::make_unique<KeyScriptPlayer>(*script) : nullptr;
}

void HeadlessGame::runFrame() {
    // The key-state array is read only by the frame step's controls, after
    // drawScene; writing it before the pass is writing it just before that
    // read, where the previous frame's event drain would have put the keys.
    if (keys_ && world.recordMode) keys_->applyFrame(framesRun_, SDL_GetKeyState(nullptr));
    ::runFrame(*display_, run_);
    ++framesRun_;
}

int32_t defaultDriveFrames(const KeyScript& script) {
    int32_t last = script.events.empty() ? 0 : script.events.back().frame;
    return last + kDriveSettleFrames;
}

std::string drive(const std::string& levelPath, const KeyScript& script, int32_t frames,
                  std::unique_ptr<std::ostream> out, const std::string& outName) {
    std::ostream* stream = out.get();
    HeadlessGame game;
    std::string error = game.startRecord(levelPath, std::make_unique<ReplayWriter>(std::move(out), outName));
    if (error.empty()) {
        // The replay does not depend on the picture.
        game.run().drawing = false;
        game.setKeyScript(&script);
        while (game.framesRun() < frames && game.running()) game.runFrame();
        stream->flush();
        bool written = static_cast<bool>(*stream) && !game.run().writer->failed();
        game.run().writer->close();
        if (!written || game.run().writer->failed()) error = outName + ": cannot write";
    }
    releaseAllKeys();
    return error;
}

std::string driveToFile(const std::string& levelPath, const KeyScript& script, int32_t frames,
                        const std::string& outPath) {
    OutputFile file(outPath);
    auto stream = std::make_unique<std::ofstream>(file.writePath(), std::ios::binary | std::ios::trunc);
    if (!*stream) return outPath + ": cannot create: " + std::strerror(errno);
    std::string error = drive(levelPath, script, frames, std::move(stream), outPath);
    if (!error.empty()) return error;
    if (std::string reason = file.commit(); !reason.empty()) return outPath + ": " + reason;
    return "";
}

int64_t playbackFrameCount(const std::string& replayPath) {
    std::error_code ec;
    auto size = std::filesystem::file_size(replayPath, ec);
    if (ec) return -1;
    return static_cast<int64_t>(size / kFrameRecordSize) + 2;
}

std::string pastTheEnd(const std::string& replayPath, const char* what, int64_t frame, int64_t total) {
    return replayPath + ": " + what + std::to_string(frame) + " is past the end of the playback (" +
           std::to_string(total) + " frames, 0 to " + std::to_string(total - 1) + ")";
}

std::string renderReplayFrame(HeadlessGame& game, const std::string& replayPath, const std::string& levelPath,
                              int64_t frame) {
    if (std::string error = game.startReplay(replayPath, levelPath); !error.empty()) return error;
    int64_t total = playbackFrameCount(replayPath);
    if (frame >= total) return pastTheEnd(replayPath, "frame ", frame, total);
    for (int64_t f = 0; f <= frame; ++f) {
        if (!game.running()) return pastTheEnd(replayPath, "frame ", frame, game.framesRun());
        game.runFrame();
    }
    return "";
}

std::string renderReplayFrame(const std::string& replayPath, const std::string& levelPath, int64_t frame,
                              const std::string& pngPath) {
    HeadlessGame game;
    if (std::string error = renderReplayFrame(game, replayPath, levelPath, frame); !error.empty()) return error;
    if (std::string reason = writePng(pngPath, surfaceToRgb(game.surface())); !reason.empty())
        return pngPath + ": " + reason;
    return "";
}
