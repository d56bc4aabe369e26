// Which drawn corners the author shaped and which only mark where two
// shapes meet, by the distance of each corner to the other outlines.
#include "tools/shapes/corner_origins.h"

#include <algorithm>

#include "app/level_file.h"

namespace {

// 25 world units, in file units, squared: as far as a mend moves an outline.
constexpr double kMeetingNear2 = (25 / kFileToWorld) * (25 / kFileToWorld);

struct Box {
    int64_t x0, y0, x1, y1;
};

Box boxOf(const Ring& r) {
    Box b{r.front().x, r.front().y, r.front().x, r.front().y};
    for (const IPoint& p : r) b = {std::min(b.x0, p.x), std::min(b.y0, p.y), std::max(b.x1, p.x), std::max(b.y1, p.y)};
    return b;
}

// Squared distance from p to the segment ab.
double distance2(IPoint p, IPoint a, IPoint b) {
    const double ex = double(b.x - a.x), ey = double(b.y - a.y);
    const double px = double(p.x - a.x), py = double(p.y - a.y);
    const double e2 = ex * ex + ey * ey;
    const double along = e2 > 0 ? std::clamp((px * ex + py * ey) / e2, 0.0, 1.0) : 0.0;
    const double dx = px - along * ex, dy = py - along * ey;
    return dx * dx + dy * dy;
}

}  // namespace

std::vector<IPoint> drawnCorners(const std::vector<SourceRegion>& regions) {
    std::vector<IPoint> fixed;
    for (const SourceRegion& r : regions)
        for (const Ring& ring : r.outlines)
            for (const IPoint& p : ring)
                if (!std::binary_search(r.onCurve.begin(), r.onCurve.end(), p)) fixed.push_back(p);
    std::sort(fixed.begin(), fixed.end());
    return fixed;
}

std::vector<IPoint> cornersAwayFromOthers(const std::vector<SourceRegion>& regions, size_t& budget) {
    std::vector<const Ring*> rings;
    std::vector<Box> boxes;
    for (const SourceRegion& r : regions)
        for (const Ring& ring : r.outlines)
            if (!ring.empty()) rings.push_back(&ring), boxes.push_back(boxOf(ring));
    const double reach = 25 / kFileToWorld + 1;
    std::vector<IPoint> fixed;
    size_t k = 0;
    for (const SourceRegion& r : regions)
        for (const Ring& ring : r.outlines) {
            if (ring.empty()) continue;
            const size_t own = k++;
            for (const IPoint& p : ring) {
                if (std::binary_search(r.onCurve.begin(), r.onCurve.end(), p)) continue;
                bool meets = false;
                for (size_t o = 0; o < rings.size() && !meets && budget > 0; ++o) {
                    const Box& b = boxes[o];
                    if (o == own || double(p.x) < double(b.x0) - reach || double(p.x) > double(b.x1) + reach ||
                        double(p.y) < double(b.y0) - reach || double(p.y) > double(b.y1) + reach)
                        continue;
                    const Ring& other = *rings[o];
                    budget -= std::min(budget, other.size());
                    for (size_t i = 0; i < other.size() && !meets; ++i)
                        meets = distance2(p, other[i], other[(i + 1) % other.size()]) <= kMeetingNear2;
                }
                if (!meets || budget == 0) fixed.push_back(p);
            }
        }
    std::sort(fixed.begin(), fixed.end());
    return fixed;
}
