// Geometry checks of a level, exact in file units where a yes/no answer
// depends on it (area, overlap), in world units where a size is compared.
#include "tools/levels/level_check.h"

#include "tools/levels/level_vanish.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {


struct Point {
    int64_t x, y;
};

Point vertex(const FileTriangle& t, int j) { return Point{t.c[2 * j], t.c[2 * j + 1]}; }

// Twice the signed area of a, b, c; coordinate differences reach 2^32, so
// the products need more than 64 bits.
__int128 orient(Point a, Point b, Point c) {
    return __int128(b.x - a.x) * (c.y - a.y) - __int128(b.y - a.y) * (c.x - a.x);
}

int sign(__int128 v) { return (v > 0) - (v < 0); }

// True when edge j of a, with a's interior on side s, has all of b on its
// closed outer side: a line along that edge separates the two.
bool edgeSeparates(const FileTriangle& a, int j, int s, const FileTriangle& b) {
    const Point p = vertex(a, j);
    const Point q = vertex(a, (j + 1) % 3);
    for (int k = 0; k < 3; ++k)
        if (sign(orient(p, q, vertex(b, k))) == s) return false;
    return true;
}

double distanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0;
    t = std::max(0.0, std::min(1.0, t));
    const double cx = ax + t * dx - px, cy = ay + t * dy - py;
    return std::sqrt(cx * cx + cy * cy);
}

// A ball of the start pose meets the closed triangle: centre inside, or an
// edge within the radius.
bool ballTouches(const FileTriangle& t, double x, double y, double r) {
    double vx[3], vy[3];
    for (int j = 0; j < 3; ++j) {
        vx[j] = t.c[2 * j] * kFileToWorld;
        vy[j] = t.c[2 * j + 1] * kFileToWorld;
    }
    int positive = 0, negative = 0;
    for (int j = 0; j < 3; ++j) {
        const int k = (j + 1) % 3;
        const double cross = (vx[k] - vx[j]) * (y - vy[j]) - (vy[k] - vy[j]) * (x - vx[j]);
        positive += cross > 0;
        negative += cross < 0;
        if (distanceToSegment(x, y, vx[j], vy[j], vx[k], vy[k]) <= r) return true;
    }
    return positive == 0 || negative == 0;
}

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

const char* const kBallNames[kBallCount] = {"body ball", "wheel 1", "wheel 2"};

}  // namespace

std::vector<std::pair<int, int>> overlappingTriangles(const std::vector<FileTriangle>& t) {
    struct Box {
        int64_t minX, maxX, minY, maxY;
        int index;
    };
    std::vector<Box> boxes;
    for (size_t i = 0; i < t.size(); ++i) {
        Box b{INT64_MAX, INT64_MIN, INT64_MAX, INT64_MIN, int(i)};
        for (int j = 0; j < 3; ++j) {
            const Point p = vertex(t[i], j);
            b.minX = std::min(b.minX, p.x);
            b.maxX = std::max(b.maxX, p.x);
            b.minY = std::min(b.minY, p.y);
            b.maxY = std::max(b.maxY, p.y);
        }
        boxes.push_back(b);
    }
    std::sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.minX < b.minX; });
    std::vector<std::pair<int, int>> pairs;
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t k = i + 1; k < boxes.size() && boxes[k].minX < boxes[i].maxX; ++k) {
            const Box& a = boxes[i];
            const Box& b = boxes[k];
            if (b.minY >= a.maxY || a.minY >= b.maxY) continue;
            if (trianglesOverlap(t[size_t(a.index)], t[size_t(b.index)]))
                pairs.emplace_back(std::min(a.index, b.index), std::max(a.index, b.index));
        }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

double triangleThickness(const FileTriangle& t) {
    const double area2 = std::fabs(double(orient(vertex(t, 0), vertex(t, 1), vertex(t, 2))));
    double longest = 0;
    for (int j = 0; j < 3; ++j) {
        const Point a = vertex(t, j), b = vertex(t, (j + 1) % 3);
        const double dx = double(b.x - a.x), dy = double(b.y - a.y);
        longest = std::max(longest, std::sqrt(dx * dx + dy * dy));
    }
    return longest > 0 ? area2 / longest * kFileToWorld : 0;
}

bool trianglesOverlap(const FileTriangle& a, const FileTriangle& b) {
    const int sa = sign(orient(vertex(a, 0), vertex(a, 1), vertex(a, 2)));
    const int sb = sign(orient(vertex(b, 0), vertex(b, 1), vertex(b, 2)));
    if (sa == 0 || sb == 0) return false;
    for (int j = 0; j < 3; ++j)
        if (edgeSeparates(a, j, sa, b) || edgeSeparates(b, j, sb, a)) return false;
    return true;
}

std::vector<LevelProblem> checkLevel(const std::vector<FileTriangle>& t) {
    std::vector<LevelProblem> problems;
    if (t.size() > size_t(kMaxTriangles))
        problems.push_back({-1, -1, std::to_string(t.size()) + " triangles, at most " + std::to_string(kMaxTriangles)});
    World start{};  // the bike as every run starts it
    initialiseWorld(start);
    for (size_t i = 0; i < t.size(); ++i) {
        const int index = int(i);
        if (orient(vertex(t[i], 0), vertex(t[i], 1), vertex(t[i], 2)) == 0) {
            problems.push_back({index, -1, "zero area (its corners lie on one line)"});
            continue;
        }
        const double thickness = triangleThickness(t[i]);
        if (thickness < kMinThickness)
            problems.push_back({index, -1,
                                number(thickness) + " world units thick, a wheel can pass through under " +
                                    number(kMinThickness)});
        VanishCamera camera{};
        if (triangleCanVanish(t[i], &camera))
            problems.push_back({index, -1,
                                "can vanish while on screen (camera near " + number(camera.x) + ", " +
                                    number(camera.y) + ")"});
        for (int b = 0; b < kBallCount; ++b) {
            const Vec2& p = start.position[b];
            if (ballTouches(t[i], p.x, p.y, start.radius[b]))
                problems.push_back({index, -1,
                                    std::string("touches the ") + kBallNames[b] + " of the start pose at (" +
                                        number(p.x) + ", " + number(p.y) + ")"});
        }
    }
    for (const auto& [a, b] : overlappingTriangles(t)) problems.push_back({a, b, "overlap"});
    std::stable_sort(problems.begin(), problems.end(),
                     [](const LevelProblem& a, const LevelProblem& b) { return a.triangle < b.triangle; });
    return problems;
}

LevelBounds levelBounds(const std::vector<FileTriangle>& t) {
    LevelBounds b;
    for (const FileTriangle& tri : t)
        for (int j = 0; j < 3; ++j) {
            const double x = tri.c[2 * j] * kFileToWorld, y = tri.c[2 * j + 1] * kFileToWorld;
            if (b.empty) {
                b.minX = b.maxX = x;
                b.minY = b.maxY = y;
                b.empty = false;
            }
            b.minX = std::min(b.minX, x);
            b.maxX = std::max(b.maxX, x);
            b.minY = std::min(b.minY, y);
            b.maxY = std::max(b.maxY, y);
        }
    return b;
}

std::string formatProblem(const LevelProblem& p, const std::string& file, const std::vector<int>* lines) {
    auto lineOf = [&](int triangle) { return std::to_string((*lines)[size_t(triangle)]); };
    std::string s = file;
    if (lines && p.triangle >= 0) s += ":" + lineOf(p.triangle);
    s += ": ";
    if (p.other >= 0) {
        s += "triangles " + std::to_string(p.triangle) + " and " + std::to_string(p.other);
        if (lines) s += " (line " + lineOf(p.other) + ")";
        return s + " " + p.what;
    }
    if (p.triangle >= 0) s += "triangle " + std::to_string(p.triangle) + ": ";
    return s + p.what;
}
