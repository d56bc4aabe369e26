// Recording under faults: a program directory that cannot take the replay
// file, a disk that fills during the run (an injected failing stream and a
// real, small file system), and SIGINT / SIGTERM / SIGKILL, after which the
// file holds exactly one whole record per frame recorded.
#include <gtest/gtest.h>

#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <streambuf>
#include <string>

#include "tools/replays/headless_run.h"
#include "app/replay_file.h"
#include "tests/support/process.h"
#include "tests/tools/tool_files.h"

namespace {

const std::string kGame = ZUNO_BINARY_DIR "/zuno";

// A tmpfs mounted over a directory for the life of the object. Needs the
// right to mount (root here); mounted() says whether it worked.
class Tmpfs {
public:
    Tmpfs(const std::string& dir, const std::string& options) : dir_(dir), options_(options) {
        mounted_ = ::mount("tmpfs", dir.c_str(), "tmpfs", 0, options.c_str()) == 0;
        if (!mounted_) error_ = std::strerror(errno);
    }
    ~Tmpfs() {
        if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
    }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }
    bool makeReadOnly() {
        return ::mount("tmpfs", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options_.c_str()) == 0;
    }

private:
    std::string dir_;
    std::string options_;
    bool mounted_ = false;
    std::string error_;
};

// Fills the file system of dir up to `room` free bytes with one file.
void fillLeaving(const std::string& dir, off_t room) {
    const std::string path = dir + "/filler";
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    static const char block[4096] = {};
    off_t size = 0;
    for (;;) {
        ssize_t n = ::write(fd, block, sizeof block);
        if (n <= 0) break;
        size += n;
    }
    ASSERT_EQ(errno, ENOSPC);
    ASSERT_GE(size, room);
    ASSERT_EQ(::ftruncate(fd, size - room), 0);
    ::close(fd);
}

// Takes the first `room` bytes, then fails every write, like a full disk.
class FullDiskBuf : public std::streambuf {
public:
    explicit FullDiskBuf(std::size_t room) : room_(room) {}
    std::size_t taken = 0;

protected:
    int_type overflow(int_type ch) override {
        if (taken >= room_) return traits_type::eof();
        ++taken;
        return traits_type::not_eof(ch);
    }

private:
    std::size_t room_;
};

class FullDiskStream : public std::ostream {
public:
    explicit FullDiskStream(FullDiskBuf* buf) : std::ostream(buf) {}
};

std::string writeLevel(const TempDir& dir) {
    writeFile(dir.file("0.lev"), floorLevelBytes());
    return dir.file("0.lev");
}

// The game itself, started in dir (its digits and level there) and sent sig
// after 1.2 s of running at its own pace.
ProcessResult runSignalledGame(const TempDir& dir, int sig) {
    ProcessOptions options;
    options.argv0 = dir.file("zuno");
    options.workingDirectory = dir.path();
    options.signalAfterMs = 1200;
    options.sendSignal = sig;
    options.environment.push_back("SDL_AUDIODRIVER=dummy");
    return runProcess(kGame, {}, options);
}

}  // namespace

TEST(RecordingFaults, UnwritableProgramDirectoryIsReportedOnceAndTheRunGoesOn) {
    TempDir dir;
    std::unique_ptr<Tmpfs> readOnly;
    std::string reason;
    if (geteuid() != 0) {
        std::filesystem::copy_file(ZUNO_BINARY_DIR "/nums.bmp", dir.file("nums.bmp"));
        writeLevel(dir);
        std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        reason = "Permission denied";
    } else {
        // Root writes through any mode bits: a read-only file system instead.
        readOnly = std::make_unique<Tmpfs>(dir.path(), "size=1m");
        if (!readOnly->mounted()) GTEST_SKIP() << "root, and cannot mount a tmpfs: " << readOnly->error();
        std::filesystem::copy_file(ZUNO_BINARY_DIR "/nums.bmp", dir.file("nums.bmp"));
        writeLevel(dir);
        ASSERT_TRUE(readOnly->makeReadOnly());
        reason = "Read-only file system";
    }
    ProcessResult r = runSignalledGame(dir, SIGTERM);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "");
    // "DIR/mMM-DD-YY-HH-MM-SS.rec: cannot create: REASON", one line.
    const std::string tail = ".rec: cannot create: " + reason + "\n";
    ASSERT_GT(r.err.size(), dir.path().size() + tail.size());
    EXPECT_EQ(r.err.substr(0, dir.path().size() + 2), dir.path() + "/m");
    EXPECT_EQ(r.err.substr(r.err.size() - tail.size()), tail);
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
}

// The disk fills in the middle of a live run: one report, and every frame
// still runs.
TEST(RecordingFaults, InjectedFullDiskIsReportedOnceAndEveryFrameStillRuns) {
    TempDir dir;
    FullDiskBuf disk(10 * kFrameRecordSize + 20);
    testing::internal::CaptureStderr();
    {
        HeadlessGame game;
        ASSERT_EQ(game.startRecord(writeLevel(dir), std::make_unique<ReplayWriter>(
                                                        std::make_unique<FullDiskStream>(&disk), "full.rec")),
                  "");
        while (game.framesRun() < 100 && game.running()) game.runFrame();
        EXPECT_EQ(game.framesRun(), 100);
        EXPECT_TRUE(game.running());
        EXPECT_TRUE(game.run().writer->failed());
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "full.rec: write failed: Input/output error\n");
    EXPECT_EQ(disk.taken, 10 * kFrameRecordSize + 20) << "nothing is written after the failure";
}

// The same on a real file system with 8 KiB left: frame 129's record finds
// it full of whole records and fails; the run goes on and the file stays a
// playable prefix of the run.
TEST(RecordingFaults, RealFullFileSystemKeepsWholeRecordsAndReportsOnce) {
    TempDir dir, mountPoint;
    Tmpfs disk(mountPoint.path(), "size=256k");
    if (!disk.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs: " << disk.error();
    fillLeaving(mountPoint.path(), 8192);
    const std::string path = mountPoint.file("m.rec");
    testing::internal::CaptureStderr();
    {
        HeadlessGame game;
        auto writer = std::make_unique<ReplayWriter>(path);
        ASSERT_FALSE(writer->failed());
        ASSERT_EQ(game.startRecord(writeLevel(dir), std::move(writer)), "");
        while (game.framesRun() < 1100 && game.running()) game.runFrame();
        EXPECT_EQ(game.framesRun(), 1100);
        EXPECT_TRUE(game.run().writer->failed());
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), path + ": write failed: No space left on device\n");
    EXPECT_EQ(std::filesystem::file_size(path), 8192u);
}

// SIGINT and SIGTERM end a live run like closing the window: the frame in
// which the signal arrives is finished and recorded, and no other begins.
// In process, with SDL's video (and so its signal handling) started.
TEST(RecordingSignals, SignalledRunRecordsExactlyTheFramesItRan) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        struct sigaction current;
        ASSERT_EQ(sigaction(sig, nullptr, &current), 0);
        if (current.sa_handler == SIG_DFL || current.sa_handler == SIG_IGN) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            GTEST_SKIP() << "SDL installed no handler for signal " << sig;
        }
        TempDir dir;
        {
            HeadlessGame game;
            ASSERT_EQ(game.startRecord(writeLevel(dir), std::make_unique<ReplayWriter>(dir.file("m.rec"))), "");
            for (int i = 0; i < 5; ++i) game.runFrame();
            ASSERT_TRUE(game.running());
            raise(sig);
            while (game.running() && game.framesRun() < 50) game.runFrame();
            EXPECT_EQ(game.framesRun(), 6);
        }
        EXPECT_EQ(std::filesystem::file_size(dir.file("m.rec")), 6 * kFrameRecordSize);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// The game itself, started in dir over dir's level and sent sig while it
// runs at its own pace; returns its recording (the one ".rec" in dir).
std::string recordingOfSignalledGame(const TempDir& dir, int sig, ProcessResult& r) {
    std::filesystem::copy_file(ZUNO_BINARY_DIR "/nums.bmp", dir.file("nums.bmp"));
    writeLevel(dir);
    r = runSignalledGame(dir, sig);
    std::string recorded;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().extension() == ".rec") recorded = readFile(entry.path().string());
    return recorded;
}

// Whole records only, and they are the first frames of the same run driven
// headless, so no frame is missing, doubled or cut.
void expectFirstFramesOfTheRun(const TempDir& dir, const std::string& recorded) {
    ASSERT_GT(recorded.size(), 0u);
    ASSERT_EQ(recorded.size() % kFrameRecordSize, 0u) << recorded.size() << " bytes";
    const auto frames = static_cast<int32_t>(recorded.size() / kFrameRecordSize);
    ASSERT_EQ(driveToFile(dir.file("0.lev"), KeyScript{}, frames, dir.file("headless.out")), "");
    EXPECT_TRUE(readFile(dir.file("headless.out")) == recorded) << frames << " frames differ";
}

TEST(RecordingSignals, SignalledGameLeavesTheRunsFramesWhole) {
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        TempDir dir;
        ProcessResult r;
        const std::string recorded = recordingOfSignalledGame(dir, sig, r);
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(r.signal, 0);
        EXPECT_EQ(r.exitStatus, 0);
        EXPECT_EQ(r.err, "");
        expectFirstFramesOfTheRun(dir, recorded);
    }
}

// Killed outright, the game gets no chance to write anything out: every
// frame it recorded must already be in the file. 1.2 s is some seventy
// frames, far fewer than a buffer of recording would hold back.
TEST(RecordingSignals, KilledGameKeepsEveryFrameItRecorded) {
    TempDir dir;
    ProcessResult r;
    const std::string recorded = recordingOfSignalledGame(dir, SIGKILL, r);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.signal, SIGKILL);
    expectFirstFramesOfTheRun(dir, recorded);
}
