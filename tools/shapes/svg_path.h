// SVG geometry to outlines: the path data grammar (every command, absolute
// and relative) and the basic shapes, flattened under a transform into
// closed outlines of points in world units.
#pragma once

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

class OutlineBuilder {
public:
    explicit OutlineBuilder(const Affine& m) : m_(m) {}
    void moveTo(double x, double y);
    void lineTo(double x, double y);
    void cubicTo(double x1, double y1, double x2, double y2, double x, double y);
    void quadTo(double x1, double y1, double x, double y);
    // The SVG elliptical arc from the current point.
    void arcTo(double rx, double ry, double rotationDegrees, bool large, bool sweep, double x, double y);
    void close();
    DPoint current() const { return cur_; }
    // Every subpath, closed; false when the point limit was passed.
    bool finish(std::vector<Outline>& out);

private:
    void emit(DPoint userPoint);
    Affine m_;
    DPoint cur_{0, 0}, start_{0, 0};
    std::vector<Outline> done_;
    Outline open_;
    size_t points_ = 0;
};

// Parses path data into the builder. Returns "" or what is wrong.
std::string buildPath(const std::string& d, OutlineBuilder& out);

// The numbers of a points list ("x,y x,y ..."); false on a bad number.
bool parseNumberList(const std::string& s, std::vector<double>& out);
