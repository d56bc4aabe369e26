// Fuzz target: any bytes as the level file, through the loader alone, from
// a string stream: the whole-file read of the tools and of the reload (also
// from a device that fails where the bytes end), and the initial load's two
// halves (count, then triangles) with their report.
// Both must leave exactly the level the bytes describe, or refuse them and
// leave the Level as it was, with one line naming the file. Opening real
// files is fuzz_level's part: here it would cost most of the time.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "app/level_file.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/reader_models.h"

namespace {

const char* const kPath = "fuzz-dir/0.lev";

// The Level before every load: a level of kBeforeCount triangles, and
// leftovers of a larger one beyond it, all different values.
constexpr int32_t kBeforeCount = 7;

Vec2 before(int32_t v) { return Vec2(0.25 + v, -0.5 - 3.0 * v); }

Level& levelUnderTest() {
    static Level* l = [] {
        static Level storage;  // 240 KB: kept off the stack
        storage.triangleCount = kBeforeCount;
        for (int32_t v = 0; v < kMaxVertices; ++v) storage.vertices[v] = before(v);
        return &storage;
    }();
    return *l;
}

int32_t le32(const uint8_t* b) {
    return static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

// Bit for bit, so that -0.0 and NaN compare as stored; memcpy rather than
// memcmp keeps the sanitizer's interceptor out of the inner loop.
bool sameBits(const Vec2& a, const Vec2& b) {
    uint64_t bits[4];
    std::memcpy(bits, &a, sizeof a);
    std::memcpy(bits + 2, &b, sizeof b);
    return bits[0] == bits[2] && bits[1] == bits[3];
}

// What the bytes say, decoded here: whether they are a level, its count.
struct Expected {
    bool accepted = false;
    int32_t count = 0;
};

Expected expectedOf(const uint8_t* data, std::size_t size) {
    Expected e;
    if (size < 4) return e;
    e.count = le32(data);
    if (e.count > kMaxTriangles) return e;
    if (e.count > 0 && (size - 4) / 24 < static_cast<std::size_t>(e.count)) return e;
    e.accepted = true;
    return e;
}

// The vertices checked after a load, and put back: all those of the old
// level and of the triangles the bytes hold, one triangle more, and the
// last vertices of the file's count and just past it. A load that writes
// anything, or writes past what it read, changes one of these; checking
// all 15000 after every input would cost ten times the load itself.
struct Checked {
    int32_t whole;       // vertices [0, whole)
    int32_t countEnd;    // and [countEnd - 1, countEnd + 3) when past whole
};

Checked checkedOf(const Expected& e, std::size_t size) {
    const int32_t inFile = size < 4 ? 0 : static_cast<int32_t>((size - 4) / 24);
    int32_t triangles = e.count < inFile ? e.count : inFile;
    if (triangles < kBeforeCount) triangles = kBeforeCount;
    if (triangles > kMaxTriangles - 1) triangles = kMaxTriangles - 1;
    Checked c{3 * (triangles + 1), 0};
    const int32_t counted = e.count < kMaxTriangles ? e.count : kMaxTriangles - 1;
    if (counted > 0 && 3 * counted > c.whole) c.countEnd = 3 * counted;
    return c;
}

// Every vertex, now and then: a stray write outside the checked ones is
// found late, but found.
constexpr uint32_t kFullCheckPeriod = 4096;

void checkUnchanged(const char* how, const Expected& e, int32_t from, int32_t to, const Level& l) {
    for (int32_t v = from; v < to; ++v)
        if (!sameBits(l.vertices[v], before(v)))
            fuzz::fail("%s: vertex %d changed by a load of %d triangles (%s)", how, v, e.count,
                       e.accepted ? "loaded" : "refused");
}

void checkLevel(const char* how, const Expected& e, const Checked& c, const uint8_t* data, const Level& l) {
    const int32_t loaded = e.accepted && e.count > 0 ? 3 * e.count : 0;
    if (l.triangleCount != (e.accepted ? e.count : kBeforeCount))
        fuzz::fail("%s: count %d left as %d (%s)", how, e.count, l.triangleCount, e.accepted ? "loaded" : "refused");
    for (int32_t v = 0; v < loaded; ++v) {
        const Vec2 file(static_cast<double>(le32(data + 4 + 8 * v)) * 1.5,
                        static_cast<double>(le32(data + 8 + 8 * v)) * 1.5);
        if (!sameBits(l.vertices[v], file))
            fuzz::fail("%s: vertex %d loaded as (%g, %g), the file says (%g, %g)", how, v, l.vertices[v].x,
                       l.vertices[v].y, file.x, file.y);
    }
    checkUnchanged(how, e, loaded, c.whole, l);
    if (c.countEnd > 0) checkUnchanged(how, e, c.countEnd - 1 < loaded ? loaded : c.countEnd - 1, c.countEnd + 3, l);
    static uint32_t loads = 0;
    if (++loads % kFullCheckPeriod == 0) checkUnchanged("since the last full check", e, loaded, kMaxVertices, l);
}

void restore(const Checked& c, Level& l) {
    l.triangleCount = kBeforeCount;
    for (int32_t v = 0; v < c.whole; ++v) l.vertices[v] = before(v);
    for (int32_t v = c.countEnd - 1; c.countEnd > 0 && v < c.countEnd + 3; ++v) l.vertices[v] = before(v);
}

// A read that would run past the bytes is a read error there; a count above
// the table is refused before any triangle is read.
bool needsMoreThan(const uint8_t* data, std::size_t size) {
    if (size < 4) return true;
    const int32_t count = le32(data);
    return count > 0 && count <= kMaxTriangles && (size - 4) / 24 < static_cast<std::size_t>(count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Expected e = expectedOf(data, size);
    const Checked c = checkedOf(e, size);
    Level& l = levelUnderTest();

    std::istringstream whole(bytes);
    const std::string reason = LevelLoader::readWhole(whole, l);
    if (reason.empty() != e.accepted) fuzz::fail("readWhole: %s", reason.empty() ? "accepted" : reason.c_str());
    if (!reason.empty()) fuzz::checkMessages(std::string(kPath) + ": " + reason + "\n", kPath, 1);
    checkLevel("readWhole", e, c, data, l);
    restore(c, l);

    {
        fuzz::FailingAtEnd device(bytes);
        std::istream failing(&device);
        const std::string failed = LevelLoader::readWhole(failing, l);
        const std::string expected = needsMoreThan(data, size) ? "read error" : reason;
        if (failed != expected)
            fuzz::fail("a device failing at the end: \"%s\", not \"%s\"", failed.c_str(), expected.c_str());
        checkLevel("readWhole of a failing device", e, c, data, l);
        restore(c, l);
    }

    std::string messages;
    {
        fuzz::MessageCapture capture;
        LevelLoader loader;
        std::istringstream in(bytes);
        loader.readCount(in, kPath);
        loader.readTriangles(in, l);
        messages = capture.text();
    }
    const std::string expectedMessage = reason.empty() ? "" : std::string(kPath) + ": " + reason + "\n";
    if (messages != expectedMessage)
        fuzz::fail("initial load reports \"%s\", readWhole \"%s\"", messages.c_str(), reason.c_str());
    checkLevel("initial load", e, c, data, l);
    restore(c, l);

    return 0;
}
