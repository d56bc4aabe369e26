// The SVG presentation an element gets from its attributes, its inline
// style and its parent: whether it is filled and shown, its fill rule, and
// its transform.
#pragma once

#include <string>

#include "tools/shapes/svg_path.h"

struct SvgStyle {
    bool filled = true;     // fill is not "none"
    bool stroked = false;   // stroke is not "none"
    bool evenOdd = false;   // fill-rule
    bool visible = true;    // visibility
    bool displayed = true;  // display (not inherited, but hides the subtree)
};

// The style of an element under its parent's: get(name) returns the
// attribute's value or nullptr; the "style" attribute's declarations win.
template <typename Get>
SvgStyle cascade(const SvgStyle& parent, Get get);

// Applies one presentation property; unknown names and values are ignored.
void applyProperty(SvgStyle& style, const SvgStyle& parent, const std::string& name, const std::string& value);

// Parses a transform list ("translate(10) rotate(45 5 5) ..."); false when
// it is malformed.
bool parseTransform(const std::string& text, Affine& out);

// A length: a number with an optional absolute unit, in user units.
bool parseLength(const char* text, double& out);

template <typename Get>
SvgStyle cascade(const SvgStyle& parent, Get get) {
    SvgStyle s = parent;
    s.displayed = true;
    for (const char* name : {"fill", "stroke", "fill-rule", "visibility", "display"})
        if (const char* v = get(name)) applyProperty(s, parent, name, v);
    if (const char* style = get("style")) {
        const std::string text = style;
        size_t at = 0;
        while (at <= text.size()) {
            size_t end = text.find(';', at);
            if (end == std::string::npos) end = text.size();
            const std::string decl = text.substr(at, end - at);
            const size_t colon = decl.find(':');
            if (colon != std::string::npos) applyProperty(s, parent, decl.substr(0, colon), decl.substr(colon + 1));
            at = end + 1;
        }
    }
    return s;
}
