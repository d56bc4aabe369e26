// The vanishing test in tenths of world units, where every vertex (file x 15)
// and every distance involved is an integer. The cameras that show some of
// the triangle form the triangle grown by the half screen, a convex polygon;
// the cameras that draw it are the union of three open culling boxes. The
// arrangement of the boxes' sides cuts the plane into cells, edges and
// corners, each wholly inside or outside the union; the triangle can vanish
// when the polygon meets one of those outside it.
#include "tools/levels/level_vanish.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

namespace {

constexpr int64_t kScale = 10;          // tenths of world units
constexpr int64_t kFileToTenths = 15;   // file unit = 1.5 world units
constexpr int64_t kBoxX = 8704;         // culling box: 870.4 either side
constexpr int64_t kBoxY = 6528;         // and 652.8 above and below
// A point shows when it lands on one of the 1024 x 768 pixels. The mapping
// truncates twice, so a world x within (-513, 513) of the camera may land
// on a column; counting all of those as shown errs by under a pixel towards
// reporting.
constexpr int64_t kHalfScreenX = 513 * kScale;
constexpr int64_t kHalfScreenY = 385 * kScale;

struct P {
    int64_t x, y;
};

__int128 cross(P o, P a, P b) { return __int128(a.x - o.x) * (b.y - o.y) - __int128(a.y - o.y) * (b.x - o.x); }

// The polygon's bounding box.
struct Bounds {
    int64_t minX, maxX, minY, maxY;
};
Bounds boundsOf(const std::vector<P>& poly) {
    Bounds b{poly[0].x, poly[0].x, poly[0].y, poly[0].y};
    for (const P& p : poly) {
        b.minX = std::min(b.minX, p.x);
        b.maxX = std::max(b.maxX, p.x);
        b.minY = std::min(b.minY, p.y);
        b.maxY = std::max(b.maxY, p.y);
    }
    return b;
}

// Convex hull (counter-clockwise, no collinear points) of the triangle's
// corners each moved to the four corners of the half screen.
std::vector<P> cameraPolygon(const FileTriangle& t) {
    std::vector<P> pts;
    for (int j = 0; j < 3; ++j)
        for (int sx = -1; sx <= 1; sx += 2)
            for (int sy = -1; sy <= 1; sy += 2)
                pts.push_back({t.c[2 * j] * kFileToTenths + sx * kHalfScreenX,
                               t.c[2 * j + 1] * kFileToTenths + sy * kHalfScreenY});
    std::sort(pts.begin(), pts.end(), [](P a, P b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    std::vector<P> hull(2 * pts.size());
    size_t k = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
        hull[k++] = pts[i];
    }
    for (size_t i = pts.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], pts[i]) <= 0) --k;
        hull[k++] = pts[i];
    }
    hull.resize(k - 1);
    return hull;
}

// Whether the closed convex polygon meets the closed box [x0, x1] x [y0, y1]
// (a segment or a point when sides coincide): no axis of the box and no
// edge of the polygon separates them.
bool meets(const std::vector<P>& poly, int64_t x0, int64_t x1, int64_t y0, int64_t y1) {
    const Bounds b = boundsOf(poly);
    if (b.maxX < x0 || b.minX > x1 || b.maxY < y0 || b.minY > y1) return false;
    const P corners[4] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    for (size_t i = 0; i < poly.size(); ++i) {
        const P a = poly[i], b = poly[(i + 1) % poly.size()];
        bool allOutside = true;
        for (const P& c : corners) allOutside = allOutside && cross(a, b, c) < 0;
        if (allOutside) return false;
    }
    return true;
}

// A point of the polygon within the box, for the message: the mean of the
// corners of the polygon clipped to the box.
P pointIn(const std::vector<P>& poly, int64_t x0, int64_t x1, int64_t y0, int64_t y1) {
    struct D {
        double x, y;
    };
    std::vector<D> pts;
    for (const P& p : poly) pts.push_back({double(p.x), double(p.y)});
    // Keeps the side where sign * (axis value - limit) <= 0, one side at a time.
    auto clip = [&](bool onX, double limit, double sign) {
        std::vector<D> out;
        for (size_t i = 0; i < pts.size(); ++i) {
            const D a = pts[i], b = pts[(i + 1) % pts.size()];
            const double fa = sign * ((onX ? a.x : a.y) - limit), fb = sign * ((onX ? b.x : b.y) - limit);
            if (fa <= 0) out.push_back(a);
            if ((fa < 0 && fb > 0) || (fa > 0 && fb < 0)) {
                const double t = fa / (fa - fb);
                out.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
            }
        }
        pts.swap(out);
    };
    clip(true, double(x1), 1);
    clip(true, double(x0), -1);
    clip(false, double(y1), 1);
    clip(false, double(y0), -1);
    if (pts.empty()) return {x0, y0};
    double sx = 0, sy = 0;
    for (const D& d : pts) sx += d.x, sy += d.y;
    return {int64_t(sx / double(pts.size())), int64_t(sy / double(pts.size()))};
}

}  // namespace

bool triangleCanVanish(const FileTriangle& t, VanishCamera* camera) {
    // Most triangles are small: every camera that shows any of them lies in
    // one corner's culling box.
    {
        int64_t lx = INT64_MAX, hx = INT64_MIN, ly = INT64_MAX, hy = INT64_MIN;
        for (int j = 0; j < 3; ++j) {
            lx = std::min(lx, int64_t(t.c[2 * j]) * kFileToTenths);
            hx = std::max(hx, int64_t(t.c[2 * j]) * kFileToTenths);
            ly = std::min(ly, int64_t(t.c[2 * j + 1]) * kFileToTenths);
            hy = std::max(hy, int64_t(t.c[2 * j + 1]) * kFileToTenths);
        }
        for (int j = 0; j < 3; ++j) {
            const int64_t x = int64_t(t.c[2 * j]) * kFileToTenths, y = int64_t(t.c[2 * j + 1]) * kFileToTenths;
            if (lx - kHalfScreenX > x - kBoxX && hx + kHalfScreenX < x + kBoxX && ly - kHalfScreenY > y - kBoxY &&
                hy + kHalfScreenY < y + kBoxY)
                return false;
        }
    }
    const std::vector<P> poly = cameraPolygon(t);
    const auto [minX, maxX, minY, maxY] = boundsOf(poly);
    P v[3];
    std::vector<int64_t> xs{minX, maxX}, ys{minY, maxY};
    for (int j = 0; j < 3; ++j) {
        v[j] = {t.c[2 * j] * kFileToTenths, t.c[2 * j + 1] * kFileToTenths};
        for (int64_t d : {-kBoxX, kBoxX})
            if (v[j].x + d > minX && v[j].x + d < maxX) xs.push_back(v[j].x + d);
        for (int64_t d : {-kBoxY, kBoxY})
            if (v[j].y + d > minY && v[j].y + d < maxY) ys.push_back(v[j].y + d);
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    // Spans of the arrangement within the polygon's bounds: each coordinate
    // (a side line, even index 2i) and each open gap between two (odd).
    auto span = [](const std::vector<int64_t>& cuts, size_t k, int64_t& lo, int64_t& hi) {
        lo = cuts[k / 2];
        hi = k % 2 ? cuts[k / 2 + 1] : lo;
    };
    // Open cells first, so that the camera reported lies inside the set.
    for (int cellsFirst = 1; cellsFirst >= 0; --cellsFirst)
    for (size_t i = 0; i + 1 < 2 * xs.size(); ++i)
        for (size_t j = 0; j + 1 < 2 * ys.size(); ++j) {
            if ((i % 2 == 1 && j % 2 == 1) != (cellsFirst == 1)) continue;
            int64_t x0, x1, y0, y1;
            span(xs, i, x0, x1);
            span(ys, j, y0, y1);
            // Twice a point inside the span, to test the open boxes exactly.
            const int64_t mx = x0 + x1, my = y0 + y1;
            bool drawn = false;
            for (const P& c : v)
                drawn = drawn || (std::abs(mx - 2 * c.x) < 2 * kBoxX && std::abs(my - 2 * c.y) < 2 * kBoxY);
            if (drawn || !meets(poly, x0, x1, y0, y1)) continue;
            if (camera) {
                const P p = pointIn(poly, x0, x1, y0, y1);
                camera->x = double(p.x) / kScale;
                camera->y = double(p.y) / kScale;
            }
            return true;
        }
    return false;
}
