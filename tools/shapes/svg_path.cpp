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
constexpr double kPi = 3.14159265358979323846;

DPoint apply(const Affine& m, DPoint p) { return {m.a * p.x + m.c * p.y + m.e, m.b * p.x + m.d * p.y + m.f}; }

double dist(DPoint p, DPoint q) { return std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y)); }

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

void OutlineBuilder::emit(DPoint user) {
    const DPoint p = apply(m_, user);
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    ++points_;
    if (points_ <= kMaxSvgPoints) open_.push_back(p);
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
}

void OutlineBuilder::cubicTo(double x1, double y1, double x2, double y2, double x, double y) {
    if (open_.empty()) emit(cur_);
    const DPoint p0 = apply(m_, cur_), p1 = apply(m_, {x1, y1}), p2 = apply(m_, {x2, y2}), p3 = apply(m_, {x, y});
    // Chords for the tolerance, from the size of the second differences.
    const double ddx = std::max(std::fabs(p0.x - 2 * p1.x + p2.x), std::fabs(p1.x - 2 * p2.x + p3.x));
    const double ddy = std::max(std::fabs(p0.y - 2 * p1.y + p2.y), std::fabs(p1.y - 2 * p2.y + p3.y));
    double n = std::ceil(std::sqrt(0.75 * std::sqrt(ddx * ddx + ddy * ddy) / kTolerance));
    const double length = dist(p0, p1) + dist(p1, p2) + dist(p2, p3);
    n = std::min(n, std::floor(length / kShortestChord));
    const int chords = !std::isfinite(n) || n < 1 ? 1 : int(std::min(n, double(kMaxChords)));
    // Equal steps of t give unequal chords: points closer than the shortest
    // chord to the last one kept are dropped, and so is the last one kept
    // when it would leave too short a chord to the end.
    std::vector<DPoint> kept;
    DPoint last = p0;
    for (int k = 1; k < chords; ++k) {
        const double t = double(k) / chords, s = 1 - t;
        const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
        const DPoint user{a * cur_.x + b * x1 + c * x2 + d * x, a * cur_.y + b * y1 + c * y2 + d * y};
        const DPoint q = apply(m_, user);
        if (dist(last, q) < kShortestChord) continue;
        kept.push_back(user);
        last = q;
    }
    if (!kept.empty() && dist(last, p3) < kShortestChord) kept.pop_back();
    for (const DPoint& q : kept) emit(q);
    cur_ = {x, y};
    emit(cur_);
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
    n = std::min(n, std::floor(turn * radius / kShortestChord));
    const int chords = !std::isfinite(n) || n < 1 ? 1 : int(std::min(n, double(kMaxChords)));
    if (open_.empty()) emit(cur_);
    for (int i = 1; i < chords; ++i) {
        const double t = theta + delta * i / chords, ct = steadyCos(t), st = steadySin(t);
        emit({cx + rx * cp * ct - ry * sp * st, cy + rx * sp * ct + ry * cp * st});
    }
    cur_ = {x, y};
    emit(cur_);
}

void OutlineBuilder::close() {
    if (open_.size() >= 3) done_.push_back(std::move(open_));
    open_.clear();
    cur_ = start_;
}

bool OutlineBuilder::finish(std::vector<Outline>& out) {
    close();
    out = std::move(done_);
    done_.clear();
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
