// Replay files: the composed name, the byte layout written, exclusive creation,
// failure reports, and playback timing at the end of the file, with and
// without the f key's fast-forward.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cmath>
#include <limits>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "app/replay_file.h"
#include "input/controls.h"
#include "tests/support/process.h"
#include "tests/tools/tool_files.h"

namespace {

// Record k of a test file: every value distinct and k-dependent.
std::vector<double> recordValues(int k) {
    std::vector<double> v;
    for (int i = 0; i < 8; ++i) v.push_back(k * 100.0 + i + 0.25);
    return v;
}

// The bytes of records 1 to n, composed independently of the writer.
std::string recordsUpTo(int n) {
    std::string bytes;
    for (int k = 1; k <= n; ++k) bytes += recordBytes(recordValues(k));
    return bytes;
}

std::vector<double> worldValues(const World& w) {
    std::vector<double> v;
    for (int i = 0; i < kBallCount; ++i) {
        v.push_back(w.position[i].x);
        v.push_back(w.position[i].y);
    }
    v.push_back(w.centre.x);
    v.push_back(w.centre.y);
    return v;
}

World startingWorld() {
    World w{};
    w.gravity = Vec2(0, kInitialGravityY);
    initialiseWorld(w);
    return w;
}

// The main loop's replay half: play, then fast-forward while f is held.
// Returns what each frame showed.
std::vector<std::vector<double>> playAll(ReplayReader& reader, bool holdF, int limit = 100) {
    uint8_t keys[SDLK_LAST] = {};
    keys[SDLK_f] = holdF ? 1 : 0;
    World w = startingWorld();
    std::vector<std::vector<double>> shown;
    bool running = true;
    while (running && static_cast<int>(shown.size()) < limit) {
        reader.playNext(w, running);
        shown.push_back(worldValues(w));
        fastForward(keys, &reader);
    }
    return shown;
}

}  // namespace

TEST(ReplayPath, NameFromDateAndTimeWithDirectoryUntouched) {
    DateTimeText at{"12/05/26", "18:37:42"};
    EXPECT_EQ(composeReplayPath("/games/", at), "/games/m12-05-26-18-37-42.rec");
    EXPECT_EQ(composeReplayPath("", at), "m12-05-26-18-37-42.rec");
    EXPECT_EQ(composeReplayPath("C:\\a/b:c\\", at), "C:\\a/b:c\\m12-05-26-18-37-42.rec");
}

TEST(ReplayWriter, WritesLittleEndianRecordsAndFlushesOnClose) {
    TempDir dir;
    World w = startingWorld();
    w.position[0] = Vec2(-0.0, 1e-300);
    w.position[1] = Vec2(1.5, -2.25);
    w.position[2] = Vec2(std::nextafter(1.0, 2.0), 123456789.125);
    w.centre = Vec2(-7, 0.1);
    ReplayWriter writer(dir.file("a.rec"));
    ASSERT_FALSE(writer.failed());
    writer.append(w);
    w.centre = Vec2(8, 9);
    writer.append(w);
    writer.close();
    std::string expected = recordBytes({-0.0, 1e-300, 1.5, -2.25, std::nextafter(1.0, 2.0), 123456789.125, -7, 0.1}) +
                           recordBytes({-0.0, 1e-300, 1.5, -2.25, std::nextafter(1.0, 2.0), 123456789.125, 8, 9});
    EXPECT_EQ(readFile(dir.file("a.rec")), expected);
}

TEST(ReplayWriter, NameCollisionKeepsEveryEarlierRecording) {
    TempDir dir;
    std::string path = dir.file("m12-05-26-18-37-42.rec");
    World w = startingWorld();
    {
        ReplayWriter first(path);
        first.append(w);
    }
    std::string firstBytes = readFile(path);
    ASSERT_EQ(firstBytes.size(), kFrameRecordSize);

    ReplayWriter second(path);
    ReplayWriter third(path);
    EXPECT_EQ(second.path(), dir.file("m12-05-26-18-37-42-2.rec"));
    EXPECT_EQ(third.path(), dir.file("m12-05-26-18-37-42-3.rec"));
    second.append(w);
    second.append(w);
    second.close();
    third.close();
    EXPECT_EQ(readFile(path), firstBytes);
    EXPECT_EQ(readFile(second.path()).size(), 2 * kFrameRecordSize);
    EXPECT_EQ(readFile(third.path()).size(), 0u);
}

TEST(ReplayWriter, UncreatableFileIsReportedOnceAndTheRunGoesOn) {
    TempDir dir;
    std::string path = dir.file("missing/m.rec");
    World w = startingWorld();
    testing::internal::CaptureStderr();
    {
        ReplayWriter writer(path);
        EXPECT_TRUE(writer.failed());
        for (int i = 0; i < 5; ++i) writer.append(w);
        writer.close();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), path + ": cannot create: No such file or directory\n");
}

namespace {
// Accepts the first `room` bytes, then fails every write, like a full disk.
class FullDisk : public std::streambuf {
public:
    explicit FullDisk(std::size_t room) : room_(room) {}
    std::string taken;

protected:
    int_type overflow(int_type ch) override {
        if (taken.size() >= room_) return traits_type::eof();
        taken.push_back(traits_type::to_char_type(ch));
        return ch;
    }

private:
    std::size_t room_;
};

class FullDiskStream : public std::ostream {
public:
    explicit FullDiskStream(std::size_t room) : std::ostream(nullptr), buf(room) { rdbuf(&buf); }
    FullDisk buf;
};
}  // namespace

TEST(ReplayWriter, FailingWriteIsReportedOnceAndLaterFramesAreDropped) {
    auto stream = std::make_unique<FullDiskStream>(100);
    FullDiskStream* raw = stream.get();
    World w = startingWorld();
    testing::internal::CaptureStderr();
    ReplayWriter writer(std::move(stream), "/full/m.rec");
    for (int i = 0; i < 10; ++i) writer.append(w);
    std::string taken = raw->buf.taken;
    writer.close();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "/full/m.rec: write failed: Input/output error\n");
    EXPECT_TRUE(writer.failed());
    EXPECT_EQ(taken.size(), 100u) << "nothing is written after the failure";
}

TEST(ReplayReader, WholeRecordsAreShownForTwoMoreFramesThanTheyNumber) {
    World initial = startingWorld();
    for (int n : {0, 1, 5}) {
        TempDir dir;
        writeFile(dir.file("r.rec"), recordsUpTo(n));
        ReplayReader reader(dir.file("r.rec"));
        ASSERT_TRUE(reader.isOpen());
        testing::internal::CaptureStderr();
        auto shown = playAll(reader, false);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        ASSERT_EQ(shown.size(), static_cast<std::size_t>(n + 2)) << n << " records";
        for (int k = 1; k <= n; ++k) EXPECT_EQ(shown[k - 1], recordValues(k));
        std::vector<double> last = n > 0 ? recordValues(n) : worldValues(initial);
        EXPECT_EQ(shown[n], last);
        EXPECT_EQ(shown[n + 1], last);
    }
}

TEST(ReplayReader, IncompleteLastRecordIsNotAppliedButKeepsTheTiming) {
    TempDir dir;
    std::string path = dir.file("short.rec");
    writeFile(path, recordsUpTo(2) + recordBytes(recordValues(3)).substr(0, 20));
    ReplayReader reader(path);
    testing::internal::CaptureStderr();
    auto shown = playAll(reader, false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), path + ": record 2 is incomplete (20 of 64 bytes)\n");
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[2], recordValues(2));
    EXPECT_EQ(shown[3], recordValues(2));
}

TEST(ReplayReader, NonFiniteRecordIsSkippedWithOneReport) {
    TempDir dir;
    std::string path = dir.file("nan.rec");
    std::vector<double> nan = recordValues(2);
    nan[3] = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> inf = recordValues(3);
    inf[7] = -std::numeric_limits<double>::infinity();
    writeFile(path, recordBytes(recordValues(1)) + recordBytes(nan) + recordBytes(inf) + recordBytes(recordValues(4)));
    ReplayReader reader(path);
    testing::internal::CaptureStderr();
    auto shown = playAll(reader, false);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), path + ": record 1 holds a non-finite value\n");
    ASSERT_EQ(shown.size(), 6u);
    EXPECT_EQ(shown[1], recordValues(1));
    EXPECT_EQ(shown[2], recordValues(1));
    EXPECT_EQ(shown[3], recordValues(4));
}

TEST(ReplayReader, UnopenableFileGivesTheSystemsReason) {
    TempDir dir;
    ReplayReader missing(dir.file("none.rec"));
    EXPECT_FALSE(missing.isOpen());
    EXPECT_EQ(missing.error(), "No such file or directory");
    ReplayReader directory(dir.path());
    EXPECT_FALSE(directory.isOpen());
    EXPECT_EQ(directory.error(), "Is a directory");
}

TEST(ReplayFastForward, HeldFSkipsThreeRecordsPerFrameAndStopsAtTheEnd) {
    // Six records: frame 1 shows 1 and skips 2-4, frame 2 shows 5 and its
    // skip runs into the end, so frame 3 ends the playback.
    {
        TempDir dir;
        writeFile(dir.file("six.rec"), recordsUpTo(6));
        ReplayReader reader(dir.file("six.rec"));
        auto shown = playAll(reader, true);
        ASSERT_EQ(shown.size(), 3u);
        EXPECT_EQ(shown[0], recordValues(1));
        EXPECT_EQ(shown[1], recordValues(5));
        EXPECT_EQ(shown[2], recordValues(5));
    }
    // Eight records: the skip of frame 2 ends exactly at the end without
    // running into it, so one more frame reads nothing before the end.
    {
        TempDir dir;
        writeFile(dir.file("eight.rec"), recordsUpTo(8));
        ReplayReader reader(dir.file("eight.rec"));
        auto shown = playAll(reader, true);
        ASSERT_EQ(shown.size(), 4u);
        EXPECT_EQ(shown[1], recordValues(5));
        EXPECT_EQ(shown[3], recordValues(5));
    }
}
