// SVG through tinyxml2, which knows no document type declarations and so
// expands no entities beyond the five built-in ones and character
// references, and refuses elements nested deeper than a fixed limit.
#include "tools/shapes/svg_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <functional>

#include <tinyxml2.h>

#include "tools/shapes/segments.h"
#include "tools/shapes/svg_path.h"
#include "tools/shapes/svg_style.h"

namespace {

constexpr size_t kMaxSvgBytes = 16u << 20;
// Outline sides weighed, at most, in telling which joints of short sides
// lie under a drawing's other elements: many times its usual size.
constexpr size_t kCoverWork = 20000000;

// Which of a drawing's regions, read before, hold a point: each with its
// bounds, so that most are passed over at once.
class CoverFinder {
public:
    explicit CoverFinder(const std::vector<SourceRegion>& regions) : regions_(regions) {
        for (const SourceRegion& r : regions) {
            Box b{INT64_MAX, INT64_MIN, INT64_MAX, INT64_MIN};
            size_t sides = 0;
            for (const Ring& ring : r.outlines) {
                sides += ring.size();
                for (const IPoint& p : ring)
                    b = {std::min(b.minX, p.x), std::max(b.maxX, p.x), std::min(b.minY, p.y), std::max(b.maxY, p.y)};
            }
            boxes_.push_back(b);
            sides_.push_back(sides);
        }
    }
    // A region other than those from `line` holds the point (world units);
    // none once the work allowed is spent.
    bool covers(DPoint p, int line) {
        const double x = p.x / 1.5, y = p.y / 1.5;
        for (size_t i = 0; i < regions_.size(); ++i) {
            const Box& b = boxes_[i];
            if (regions_[i].line == line || x < double(b.minX) || x > double(b.maxX) || y < double(b.minY) ||
                y > double(b.maxY))
                continue;
            if (sides_[i] > work_) return false;
            work_ -= sides_[i];
            if (regionHolds(regions_[i], x, y)) return true;
        }
        return false;
    }

private:
    struct Box {
        int64_t minX, maxX, minY, maxY;
    };
    const std::vector<SourceRegion>& regions_;
    std::vector<Box> boxes_;
    std::vector<size_t> sides_;
    size_t work_ = kCoverWork;
};

// Elements whose content is never drawn where it stands.
bool isResource(const char* name) {
    static const char* const names[] = {"defs", "symbol", "clipPath", "mask", "pattern", "marker",
                                        "linearGradient", "radialGradient", "filter", "metadata",
                                        "title", "desc", "style", "script"};
    for (const char* n : names)
        if (std::strcmp(name, n) == 0) return true;
    return std::strchr(name, ':') != nullptr;  // an editor's own elements (sodipodi:namedview, ...)
}

std::string clipText(const std::string& s) { return s.size() > 60 ? s.substr(0, 60) + "..." : s; }

bool isContainer(const char* name) {
    return !std::strcmp(name, "svg") || !std::strcmp(name, "g") || !std::strcmp(name, "a") || !std::strcmp(name, "switch");
}

class Reader {
public:
    Reader(const std::string& name, std::vector<SourceRegion>& regions, std::vector<std::string>& warnings,
           KeptTriangles* kept, Flattening flattening, CoverFinder* cover = nullptr)
        : name_(name), regions_(regions), warnings_(warnings), kept_(kept), flattening_(flattening),
          evenCurves_(flattening != Flattening::first), cover_(cover) {}

    std::string walk(const tinyxml2::XMLElement& e, const SvgStyle& parentStyle, const Affine& parentMatrix) {
        const char* tag = e.Name();
        if (isResource(tag)) return "";
        const SvgStyle style = cascade(parentStyle, [&](const char* n) { return e.Attribute(n); });
        if (!style.displayed) return "";
        Affine m = parentMatrix;
        if (const char* t = e.Attribute("transform")) {
            Affine own;
            if (!parseTransform(t, own)) return at(e) + label(e) + ": cannot read transform \"" + clip(t) + "\"";
            m = compose(parentMatrix, own);
        }
        if (isContainer(tag)) {
            if (!std::strcmp(tag, "svg") && e.Parent() != e.GetDocument()) {
                double x = 0, y = 0;
                number(e, "x", x);
                number(e, "y", y);
                m = compose(m, Affine{1, 0, 0, 1, x, y});
            }
            for (const tinyxml2::XMLElement* c = e.FirstChildElement(); c; c = c->NextSiblingElement())
                if (std::string fault = walk(*c, style, m); !fault.empty()) return fault;
            return "";
        }
        return shape(e, style, m);
    }

private:
    std::string at(const tinyxml2::XMLElement& e) const { return name_ + ":" + std::to_string(e.GetLineNum()) + ": "; }
    static std::string clip(const std::string& s) { return s.size() > 40 ? s.substr(0, 40) + "..." : s; }
    static std::string label(const tinyxml2::XMLElement& e) {
        std::string l = e.Name();
        if (const char* id = e.Attribute("id")) l += " id=" + clip(id);
        for (char& c : l)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
        return l;
    }
    static bool number(const tinyxml2::XMLElement& e, const char* attr, double& v) {
        const char* t = e.Attribute(attr);
        return t && parseLength(t, v);
    }
    void warn(const tinyxml2::XMLElement& e, const std::string& why) {
        warnings_.push_back(at(e) + "warning: " + label(e) + " skipped: " + why);
    }

    std::string shape(const tinyxml2::XMLElement& e, const SvgStyle& style, const Affine& m) {
        const std::string tag = e.Name();
        const bool known = tag == "path" || tag == "rect" || tag == "circle" || tag == "ellipse" || tag == "polygon" ||
                           tag == "polyline" || tag == "line";
        if (!known) {
            if (tag == "text" || tag == "image" || tag == "use" || tag == "foreignObject")
                warn(e, "a level holds only filled shapes");
            else
                warn(e, "not a shape");
            return "";
        }
        if (!style.visible) return "";
        if (!style.filled || tag == "line") {
            if (style.stroked || tag == "line") warn(e, "a stroke without fill is not solid");
            return "";
        }
        OutlineBuilder b(m, flattening_);
        const int line = e.GetLineNum();
        const std::function<bool(DPoint)> covered = [this, line](DPoint p) { return cover_->covers(p, line); };
        if (cover_) b.coveredBy(&covered);
        if (tag == "path") {
            const char* d = e.Attribute("d");
            if (!d) return "";
            if (std::string fault = buildPath(d, b); !fault.empty()) return at(e) + label(e) + ": " + fault;
        } else if (tag == "rect") {
            double x = 0, y = 0, w = 0, h = 0, rx = -1, ry = -1;
            number(e, "x", x);
            number(e, "y", y);
            number(e, "width", w);
            number(e, "height", h);
            const bool hasRx = number(e, "rx", rx), hasRy = number(e, "ry", ry);
            if (!(w > 0) || !(h > 0)) return "";
            if (!hasRx || rx < 0) rx = hasRy && ry > 0 ? ry : 0;
            if (!hasRy || ry < 0) ry = rx;
            rx = std::fmin(rx, w / 2);
            ry = std::fmin(ry, h / 2);
            if (rx > 0 && ry > 0) {
                b.moveTo(x + rx, y);
                b.lineTo(x + w - rx, y);
                b.arcTo(rx, ry, 0, false, true, x + w, y + ry);
                b.lineTo(x + w, y + h - ry);
                b.arcTo(rx, ry, 0, false, true, x + w - rx, y + h);
                b.lineTo(x + rx, y + h);
                b.arcTo(rx, ry, 0, false, true, x, y + h - ry);
                b.lineTo(x, y + ry);
                b.arcTo(rx, ry, 0, false, true, x + rx, y);
            } else {
                b.moveTo(x, y);
                b.lineTo(x + w, y);
                b.lineTo(x + w, y + h);
                b.lineTo(x, y + h);
            }
            b.close();
        } else if (tag == "circle" || tag == "ellipse") {
            double cx = 0, cy = 0, rx = 0, ry = 0;
            number(e, "cx", cx);
            number(e, "cy", cy);
            if (tag == "circle") {
                number(e, "r", rx);
                ry = rx;
            } else {
                number(e, "rx", rx);
                number(e, "ry", ry);
            }
            if (!(rx > 0) || !(ry > 0)) return "";
            b.moveTo(cx + rx, cy);
            b.arcTo(rx, ry, 0, false, true, cx, cy + ry);
            b.arcTo(rx, ry, 0, false, true, cx - rx, cy);
            b.arcTo(rx, ry, 0, false, true, cx, cy - ry);
            b.arcTo(rx, ry, 0, false, true, cx + rx, cy);
            b.close();
        } else {  // polygon, polyline: filled as if closed
            std::vector<double> v;
            const char* points = e.Attribute("points");
            if (!points) return "";
            if (!parseNumberList(points, v)) return at(e) + label(e) + ": cannot read points";
            for (size_t i = 0; i + 1 < v.size(); i += 2) i == 0 ? b.moveTo(v[0], v[1]) : b.lineTo(v[i], v[i + 1]);
            b.close();
        }
        std::vector<Outline> outlines;
        std::vector<std::vector<bool>> onCurve;
        if (!b.finish(outlines, &onCurve)) return at(e) + label(e) + ": more than " + std::to_string(kMaxSvgPoints) + " points";
        if (b.joined() > 0) {
            char where[64];
            std::snprintf(where, sizeof where, "(%.0f, %.0f)", b.firstJoin().x, b.firstJoin().y);
            warnings_.push_back(at(e) + "warning: " + label(e) + " has " + std::to_string(b.joined()) +
                                (b.joined() == 1 ? " side" : " sides") + " under " + std::to_string(int(kShortestSide)) +
                                " world units on its curves between corners that turn the same way, first near " + where +
                                ": joined into one corner each, so that its triangles are thick enough");
        }
        const char* keep = e.Attribute("data-zuno");
        if (keep && std::strcmp(keep, "keep") == 0 && kept_) {
            // Written as it is: three points after rounding, in their order.
            Ring pts;
            for (const Outline& o : outlines)
                for (const DPoint& p : o) {
                    const double fx = std::round(p.x / 1.5), fy = std::round(p.y / 1.5);
                    if (!(std::fabs(fx) <= double(INT32_MAX)) || !(std::fabs(fy) <= double(INT32_MAX)))
                        return at(e) + label(e) + ": a point lies out of range";
                    pts.push_back({int64_t(fx), int64_t(fy)});
                }
            if (pts.size() != 3 || tag != "polygon") return at(e) + label(e) + ": a kept triangle is a polygon of three points";
            FileTriangle t{};
            for (int j = 0; j < 3; ++j) {
                t.c[2 * j] = int32_t(pts[size_t(j)].x);
                t.c[2 * j + 1] = int32_t(pts[size_t(j)].y);
            }
            kept_->triangles.push_back(t);
            kept_->lines.push_back(e.GetLineNum());
            return "";
        }
        SourceRegion region;
        region.evenOdd = style.evenOdd;
        region.line = e.GetLineNum();
        region.label = label(e);
        for (size_t k = 0; k < outlines.size(); ++k) {
            Ring ring, curved;
            for (size_t i = 0; i < outlines[k].size(); ++i) {
                const DPoint p = outlines[k][i];
                // One user unit is one world unit; the file holds thirds of two.
                const double fx = std::round(p.x / 1.5), fy = std::round(p.y / 1.5);
                if (!(std::fabs(fx) <= double(kMaxShapeCoordinate)) || !(std::fabs(fy) <= double(kMaxShapeCoordinate)))
                    return at(e) + label(e) + ": a point lies out of range";
                const IPoint q{int64_t(fx), int64_t(fy)};
                if (evenCurves_ && onCurve[k][i]) curved.push_back(q);
                if (ring.empty() || ring.back() != q) ring.push_back(q);
            }
            while (ring.size() > 1 && ring.front() == ring.back()) ring.pop_back();
            if (ring.size() < 3) continue;
            region.outlines.push_back(std::move(ring));
            region.onCurve.insert(region.onCurve.end(), curved.begin(), curved.end());
        }
        std::sort(region.onCurve.begin(), region.onCurve.end());
        region.onCurve.erase(std::unique(region.onCurve.begin(), region.onCurve.end()), region.onCurve.end());
        if (!region.outlines.empty()) regions_.push_back(std::move(region));
        return "";
    }

    const std::string& name_;
    std::vector<SourceRegion>& regions_;
    std::vector<std::string>& warnings_;
    KeptTriangles* kept_;
    Flattening flattening_;
    bool evenCurves_;
    CoverFinder* cover_;
};

// A message as one line: what came from the file may hold any bytes.
std::string oneLine(const std::string& s) {
    std::string out;
    for (char c : s) out.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c);
    return out;
}

std::string readWhole(const std::string& bytes, const std::string& name, std::vector<SourceRegion>& regions,
                      std::vector<std::string>& warnings, KeptTriangles* kept, Flattening flattening);

}  // namespace

std::string readSvg(const std::string& bytes, const std::string& name, std::vector<SourceRegion>& regions,
                    std::vector<std::string>& warnings, KeptTriangles* kept, Flattening flattening) {
    const size_t before = warnings.size();
    const std::string fault = readWhole(bytes, name, regions, warnings, kept, flattening);
    for (size_t i = before; i < warnings.size(); ++i) warnings[i] = oneLine(warnings[i]);
    return oneLine(fault);
}

namespace {

std::string readWhole(const std::string& bytes, const std::string& name, std::vector<SourceRegion>& regions,
                      std::vector<std::string>& warnings, KeptTriangles* kept, Flattening flattening) {
    regions.clear();
    if (bytes.size() > kMaxSvgBytes) return name + ": larger than " + std::to_string(kMaxSvgBytes >> 20) + " MB";
    // tinyxml2 takes a zero byte for the end of the text and would read a
    // drawing as whole that goes on after one; XML has no zero bytes.
    if (const size_t zero = bytes.find('\0'); zero != std::string::npos)
        return name + ":" + std::to_string(1 + std::count(bytes.begin(), bytes.begin() + long(zero), '\n')) +
               ": not well-formed XML (a zero byte)";
    tinyxml2::XMLDocument doc(true, tinyxml2::COLLAPSE_WHITESPACE);
    if (doc.Parse(bytes.data(), bytes.size()) != tinyxml2::XML_SUCCESS) {
        // "XML_ERROR_PARSING_TEXT" says "error parsing text"; tinyxml2's own
        // string repeats the name and line, and may add a detail after them.
        std::string what;
        const char* code = doc.ErrorName();
        for (const char* c = code && std::strncmp(code, "XML_", 4) == 0 ? code + 4 : code; c && *c; ++c)
            what.push_back(*c == '_' ? ' ' : char(*c >= 'A' && *c <= 'Z' ? *c - 'A' + 'a' : *c));
        const std::string full = doc.ErrorStr() ? doc.ErrorStr() : "";
        const size_t line = full.find("Line number=");
        const size_t detail = line == std::string::npos ? std::string::npos : full.find(": ", line);
        if (detail != std::string::npos) what += ": " + clipText(full.substr(detail + 2));
        // An empty document's fault is on no line; its first is the nearest.
        return name + ":" + std::to_string(std::max(1, doc.ErrorLineNum())) + ": not well-formed XML (" + what + ")";
    }
    const tinyxml2::XMLElement* root = doc.RootElement();
    if (!root || std::strcmp(root->Name(), "svg") != 0)
        return name + ":" + std::to_string(root ? root->GetLineNum() : 1) + ": not an SVG drawing (no svg element)";
    // tinyxml2 lets more elements follow the first; only one is the drawing.
    if (const tinyxml2::XMLElement* second = root->NextSiblingElement())
        return name + ":" + std::to_string(second->GetLineNum()) + ": not well-formed XML (a second root element)";
    if (flattening != Flattening::apart) {
        Reader reader(name, regions, warnings, kept, flattening);
        return reader.walk(*root, SvgStyle{}, Affine{});
    }
    // Apart: where another element lies is told by the drawing read balanced.
    std::vector<SourceRegion> balanced;
    std::vector<std::string> unused;
    if (std::string fault = Reader(name, balanced, unused, nullptr, Flattening::balanced).walk(*root, SvgStyle{}, Affine{});
        !fault.empty())
        return fault;
    CoverFinder cover(balanced);
    Reader reader(name, regions, warnings, kept, flattening, &cover);
    return reader.walk(*root, SvgStyle{}, Affine{});
}

}  // namespace
