// Fuzz target: any bytes as a level source in the text form, through the
// shape text parser alone (no union, no mesh). Its shapes, its triangle
// lines and the line of its first fault must be those a model of the text
// finds: the shape lines read here by other means, the triangle lines by the
// plain text form's parser with the shape lines blanked. Every outline kept
// has three distinct points or more, stays in range, has an area and does
// not meet itself; a fault is one line naming the file and the line. From a
// device that fails at the end, the parse reports the read error.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/reader_models.h"
#include "tools/shapes/shape_text.h"

namespace {

const char* const kName = "fuzz.txt";
// The most outline points a source may hold in all.
constexpr std::size_t kPointLimit = 200000;

long faultLine(const std::string& fault) { return fuzz::messageLine(fault, kName); }


int sign(__int128 v) { return (v > 0) - (v < 0); }

// p on the closed segment ab, given the three on one line.
bool within(IPoint a, IPoint b, IPoint p) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

bool closedSegmentsMeet(IPoint a, IPoint b, IPoint c, IPoint d) {
    const int abc = sign(cross(a, b, c)), abd = sign(cross(a, b, d));
    const int cda = sign(cross(c, d, a)), cdb = sign(cross(c, d, b));
    if (abc * abd < 0 && cda * cdb < 0) return true;
    return (abc == 0 && within(a, b, c)) || (abd == 0 && within(a, b, d)) || (cda == 0 && within(c, d, a)) ||
           (cdb == 0 && within(c, d, b));
}

// Every pair of edges: apart, two edges may not meet at all; neighbours
// only at their shared corner (not running back along each other).
bool meetsItself(const Ring& r) {
    const std::size_t n = r.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            const IPoint a = r[i], b = r[(i + 1) % n], c = r[j], d = r[(j + 1) % n];
            if (j == i + 1 || (i == 0 && j == n - 1)) {
                const IPoint corner = j == i + 1 ? b : a, p = j == i + 1 ? a : b, q = j == i + 1 ? d : c;
                if (cross(corner, p, q) == 0 && (within(corner, p, q) || within(corner, q, p))) return true;
            } else if (closedSegmentsMeet(a, b, c, d)) {
                return true;
            }
        }
    return false;
}

__int128 twiceArea(const Ring& r) {
    __int128 a = 0;
    for (std::size_t i = 0; i < r.size(); ++i) a += cross(IPoint{0, 0}, r[i], r[(i + 1) % r.size()]);
    return a;
}

// A word as a coordinate: a sign and digits of any count; false when it is
// not one or lies out of range.
bool coordinate(const char* w, const char* end, int64_t& value) {
    const bool negative = *w == '-';
    if (*w == '+' || *w == '-') ++w;
    if (w == end) return false;
    int64_t v = 0;
    for (; w < end; ++w) {
        if (*w < '0' || *w > '9') return false;
        v = v * 10 + (*w - '0');
        if (v > kMaxShapeCoordinate) return false;
    }
    value = negative ? -v : v;
    return true;
}

// The text as read here: shape lines into rings (up to the first that is
// at fault), every other line into `blanked`, shape lines blank there.
struct Model {
    std::string blanked;
    std::vector<Ring> rings;
    std::vector<int> lines;
    int shapeFault = 0;  // the line of the first shape at fault, or 0
};


// The shape line's outline, or false when the line is at fault.
bool shapeOf(const std::vector<std::pair<const char*, const char*>>& w, std::size_t& points, Ring& ring) {
    if (w.size() % 2 == 0) return false;  // the keyword and an odd count
    for (std::size_t k = 1; k < w.size(); k += 2) {
        IPoint p;
        if (!coordinate(w[k].first, w[k].second, p.x) || !coordinate(w[k + 1].first, w[k + 1].second, p.y))
            return false;
        if (ring.empty() || ring.back() != p) ring.push_back(p);
    }
    while (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
    points += ring.size();
    return ring.size() >= 3 && points <= kPointLimit && twiceArea(ring) != 0 && !meetsItself(ring);
}

Model modelOf(const uint8_t* data, std::size_t size) {
    Model m;
    std::size_t points = 0;
    const char* p = reinterpret_cast<const char*>(data);
    const char* const end = p + size;
    for (int lineNumber = 1; p < end; ++lineNumber) {
        const char* const lineEnd = std::find(p, end, '\n');
        const auto w = fuzz::lineWords(p, lineEnd);
        const bool shape = !w.empty() && std::string(w[0].first, w[0].second) == "shape";
        if (shape) {
            Ring ring;
            if (!shapeOf(w, points, ring)) {
                m.shapeFault = lineNumber;
                return m;
            }
            m.rings.push_back(std::move(ring));
            m.lines.push_back(lineNumber);
        } else {
            m.blanked.append(p, lineEnd);
        }
        m.blanked += '\n';
        p = lineEnd == end ? end : lineEnd + 1;
    }
    return m;
}

void checkShapes(const ShapeText& text) {
    for (std::size_t i = 0; i < text.shapes.size(); ++i) {
        const SourceRegion& s = text.shapes[i];
        if (s.outlines.size() != 1 || s.evenOdd || s.label != "shape" || s.line < 1)
            fuzz::fail("shape %zu: %zu outlines, label \"%s\", line %d", i, s.outlines.size(), s.label.c_str(), s.line);
        if (i > 0 && s.line <= text.shapes[i - 1].line) fuzz::fail("shape %zu of line %d out of order", i, s.line);
        const Ring& r = s.outlines[0];
        if (r.size() < 3) fuzz::fail("shape of line %d has %zu points", s.line, r.size());
        for (std::size_t k = 0; k < r.size(); ++k) {
            if (std::max(std::llabs(r[k].x), std::llabs(r[k].y)) > kMaxShapeCoordinate)
                fuzz::fail("shape of line %d has a point out of range", s.line);
            if (r[k] == r[(k + 1) % r.size()]) fuzz::fail("shape of line %d repeats a point", s.line);
        }
        if (twiceArea(r) == 0) fuzz::fail("shape of line %d has no area", s.line);
        if (meetsItself(r)) fuzz::fail("shape of line %d meets itself", s.line);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream in(bytes);
    ShapeText text;
    const std::string fault = parseShapeText(in, kName, text);
    fuzz::checkParsedText(text.triangles);
    checkShapes(text);

    // The model: the triangle lines before the first shape at fault, parsed
    // as the plain text form; its fault comes first, else the shape's.
    const Model model = modelOf(data, size);
    std::istringstream blanked(model.blanked);
    LevelText triangles;
    const std::string triangleFault = parseLevelText(blanked, kName, triangles);
    if (!triangleFault.empty()) {
        if (fault != triangleFault) fuzz::fail("\"%s\", the text's first fault is \"%s\"", fault.c_str(), triangleFault.c_str());
    } else if (model.shapeFault) {
        if (faultLine(fault) != model.shapeFault)
            fuzz::fail("\"%s\", the text's first fault is the shape of line %d", fault.c_str(), model.shapeFault);
        if (text.shapes.size() != model.rings.size()) fuzz::fail("%zu shapes kept before the fault", text.shapes.size());
    } else {
        if (!fault.empty()) fuzz::fail("\"%s\", the text has no fault", fault.c_str());
        if (!fuzz::sameTriangles(text.triangles.triangles, triangles.triangles) || text.triangles.lines != triangles.lines)
            fuzz::fail("%zu triangles read, the text holds %zu", text.triangles.triangles.size(), triangles.triangles.size());
        if (text.shapes.size() != model.rings.size()) fuzz::fail("%zu shapes read, the text holds %zu", text.shapes.size(), model.rings.size());
        for (std::size_t i = 0; i < text.shapes.size(); ++i)
            if (text.shapes[i].line != model.lines[i] || text.shapes[i].outlines[0] != model.rings[i])
                fuzz::fail("the shape of line %d is not the one the text holds", text.shapes[i].line);
    }
    if (!fault.empty()) {
        fuzz::checkMessages(fault + "\n", kName, 1);
        const long line = faultLine(fault);
        if (line == 0) fuzz::fail("a fault that names no line: %s", fault.c_str());
        if (!text.triangles.lines.empty() && text.triangles.lines.back() >= line)
            fuzz::fail("a triangle of line %d kept before the fault of line %ld", text.triangles.lines.back(), line);
    }

    // From a device that fails at the end: the same fault when its line came
    // whole, else a read error.
    fuzz::FailingAtEnd device(bytes);
    std::istream failing(&device);
    ShapeText partial;
    const std::string failed = parseShapeText(failing, kName, partial);
    const bool sameFault = !fault.empty() && fuzz::lineEndsInNewline(data, size, int(faultLine(fault)));
    const std::string expected = sameFault ? fault : std::string(kName) + ": read error";
    if (failed != expected) fuzz::fail("a device failing at the end: \"%s\", not \"%s\"", failed.c_str(), expected.c_str());
    return 0;
}
