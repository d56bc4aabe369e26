// Curves are flattened after the transform, so the tolerance holds in world
// units: a curve is cut into as many chords as keep it within 1 world unit,
// but chords stay about 60 units long at least where the curve allows,
// since a level's triangles cannot be thinner than 40.
#include "tools/shapes/svg_path.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tools/shapes/steady_math.h"

namespace {

constexpr double kTolerance = 1.0;      // world units
constexpr double kShortestChord = 60.0; // world units
constexpr int kMaxChords = 1000;        // per curve
// Evenly, at most so many steps per shortest chord of length: enough to
// keep close to the curve, and a drawing's work stays a multiple of its
// points.
constexpr double kEvenSteps = 8;
constexpr double kPi = 3.14159265358979323846;

DPoint apply(const Affine& m, DPoint p) { return {m.a * p.x + m.c * p.y + m.e, m.b * p.x + m.d * p.y + m.f}; }

double dist(DPoint p, DPoint q) { return std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y)); }

// Whether two directions are within a few degrees: a curve that goes on
// from another so has no corner where they meet.
bool smoothlyOn(DPoint u, DPoint v) {
    const double lu = std::sqrt(u.x * u.x + u.y * u.y), lv = std::sqrt(v.x * v.x + v.y * v.y);
    return lu > 0 && lv > 0 && u.x * v.x + u.y * v.y > 0.94 * lu * lv;
}

// The first of the control points that differs from p, as a direction from it.
DPoint away(DPoint p, DPoint a, DPoint b, DPoint c) {
    for (const DPoint q : {a, b, c})
        if (q.x != p.x || q.y != p.y) return {q.x - p.x, q.y - p.y};
    return {0, 0};
}

class Scanner {
public:
    explicit Scanner(const std::string& s) : s_(s) {}
    void skipSeparators() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r' ||
                                  s_[i_] == '\f' || s_[i_] == ','))
            ++i_;
    }
    bool atEnd() {
        skipSeparators();
        return i_ >= s_.size();
    }
    char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
    size_t where() const { return i_; }
    char take() { return s_[i_++]; }
    bool startsNumber() {
        skipSeparators();
        const char c = peek();
        return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
    }
    bool number(double& v) {
        skipSeparators();
        const size_t start = i_;
        if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
        size_t digits = 0;
        while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_, ++digits;
        if (i_ < s_.size() && s_[i_] == '.') {
            ++i_;
            while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_, ++digits;
        }
        if (digits == 0) return i_ = start, false;
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            size_t k = i_ + 1;
            if (k < s_.size() && (s_[k] == '+' || s_[k] == '-')) ++k;
            if (k < s_.size() && s_[k] >= '0' && s_[k] <= '9') {
                while (k < s_.size() && s_[k] >= '0' && s_[k] <= '9') ++k;
                i_ = k;
            }
        }
        v = std::strtod(s_.substr(start, i_ - start).c_str(), nullptr);
        return std::isfinite(v);
    }
    bool flag(bool& f) {
        skipSeparators();
        if (peek() != '0' && peek() != '1') return false;
        f = take() == '1';
        return true;
    }

private:
    const std::string& s_;
    size_t i_ = 0;
};

}  // namespace

Affine compose(const Affine& o, const Affine& i) {
    return Affine{o.a * i.a + o.c * i.b, o.b * i.a + o.d * i.b, o.a * i.c + o.c * i.d,
                  o.b * i.c + o.d * i.d, o.a * i.e + o.c * i.f + o.e, o.b * i.e + o.d * i.f + o.f};
}

void OutlineBuilder::emit(DPoint user, unsigned char kind) {
    const DPoint p = apply(m_, user);
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    ++points_;
    if (points_ <= kMaxSvgPoints) open_.push_back(p), kinds_.push_back(kind);
}

// A curve starts at the current point, leaving it in startDirection (in
// user units): the point is on a curve, and where the segment before was a
// curve going on smoothly into this one, it may be dropped like the points
// along a curve.
void OutlineBuilder::curveFrom(DPoint startDirection) {
    const DPoint d{m_.a * startDirection.x + m_.c * startDirection.y, m_.b * startDirection.x + m_.d * startDirection.y};
    if (open_.empty() || open_.size() == 1) firstCurved_ = true, firstDirection_ = d;
    if (open_.empty()) emit(cur_, kOnCurve);
    else kinds_.back() |= kOnCurve | (lastCurved_ && smoothlyOn(endDirection_, d) ? kDroppable : 0);
}

// Emits the points of a curve that keep each chord at least the shortest
// chord long: a point closer than that to the last one kept is dropped, and
// so is the last one kept when it would leave too short a chord to the end.
void OutlineBuilder::emitChords(const std::vector<DPoint>& user, DPoint end, DPoint endDirection) {
    std::vector<DPoint> kept;
    DPoint last = apply(m_, cur_);
    // Balanced, the whole smooth run is cut once it is closed.
    for (const DPoint& u : user) {
        const DPoint q = apply(m_, u);
        if (!balanced_ && dist(last, q) < kShortestChord) continue;
        kept.push_back(u);
        last = q;
    }
    if (!balanced_ && !kept.empty() && dist(last, apply(m_, end)) < kShortestChord) kept.pop_back();
    const unsigned char along = even_ ? kOnCurve | kDroppable : kCorner;
    for (const DPoint& q : kept) emit(q, along);
    cur_ = end;
    emit(cur_, even_ ? kOnCurve : kCorner);
    lastCurved_ = true;
    endDirection_ = {m_.a * endDirection.x + m_.c * endDirection.y, m_.b * endDirection.x + m_.d * endDirection.y};
}

void OutlineBuilder::moveTo(double x, double y) {
    close();
    cur_ = start_ = {x, y};
    emit(cur_);
}

void OutlineBuilder::lineTo(double x, double y) {
    if (open_.empty()) emit(cur_);
    cur_ = {x, y};
    emit(cur_);
    lastCurved_ = false;
}

void OutlineBuilder::cubicTo(double x1, double y1, double x2, double y2, double x, double y) {
    const DPoint start = away(cur_, {x1, y1}, {x2, y2}, {x, y}), end = away({x, y}, {x2, y2}, {x1, y1}, cur_);
    curveFrom(start);
    const DPoint p0 = apply(m_, cur_), p1 = apply(m_, {x1, y1}), p2 = apply(m_, {x2, y2}), p3 = apply(m_, {x, y});
    // Chords for the tolerance, from the size of the second differences.
    const double ddx = std::max(std::fabs(p0.x - 2 * p1.x + p2.x), std::fabs(p1.x - 2 * p2.x + p3.x));
    const double ddy = std::max(std::fabs(p0.y - 2 * p1.y + p2.y), std::fabs(p1.y - 2 * p2.y + p3.y));
    double n = std::ceil(std::sqrt(0.75 * std::sqrt(ddx * ddx + ddy * ddy) / kTolerance));
    // Evenly, the chords come from points as close as the tolerance asks,
    // thinned to the shortest chord; else fewer steps of t at once.
    const double length = dist(p0, p1) + dist(p1, p2) + dist(p2, p3);
    n = std::min(n, std::floor(length / kShortestChord * (even_ ? kEvenSteps : 1)));
    const int chords = !std::isfinite(n) || n < 1 ? 1 : int(std::min(n, double(kMaxChords)));
    // Equal steps of t give unequal chords, thinned as they are emitted.
    std::vector<DPoint> user;
    for (int k = 1; k < chords; ++k) {
        const double t = double(k) / chords, s = 1 - t;
        const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
        user.push_back({a * cur_.x + b * x1 + c * x2 + d * x, a * cur_.y + b * y1 + c * y2 + d * y});
    }
    emitChords(user, {x, y}, {-end.x, -end.y});
}

void OutlineBuilder::quadTo(double x1, double y1, double x, double y) {
    const DPoint p = cur_;
    cubicTo(p.x + 2.0 / 3 * (x1 - p.x), p.y + 2.0 / 3 * (y1 - p.y), x + 2.0 / 3 * (x1 - x), y + 2.0 / 3 * (y1 - y), x, y);
}

void OutlineBuilder::arcTo(double rx, double ry, double angle, bool large, bool sweep, double x, double y) {
    const DPoint p0 = cur_;
    rx = std::fabs(rx);
    ry = std::fabs(ry);
    if ((p0.x == x && p0.y == y)) return;
    if (rx == 0 || ry == 0) return lineTo(x, y);
    // Centre parameterisation, as the SVG rules give it.
    const double phi = angle * kPi / 180, cp = steadyCos(phi), sp = steadySin(phi);
    const double dx = (p0.x - x) / 2, dy = (p0.y - y) / 2;
    const double x1 = cp * dx + sp * dy, y1 = -sp * dx + cp * dy;
    const double lambda = x1 * x1 / (rx * rx) + y1 * y1 / (ry * ry);
    if (lambda > 1) {
        rx *= std::sqrt(lambda);
        ry *= std::sqrt(lambda);
    }
    const double num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    const double den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    double coef = den > 0 ? std::sqrt(std::max(0.0, num / den)) : 0;
    if (large == sweep) coef = -coef;
    const double cx1 = coef * rx * y1 / ry, cy1 = -coef * ry * x1 / rx;
    const double cx = cp * cx1 - sp * cy1 + (p0.x + x) / 2, cy = sp * cx1 + cp * cy1 + (p0.y + y) / 2;
    auto angleOf = [](double ux, double uy, double vx, double vy) {
        return steadyAtan2(ux * vy - uy * vx, ux * vx + uy * vy);
    };
    const double theta = angleOf(1, 0, (x1 - cx1) / rx, (y1 - cy1) / ry);
    double delta = angleOf((x1 - cx1) / rx, (y1 - cy1) / ry, (-x1 - cx1) / rx, (-y1 - cy1) / ry);
    if (!sweep && delta > 0) delta -= 2 * kPi;
    if (sweep && delta < 0) delta += 2 * kPi;
    if (!std::isfinite(delta) || !std::isfinite(theta)) return lineTo(x, y);
    // Points on the ellipse itself, as many chords as the tolerance needs
    // at the transformed size, but no shorter than the shortest chord.
    const double scale = std::max(std::sqrt(m_.a * m_.a + m_.b * m_.b), std::sqrt(m_.c * m_.c + m_.d * m_.d));
    const double radius = std::max(rx, ry) * scale, turn = std::fabs(delta);
    double n = std::ceil(turn * std::sqrt(radius / (8 * kTolerance)));
    n = std::min(n, std::floor(turn * radius / kShortestChord * (even_ ? kEvenSteps : 1)));
    const int chords = !std::isfinite(n) || n < 1 ? 1 : int(std::min(n, double(kMaxChords)));
    // Evenly, an ellipse's steps of angle, short near its narrow ends, are
    // thinned to the shortest chord; else they are as many as the length
    // allows, and all kept.
    const auto along = [&](double t) {
        const double ct = steadyCos(t), st = steadySin(t), sign = delta < 0 ? -1 : 1;
        return DPoint{sign * (-rx * cp * st - ry * sp * ct), sign * (-rx * sp * st + ry * cp * ct)};
    };
    if (even_) curveFrom(along(theta));
    else if (open_.empty()) emit(cur_);
    std::vector<DPoint> user;
    for (int i = 1; i < chords; ++i) {
        const double t = theta + delta * i / chords, ct = steadyCos(t), st = steadySin(t);
        user.push_back({cx + rx * cp * ct - ry * sp * st, cy + rx * sp * ct + ry * cp * st});
    }
    if (even_) return emitChords(user, {x, y}, along(theta + delta));
    for (const DPoint& q : user) emit(q);
    cur_ = {x, y};
    emit(cur_);
}

// Drops the points along smooth runs of curve (and where curves meet
// smoothly) that lie closer than the shortest chord to the last point kept,
// and the last one kept of a run where it would leave too short a chord to
// the corner after: a path drawn freehand is many short curves.
void OutlineBuilder::thinSmoothRuns() {
    const size_t n = open_.size();
    size_t first = 0;
    while (first < n && (kinds_[first] & kDroppable)) ++first;
    if (first == n) first = 0;  // a closed smooth loop: one point stands for a corner
    Outline ring;
    std::vector<unsigned char> kinds;
    for (size_t k = 0; k < n; ++k) {
        const size_t i = (first + k) % n;
        const DPoint p = open_[i];
        if (k > 0 && (kinds_[i] & kDroppable)) {
            if (dist(ring.back(), p) >= kShortestChord) ring.push_back(p), kinds.push_back(kinds_[i]);
            continue;
        }
        if (ring.size() > 1 && (kinds.back() & kDroppable) && dist(ring.back(), p) < kShortestChord)
            ring.pop_back(), kinds.pop_back();
        ring.push_back(p);
        kinds.push_back(k == 0 ? kinds_[i] & ~kDroppable : kinds_[i]);
    }
    if (ring.size() > 2 && (kinds.back() & kDroppable) && dist(ring.back(), ring.front()) < kShortestChord)
        ring.pop_back(), kinds.pop_back();
    open_.swap(ring);
    kinds_.swap(kinds);
}

// Where a smooth run passes under another element, its first and last
// points there become corners: the chords outside then end under the other
// element, each crossing its outline once, and fit the part that shows.
void OutlineBuilder::breakRunsWhereCovered() {
    const size_t n = open_.size();
    std::vector<char> under(n);
    for (size_t i = 0; i < n; ++i) under[i] = (kinds_[i] & kDroppable) && (*covered_)(open_[i]);
    for (size_t i = 0; i < n; ++i)
        if (under[i] && (!under[(i + n - 1) % n] || !under[(i + 1) % n])) kinds_[i] &= ~kDroppable;
}

// Cuts each smooth run of curve, from one corner to the next (or a whole
// closed loop, from its first point), into as many chords as fit at least
// the shortest chord long, at the points nearest equal steps along it.
// Where the points fall too unevenly for that, a chord fewer is tried, a
// few times, and then the run is thinned as in even mode.
void OutlineBuilder::balanceSmoothRuns() {
    const size_t n = open_.size();
    std::vector<size_t> corners;
    for (size_t i = 0; i < n; ++i)
        if (!(kinds_[i] & kDroppable)) corners.push_back(i);
    if (corners.empty()) corners.push_back(0);
    Outline ring;
    std::vector<unsigned char> kinds;
    std::vector<double> along;
    std::vector<size_t> chosen;
    for (size_t c = 0; c < corners.size(); ++c) {
        const size_t from = corners[c], to = c + 1 < corners.size() ? corners[c + 1] : corners[0] + n;
        ring.push_back(open_[from]);
        kinds.push_back(kinds_[from] & ~kDroppable);
        if (to - from < 2) continue;
        const auto at = [&](size_t k) { return open_[(from + k) % n]; };
        along.assign(1, 0.0);
        for (size_t k = 1; k <= to - from; ++k) along.push_back(along.back() + dist(at(k - 1), at(k)));
        const double most = std::min(std::floor(along.back() / kShortestChord), double(to - from));
        bool cut = false;
        for (int m = int(most), tries = 0; m > 1 && tries < 4 && !cut; --m, ++tries) {
            chosen.clear();
            size_t k = 0;
            for (int j = 1; j < m; ++j) {
                const double step = along.back() * j / m;
                while (k + 1 < to - from && std::fabs(along[k + 1] - step) <= std::fabs(along[k] - step)) ++k;
                if (k == 0 || k == to - from || (!chosen.empty() && chosen.back() == k)) break;
                chosen.push_back(k);
            }
            if (chosen.size() != size_t(m - 1)) continue;
            cut = dist(at(0), at(chosen.front())) >= kShortestChord && dist(at(chosen.back()), at(to - from)) >= kShortestChord;
            for (size_t j = 1; cut && j < chosen.size(); ++j) cut = dist(at(chosen[j - 1]), at(chosen[j])) >= kShortestChord;
        }
        if (!cut) {
            // As even mode thins: drop what is too near the last kept.
            chosen.clear();
            DPoint last = at(0);
            for (size_t k = 1; k < to - from; ++k)
                if (dist(last, at(k)) >= kShortestChord) chosen.push_back(k), last = at(k);
            if (!chosen.empty() && dist(last, at(to - from)) < kShortestChord) chosen.pop_back();
        }
        for (const size_t k : chosen) ring.push_back(at(k)), kinds.push_back(kinds_[(from + k) % n]);
    }
    open_.swap(ring);
    kinds_.swap(kinds);
}

// Joins each side under kShortestSide whose ends turn the same way (both
// outwards, or both inwards as a small fillet), one of them on a curve, into
// one corner: where the sides either side of it meet, when that is near,
// else its middle. Each join takes a corner away, so the loop ends.
void OutlineBuilder::joinShortSides() {
    Outline& ring = open_;
    double area2 = 0;
    for (size_t i = 0; i < ring.size(); ++i) {
        const DPoint a = ring[i], b = ring[(i + 1) % ring.size()];
        area2 += a.x * b.y - a.y * b.x;
    }
    const auto turn = [&](DPoint a, DPoint b, DPoint c) { return ((b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x)) * area2; };
    for (size_t i = 0; ring.size() > 3 && i < ring.size();) {
        const size_t n = ring.size(), j = (i + 1) % n;
        const DPoint before = ring[(i + n - 1) % n], a = ring[i], b = ring[j], after = ring[(j + 1) % n];
        const double ta = turn(before, a, b), tb = turn(a, b, after);
        const bool sameWay = (ta > 0 && tb > 0) || (ta < 0 && tb < 0);
        if (dist(a, b) >= kShortestSide || !((kinds_[i] | kinds_[j]) & kOnCurve) || !sameWay) {
            ++i;
            continue;
        }
        // before + s (a - before) = after + u (b - after), by Cramer's rule.
        const double ux = a.x - before.x, uy = a.y - before.y, vx = b.x - after.x, vy = b.y - after.y;
        const double det = ux * (-vy) - uy * (-vx);
        const double dx = after.x - before.x, dy = after.y - before.y;
        const double s = det != 0 ? (dx * (-vy) - dy * (-vx)) / det : -1;
        const double u = det != 0 ? (ux * dy - uy * dx) / det : -1;
        DPoint joint{before.x + s * ux, before.y + s * uy};
        const DPoint middle{(a.x + b.x) / 2, (a.y + b.y) / 2};
        // Apart, a joint that would reach under another element across a gap
        // is at the middle: joined there, two outward corners cut into their
        // own shape and reach no other.
        if (!(s > 1) || !(u > 1) || !(dist(joint, middle) <= kShortestSide / 2) ||
            (covered_ && (*covered_)(joint) && !(*covered_)(middle)))
            joint = middle;
        if (joined_++ == 0) firstJoin_ = joint;
        ring[i] = joint;
        kinds_[i] = kOnCurve;
        ring.erase(ring.begin() + long(j));
        kinds_.erase(kinds_.begin() + long(j));
        if (j < i) i = i - 1;  // the first corner went
        i = i > 0 ? i - 1 : 0;  // the corner before may now be at a short side
    }
}

void OutlineBuilder::close() {
    if (even_ && !open_.empty()) {
        // A path that comes back to its start would leave a side of no
        // length, which hides the corner there from the joins.
        if (open_.size() > 1 && dist(open_.front(), open_.back()) == 0) {
            kinds_.front() |= kinds_.back() & kOnCurve;
            if (lastCurved_ && firstCurved_ && smoothlyOn(endDirection_, firstDirection_)) kinds_.front() |= kDroppable;
            open_.pop_back();
            kinds_.pop_back();
        }
        if (covered_) breakRunsWhereCovered();
        if (balanced_) balanceSmoothRuns();
        else thinSmoothRuns();
        if (open_.size() > 3) joinShortSides();
    }
    if (open_.size() >= 3) {
        std::vector<bool> onCurve;
        for (const unsigned char k : kinds_) onCurve.push_back(k & kOnCurve);
        done_.push_back(std::move(open_));
        doneOnCurve_.push_back(std::move(onCurve));
    }
    open_.clear();
    kinds_.clear();
    lastCurved_ = firstCurved_ = false;
    cur_ = start_;
}

bool OutlineBuilder::finish(std::vector<Outline>& out, std::vector<std::vector<bool>>* onCurve) {
    close();
    out = std::move(done_);
    done_.clear();
    if (onCurve) *onCurve = std::move(doneOnCurve_);
    doneOnCurve_.clear();
    return points_ <= kMaxSvgPoints;
}

std::string buildPath(const std::string& d, OutlineBuilder& out) {
    Scanner s(d);
    char command = 0;
    DPoint lastControl{0, 0};
    char lastCommand = 0;
    auto fault = [&](const std::string& what) { return what + " at character " + std::to_string(s.where() + 1); };
    while (!s.atEnd()) {
        const char c = s.peek();
        if (std::string("MmLlHhVvCcSsQqTtAaZz").find(c) != std::string::npos && c != 0) {
            command = s.take();
        } else if (!command || command == 'Z' || command == 'z') {
            return fault(std::string("unexpected \"") + c + "\"");
        }
        const bool rel = command >= 'a';
        const DPoint p = out.current();
        const double ox = rel ? p.x : 0, oy = rel ? p.y : 0;
        double v[7];
        auto numbers = [&](int n) {
            for (int i = 0; i < n; ++i)
                if (!s.number(v[i])) return false;
            return true;
        };
        const char upper = char(command & ~0x20);
        switch (upper) {
        case 'Z':
            out.close();
            break;
        case 'M':
            if (!numbers(2)) return fault("moveto needs x y");
            out.moveTo(ox + v[0], oy + v[1]);
            command = rel ? 'l' : 'L';  // further pairs are lines
            break;
        case 'L':
            if (!numbers(2)) return fault("lineto needs x y");
            out.lineTo(ox + v[0], oy + v[1]);
            break;
        case 'H':
            if (!numbers(1)) return fault("horizontal lineto needs x");
            out.lineTo(ox + v[0], p.y);
            break;
        case 'V':
            if (!numbers(1)) return fault("vertical lineto needs y");
            out.lineTo(p.x, oy + v[0]);
            break;
        case 'C':
            if (!numbers(6)) return fault("curveto needs six numbers");
            out.cubicTo(ox + v[0], oy + v[1], ox + v[2], oy + v[3], ox + v[4], oy + v[5]);
            lastControl = {ox + v[2], oy + v[3]};
            break;
        case 'S': {
            if (!numbers(4)) return fault("smooth curveto needs four numbers");
            const bool follows = lastCommand == 'C' || lastCommand == 'S';
            const DPoint r = follows ? DPoint{2 * p.x - lastControl.x, 2 * p.y - lastControl.y} : p;
            out.cubicTo(r.x, r.y, ox + v[0], oy + v[1], ox + v[2], oy + v[3]);
            lastControl = {ox + v[0], oy + v[1]};
            break;
        }
        case 'Q':
            if (!numbers(4)) return fault("quadratic curveto needs four numbers");
            out.quadTo(ox + v[0], oy + v[1], ox + v[2], oy + v[3]);
            lastControl = {ox + v[0], oy + v[1]};
            break;
        case 'T': {
            if (!numbers(2)) return fault("smooth quadratic curveto needs x y");
            const bool follows = lastCommand == 'Q' || lastCommand == 'T';
            const DPoint r = follows ? DPoint{2 * p.x - lastControl.x, 2 * p.y - lastControl.y} : p;
            out.quadTo(r.x, r.y, ox + v[0], oy + v[1]);
            lastControl = r;
            break;
        }
        case 'A': {
            bool large = false, sweep = false;
            if (!numbers(3) || !s.flag(large) || !s.flag(sweep) || !s.number(v[3]) || !s.number(v[4]))
                return fault("arc needs rx ry angle large-arc sweep x y");
            out.arcTo(v[0], v[1], v[2], large, sweep, ox + v[3], oy + v[4]);
            break;
        }
        default:
            return fault("unknown command");
        }
        lastCommand = upper;
        if (upper == 'Z') continue;
        // Numbers straight after repeat the command; anything else must be one.
        if (!s.atEnd() && !s.startsNumber() &&
            std::string("MmLlHhVvCcSsQqTtAaZz").find(s.peek()) == std::string::npos)
            return fault(std::string("unexpected \"") + s.peek() + "\"");
    }
    return "";
}

bool parseNumberList(const std::string& text, std::vector<double>& out) {
    Scanner s(text);
    out.clear();
    while (!s.atEnd()) {
        double v;
        if (!s.number(v)) return false;
        out.push_back(v);
        if (out.size() > 2 * kMaxSvgPoints) return false;
    }
    return true;
}
