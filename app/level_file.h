// The level file "0.lev": a little-endian int32 triangle count, then six
// int32 coordinates per triangle, scaled by 1.5 on load. Loads are
// all-or-nothing: a file that cannot be opened, is short, or holds more than
// 5000 triangles leaves the Level as it was and is reported once on stderr.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>

#include "sim/world.h"

constexpr const char* kLevelFileName = "0.lev";
constexpr double kFileToWorld = 1.5;  // world units per file unit
constexpr std::size_t kLevelCountBytes = 4;      // the int32 triangle count
constexpr std::size_t kLevelTriangleBytes = 24;  // three vertices of two int32

class LevelLoader {
public:
    // Initial load, first half: the count of the stream just opened on path.
    // The count is held back until readTriangles has the whole file. Returns
    // "" or the reason the load fails, which is also reported when asked.
    std::string readCount(std::istream& in, const std::string& path, bool reportFailure = true);

    // Initial load, second half: the triangles of the same stream; commits
    // count and vertices to l only when all of them were read. Returns ""
    // or the reason, as readCount does ("" too after a failed readCount).
    std::string readTriangles(std::istream& in, Level& l, bool reportFailure = true);

    // Level reload: opens path, reads the whole file, commits or reports.
    void reload(const std::string& path, Level& l);

    // Reads a whole level stream; returns "" on success (l replaced) or the
    // reason it was refused (l untouched). For tools and tests.
    static std::string readWhole(std::istream& in, Level& l);

    // count little-endian triangles of bytes (24 each) to world-unit vertices.
    static void decodeTriangles(const unsigned char* bytes, int32_t count, Vec2* vertices);

private:
    static std::string readCountFrom(std::istream& in, int32_t& count);
    static std::string readTrianglesFrom(std::istream& in, int32_t count, Level& l);
    static std::string openReason(const std::istream& in, const std::string& path);
    static std::string fileKey(const std::string& path);
    // Writes "path: reason" and what follows from it, unless the same file's
    // last report gave the same reason.
    void report(const std::string& path, const std::string& reason, const char* consequence = "");

    std::string path_;
    bool countRead_ = false;
    int32_t pendingCount_ = 0;
    std::map<std::string, std::string> lastReported_;  // file (fileKey) -> reason last written
};
