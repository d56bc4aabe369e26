// Bad input of every kind the game and its tools read, each run as a real
// process: the exact one-line message, the exit status, and that the
// process ends by itself (or on SIGTERM for a live run) without crashing.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/tools/tool_files.h"

namespace {

const std::string kGame = ZUNO_BINARY_DIR "/zuno";
const std::string kReplayTool = ZUNO_BINARY_DIR "/zuno-replay";
// A live run ends on SIGTERM after this long: well after SDL has taken over
// SIGTERM (when its video starts), even in the sanitizer build under load.
constexpr int kLiveRunMs = 1200;

// The game as if installed in dir: argv[0] names a zuno there, and dir is
// also the current directory unless the options say otherwise.
ProcessResult runGameIn(const TempDir& dir, const std::vector<std::string>& args, ProcessOptions options = {}) {
    if (options.argv0.empty()) options.argv0 = dir.file("zuno");
    if (options.workingDirectory.empty()) options.workingDirectory = dir.path();
    options.environment.push_back("SDL_AUDIODRIVER=dummy");
    options.timeoutSeconds = 20;
    return runProcess(kGame, args, options);
}

ProcessResult liveRunIn(const TempDir& dir, ProcessOptions options = {}) {
    options.signalAfterMs = kLiveRunMs;
    options.sendSignal = SIGTERM;
    return runGameIn(dir, {}, options);
}

// Ended by itself or by the SIGTERM it was sent, never killed by a signal.
void expectCleanEnd(const ProcessResult& r, int status) {
    EXPECT_FALSE(r.timedOut) << "still running at the time limit";
    EXPECT_EQ(r.signal, 0) << "ended by signal " << r.signal;
    EXPECT_EQ(r.exitStatus, status);
}

void copyDigits(const TempDir& dir) { std::filesystem::copy_file(ZUNO_BINARY_DIR "/nums.bmp", dir.file("nums.bmp")); }
void copyLevel(const TempDir& dir) { std::filesystem::copy_file(ZUNO_BINARY_DIR "/0.lev", dir.file("0.lev")); }

std::string int32le(int32_t v) {
    std::string out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(static_cast<uint32_t>(v) >> (8 * i)));
    return out;
}

std::string levelBytes(int32_t count, const std::vector<std::vector<int32_t>>& triangles) {
    std::string out = int32le(count);
    for (const auto& t : triangles)
        for (int32_t c : t) out += int32le(c);
    return out;
}

const std::vector<double> kStartRecord = {200, 100, 100, 200, 300, 200, 200, 167};

std::vector<std::string> replayFilesIn(const TempDir& dir) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().extension() == ".rec") found.push_back(entry.path().string());
    return found;
}

// The one recording a live run in dir left: whole records only, at least one.
void expectWholeRecording(const TempDir& dir) {
    auto recs = replayFilesIn(dir);
    ASSERT_EQ(recs.size(), 1u);
    auto size = std::filesystem::file_size(recs[0]);
    EXPECT_GT(size, 0u);
    EXPECT_EQ(size % 64, 0u) << size << " bytes";
}

// Permission bits do not stop root from reading or writing.
bool permissionsApply() { return geteuid() != 0; }

}  // namespace

// Level files, read at startup of a playback of one record, which ends by
// itself after three frames. A refused level is reported once; the run goes
// on over an empty level.
TEST(BadLevelFile, EachFaultHasItsOneLineAndThePlaybackRunsOn) {
    const std::vector<int32_t> floor = {-2000, 250, 2000, 250, 2000, 400};
    const std::string twoTriangles = levelBytes(2, {floor, floor});
    struct Case {
        const char* what;
        std::string bytes;
        std::string reason;  // "" = accepted silently
    } cases[] = {
        {"empty", "", "empty file, no triangle count"},
        {"1 byte", std::string(1, '\x01'), "1 bytes, too short for the triangle count"},
        {"2 bytes", std::string(2, '\x01'), "2 bytes, too short for the triangle count"},
        {"3 bytes", std::string(3, '\x01'), "3 bytes, too short for the triangle count"},
        {"mid-triangle", twoTriangles.substr(0, 4 + 24 + 13), "truncated: 1 of 2 triangles"},
        {"5001 triangles", levelBytes(5001, {}), "5001 triangles, at most 5000"},
        {"2^31 - 1 triangles", levelBytes(INT32_MAX, {}), "2147483647 triangles, at most 5000"},
        {"negative count", levelBytes(-5, {}), ""},
        {"most negative count", levelBytes(INT32_MIN, {}), ""},
        {"coordinates at the int32 ends",
         levelBytes(2, {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX},
                        {INT32_MIN, 300, INT32_MAX, 300, 0, INT32_MAX}}),
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeFile(dir.file("0.lev"), c.bytes);
        writeFile(dir.file("one.rec"), recordBytes(kStartRecord));
        ProcessResult r = runGameIn(dir, {"one.rec"});
        expectCleanEnd(r, 0);
        EXPECT_EQ(r.err, c.reason.empty() ? "" : dir.file("0.lev") + ": " + c.reason + "\n");
        EXPECT_EQ(r.out, "");
    }
}

TEST(BadLevelFile, DirectoryMissingAndUnreadableFiles) {
    {
        TempDir dir;
        std::filesystem::create_directory(dir.file("0.lev"));
        writeFile(dir.file("one.rec"), recordBytes(kStartRecord));
        ProcessResult r = runGameIn(dir, {"one.rec"});
        expectCleanEnd(r, 0);
        EXPECT_EQ(r.err, dir.file("0.lev") + ": is a directory\n");
    }
    {
        TempDir dir;
        writeFile(dir.file("one.rec"), recordBytes(kStartRecord));
        ProcessResult r = runGameIn(dir, {"one.rec"});
        expectCleanEnd(r, 0);
        EXPECT_EQ(r.err, dir.file("0.lev") + ": cannot open: No such file or directory\n");
    }
    {
        // Opens, then every read fails (EIO), for root too: the reading
        // process's own memory at address 0.
        TempDir dir;
        std::filesystem::create_symlink("/proc/self/mem", dir.file("0.lev"));
        writeFile(dir.file("one.rec"), recordBytes(kStartRecord));
        ProcessResult r = runGameIn(dir, {"one.rec"});
        expectCleanEnd(r, 0);
        EXPECT_EQ(r.err, dir.file("0.lev") + ": read error\n");
    }
}

TEST(BadLevelFile, UnreadableByPermission) {
    if (!permissionsApply()) GTEST_SKIP() << "running as root, which reads a file of mode 000 all the same";
    TempDir dir;
    copyLevel(dir);
    std::filesystem::permissions(dir.file("0.lev"), std::filesystem::perms::none);
    writeFile(dir.file("one.rec"), recordBytes(kStartRecord));
    ProcessResult r = runGameIn(dir, {"one.rec"});
    expectCleanEnd(r, 0);
    EXPECT_EQ(r.err, dir.file("0.lev") + ": cannot open: Permission denied\n");
}

// A live run loads the program directory's level and, in its first frame,
// the current directory's: one file is reported once, two files each.
TEST(BadLevelFile, LiveRunReportsEachFileOnce) {
    {
        TempDir dir;
        copyDigits(dir);
        writeFile(dir.file("0.lev"), "");
        ProcessResult r = liveRunIn(dir);
        expectCleanEnd(r, 0);
        EXPECT_EQ(r.err, dir.file("0.lev") + ": empty file, no triangle count\n");
        expectWholeRecording(dir);
    }
    {
        TempDir dir, elsewhere;
        copyDigits(dir);
        writeFile(dir.file("0.lev"), "");
        ProcessOptions options;
        options.workingDirectory = elsewhere.path();
        ProcessResult r = liveRunIn(dir, options);
        expectCleanEnd(r, 0);
        EXPECT_EQ(r.err, dir.file("0.lev") + ": empty file, no triangle count\n"
                         "0.lev: cannot open: No such file or directory; level reload skipped, "
                         "the level in use is kept\n");
    }
}

// The bike among triangles as large as the file format allows: the
// simulation and the drawing meet coordinates of +-3.2e9.
TEST(BadLevelFile, LiveRunOverTrianglesAtTheInt32Ends) {
    TempDir dir;
    copyDigits(dir);
    writeFile(dir.file("0.lev"), levelBytes(3, {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX},
                                                {INT32_MIN, 150, INT32_MAX, 150, 0, INT32_MAX},
                                                {INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, 0, 160}}));
    ProcessResult r = liveRunIn(dir);
    expectCleanEnd(r, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
    expectWholeRecording(dir);
}

// Replay files: whole records play, a short last record and non-finite
// values are reported once and not shown, and the playback ends by itself.
TEST(BadReplayFile, EachFaultHasItsOneLineAndThePlaybackEnds) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double tiny = std::numeric_limits<double>::denorm_min();
    std::string three = recordBytes(kStartRecord) + recordBytes(kStartRecord) + recordBytes(kStartRecord);
    struct Case {
        const char* what;
        std::string bytes;
        std::string message;  // after "r.rec: "; "" = none
    } cases[] = {
        {"1 byte", std::string(1, '\x07'), "record 0 is incomplete (1 of 64 bytes)"},
        {"63 bytes", std::string(63, '\x07'), "record 0 is incomplete (63 of 64 bytes)"},
        {"3 records + 17 bytes", three + std::string(17, '\x07'), "record 3 is incomplete (17 of 64 bytes)"},
        {"NaN", recordBytes(kStartRecord) + recordBytes({200, nan, 100, 200, 300, 200, 200, 167}),
         "record 1 holds a non-finite value"},
        {"+inf and -inf",
         recordBytes({inf, 100, 100, 200, 300, 200, 200, 167}) + recordBytes({200, 100, 100, 200, 300, 200, 200, -inf}),
         "record 0 holds a non-finite value"},
        {"+-1e300", recordBytes({1e300, -1e300, -1e300, 1e300, 1e300, 1e300, -1e300, -1e300}), ""},
        {"denormals", recordBytes({tiny, -tiny, 1e-310, -2e-320, 4e-321, tiny, -tiny, 3e-315}), ""},
        {"far and near at once", recordBytes({1e300, tiny, -1e300, -tiny, 0, 1e300, tiny, 1e16}), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        copyLevel(dir);
        writeFile(dir.file("r.rec"), c.bytes);
        ProcessResult r = runGameIn(dir, {"r.rec"});
        expectCleanEnd(r, 0);
        EXPECT_EQ(r.err, c.message.empty() ? "" : "r.rec: " + c.message + "\n");
        EXPECT_EQ(r.out, "");
    }
}

TEST(BadReplayFile, DirectoryMissingAndUnreadableFiles) {
    TempDir dir;
    copyLevel(dir);
    std::filesystem::create_directory(dir.file("dir.rec"));
    std::filesystem::create_symlink("/proc/self/mem", dir.file("mem.rec"));
    struct Case {
        const char* file;
        int status;
        std::string message;
    } cases[] = {
        {"dir.rec", 1, "Is a directory"},
        {"none.rec", 1, "No such file or directory"},
        {"mem.rec", 0, "read failed: Input/output error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ProcessResult r = runGameIn(dir, {c.file});
        expectCleanEnd(r, c.status);
        EXPECT_EQ(r.err, std::string(c.file) + ": " + c.message + "\n");
    }
}

TEST(BadReplayFile, UnreadableByPermission) {
    if (!permissionsApply()) GTEST_SKIP() << "running as root, which reads a file of mode 000 all the same";
    TempDir dir;
    copyLevel(dir);
    writeFile(dir.file("r.rec"), recordBytes(kStartRecord));
    std::filesystem::permissions(dir.file("r.rec"), std::filesystem::perms::none);
    ProcessResult r = runGameIn(dir, {"r.rec"});
    expectCleanEnd(r, 1);
    EXPECT_EQ(r.err, "r.rec: Permission denied\n");
}

// The digit bitmap of a live run: anything SDL cannot load stops the run
// before its first frame with the message for a missing bitmap, then SDL's
// own reason on one line; the new recording stays empty.
TEST(BadDigitBitmap, UnloadableBitmapsStopTheRunWithTheMissingBitmapMessage) {
    std::string good = readFile(ZUNO_BINARY_DIR "/nums.bmp");
    ASSERT_GT(good.size(), 200u);
    struct Case {
        const char* what;
        std::string bytes;
        bool directory;
    } cases[] = {
        {"empty", "", false},
        {"truncated header", good.substr(0, 20), false},
        {"truncated pixels", good.substr(0, good.size() / 2), false},
        {"not a BMP", "P3\n1 1\n255\n0 0 0\n", false},
        {"a directory", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        copyLevel(dir);
        if (c.directory)
            std::filesystem::create_directory(dir.file("nums.bmp"));
        else
            writeFile(dir.file("nums.bmp"), c.bytes);
        ProcessResult r = runGameIn(dir, {});
        expectCleanEnd(r, 1);
        const std::string first = "File \"" + dir.file("nums.bmp") + "\" not found, terminating.\n";
        ASSERT_EQ(r.out.substr(0, first.size()), first);
        const std::string reason = r.out.substr(first.size());
        EXPECT_GT(reason.size(), 1u) << "SDL's reason";
        EXPECT_EQ(reason.find('\n'), reason.size() - 1) << "SDL's reason on exactly one line: " << reason;
        EXPECT_EQ(r.err, "");
        auto recs = replayFilesIn(dir);
        ASSERT_EQ(recs.size(), 1u);
        EXPECT_EQ(std::filesystem::file_size(recs[0]), 0u);
    }
}

// A 1 x 1 bitmap loads but holds no glyph cell: every digit blit is clipped
// by SDL to the one pixel or to nothing, and the run goes on.
TEST(BadDigitBitmap, OnePixelBitmapIsClippedAndTheRunGoesOn) {
    TempDir dir;
    copyLevel(dir);
    std::string bmp = "BM" + int32le(58) + int32le(0) + int32le(54) + int32le(40) + int32le(1) + int32le(1);
    bmp += std::string("\x01\x00\x18\x00", 4) + int32le(0) + int32le(4) + int32le(2835) + int32le(2835) +
           int32le(0) + int32le(0) + std::string("\xff\xff\xff\x00", 4);
    writeFile(dir.file("nums.bmp"), bmp);
    ProcessResult r = liveRunIn(dir);
    expectCleanEnd(r, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    expectWholeRecording(dir);
}

// argv[0] is taken at any length: a 10,000-character name in a real
// directory runs normally; one through directories that do not exist
// reports each file it cannot reach.
TEST(BadProgramDirectory, TenThousandCharacterArgvZero) {
    {
        TempDir dir;
        copyLevel(dir);
        copyDigits(dir);
        ProcessOptions options;
        options.argv0 = dir.path() + "/" + std::string(10000 - dir.path().size() - 1, 'z');
        ASSERT_EQ(options.argv0.size(), 10000u);
        ProcessResult r = liveRunIn(dir, options);
        expectCleanEnd(r, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, "");
        expectWholeRecording(dir);
    }
    {
        TempDir dir;
        std::string programDirectory = dir.path() + "/";
        while (programDirectory.size() + 100 <= 9990) programDirectory += std::string(99, 'd') + "/";
        ProcessOptions options;
        options.argv0 = programDirectory + std::string(10000 - programDirectory.size(), 'z');
        ASSERT_EQ(options.argv0.size(), 10000u);
        ProcessResult r = runGameIn(dir, {}, options);
        expectCleanEnd(r, 1);
        // The recording's name holds the time of day; the rest is fixed.
        const std::string recordingTail = ".rec: cannot create: File name too long\n";
        const std::size_t levelLine = r.err.find('\n') + 1;
        ASSERT_GT(levelLine, recordingTail.size());
        EXPECT_EQ(r.err.substr(0, programDirectory.size() + 1), programDirectory + "m");
        EXPECT_EQ(r.err.substr(levelLine - recordingTail.size(), recordingTail.size()), recordingTail);
        EXPECT_EQ(r.err.substr(levelLine), programDirectory + "0.lev: cannot open: File name too long\n");
        const std::string first = "File \"" + programDirectory + "nums.bmp\" not found, terminating.\n";
        ASSERT_EQ(r.out.substr(0, first.size()), first);
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2);
    }
}

// Key scripts of zuno-replay drive: what a message quotes from the script
// is shown printable and on one line; frames stop at the documented limit.
TEST(BadKeyScript, MessagesQuoteThePrintableAndFramesStayInRange) {
    struct Case {
        const char* what;
        std::string script;
        std::string message;  // after "K:"
    } cases[] = {
        {"control bytes in the action", "0 \x01\x1b[2J up\n", "1: unknown action \"??[2J\"; use press or release"},
        {"a NUL in the key", std::string("0 press u\0p\n", 12), "1: unknown key \"u?p\"; keys are " +
                                                                     std::string("up, left, right, down, q, e, return, "
                                                                                 "lshift, a, d, w, s, space, f")},
        {"a long word", "0 press " + std::string(40, 'x') + "\n",
         "1: unknown key \"" + std::string(24, 'x') + "...\"; keys are " +
             "up, left, right, down, q, e, return, lshift, a, d, w, s, space, f"},
        {"nine digits", "0 press up\n999999991 release up\n",
         "2: frame \"999999991\" is not a whole number from 0 to 99999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeFile(dir.file("L.lev"), floorLevelBytes());
        writeFile(dir.file("K"), c.script);
        ProcessOptions options;
        options.timeoutSeconds = 20;
        ProcessResult r = runProcess(
            kReplayTool, {"drive", "--level", dir.file("L.lev"), "--keys", dir.file("K"), "-o", dir.file("out.rec")},
            options);
        expectCleanEnd(r, 1);
        EXPECT_EQ(r.err, dir.file("K") + ":" + c.message + "\n");
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.rec")));
    }
}
