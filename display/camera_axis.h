// The screen's geometry and the camera mapping, written once: a world
// coordinate v lands on screen coordinate trunc(trunc(v) - camera) + centre
// of its axis, worked in double so that no camera overflows an integer.
#pragma once

#include <cmath>

#include "sim/vec2.h"

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kCameraColumn = 512;  // screen column of the camera point
constexpr int kCameraRow = 384;     // screen row of the camera point

// One axis of the screen as the camera maps it.
struct CameraAxis {
    double camera;  // the world coordinate drawn at centre
    int centre;     // kCameraColumn or kCameraRow
    int extent;     // kScreenWidth or kScreenHeight

    // The screen coordinate of a whole world coordinate.
    double ofWhole(double whole) const { return std::trunc(whole - camera) + centre; }
    // The screen coordinate of any world coordinate, truncated first as
    // the primitives truncate their points.
    double of(double v) const { return ofWhole(std::trunc(v)); }
    // Whether a screen coordinate is on the screen (false for NaN).
    bool lands(double s) const { return s >= 0 && s < extent; }

    // World coordinates at or beyond these never land on the screen: a
    // coordinate is less than 1 from its truncation, the truncation after
    // subtracting the camera moves it by less than 1 more, and one unit of
    // the last place more covers the rounding of the bound itself.
    double lowest() const { return std::nextafter(camera - (centre + 2), -INFINITY); }
    double highest() const { return std::nextafter(camera + (extent - centre + 2), INFINITY); }
};

inline CameraAxis columnAxis(const Vec2& camera) { return CameraAxis{camera.x, kCameraColumn, kScreenWidth}; }
inline CameraAxis rowAxis(const Vec2& camera) { return CameraAxis{camera.y, kCameraRow, kScreenHeight}; }
