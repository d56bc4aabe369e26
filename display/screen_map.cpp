// Tabulating one axis of the camera mapping.
#include "display/screen_map.h"

#include <cmath>

namespace {

// The screen coordinate plotWorld gives the whole world coordinate i.
double screenCoordinate(int64_t i, double camera, int centre) {
    return std::trunc(static_cast<double>(i) - camera) + centre;
}

constexpr double kTabulableCamera = 1125899906842624.0;  // 2^50: whole coordinates near it are exact
constexpr int64_t kReach = 3;  // candidates beyond the screen's ends on either side

}  // namespace

bool AxisMap::build(double camera, int centre, int extent, int32_t bytesPerStep) {
    count_ = 0;
    if (!(std::fabs(camera) < kTabulableCamera)) return false;
    // A coordinate is less than 1 from its truncation, and the truncation
    // after subtracting the camera moves it by less than 1 more; one unit of
    // the last place more covers the rounding of the bound itself.
    below_ = std::nextafter(camera - (centre + 2), -INFINITY);
    above_ = std::nextafter(camera + (extent - centre + 2), INFINITY);
    const auto base = static_cast<int64_t>(std::floor(camera));
    const int64_t from = base - centre - kReach;
    const int64_t to = base + (extent - centre) + kReach;
    // The mapping never decreases, so once both ends of the candidates are
    // seen off the screen, every whole coordinate that lands lies between.
    if (!(screenCoordinate(from, camera, centre) < 0 && screenCoordinate(to, camera, centre) >= extent))
        return false;
    for (int64_t i = from; i <= to; ++i) {
        const double s = screenCoordinate(i, camera, centre);
        if (!(s >= 0 && s < extent)) continue;
        if (count_ == 0) first_ = i;
        if (count_ == kMaxMapSpan) {
            count_ = 0;
            return false;
        }
        offset_[count_++] = static_cast<int32_t>(s) * bytesPerStep;
    }
    return true;
}
