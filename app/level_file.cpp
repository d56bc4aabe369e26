// Reading the level file into the Level, all or nothing, and reporting each
// distinct failure of a path once.
#include "app/level_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sys/stat.h>

namespace {

// Little-endian on every host: the file's byte order is fixed, the machine's is not.
int32_t decodeInt32(const unsigned char* b) {
    const uint32_t u = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return int32_t(u);
}

// Reads up to n bytes; returns how many arrived. A stream in a failed state
// (never opened) delivers none.
size_t readBytes(std::istream& in, unsigned char* into, size_t n) {
    if (!in) return 0;
    in.read(reinterpret_cast<char*>(into), std::streamsize(n));
    return size_t(in.gcount());
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A stream that stopped for another reason than the end of the file.
bool readFailed(const std::istream& in) { return in.bad(); }

}  // namespace

std::string LevelLoader::readCountFrom(std::istream& in, int32_t& count) {
    unsigned char bytes[kLevelCountBytes];
    const size_t got = readBytes(in, bytes, kLevelCountBytes);
    if (got < kLevelCountBytes) {
        if (readFailed(in)) return "read error";
        if (got == 0) return "empty file, no triangle count";
        return std::to_string(got) + " bytes, too short for the triangle count";
    }
    count = decodeInt32(bytes);
    if (count > kMaxTriangles) return std::to_string(count) + " triangles, at most " + std::to_string(kMaxTriangles);
    return "";
}

std::string LevelLoader::readTrianglesFrom(std::istream& in, int32_t count, Level& l) {
    if (count <= 0) {
        l.triangleCount = count;  // every user skips its loop: an empty level
        return "";
    }
    // One buffer per load, read in one go; the Level is written only once the
    // whole block is here.
    const size_t need = size_t(count) * kLevelTriangleBytes;
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[need]);
    const size_t got = readBytes(in, bytes.get(), need);
    if (got < need) {
        if (readFailed(in)) return "read error";
        return "truncated: " + std::to_string(got / kLevelTriangleBytes) + " of " + std::to_string(count) + " triangles";
    }
    decodeTriangles(bytes.get(), count, l.vertices);
    l.triangleCount = count;
    return "";
}

void LevelLoader::decodeTriangles(const unsigned char* bytes, int32_t count, Vec2* vertices) {
    const int32_t n = 3 * count;
    for (int32_t v = 0; v < n; ++v) {
        const unsigned char* b = bytes + kLevelTriangleBytes / 3 * size_t(v);
        vertices[v] = Vec2(double(decodeInt32(b)) * kFileToWorld, double(decodeInt32(b + 4)) * kFileToWorld);
    }
}

std::string LevelLoader::readWhole(std::istream& in, Level& l) {
    int32_t count = 0;
    std::string reason = readCountFrom(in, count);
    if (!reason.empty()) return reason;
    return readTrianglesFrom(in, count, l);
}

// Called right after the stream was opened on path, while errno still
// holds the open's reason.
std::string LevelLoader::openReason(const std::istream& in, const std::string& path) {
    const int openError = errno;
    if (isDirectory(path)) return "is a directory";
    if (!in) return openError != 0 ? std::string("cannot open: ") + std::strerror(openError) : "cannot open";
    return "";
}

std::string LevelLoader::readCount(std::istream& in, const std::string& path, bool reportFailure) {
    path_ = path;
    countRead_ = false;
    std::string reason = openReason(in, path);
    if (reason.empty()) reason = readCountFrom(in, pendingCount_);
    if (!reason.empty()) {
        if (reportFailure) report(path, reason);
        return reason;
    }
    countRead_ = true;
    return "";
}

std::string LevelLoader::readTriangles(std::istream& in, Level& l, bool reportFailure) {
    if (!countRead_) return "";  // readCount gave the reason
    countRead_ = false;
    const std::string reason = readTrianglesFrom(in, pendingCount_, l);
    if (reason.empty()) {
        lastReported_.erase(fileKey(path_));
    } else if (reportFailure) {
        report(path_, reason);
    }
    return reason;
}

void LevelLoader::reload(const std::string& path, Level& l) {
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    std::string reason = openReason(in, path);
    if (reason.empty()) reason = readWhole(in, l);
    if (reason.empty()) {
        lastReported_.erase(fileKey(path));
    } else {
        // Also runs at frame 0, so a game started away from its level says
        // this at once: the player learns what the run goes on with.
        report(path, reason, "; level reload skipped, the level in use is kept");
    }
}

// The file a path names, so that the initial load (program directory) and
// the reload ("0.lev" in the current directory) of one file share their
// reports when they are the same file.
std::string LevelLoader::fileKey(const std::string& path) {
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

void LevelLoader::report(const std::string& path, const std::string& reason, const char* consequence) {
    auto& last = lastReported_[fileKey(path)];
    if (last == reason) return;
    last = reason;
    std::cerr << path << ": " << reason << consequence << '\n';
}
