// Parsing of shape lines; the triangle lines go to the plain text form's
// parser with the shape lines blanked, so its line numbers and messages hold.
#include "tools/shapes/shape_text.h"

#include <algorithm>
#include <cstdlib>
#include <istream>
#include <sstream>

#include "tools/shapes/segments.h"

namespace {

// Bounds the work of joining and meshing that one source can ask for.
constexpr size_t kMaxShapePoints = 200000;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// A word as it can be shown on one line of a message.
std::string shown(const std::string& word) {
    std::string s;
    for (char c : word.substr(0, 24)) s.push_back(c >= 0x20 && c < 0x7f ? c : '?');
    return word.size() > 24 ? s + "..." : s;
}

std::vector<std::string> tokens(const std::string& line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSpace(line[i])) ++i;
        const size_t start = i;
        while (i < line.size() && !isSpace(line[i])) ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

// A sign and digits, of any length as the triangle lines allow: a value
// past the range stays past it, to be refused as out of range.
bool parseCoordinate(const std::string& token, int64_t& v) {
    const size_t first = token[0] == '+' || token[0] == '-' ? 1 : 0;
    if (first == token.size()) return false;
    constexpr int64_t kBeyond = 10 * kMaxShapeCoordinate;
    v = 0;
    for (size_t k = first; k < token.size(); ++k) {
        if (token[k] < '0' || token[k] > '9') return false;
        v = std::min(v * 10 + (token[k] - '0'), kBeyond);
    }
    if (token[0] == '-') v = -v;
    return true;
}

}  // namespace

bool ringSelfCrosses(const Ring& ring, IPoint& at) {
    const size_t n = ring.size();
    struct Seg {
        int64_t minX, maxX;
        size_t i;
    };
    std::vector<Seg> segs;
    for (size_t i = 0; i < n; ++i) {
        const IPoint a = ring[i], b = ring[(i + 1) % n];
        segs.push_back({std::min(a.x, b.x), std::max(a.x, b.x), i});
    }
    std::sort(segs.begin(), segs.end(), [](const Seg& a, const Seg& b) { return a.minX < b.minX || (a.minX == b.minX && a.i < b.i); });
    for (size_t s = 0; s < segs.size(); ++s)
        for (size_t t = s + 1; t < segs.size() && segs[t].minX <= segs[s].maxX; ++t) {
            size_t i = segs[s].i, j = segs[t].i;
            if (i > j) std::swap(i, j);
            const IPoint a = ring[i], b = ring[(i + 1) % n], c = ring[j], d = ring[(j + 1) % n];
            const bool next = j == i + 1, wrap = i == 0 && j == n - 1;
            if (next || wrap) {
                // Neighbours share one corner; they may not fold back onto each other.
                const IPoint shared = next ? b : a, p = next ? a : b, q = next ? d : c;
                if (n == 3 || cross(shared, p, q) != 0) continue;
                if (__int128(p.x - shared.x) * (q.x - shared.x) + __int128(p.y - shared.y) * (q.y - shared.y) > 0)
                    return at = shared, true;
                continue;
            }
            if (segmentsMeet(a, b, c, d, at)) return true;
        }
    return false;
}

namespace {

// One shape line's words into an outline; "" or its fault.
std::string shapeLine(const std::vector<std::string>& words, const std::string& where, size_t& points, int lineNumber,
                      std::vector<SourceRegion>& shapes) {
    const size_t numbers = words.size() - 1;
    if (numbers % 2) return where + "shape has an odd number of coordinates (" + std::to_string(numbers) + ")";
    SourceRegion shape;
    shape.line = lineNumber;
    shape.label = "shape";
    Ring ring;
    for (size_t k = 1; k < words.size(); k += 2) {
        IPoint p{};
        for (int axis = 0; axis < 2; ++axis) {
            const std::string& w = words[k + size_t(axis)];
            int64_t v = 0;
            if (!parseCoordinate(w, v)) return where + "\"" + shown(w) + "\" is not an integer";
            if (v < -kMaxShapeCoordinate || v > kMaxShapeCoordinate)
                return where + shown(w) + " is out of range (shapes stay within -" + std::to_string(kMaxShapeCoordinate) +
                       " to " + std::to_string(kMaxShapeCoordinate) + ")";
            (axis ? p.y : p.x) = v;
        }
        if (ring.empty() || ring.back() != p) ring.push_back(p);
    }
    if (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
    if (ring.size() < 3) return where + "shape has " + std::to_string(ring.size()) + " distinct points, at least 3 are needed";
    points += ring.size();
    if (points > kMaxShapePoints) return where + "more than " + std::to_string(kMaxShapePoints) + " shape points";
    __int128 area = 0;
    for (size_t i = 0; i < ring.size(); ++i) area += cross(IPoint{0, 0}, ring[i], ring[(i + 1) % ring.size()]);
    if (area == 0) return where + "shape has no area (its points lie on one line)";
    IPoint at{};
    if (ringSelfCrosses(ring, at))
        return where + "shape outline crosses itself at (" + std::to_string(at.x) + ", " + std::to_string(at.y) + ")";
    shape.outlines.push_back(std::move(ring));
    shapes.push_back(std::move(shape));
    return "";
}

}  // namespace

std::string parseShapeText(std::istream& in, const std::string& name, ShapeText& out) {
    out = ShapeText{};
    std::string text, line;
    size_t points = 0;
    // The triangle lines are parsed once all are read; a fault found before
    // then gives way to one of theirs on an earlier line.
    const auto firstFault = [&](const std::string& fault) {
        std::istringstream before(text);
        const std::string earlier = parseLevelText(before, name, out.triangles);
        return earlier.empty() ? fault : earlier;
    };
    for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
        std::string body = line.substr(0, line.find('#'));
        std::vector<std::string> words = tokens(body);
        if (words.empty() || words[0] != "shape") {
            text += line + '\n';
            continue;
        }
        const std::string where = name + ":" + std::to_string(lineNumber) + ": ";
        const std::string fault = shapeLine(words, where, points, lineNumber, out.shapes);
        if (!fault.empty()) return firstFault(fault);
        text += '\n';
    }
    if (in.bad()) return firstFault(name + ": read error");
    std::istringstream rest(text);
    return parseLevelText(rest, name, out.triangles);
}
