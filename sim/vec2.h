// Vec2: the two-component double vector every position, velocity, normal and
// vertex is made of. Header-only; each operation is written so that the
// compiler evaluates it in exactly the order shown (replays depend on it).
#pragma once

#include <cmath>

struct Vec2 {
    double x;  // grows to the right
    double y;  // grows downwards (screen orientation)

    // Leaves both components unassigned, like a plain struct; every Vec2 read
    // before being written lives in zero-filled static storage.
    Vec2() = default;
    explicit Vec2(double s) : x(s), y(s) {}
    Vec2(double x_, double y_) : x(x_), y(y_) {}

    Vec2& operator+=(const Vec2& b) { x += b.x; y += b.y; return *this; }
    Vec2& operator-=(const Vec2& b) { x -= b.x; y -= b.y; return *this; }
    Vec2& operator*=(double s) { x = s * x; y = s * y; return *this; }
};

inline Vec2 operator+(const Vec2& a, const Vec2& b) { return Vec2(a.x + b.x, a.y + b.y); }
inline Vec2 operator-(const Vec2& a, const Vec2& b) { return Vec2(a.x - b.x, a.y - b.y); }
inline Vec2 operator-(const Vec2& a) { return Vec2(-a.x, -a.y); }
inline Vec2 operator*(const Vec2& v, double s) { return Vec2(s * v.x, s * v.y); }
inline Vec2 operator*(double s, const Vec2& v) { return v * s; }
// A true division per component: v / 3 is not v * (1 / 3) in the last bit.
inline Vec2 operator/(const Vec2& v, double s) { return Vec2(v.x / s, v.y / s); }

inline bool operator==(const Vec2& a, const Vec2& b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(const Vec2& a, const Vec2& b) { return !(a == b); }

inline double dot(const Vec2& a, const Vec2& b) { return a.x * b.x + a.y * b.y; }
inline double length(const Vec2& v) { return std::sqrt(v.x * v.x + v.y * v.y); }

// Makes v a unit vector and returns its former length. The exact zero vector
// (-0.0 included) stays as it is with length 0, so callers never divide by 0.
inline double normalise(Vec2& v) {
    if (v.x == 0.0 && v.y == 0.0) return 0.0;
    double l = std::sqrt(v.x * v.x + v.y * v.y);
    v.x = v.x / l;
    v.y = v.y / l;
    return l;
}

// Quarter turn scaled by s: (1, 0) becomes (0, s), clockwise on the screen.
inline Vec2 perpendicular(const Vec2& v, double s) { return Vec2(-v.y * s, v.x * s); }

static_assert(sizeof(Vec2) == 16, "Vec2 is stored in replay files as two doubles");
