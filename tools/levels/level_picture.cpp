// Level overview pictures: its own plain scaled drawing, not the game's
// camera, since the whole course must fit.
#include "tools/levels/level_picture.h"

#include <algorithm>
#include <cmath>

#include "sim/world.h"

namespace {

constexpr int kMargin = 12;  // pixels around the level

struct Rgb {
    uint8_t r, g, b;
};

const Rgb kFill{70, 16, 16};
const Rgb kEdge{255, 0, 0};
const Rgb kFrame{100, 100, 100};
const Rgb kBody{255, 0, 0};
const Rgb kWheel{0, 0, 255};
const Rgb kMarker{0, 255, 0};

class Canvas {
public:
    explicit Canvas(LevelPicture& p) : p_(p) {}

    double px(double worldX) const { return (worldX - p_.minX) / p_.unitsPerPixel; }
    double py(double worldY) const { return (worldY - p_.minY) / p_.unitsPerPixel; }

    void plot(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= p_.image.width || y >= p_.image.height) return;
        uint8_t* at = &p_.image.pixels[(static_cast<std::size_t>(y) * p_.image.width + x) * 3];
        at[0] = c.r;
        at[1] = c.g;
        at[2] = c.b;
    }

    // Pixel coordinates; every point of the picture is well inside int range.
    void line(double x0, double y0, double x1, double y1, Rgb c) {
        double steps = std::ceil(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0)));
        if (steps < 1) steps = 1;
        for (double i = 0; i <= steps; ++i) {
            double t = i / steps;
            plot(static_cast<int>(std::floor(x0 + (x1 - x0) * t)), static_cast<int>(std::floor(y0 + (y1 - y0) * t)), c);
        }
    }

    void circle(double cx, double cy, double r, Rgb c) {
        int steps = std::max(16, static_cast<int>(r * 8));
        for (int i = 0; i < steps; ++i) {
            double a = 2 * M_PI * i / steps;
            plot(static_cast<int>(std::floor(cx + r * std::cos(a))), static_cast<int>(std::floor(cy + r * std::sin(a))), c);
        }
    }

    // Pixels whose centre lies inside the triangle, row by row.
    void fill(const double* x, const double* y, Rgb c) {
        int top = std::max(0, static_cast<int>(std::floor(std::min({y[0], y[1], y[2]}))));
        int bottom = std::min(p_.image.height - 1, static_cast<int>(std::ceil(std::max({y[0], y[1], y[2]}))));
        for (int j = top; j <= bottom; ++j) {
            double sy = j + 0.5, from = INFINITY, to = -INFINITY;
            for (int k = 0; k < 3; ++k) {
                int n = (k + 1) % 3;
                if ((y[k] <= sy) == (y[n] <= sy)) continue;
                double sx = x[k] + (sy - y[k]) * (x[n] - x[k]) / (y[n] - y[k]);
                from = std::min(from, sx);
                to = std::max(to, sx);
            }
            if (!(from <= to)) continue;
            int first = std::max(0, static_cast<int>(std::ceil(from - 0.5)));
            int last = std::min(p_.image.width - 1, static_cast<int>(std::floor(to - 0.5)));
            for (int i = first; i <= last; ++i) plot(i, j, c);
        }
    }

private:
    LevelPicture& p_;
};

}  // namespace

LevelPicture drawLevelPicture(const std::vector<FileTriangle>& triangles, int width) {
    World pose{};
    initialiseWorld(pose);

    // Extent of the level and of the bike with its selection marker.
    const double markerRadius = 20;
    double minX = pose.position[0].x, maxX = minX, minY = pose.position[0].y, maxY = minY;
    for (int b = 0; b < kBallCount; ++b) {
        minX = std::min(minX, pose.position[b].x - markerRadius);
        maxX = std::max(maxX, pose.position[b].x + markerRadius);
        minY = std::min(minY, pose.position[b].y - markerRadius);
        maxY = std::max(maxY, pose.position[b].y + markerRadius);
    }
    for (const FileTriangle& t : triangles)
        for (int v = 0; v < 3; ++v) {
            double x = t.c[2 * v] * kFileToWorld, y = t.c[2 * v + 1] * kFileToWorld;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }

    LevelPicture picture;
    const double inner = width - 2 * kMargin;
    double units = std::max((maxX - minX) / inner, (maxY - minY) / (kMaxLevelPictureSide - 2 * kMargin));
    picture.unitsPerPixel = units;
    int height = static_cast<int>(std::ceil((maxY - minY) / units)) + 2 * kMargin;
    picture.image = RgbImage(width, std::min(height, kMaxLevelPictureSide));
    picture.minX = minX - kMargin * units - (inner - (maxX - minX) / units) / 2 * units;  // centred across
    picture.minY = minY - kMargin * units;

    Canvas canvas(picture);
    for (const FileTriangle& t : triangles) {
        double x[3], y[3];
        for (int v = 0; v < 3; ++v) {
            x[v] = canvas.px(t.c[2 * v] * kFileToWorld);
            y[v] = canvas.py(t.c[2 * v + 1] * kFileToWorld);
        }
        canvas.fill(x, y, kFill);
    }
    for (const FileTriangle& t : triangles)
        for (int e = 0; e < 3; ++e) {
            int n = (e + 1) % 3;
            canvas.line(canvas.px(t.c[2 * e] * kFileToWorld), canvas.py(t.c[2 * e + 1] * kFileToWorld),
                        canvas.px(t.c[2 * n] * kFileToWorld), canvas.py(t.c[2 * n + 1] * kFileToWorld), kEdge);
        }

    // The bike as the first frame shows it, never smaller than a few pixels.
    auto at = [&](int b) { return std::pair<double, double>(canvas.px(pose.position[b].x), canvas.py(pose.position[b].y)); };
    for (int k = 0; k < kBallCount; ++k) {
        auto [ax, ay] = at(k);
        auto [bx, by] = at((k + 1) % kBallCount);
        canvas.line(ax, ay, bx, by, kFrame);
    }
    for (int b = 0; b < kBallCount; ++b) {
        auto [cx, cy] = at(b);
        canvas.circle(cx, cy, std::max(2.0, pose.radius[b] / units), b == 0 ? kBody : kWheel);
    }
    auto [sx, sy] = at(pose.selectedWheel);
    canvas.circle(sx, sy, std::max(5.0, markerRadius / units), kMarker);
    return picture;
}
