// The level loader: what a load commits, what a refused load leaves behind,
// and the one-line reports, written once per distinct failure of a path.
#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <sys/stat.h>

#include "app/level_file.h"
#include "tools/levels/level_bytes.h"
#include "tests/support/process.h"

namespace {

std::string int32Bytes(int32_t v) {
    const uint32_t u = uint32_t(v);
    return std::string{char(u & 0xff), char(u >> 8 & 0xff), char(u >> 16 & 0xff), char(u >> 24 & 0xff)};
}

// A file of n triangles, triangle i at (i, -i), (i + 7, 2), (-2, i * 3).
std::string levelBytes(int32_t n) {
    std::vector<FileTriangle> t(size_t(n > 0 ? n : 0));
    for (int32_t i = 0; i < n; ++i) t[size_t(i)] = FileTriangle{{i, -i, i + 7, 2, -2, i * 3}};
    std::string bytes = encodeLevel(t);
    if (n <= 0) bytes = int32Bytes(n);
    return bytes;
}

std::unique_ptr<Level> freshLevel() { return std::unique_ptr<Level>(new Level{}); }

std::string readWhole(const std::string& bytes, Level& l) {
    std::istringstream in(bytes);
    return LevelLoader::readWhole(in, l);
}

// A level with 3 known triangles, to see that refused loads leave it alone.
std::unique_ptr<Level> loadedLevel() {
    auto l = freshLevel();
    EXPECT_EQ(readWhole(levelBytes(3), *l), "");
    return l;
}

void expectSameLevel(const Level& a, const Level& b) {
    EXPECT_EQ(a.triangleCount, b.triangleCount);
    for (int v = 0; v < kMaxVertices; ++v)
        ASSERT_TRUE(a.vertices[v] == b.vertices[v]) << "vertex " << v;
}

// Captures what the loader writes to standard error.
class StderrCapture {
public:
    StderrCapture() : old_(std::cerr.rdbuf(text_.rdbuf())) {}
    ~StderrCapture() { std::cerr.rdbuf(old_); }
    std::string take() {
        std::string s = text_.str();
        text_.str("");
        return s;
    }

private:
    std::ostringstream text_;
    std::streambuf* old_;
};

}  // namespace

TEST(LevelFile, LoadScalesByOneAndAHalfAndIgnoresTrailingBytes) {
    auto l = freshLevel();
    ASSERT_EQ(readWhole(levelBytes(2) + "extra bytes", *l), "");
    EXPECT_EQ(l->triangleCount, 2);
    EXPECT_EQ(l->vertices[3].x, 1.5);   // triangle 1, vertex 0: (1, -1)
    EXPECT_EQ(l->vertices[3].y, -1.5);
    EXPECT_EQ(l->vertices[4].x, 12.0);  // (8, 2)
    EXPECT_EQ(l->vertices[5].x, -3.0);  // (-2, 3)
    EXPECT_EQ(l->vertices[5].y, 4.5);
}

TEST(LevelFile, ExtremeCoordinatesDecodeEndianSafe) {
    auto l = freshLevel();
    const std::vector<FileTriangle> t = {FileTriangle{{INT32_MIN, INT32_MAX, -1, 256, 65536, -16777216}}};
    ASSERT_EQ(readWhole(encodeLevel(t), *l), "");
    EXPECT_EQ(l->vertices[0].x, double(INT32_MIN) * 1.5);
    EXPECT_EQ(l->vertices[0].y, double(INT32_MAX) * 1.5);
    EXPECT_EQ(l->vertices[1].x, -1.5);
    EXPECT_EQ(l->vertices[1].y, 384.0);
    EXPECT_EQ(l->vertices[2].x, 98304.0);
    EXPECT_EQ(l->vertices[2].y, -25165824.0);
    EXPECT_EQ(fileTriangles(*l)[0].c[0], INT32_MIN);  // and back, exactly
}

TEST(LevelFile, ZeroAndNegativeCountsAreEmptyLevels) {
    for (int32_t n : {0, -1, INT32_MIN}) {
        auto l = loadedLevel();
        ASSERT_EQ(readWhole(int32Bytes(n), *l), "") << n;
        EXPECT_EQ(l->triangleCount, n);
        EXPECT_TRUE(fileTriangles(*l).empty());
    }
}

TEST(LevelFile, FullCapacityLoadsAndOneMoreIsRefused) {
    auto l = freshLevel();
    ASSERT_EQ(readWhole(levelBytes(kMaxTriangles), *l), "");
    EXPECT_EQ(l->triangleCount, kMaxTriangles);
    EXPECT_EQ(l->vertices[kMaxVertices - 1].y, double(3 * (kMaxTriangles - 1)) * 1.5);

    auto before = loadedLevel();
    auto after = loadedLevel();
    EXPECT_EQ(readWhole(levelBytes(kMaxTriangles + 1), *after), "5001 triangles, at most 5000");
    expectSameLevel(*before, *after);
}

TEST(LevelFile, RefusedLoadsLeaveTheLevelAsItWas) {
    const std::string four = levelBytes(4);
    const struct {
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"", "empty file, no triangle count"},
        {std::string("\x02\x00", 2), "2 bytes, too short for the triangle count"},
        {four.substr(0, 4 + 24 * 2 + 23), "truncated: 2 of 4 triangles"},
        {int32Bytes(1), "truncated: 0 of 1 triangles"},
        {int32Bytes(5432), "5432 triangles, at most 5000"},
    };
    const auto reference = loadedLevel();
    for (const auto& c : cases) {
        auto l = loadedLevel();
        EXPECT_EQ(readWhole(c.bytes, *l), c.reason);
        expectSameLevel(*reference, *l);
    }
}

TEST(LevelFile, ReloadReportsEachFailureOnceUntilASuccess) {
    TempDir dir;
    const std::string path = dir.file("0.lev");
    LevelLoader loader;
    auto l = loadedLevel();
    const auto reference = loadedLevel();
    StderrCapture err;
    const std::string kept = "; level reload skipped, the level in use is kept\n";

    for (int i = 0; i < 3; ++i) loader.reload(path, *l);
    EXPECT_EQ(err.take(), path + ": cannot open: No such file or directory" + kept);

    writeFile(path, levelBytes(5).substr(0, 50));
    loader.reload(path, *l);
    loader.reload(path, *l);
    EXPECT_EQ(err.take(), path + ": truncated: 1 of 5 triangles" + kept);
    expectSameLevel(*reference, *l);

    writeFile(path, levelBytes(1));
    loader.reload(path, *l);
    EXPECT_EQ(err.take(), "");
    EXPECT_EQ(l->triangleCount, 1);

    writeFile(path, levelBytes(5).substr(0, 50));  // the same failure again, after a success
    loader.reload(path, *l);
    EXPECT_EQ(err.take(), path + ": truncated: 1 of 5 triangles" + kept);
    EXPECT_EQ(l->triangleCount, 1);

    const std::string folder = dir.file("folder");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    loader.reload(folder, *l);
    EXPECT_EQ(err.take(), folder + ": is a directory" + kept);
}

TEST(LevelFile, InitialLoadCommitsOnlyAfterTheTriangles) {
    TempDir dir;
    const std::string path = dir.file("0.lev");
    StderrCapture err;
    {
        writeFile(path, levelBytes(3));
        LevelLoader loader;
        auto l = freshLevel();
        std::ifstream in(path, std::ios::binary);
        loader.readCount(in, path);
        EXPECT_EQ(l->triangleCount, 0);  // held back until the triangles are in
        loader.readTriangles(in, *l);
        EXPECT_EQ(l->triangleCount, 3);
        EXPECT_EQ(err.take(), "");
    }
    {
        writeFile(path, levelBytes(3).substr(0, 40));
        LevelLoader loader;
        auto l = freshLevel();
        std::ifstream in(path, std::ios::binary);
        loader.readCount(in, path);
        loader.readTriangles(in, *l);
        EXPECT_EQ(l->triangleCount, 0);
        EXPECT_EQ(err.take(), path + ": truncated: 1 of 3 triangles\n");
        loader.reload(path, *l);  // the same failure at the first reload is not repeated
        EXPECT_EQ(err.take(), "");
    }
    {
        LevelLoader loader;  // a missing file: the stream never opened
        auto l = freshLevel();
        std::ifstream in(dir.file("missing.lev"), std::ios::binary);
        loader.readCount(in, dir.file("missing.lev"));
        loader.readTriangles(in, *l);
        EXPECT_EQ(l->triangleCount, 0);
        EXPECT_EQ(err.take(), dir.file("missing.lev") + ": cannot open: No such file or directory\n");
    }
}
