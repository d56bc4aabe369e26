// The camera mapping of world coordinates to screen columns and rows,
// tabulated once per camera, so that a line walk looks its pixels up
// instead of truncating and converting every coordinate of every step.
#pragma once

#include <cstdint>

#include "display/camera_axis.h"

constexpr int kMaxMapSpan = 1040;  // whole coordinates one axis can map on screen, with room for rounding

// One axis: for every whole world coordinate i that lands on the screen,
// its screen coordinate (CameraAxis::ofWhole) times the bytes between
// neighbouring pixels along the axis: the pixel's byte offset along it.
class AxisMap {
public:
    // False (and maps nothing) for a camera too far out to tabulate.
    bool build(const CameraAxis& axis, int32_t bytesPerStep);

    // World coordinates at or beyond these never land on the screen.
    double below() const { return below_; }
    double above() const { return above_; }

    // The table as plain values, for loops that keep them in registers.
    struct View {
        int64_t first;
        uint64_t count;
        const int32_t* offset;
        // Where v (its truncation) lies in the table; count or more when it
        // lands off the screen. v must lie within 2^62 of zero.
        uint64_t index(double v) const { return static_cast<uint64_t>(static_cast<int64_t>(v) - first); }
    };
    View view() const { return View{first_, count_, offset_}; }

private:
    int64_t first_ = 0;   // lowest whole world coordinate that lands on the screen
    uint64_t count_ = 0;  // how many do, one after the other
    double below_ = 0;
    double above_ = 0;
    int32_t offset_[kMaxMapSpan] = {};
};

struct ScreenMap {
    AxisMap x;
    AxisMap y;
    bool usable = false;  // false for a camera too far out: walks then take the exact conversion
};
