// Tabulating one axis of the camera mapping.
#include "display/screen_map.h"

#include <cmath>

namespace {

constexpr double kTabulableCamera = 1125899906842624.0;  // 2^50: whole coordinates near it are exact
constexpr int64_t kReach = 3;  // candidates beyond the screen's ends on either side

}  // namespace

bool AxisMap::build(const CameraAxis& axis, int32_t bytesPerStep) {
    count_ = 0;
    if (!(std::fabs(axis.camera) < kTabulableCamera)) return false;
    below_ = axis.lowest();
    above_ = axis.highest();
    const auto base = static_cast<int64_t>(std::floor(axis.camera));
    const int64_t from = base - axis.centre - kReach;
    const int64_t to = base + (axis.extent - axis.centre) + kReach;
    // The mapping never decreases, so once both ends of the candidates are
    // seen off the screen, every whole coordinate that lands lies between.
    if (!(axis.ofWhole(static_cast<double>(from)) < 0 && axis.ofWhole(static_cast<double>(to)) >= axis.extent))
        return false;
    for (int64_t i = from; i <= to; ++i) {
        const double s = axis.ofWhole(static_cast<double>(i));
        if (!axis.lands(s)) continue;
        if (count_ == 0) first_ = i;
        if (count_ == kMaxMapSpan) {
            count_ = 0;
            return false;
        }
        offset_[count_++] = static_cast<int32_t>(s) * bytesPerStep;
    }
    return true;
}
