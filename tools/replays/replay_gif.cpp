// Replay playback to an animated GIF.
#include "tools/replays/replay_gif.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>
#include <ostream>

#include "tools/replays/headless_run.h"
#include "tools/replays/replay_stats.h"
#include "display/display.h"
#include "tools/output/gif_file.h"

namespace {

int64_t roundedCs(int64_t frames) {
    // frames * 16 ms in hundredths of a second, rounded half up.
    return (frames * static_cast<int64_t>(kPaceMsPerFrame) + 5) / 10;
}

// Encodes on a second thread while the game loop draws the next frames:
// drawing and encoding take similar time, and the machines have two cores.
class EncoderThread {
public:
    explicit EncoderThread(GifAnimation& gif) : gif_(gif), worker_([this] { work(); }) {}
    ~EncoderThread() { finish(); }

    // A buffer to index the next picture into (one the encoder is done with).
    IndexedImage spare() {
        std::lock_guard<std::mutex> lock(mutex_);
        IndexedImage image;
        if (!spare_.empty()) {
            image = std::move(spare_.back());
            spare_.pop_back();
        }
        return image;
    }

    // Queues a picture; false once encoding has failed.
    bool push(IndexedImage image, int delayCs) {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [&] { return queue_.size() < kDepth || !error_.empty(); });
        if (!error_.empty()) return false;
        queue_.push_back(Job{std::move(image), delayCs});
        ready_.notify_one();
        return true;
    }

    // Waits for the queued pictures; returns "" or the first encoding error.
    std::string finish() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        ready_.notify_one();
        if (worker_.joinable()) worker_.join();
        return error_;
    }

private:
    struct Job {
        IndexedImage image;
        int delayCs;
    };
    static constexpr std::size_t kDepth = 6;

    void work() {
        std::unique_lock<std::mutex> lock(mutex_);
        bool failed = false;
        for (;;) {
            ready_.wait(lock, [&] { return !queue_.empty() || done_; });
            if (queue_.empty()) return;
            Job job = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            std::string error = failed ? "" : gif_.addFrame(job.image, job.delayCs);
            lock.lock();
            if (!error.empty()) {
                failed = true;
                error_ = error;
            }
            spare_.push_back(std::move(job.image));
            room_.notify_one();
        }
    }

    GifAnimation& gif_;
    std::mutex mutex_;
    std::condition_variable ready_;  // a job was queued, or the end came
    std::condition_variable room_;   // a job was taken
    std::deque<Job> queue_;
    std::vector<IndexedImage> spare_;
    std::string error_;
    bool done_ = false;
    std::thread worker_;  // last: starts once everything above exists
};

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
    GifAnimation gif;
    const int width = kScreenWidth / options.scale;
    const int height = kScreenHeight / options.scale;
    if (std::string reason = gif.open(gifPath, width, height); !reason.empty()) return gifPath + ": " + reason;

    EncoderThread encoder(gif);
    auto lastReport = started;
    for (int64_t f = 0; f <= to; ++f) {
        if (!game.running()) return pastTheEnd(replayPath, "--to ", to, game.framesRun());
        game.runFrame();
        if (f >= from && (f - from) % options.every == 0) {
            int64_t next = std::min(f + options.every, to + 1);
            IndexedImage image = encoder.spare();
            indexer.index(game.surface(), image);
            if (!encoder.push(std::move(image), gifDelayCs(f - from, next - from))) break;
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
    if (std::string reason = encoder.finish(); !reason.empty()) return gifPath + ": " + reason;
    if (std::string reason = gif.close(); !reason.empty()) return gifPath + ": " + reason;

    summary.frames = gif.frameCount();
    summary.width = width;
    summary.height = height;
    summary.from = from;
    summary.to = to;
    summary.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return "";
}
