// Replay statistics: counts, extent, distance and speed of the body ball,
// and the verdict on files that cannot be replays.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>

#include "tools/replays/replay_stats.h"
#include "tests/tools/tool_files.h"

namespace {

// A record whose body ball is at (x, y); the other values do not matter.
std::string bodyAt(double x, double y) { return recordBytes({x, y, 1, 2, 3, 4, 5, 6}); }

ReplayStats analyse(const std::string& bytes) {
    std::istringstream in(bytes);
    ReplayStats stats;
    EXPECT_TRUE(analyseReplay(in, stats));
    return stats;
}

}  // namespace

TEST(ReplayStats, EmptyAndSingleRecordFiles) {
    ReplayStats empty = analyse("");
    EXPECT_EQ(empty.records, 0u);
    EXPECT_EQ(empty.playbackFrames(), 2u);
    EXPECT_FALSE(empty.haveBounds);
    EXPECT_EQ(replayProblem(empty), "");

    ReplayStats one = analyse(bodyAt(-5, 7.5));
    EXPECT_EQ(one.records, 1u);
    EXPECT_EQ(one.playbackFrames(), 3u);
    EXPECT_EQ(one.minX, -5);
    EXPECT_EQ(one.maxY, 7.5);
    EXPECT_EQ(one.distance, 0);
    EXPECT_EQ(one.topSpeedRecord, -1);
    EXPECT_EQ(replayProblem(one), "");
    std::ostringstream report;
    printReplayStats(report, "one.rec", one);
    EXPECT_NE(report.str().find(": 1 whole record of 64 bytes"), std::string::npos) << report.str();
    EXPECT_NE(report.str().find("recorded:      1 frame ("), std::string::npos) << report.str();
}

TEST(ReplayStats, HugeValuesAreReportedInNumbers) {
    // Steps past the largest double, as random bytes give them.
    const double big = std::numeric_limits<double>::max();
    std::ostringstream report;
    printReplayStats(report, "random.rec", analyse(bodyAt(-big, 0) + bodyAt(big, 0) + bodyAt(-big, 0)));
    EXPECT_EQ(report.str().find("inf"), std::string::npos) << report.str();
    EXPECT_NE(report.str().find("distance:      over 1.797e+308"), std::string::npos) << report.str();
    EXPECT_EQ(report.str().back(), '\n');
}

TEST(ReplayStats, ExtentDistanceAndTopSpeedOfTheBodyBall) {
    // Steps of 5 (3-4-5), 10 and 1.
    std::string bytes = bodyAt(0, 0) + bodyAt(3, 4) + bodyAt(3, -6) + bodyAt(4, -6);
    ReplayStats s = analyse(bytes);
    EXPECT_EQ(s.records, 4u);
    EXPECT_EQ(s.trailingBytes, 0u);
    EXPECT_EQ(s.minX, 0);
    EXPECT_EQ(s.maxX, 4);
    EXPECT_EQ(s.minY, -6);
    EXPECT_EQ(s.maxY, 4);
    EXPECT_DOUBLE_EQ(s.distance, 16);
    EXPECT_DOUBLE_EQ(s.topSpeed, 10);
    EXPECT_EQ(s.topSpeedRecord, 2);

    std::ostringstream report;
    printReplayStats(report, "run.rec", s);
    EXPECT_NE(report.str().find("4 whole records"), std::string::npos) << report.str();
    EXPECT_NE(report.str().find("0.06 s"), std::string::npos) << report.str();  // 4 x 16 ms
    EXPECT_NE(report.str().find("0.13 s"), std::string::npos) << report.str();  // 4 x 33 ms
}

TEST(ReplayStats, LargeFilesAreReadAcrossBufferBoundaries) {
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes += bodyAt(i, 0);
    bytes += "abc";
    ReplayStats s = analyse(bytes);
    EXPECT_EQ(s.records, 5000u);
    EXPECT_EQ(s.trailingBytes, 3u);
    EXPECT_EQ(s.maxX, 4999);
    EXPECT_DOUBLE_EQ(s.distance, 4999);
}

TEST(ReplayStats, PartialAndNonFiniteRecordsAreNotReplays) {
    ReplayStats partial = analyse(bodyAt(1, 1) + std::string(10, '\0'));
    EXPECT_EQ(partial.records, 1u);
    EXPECT_EQ(partial.trailingBytes, 10u);
    EXPECT_EQ(replayProblem(partial), "length 74 is not a whole number of 64-byte records (1 record and 10 bytes over)");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::string bytes = bodyAt(0, 0) + recordBytes({0, 0, 0, nan, 0, 0, 0, 0}) + bodyAt(0, 2) +
                        recordBytes({inf, 0, 0, 0, 0, 0, 0, 0});
    ReplayStats s = analyse(bytes);
    EXPECT_EQ(s.records, 4u);
    EXPECT_EQ(s.nonFiniteRecords, 2u);
    EXPECT_EQ(s.firstNonFinite, 1);
    EXPECT_EQ(replayProblem(s), "record 1 holds a non-finite value (wheel 1 y) (2 such records in all)");
    // The finite records still count; no step spans a bad record.
    EXPECT_EQ(s.maxY, 2);
    EXPECT_EQ(s.distance, 0);

    // Random bytes are mostly finite, but far out of any run's reach.
    ReplayStats far = analyse(bodyAt(0, 0) + recordBytes({0, 0, 0, 0, 0, 0, 0, -3e17}));
    EXPECT_EQ(replayProblem(far), "record 1 holds a value beyond 1e15 world units (centre y)");
}
