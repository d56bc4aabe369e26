// SVG geometry to outlines: the path data grammar (every command, absolute
// and relative) and the basic shapes, flattened under a transform into
// closed outlines of points in world units.
#pragma once

#include <functional>
#include <string>
#include <vector>

// An affine map: x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};
Affine compose(const Affine& outer, const Affine& inner);  // inner first

struct DPoint {
    double x, y;
};
using Outline = std::vector<DPoint>;  // closed

// Bounds the work one drawing may ask for.
constexpr size_t kMaxSvgPoints = 200000;

// How curves are cut into chords. First: as many as keep within the
// tolerance, about the shortest chord long at least. Even: no chord shorter
// than the shortest chord wherever the curve is that long, and a side under
// kShortestSide between two corners that turn the same way, one of them on
// a curve, joined into one corner: no triangle is thicker than its shortest
// side, so a tight curve or a short side between curves could not be
// meshed. Balanced: as even, but each smooth run of curve (a whole circle)
// cut into chords of equal length along it, as many as fit, rather than
// each curve on its own: a circle of radius 60 drawn as four arcs is then
// five chords, not four. Apart: as balanced, with what lies under another
// element of the drawing (as coveredBy tells) taken into account: a run is
// also cut where it passes under another, so that its chords fit the part
// that shows, and a short side is joined at its middle where the sides
// either side of it would meet under another across a gap. A round end
// overlapping the next shape then keeps its outside round, and one drawn
// just clear of a shape does not reach into it, where coarse chords and
// joins would leave a neck.
enum class Flattening { first, even, balanced, apart };

class OutlineBuilder {
public:
    explicit OutlineBuilder(const Affine& m, Flattening f = Flattening::first)
        : m_(m), even_(f != Flattening::first), balanced_(f == Flattening::balanced || f == Flattening::apart) {}
    // Whether a point (world units) lies under another element of the
    // drawing, for flattening apart.
    void coveredBy(const std::function<bool(DPoint)>* covered) { covered_ = covered; }
    void moveTo(double x, double y);
    void lineTo(double x, double y);
    void cubicTo(double x1, double y1, double x2, double y2, double x, double y);
    void quadTo(double x1, double y1, double x, double y);
    // The SVG elliptical arc from the current point.
    void arcTo(double rx, double ry, double rotationDegrees, bool large, bool sweep, double x, double y);
    void close();
    DPoint current() const { return cur_; }
    // Every subpath, closed; false when the point limit was passed. In
    // even mode, onCurve tells by point which lie on a curve.
    bool finish(std::vector<Outline>& out, std::vector<std::vector<bool>>* onCurve = nullptr);
    // Sides joined in even mode, and the first corner made so (world units).
    size_t joined() const { return joined_; }
    DPoint firstJoin() const { return firstJoin_; }

private:
    // What a point of an open outline is, in even mode.
    enum Kind : unsigned char { kCorner = 0, kOnCurve = 1, kDroppable = 2 };
    void emit(DPoint userPoint, unsigned char kind = kCorner);
    void curveFrom(DPoint startDirection);
    void emitChords(const std::vector<DPoint>& userPoints, DPoint end, DPoint endDirection);
    void thinSmoothRuns();
    void breakRunsWhereCovered();
    void balanceSmoothRuns();
    void joinShortSides();
    Affine m_;
    bool even_, balanced_;
    const std::function<bool(DPoint)>* covered_ = nullptr;
    DPoint cur_{0, 0}, start_{0, 0};
    std::vector<Outline> done_;
    std::vector<std::vector<bool>> doneOnCurve_;  // by point of done_
    Outline open_;
    std::vector<unsigned char> kinds_;  // by point of open_
    // The last segment was a curve leaving in endDirection_; the first
    // left the start in firstDirection_ (world units, even mode).
    bool lastCurved_ = false, firstCurved_ = false;
    DPoint endDirection_{0, 0}, firstDirection_{0, 0};
    size_t points_ = 0;
    size_t joined_ = 0;
    DPoint firstJoin_{0, 0};
};

// Sides shorter than this, in world units, are joined in even mode.
constexpr double kShortestSide = 50.0;

// Parses path data into the builder. Returns "" or what is wrong.
std::string buildPath(const std::string& d, OutlineBuilder& out);

// The numbers of a points list ("x,y x,y ..."); false on a bad number.
bool parseNumberList(const std::string& s, std::vector<double>& out);
