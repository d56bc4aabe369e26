// Headless runs of the game's frame loop: startup as the game does it, then
// runFrame on an off-screen surface.
#include "tools/replays/headless_run.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "tools/output/output_file.h"
#include "display/display.h"
#include "tools/output/png_file.h"
#include "sim/contact_list.h"
#include "sim/world.h"

namespace {

std::string notAFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return path + ": is a directory";
    return "";
}

}  // namespace

void releaseAllKeys() {
    int count = 0;
    uint8_t* keys = SDL_GetKeyState(&count);
    std::memset(keys, 0, static_cast<std::size_t>(count));
}

HeadlessGame::HeadlessGame() = default;

HeadlessGame::~HeadlessGame() {
    run_.writer.reset();
    run_.reader.reset();
    display_.reset();
}

std::string HeadlessGame::startCommon(int32_t recordMode, const std::string& levelPath) {
    // Program load: zeroed globals, nothing touched, no key held.
    resetSimulationState(world, level);
    contactList.clear();
    releaseAllKeys();
    world.recordMode = recordMode;
    world.gravity = Vec2(0, kInitialGravityY);

    if (std::string e = notAFile(levelPath); !e.empty()) return e;
    std::ifstream levelStream(levelPath, std::ios::binary);
    if (!levelStream) return levelPath + ": cannot open: " + std::strerror(errno);
    if (std::string reason = LevelLoader::readWhole(levelStream, level); !reason.empty())
        return levelPath + ": " + reason;
    run_.reloadPath = levelPath;

    surface_ = createScreenSurface();
    if (!surface_) return std::string("cannot create the off-screen surface: ") + SDL_GetError();
    run_.running = true;
    display_ = std::make_unique<Display>(surface_.get(), nullptr, &run_.running);

    initialiseWorld(world);
    framesRun_ = 0;
    return "";
}

std::string HeadlessGame::startReplay(const std::string& replayPath, const std::string& levelPath) {
    if (std::string e = notAFile(replayPath); !e.empty()) return e;
    run_.reader = std::make_unique<ReplayReader>(replayPath);
    if (!run_.reader->isOpen()) return replayPath + ": " + run_.reader->error();
    return startCommon(0, levelPath);
}

std::string HeadlessGame::startRecord(const std::string& levelPath, std::unique_ptr<ReplayWriter> writer) {
    run_.writer = std::move(writer);
    return startCommon(1, levelPath);
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
    return static_cast<int64_t>(size / 64) + 2;
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
