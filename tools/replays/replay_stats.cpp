// Replay file statistics for `zuno-replay info`.
#include "tools/replays/replay_stats.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <istream>
#include <ostream>
#include <sstream>
#include <vector>

#include "app/replay_file.h"
#include "tools/common/text_words.h"

namespace {

const char* const kFieldNames[8] = {"body ball x", "body ball y", "wheel 1 x", "wheel 1 y",
                                    "wheel 2 x",   "wheel 2 y",   "centre x",  "centre y"};

std::string fixed(double v, int digits = 1) {
    // Sums and products of the huge values random bytes hold can pass the
    // largest double; "inf" would read as a fault of the tool.
    if (std::isinf(v)) return v > 0 ? "over 1.797e+308" : "under -1.797e+308";
    std::ostringstream s;
    if (std::fabs(v) < 1e12)
        s << std::fixed << std::setprecision(digits) << v;
    else
        s << std::setprecision(4) << v;
    return s.str();
}

// "record FIRST holds WHAT (FIELD)", and how many records do when more than one.
std::string recordsHolding(const char* what, uint64_t count, int64_t first, const std::string& field) {
    std::string more = count > 1 ? " (" + counted(count, "such record") + " in all)" : "";
    return "record " + std::to_string(first) + " holds " + what + " (" + field + ")" + more;
}

std::string seconds(uint64_t frames, double msPerFrame) {
    return fixed(static_cast<double>(frames) * msPerFrame / 1000.0, 2) + " s";
}

}  // namespace

bool analyseReplay(std::istream& in, ReplayStats& stats) {
    stats = ReplayStats{};
    std::vector<unsigned char> buffer(kFrameRecordSize * 1024);
    std::size_t pending = 0;  // bytes of an unfinished record at the start of buffer
    double lastX = 0, lastY = 0;
    bool haveLast = false;
    for (;;) {
        in.read(reinterpret_cast<char*>(buffer.data() + pending),
                static_cast<std::streamsize>(buffer.size() - pending));
        std::size_t got = static_cast<std::size_t>(in.gcount());
        if (in.bad()) return false;
        stats.bytes += got;
        std::size_t available = pending + got;
        std::size_t whole = available / kFrameRecordSize;
        for (std::size_t r = 0; r < whole; ++r) {
            const unsigned char* rec = buffer.data() + r * kFrameRecordSize;
            double v[8];
            int bad = -1;
            for (int i = 0; i < 8; ++i) {
                v[i] = littleEndianDouble(rec + 8 * i);
                if (bad < 0 && !std::isfinite(v[i])) bad = i;
            }
            int64_t index = static_cast<int64_t>(stats.records++);
            if (bad >= 0) {
                if (stats.nonFiniteRecords++ == 0) {
                    stats.firstNonFinite = index;
                    stats.firstNonFiniteField = kFieldNames[bad];
                }
                haveLast = false;
                continue;
            }
            for (int i = 0; i < 8; ++i)
                if (std::fabs(v[i]) > kImplausibleCoordinate) {
                    if (stats.implausibleRecords++ == 0) {
                        stats.firstImplausible = index;
                        stats.firstImplausibleField = kFieldNames[i];
                    }
                    break;
                }
            double x = v[0], y = v[1];
            if (!stats.haveBounds) {
                stats.haveBounds = true;
                stats.minX = stats.maxX = x;
                stats.minY = stats.maxY = y;
            } else {
                stats.minX = std::min(stats.minX, x);
                stats.maxX = std::max(stats.maxX, x);
                stats.minY = std::min(stats.minY, y);
                stats.maxY = std::max(stats.maxY, y);
            }
            if (haveLast) {
                double step = std::hypot(x - lastX, y - lastY);
                stats.distance += step;
                if (step > stats.topSpeed || stats.topSpeedRecord < 0) {
                    stats.topSpeed = step;
                    stats.topSpeedRecord = index;
                }
            }
            lastX = x;
            lastY = y;
            haveLast = true;
        }
        pending = available - whole * kFrameRecordSize;
        std::memmove(buffer.data(), buffer.data() + whole * kFrameRecordSize, pending);
        if (got == 0 || in.eof()) break;
    }
    stats.trailingBytes = pending;
    return true;
}

std::string replayProblem(const ReplayStats& stats) {
    const std::string recordBytes = std::to_string(kFrameRecordSize);
    if (stats.trailingBytes != 0)
        return "length " + std::to_string(stats.bytes) + " is not a whole number of " + recordBytes +
               "-byte records (" + counted(stats.records, "record") + " and " + counted(stats.trailingBytes, "byte") +
               " over)";
    if (stats.nonFiniteRecords != 0)
        return recordsHolding("a non-finite value", stats.nonFiniteRecords, stats.firstNonFinite,
                              stats.firstNonFiniteField);
    if (stats.implausibleRecords != 0)
        return recordsHolding("a value beyond 1e15 world units", stats.implausibleRecords, stats.firstImplausible,
                              stats.firstImplausibleField);
    return "";
}

void printReplayStats(std::ostream& out, const std::string& path, const ReplayStats& s) {
    const double pacePerSecond = 1000.0 / kPaceMsPerFrame;
    out << "file:          " << path << '\n'
        << "size:          " << counted(s.bytes, "byte") << ": " << counted(s.records, "whole record") << " of "
        << kFrameRecordSize << " bytes, " << counted(s.trailingBytes, "byte") << " over\n"
        << "recorded:      " << counted(s.records, "frame") << " (one record each, numbered from 0)\n"
        << "playback:      " << counted(s.playbackFrames(), "frame") << " (every record, then two more on the "
        << (s.records ? "last record" : "starting positions") << ")\n"
        << "duration:      " << seconds(s.records, kPaceMsPerFrame) << " of recorded frames at the game's pace (16 ms a frame), "
        << seconds(s.records, kGameClockMsPerFrame) << " on the game clock (33 ms a frame)\n";
    if (s.haveBounds) {
        out << "body ball x:   " << fixed(s.minX) << " to " << fixed(s.maxX) << '\n'
            << "body ball y:   " << fixed(s.minY) << " to " << fixed(s.maxY) << '\n'
            << "distance:      " << fixed(s.distance) << " world units travelled by the body ball\n";
        if (s.topSpeedRecord >= 0)
            out << "top speed:     " << fixed(s.topSpeed, 2) << " units a frame ("
                << fixed(s.topSpeed * pacePerSecond, 0) << " units/s at the game's pace), reached at record "
                << s.topSpeedRecord << '\n';
        else
            out << "top speed:     none (a single record)\n";
    } else {
        out << "body ball:     no finite record\n";
    }
    if (s.nonFiniteRecords)
        out << "non-finite:    " << counted(s.nonFiniteRecords, "record") << ", the first at record " << s.firstNonFinite
            << " (" << s.firstNonFiniteField << ")\n";
    else
        out << "non-finite:    none\n";
}
