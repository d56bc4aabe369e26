// The fuzz targets' own reading of replay bytes and key script events.
#include "fuzz/reader_models.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>

#include "app/replay_file.h"
#include "fuzz/fuzz_support.h"
#include "tools/replays/headless_run.h"

namespace fuzz {

long messageLine(const std::string& message, const char* name) {
    const std::size_t prefix = std::strlen(name) + 1;
    if (message.size() <= prefix || message[prefix] < '0' || message[prefix] > '9') return 0;
    return std::strtol(message.c_str() + prefix, nullptr, 10);
}

std::vector<std::pair<const char*, const char*>> lineWords(const char* p, const char* end) {
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    std::vector<std::pair<const char*, const char*>> out;
    end = std::find(p, end, '#');
    while (p < end) {
        if (isBlank(*p)) {
            ++p;
            continue;
        }
        const char* const start = p;
        while (p < end && !isBlank(*p)) ++p;
        out.emplace_back(start, p);
    }
    return out;
}

namespace {

constexpr int kFastForwardSkips = 3;

double le64(const uint8_t* b) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits |= uint64_t(b[i]) << (8 * i);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

}  // namespace

Shown shownBy(const World& w) {
    Shown s;
    for (int i = 0; i < kBallCount; ++i) {
        s.values[2 * i] = w.position[i].x;
        s.values[2 * i + 1] = w.position[i].y;
    }
    s.values[6] = w.centre.x;
    s.values[7] = w.centre.y;
    return s;
}

bool PlaybackModel::frame(bool fastForward) {
    if (atEnd_) return false;
    if (size_ - offset_ >= kFrameRecordSize) {
        Shown next;
        bool finite = true;
        for (int i = 0; i < 8; ++i) {
            next.values[i] = le64(file_ + offset_ + 8 * i);
            finite = finite && std::isfinite(next.values[i]);
        }
        if (finite)
            shown_ = next;
        else
            reportDue_ = true;
        offset_ += kFrameRecordSize;
    } else {
        if (offset_ < size_) reportDue_ = true;
        offset_ = size_;
        atEnd_ = true;
    }
    for (int i = 0; fastForward && i < kFastForwardSkips && !atEnd_; ++i) skip();
    return true;
}

void PlaybackModel::skip() {
    if (size_ - offset_ >= kFrameRecordSize) {
        offset_ += kFrameRecordSize;
    } else {
        offset_ = size_;
        atEnd_ = true;
    }
}

void checkKeyEvents(const KeyScript& script) {
    std::set<int> down;
    int32_t lastFrame = 0;
    int lastLine = 0;
    for (const KeyEvent& e : script.events) {
        if (e.frame < lastFrame || e.frame > 99999999) fail("event frame %d after %d", e.frame, lastFrame);
        if (e.line <= lastLine) fail("event of line %d after line %d", e.line, lastLine);
        if (!keyNameOf(e.key)) fail("event of key %d, which has no name", e.key);
        if (e.press == (down.count(e.key) != 0)) fail("key %d pressed while down or released while up", e.key);
        if (e.press)
            down.insert(e.key);
        else
            down.erase(e.key);
        lastFrame = e.frame;
        lastLine = e.line;
    }
    if (defaultDriveFrames(script) < lastFrame) fail("the default drive ends before the last event");
}

bool lineEndsInNewline(const uint8_t* data, std::size_t size, int line) {
    int seen = 0;
    for (std::size_t i = 0; i < size; ++i)
        if (data[i] == '\n' && ++seen == line) return true;
    return false;
}

void checkParsedText(const LevelText& text) {
    if (text.lines.size() != text.triangles.size()) fuzz::fail("a line number for every triangle");
    for (std::size_t i = 1; i < text.lines.size(); ++i)
        if (text.lines[i] <= text.lines[i - 1]) fuzz::fail("triangle lines out of order");
    if (text.triangles.size() > static_cast<std::size_t>(kMaxTriangles)) fuzz::fail("more than the level holds");
}

bool sameTriangles(const std::vector<FileTriangle>& a, const std::vector<FileTriangle>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

}  // namespace fuzz
