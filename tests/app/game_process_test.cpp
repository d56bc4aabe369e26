// The zuno program end to end: exit statuses and the exact messages of its
// startup failures, and a clean end on SIGTERM / SIGINT.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <string>

#include "tests/support/process.h"

namespace {

const std::string kGame = ZUNO_BINARY_DIR "/zuno";

// Runs the game as if installed in dir (argv[0] names a zuno there).
ProcessResult runGameIn(const TempDir& dir, const std::vector<std::string>& args, ProcessOptions options = {}) {
    options.argv0 = dir.file("zuno");
    options.workingDirectory = dir.path();
    options.environment.push_back("SDL_AUDIODRIVER=dummy");
    return runProcess(kGame, args, options);
}

void copyGameData(const TempDir& dir) {
    std::filesystem::copy_file(ZUNO_BINARY_DIR "/nums.bmp", dir.file("nums.bmp"));
}

std::vector<std::string> replayFilesIn(const TempDir& dir) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().extension() == ".rec") found.push_back(entry.path().string());
    return found;
}

}  // namespace

TEST(GameProcess, MissingDigitBitmapStopsWithItsMessageAndStatusOne) {
    TempDir dir;
    ProcessResult r = runGameIn(dir, {});
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitStatus, 1);
    std::string expected = "File \"" + dir.file("nums.bmp") + "\" not found, terminating.\n";
    ASSERT_EQ(r.out.substr(0, expected.size()), expected);
    EXPECT_NE(r.out.find('\n', expected.size()), std::string::npos) << "SDL's error text on its own line";
    // The run ran no frame, so its replay file is empty.
    auto recs = replayFilesIn(dir);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(recs[0]), 0u);
}

TEST(GameProcess, ReplayModeNeedsNoDigitBitmap) {
    TempDir dir;
    writeFile(dir.file("one.rec"), std::string(64, '\0'));
    ProcessOptions quick;
    quick.timeoutSeconds = 10;
    ProcessResult r = runGameIn(dir, {"one.rec", "ignored"}, quick);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "");
}

TEST(GameProcess, EndsCleanlyOnTerminationSignals) {
    for (int sig : {SIGTERM, SIGINT}) {
        TempDir dir;
        copyGameData(dir);
        ProcessOptions options;
        options.signalAfterMs = 1500;  // after SDL has opened its video and taken over the signal
        options.sendSignal = sig;
        ProcessResult r = runGameIn(dir, {}, options);
        ASSERT_FALSE(r.timedOut) << "signal " << sig;
        EXPECT_EQ(r.signal, 0) << "signal " << sig << " killed the game instead of ending it";
        EXPECT_EQ(r.exitStatus, 0) << "signal " << sig;
        EXPECT_EQ(r.out, "");
    }
}
