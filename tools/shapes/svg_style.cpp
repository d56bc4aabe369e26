// Presentation properties and transforms of SVG elements.
#include "tools/shapes/svg_style.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "tools/shapes/steady_math.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

std::string trimmed(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\n' || s[a] == '\r')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\n' || s[b - 1] == '\r')) --b;
    std::string out = s.substr(a, b - a);
    const size_t bang = out.find("!important");
    if (bang != std::string::npos) out = trimmed(out.substr(0, bang));
    return out;
}

}  // namespace

void applyProperty(SvgStyle& s, const SvgStyle& parent, const std::string& rawName, const std::string& rawValue) {
    const std::string name = trimmed(rawName), value = trimmed(rawValue);
    const bool inherit = value == "inherit";
    if (name == "fill") s.filled = inherit ? parent.filled : !(value == "none" || value == "transparent");
    else if (name == "stroke") s.stroked = inherit ? parent.stroked : !(value == "none" || value == "transparent" || value.empty());
    else if (name == "fill-rule") s.evenOdd = inherit ? parent.evenOdd : value == "evenodd" ? true : value == "nonzero" ? false : s.evenOdd;
    else if (name == "visibility") s.visible = inherit ? parent.visible : value == "visible" ? true : (value == "hidden" || value == "collapse") ? false : s.visible;
    else if (name == "display") s.displayed = value != "none";
}

bool parseLength(const char* text, double& out) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || !std::isfinite(v)) return false;
    const std::string unit = trimmed(end);
    double scale = 1;
    if (unit.empty() || unit == "px") scale = 1;
    else if (unit == "mm") scale = 96 / 25.4;
    else if (unit == "cm") scale = 96 / 2.54;
    else if (unit == "in") scale = 96;
    else if (unit == "pt") scale = 96.0 / 72;
    else if (unit == "pc") scale = 16;
    else return false;
    out = v * scale;
    return true;
}

bool parseTransform(const std::string& text, Affine& out) {
    out = Affine{};
    size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r' || text[i] == ','))
            ++i;
    };
    skip();
    while (i < text.size()) {
        const size_t start = i;
        while (i < text.size() && ((text[i] >= 'a' && text[i] <= 'z') || (text[i] >= 'A' && text[i] <= 'Z'))) ++i;
        const std::string name = text.substr(start, i - start);
        skip();
        if (i >= text.size() || text[i] != '(') return false;
        const size_t close = text.find(')', i);
        if (close == std::string::npos) return false;
        std::vector<double> v;
        if (!parseNumberList(text.substr(i + 1, close - i - 1), v)) return false;
        i = close + 1;
        Affine m;
        const size_t n = v.size();
        if (name == "matrix" && n == 6) m = Affine{v[0], v[1], v[2], v[3], v[4], v[5]};
        else if (name == "translate" && (n == 1 || n == 2)) m.e = v[0], m.f = n == 2 ? v[1] : 0;
        else if (name == "scale" && (n == 1 || n == 2)) m.a = v[0], m.d = n == 2 ? v[1] : v[0];
        else if (name == "rotate" && (n == 1 || n == 3)) {
            const double r = v[0] * kPi / 180, c = steadyCos(r), s = steadySin(r);
            const Affine rot{c, s, -s, c, 0, 0};
            if (n == 3) {
                const Affine to{1, 0, 0, 1, v[1], v[2]}, back{1, 0, 0, 1, -v[1], -v[2]};
                m = compose(to, compose(rot, back));
            } else {
                m = rot;
            }
        } else if (name == "skewX" && n == 1) {
            const double r = v[0] * kPi / 180;
            m.c = steadySin(r) / steadyCos(r);
        } else if (name == "skewY" && n == 1) {
            const double r = v[0] * kPi / 180;
            m.b = steadySin(r) / steadyCos(r);
        } else {
            return false;
        }
        out = compose(out, m);
        skip();
    }
    return true;
}
