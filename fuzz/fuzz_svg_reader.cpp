// Fuzz target: any bytes as an SVG drawing, through the drawing's reader
// alone (XML, styles, transforms, path data, flattening; no union, no
// mesh). A fault and each warning are one line naming the file and a line
// of it; the regions, kept triangles and warnings come in the drawing's
// order, each outline of three distinct points or more, in range and within
// the point limit; a second read without kept triangles gives the same
// regions, plus those triangles'; a drawing cut short is refused.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "fuzz/reader_models.h"
#include "tools/shapes/svg_path.h"
#include "tools/shapes/svg_reader.h"

namespace {

const char* const kName = "fuzz.svg";

long messageLine(const std::string& message) { return fuzz::messageLine(message, kName); }

long lineCount(const std::string& bytes) { return 1 + long(std::count(bytes.begin(), bytes.end(), '\n')); }

// One line naming the file and a line the bytes have.
long checkMessage(const std::string& message, long lines) {
    fuzz::checkMessages(message + "\n", kName, 1);
    const long line = messageLine(message);
    if (line < 1 || line > lines) fuzz::fail("a message naming line %ld of %ld: %s", line, lines, message.c_str());
    return line;
}

bool sameRegion(const SourceRegion& a, const SourceRegion& b) {
    return a.outlines == b.outlines && a.evenOdd == b.evenOdd && a.line == b.line && a.label == b.label;
}

bool sameRegions(const std::vector<SourceRegion>& a, const std::vector<SourceRegion>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), sameRegion);
}

// Regions in the drawing's order, their outlines whole and within bounds;
// returns the last line seen.
long checkRegions(const std::vector<SourceRegion>& regions, long lines) {
    long last = 0;
    for (const SourceRegion& r : regions) {
        if (r.line < last || r.line > lines) fuzz::fail("a region of line %d after line %ld of %ld", r.line, last, lines);
        last = r.line;
        if (r.outlines.empty() || r.label.empty()) fuzz::fail("the region of line %d is empty or unnamed", r.line);
        std::size_t points = 0;
        for (const Ring& ring : r.outlines) {
            if (ring.size() < 3) fuzz::fail("an outline of line %d has %zu points", r.line, ring.size());
            points += ring.size();
            for (std::size_t k = 0; k < ring.size(); ++k) {
                if (std::max(std::llabs(ring[k].x), std::llabs(ring[k].y)) > kMaxShapeCoordinate)
                    fuzz::fail("an outline of line %d has a point out of range", r.line);
                if (ring[k] == ring[(k + 1) % ring.size()]) fuzz::fail("an outline of line %d repeats a point", r.line);
            }
        }
        if (points > kMaxSvgPoints) fuzz::fail("the region of line %d has %zu points", r.line, points);
        // The points on curves, by which the compile tells the author's corners.
        if (!std::is_sorted(r.onCurve.begin(), r.onCurve.end()) ||
            std::adjacent_find(r.onCurve.begin(), r.onCurve.end()) != r.onCurve.end())
            fuzz::fail("the points on curves of line %d are not sorted once each", r.line);
        for (const IPoint& p : r.onCurve)
            if (std::none_of(r.outlines.begin(), r.outlines.end(),
                             [&](const Ring& ring) { return std::find(ring.begin(), ring.end(), p) != ring.end(); }))
                fuzz::fail("a point on a curve of line %d is on no outline", r.line);
    }
    return last;
}

bool keptInRange(const KeptTriangles& kept) {
    for (const FileTriangle& t : kept.triangles)
        for (int32_t c : t.c)
            if (std::llabs(c) > kMaxShapeCoordinate) return false;
    return true;
}

// Read without kept triangles, each of them is an ordinary polygon: the
// regions of the first read, in order, with at most one more on each kept
// triangle's line.
void checkWithoutKept(const std::vector<SourceRegion>& regions, const KeptTriangles& kept,
                      const std::vector<SourceRegion>& all) {
    std::size_t matched = 0, extra = 0;
    for (const SourceRegion& r : all) {
        if (matched < regions.size() && sameRegion(r, regions[matched])) {
            ++matched;
            continue;
        }
        if (std::find(kept.lines.begin(), kept.lines.end(), r.line) == kept.lines.end())
            fuzz::fail("without kept triangles, a region of line %d no kept triangle is on", r.line);
        ++extra;
    }
    if (matched != regions.size() || extra > kept.triangles.size())
        fuzz::fail("without kept triangles, %zu of %zu regions and %zu more", matched, regions.size(), extra);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const long lines = lineCount(bytes);
    std::vector<SourceRegion> regions;
    std::vector<std::string> warnings;
    KeptTriangles kept;
    const std::string fault = readSvg(bytes, kName, regions, warnings, &kept);

    // Each list in the drawing's order, all of them before a fault.
    long last = checkRegions(regions, lines);
    long lastWarning = 0;
    for (const std::string& w : warnings) {
        const long line = checkMessage(w, lines);
        if (w.find(": warning: ") == std::string::npos) fuzz::fail("a warning that does not say so: %s", w.c_str());
        if (line < lastWarning) fuzz::fail("a warning of line %ld after line %ld", line, lastWarning);
        lastWarning = line;
    }
    last = std::max(last, lastWarning);
    if (kept.lines.size() != kept.triangles.size()) fuzz::fail("%zu lines for %zu kept triangles", kept.lines.size(), kept.triangles.size());
    for (std::size_t i = 0; i < kept.lines.size(); ++i)
        if (kept.lines[i] < 1 || kept.lines[i] > lines || (i > 0 && kept.lines[i] < kept.lines[i - 1]))
            fuzz::fail("a kept triangle of line %d after line %d", kept.lines[i], i > 0 ? kept.lines[i - 1] : 0);
    if (!fault.empty()) {
        const long line = checkMessage(fault, lines);
        if (line < last || (!kept.lines.empty() && line < kept.lines.back()))
            fuzz::fail("a fault of line %ld after what line %ld holds", line, last);
    }

    // The same bytes again, now without kept triangles.
    std::vector<SourceRegion> all;
    std::vector<std::string> allWarnings;
    const std::string again = readSvg(bytes, kName, all, allWarnings);
    if (bytes.find("data-zuno") == std::string::npos) {
        if (again != fault || allWarnings != warnings || !sameRegions(all, regions) || !kept.triangles.empty())
            fuzz::fail("a second read differs: \"%s\" after \"%s\"", again.c_str(), fault.c_str());
    } else if (fault.empty() && keptInRange(kept)) {
        if (!again.empty() || allWarnings != warnings)
            fuzz::fail("without kept triangles: \"%s\", %zu warnings, not %zu", again.c_str(), allWarnings.size(),
                       warnings.size());
        checkWithoutKept(regions, kept, all);
    }
    // Flattened evenly, balanced, and apart, as a refused drawing is again:
    // other points, the same rules for what is said.
    for (const Flattening flattening : {Flattening::even, Flattening::balanced, Flattening::apart}) {
        std::vector<SourceRegion> even;
        std::vector<std::string> evenWarnings;
        const std::string evenFault = readSvg(bytes, kName, even, evenWarnings, nullptr, flattening);
        checkRegions(even, lines);
        for (const std::string& w : evenWarnings) checkMessage(w, lines);
        if (!evenFault.empty()) checkMessage(evenFault, lines);
    }
    for (const SourceRegion& r : regions)
        if (!r.onCurve.empty()) fuzz::fail("points on curves without the even flattening, line %d", r.line);
    if (!fault.empty()) return 0;

    // Cut before its last ">": refused when that cuts the drawing short;
    // what the XML reader lets follow the drawing is never read.
    const std::string cut = bytes.substr(0, bytes.rfind('>'));
    std::vector<SourceRegion> partial;
    std::vector<std::string> partialWarnings;
    KeptTriangles partialKept;
    const std::string refused = readSvg(cut, kName, partial, partialWarnings, &partialKept);
    if (refused.empty()) {
        if (!sameRegions(partial, regions) || partialWarnings != warnings ||
            !fuzz::sameTriangles(partialKept.triangles, kept.triangles))
            fuzz::fail("the drawing cut before its last \">\" reads as another");
    } else {
        checkMessage(refused, lineCount(cut));
    }
    return 0;
}
