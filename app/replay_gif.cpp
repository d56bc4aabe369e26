// Replay playback to an animated GIF.
#include "app/replay_gif.h"

#include <algorithm>
#include <chrono>
#include <ostream>

#include "app/headless_run.h"
#include "app/replay_stats.h"
#include "display/display.h"
#include "display/gif_file.h"

namespace {

int64_t roundedCs(int64_t frames) {
    // frames * 16 ms in hundredths of a second, rounded half up.
    return (frames * static_cast<int64_t>(kPaceMsPerFrame) + 5) / 10;
}

}  // namespace

int gifDelayCs(int64_t start, int64_t end) { return static_cast<int>(roundedCs(end) - roundedCs(start)); }

std::string renderReplayGif(const std::string& replayPath, const std::string& levelPath,
                            const std::string& gifPath, const GifOptions& options, GifSummary& summary) {
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    summary = GifSummary{};
    if (options.every < 1 || options.scale < 1 || options.scale > kScreenHeight) return gifPath + ": invalid frame step or scale";

    HeadlessGame game;
    if (std::string error = game.startReplay(replayPath, levelPath); !error.empty()) return error;
    const int64_t total = playbackFrameCount(replayPath);
    const int64_t from = options.from;
    const int64_t to = options.to < 0 ? total - 1 : options.to;
    if (from >= total) return pastTheEnd(replayPath, "--from ", from, total);
    if (to >= total) return pastTheEnd(replayPath, "--to ", to, total);
    if (to < from) return replayPath + ": --to " + std::to_string(to) + " comes before --from " + std::to_string(from);

    SurfaceIndexer indexer(game.surface()->format, options.scale);
    IndexedImage image;
    GifAnimation gif;
    const int width = kScreenWidth / options.scale;
    const int height = kScreenHeight / options.scale;
    if (std::string reason = gif.open(gifPath, width, height); !reason.empty()) return gifPath + ": " + reason;

    auto lastReport = started;
    for (int64_t f = 0; f <= to; ++f) {
        if (!game.running()) return pastTheEnd(replayPath, "--to ", to, game.framesRun());
        game.runFrame();
        if (f >= from && (f - from) % options.every == 0) {
            int64_t next = std::min(f + options.every, to + 1);
            indexer.index(game.surface(), image);
            if (std::string reason = gif.addFrame(image, gifDelayCs(f - from, next - from)); !reason.empty())
                return gifPath + ": " + reason;
        }
        if (options.progress && (f & 63) == 0) {
            auto now = Clock::now();
            if (now - lastReport > std::chrono::milliseconds(250)) {
                lastReport = now;
                *options.progress << "\rframe " << f << " of " << to + 1 << " (" << (f * 100 / (to + 1)) << "%)"
                                  << std::flush;
            }
        }
    }
    if (options.progress && lastReport != started) *options.progress << "\r\033[K" << std::flush;
    if (std::string reason = gif.close(); !reason.empty()) return gifPath + ": " + reason;

    summary.frames = gif.frameCount();
    summary.width = width;
    summary.height = height;
    summary.from = from;
    summary.to = to;
    summary.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return "";
}
