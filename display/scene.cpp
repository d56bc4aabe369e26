// The picture of one frame by erase-and-redraw: the previous picture redrawn
// in black around the previous centre, the new one in colour around the new
// centre, the end-of-frame copy, then the position readout.
#include "display/scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "display/display.h"

namespace {

// Reach of the culling box around the camera point: 0.85 of the screen size
// to either side.
constexpr double kNearX = 870.4;
constexpr double kNearY = 652.8;
// Above this many line steps over the level, blacking the screen (3 MB of
// stores) is quicker than walking the level's edges again in black.
constexpr double kFillSteps = 120000;

bool isNear(const Level& l, int32_t t, const Vec2& p) {
    for (int k = 0; k < 3; ++k) {
        const Vec2& v = l.vertices[3 * t + k];
        if (std::fabs(v.x - p.x) < kNearX && std::fabs(v.y - p.y) < kNearY) return true;
    }
    return false;
}

int32_t storedTriangles(const Level& l) {
    return std::clamp(l.triangleCount, int32_t(0), int32_t(kMaxTriangles));
}

// Draws the edge; returns about how many steps its walk takes: the longer
// side, or the screen's width for the lines that walk only what is visible.
double drawEdge(Display& display, const Level& l, int32_t t, int e, uint32_t colour) {
    const Vec2& from = l.vertices[3 * t + e];
    const Vec2& to = l.vertices[3 * t + (e + 1) % 3];
    display.drawLine(from.x, from.y, to.x, to.y, colour);
    const double steps = std::max(std::fabs(to.x - from.x), std::fabs(to.y - from.y));
    return steps < kScreenWidth ? steps : kScreenWidth;  // NaN too
}

// Bit for bit: -0.0 and 0.0, or two NaNs, may map or cull differently.
bool sameBits(const Vec2& a, const Vec2& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool isBall(int32_t index) { return index >= 0 && index < kBallCount; }

// The readout value for a quotient: its truncation, or rather its last three
// digits with the quotient's sign, which draw the same glyphs and stay
// defined for quotients beyond the 32-bit range. None for NaN or infinity.
bool readoutValue(double quotient, int32_t& value) {
    if (!std::isfinite(quotient)) return false;
    value = static_cast<int32_t>(std::fmod(std::trunc(quotient), 1000.0));
    return true;
}

}  // namespace

void drawFrame(const Vec2& a, const Vec2& b, const Vec2& c, Display& display, int32_t colour,
               const World& w) {
    const auto side = static_cast<uint32_t>(colour);
    display.drawLine(a.x, a.y, b.x, b.y, side);
    display.drawLine(b.x, b.y, c.x, c.y, side);
    display.drawLine(c.x, c.y, a.x, a.y, side);
    // The erase pass redraws the previous frame, whose spokes went to the
    // centre of that frame.
    const Vec2& hub = colour != 0 ? w.centre : w.previousCentre;
    const auto spoke = static_cast<uint32_t>(colour != 0 ? colour / 2 : 0);
    display.drawLine(a.x, a.y, hub.x, hub.y, spoke);
    display.drawLine(b.x, b.y, hub.x, hub.y, spoke);
    display.drawLine(c.x, c.y, hub.x, hub.y, spoke);
}

void drawScene(Display& display, World& w, const Level& l, const ContactList& contacts) {
    const int32_t triangles = storedTriangles(l);
    const uint32_t black = display.mapColour(0, 0, 0);
    display.lockPixels();

    // Erase: the previous frame's picture, same calls, same camera, in black.
    // When the screen shows that picture alone, the erase leaves it black,
    // and a plain fill does the same, quicker over a crowded level.
    // With the camera where it was, the colour pass walks the very same
    // edges over the very same pixels after this, so blacking them first
    // would change nothing that stays visible.
    const bool alone = display.lastPicture.erasedByBlacking(display.screen, display.drawCalls, w, l,
                                                            triangles, black);
    const bool cameraStill = sameBits(w.previousCentre, w.centre);
    display.setCamera(w.previousCentre);
    if (alone && !cameraStill && display.lastPicture.levelSteps() > kFillSteps) {
        display.fillRect(0, 0, kScreenWidth, kScreenHeight, black);
    } else {
        if (!cameraStill) {
            for (int32_t t = 0; t < triangles; ++t) {
                if (!isNear(l, t, w.previousCentre)) continue;
                for (int e = 0; e < 3; ++e) drawEdge(display, l, t, e, black);
            }
        }
        drawFrame(w.previousPosition[0], w.previousPosition[1], w.previousPosition[2], display,
                  static_cast<int32_t>(black), w);
        for (int i = 0; i < kBallCount; ++i)
            display.drawCircle(w.previousPosition[i].x, w.previousPosition[i].y, w.radius[i], black);
        if (isBall(w.previousSelectedWheel)) {
            const Vec2& p = w.previousPosition[w.previousSelectedWheel];
            display.drawCircle(p.x, p.y, kMarkerRadius, black);
        }
    }

    // Colour: the current picture; touched edges blue, the others red.
    display.setCamera(w.centre);
    double levelSteps = 0;
    for (int32_t t = 0; t < triangles; ++t) {
        if (!isNear(l, t, w.centre)) continue;
        for (int e = 0; e < 3; ++e) {
            const uint32_t colour = contacts.contains(EdgeRef{t, e}) ? display.mapColour(0, 0, 255)
                                                                     : display.mapColour(255, 0, 0);
            levelSteps += drawEdge(display, l, t, e, colour);
        }
    }
    drawFrame(w.position[0], w.position[1], w.position[2], display,
              static_cast<int32_t>(display.mapColour(100, 100, 100)), w);
    display.drawCircle(w.position[0].x, w.position[0].y, w.radius[0], display.mapColour(255, 0, 0));
    for (int i = 1; i < kBallCount; ++i)
        display.drawCircle(w.position[i].x, w.position[i].y, w.radius[i], display.mapColour(0, 0, 255));
    if (isBall(w.selectedWheel)) {
        const Vec2& p = w.position[w.selectedWheel];
        display.drawCircle(p.x, p.y, kMarkerRadius, display.mapColour(0, 255, 0));
    }

    takeEndOfFrameCopy(w);

    // Overlay in screen coordinates; the digits are blits, drawn unlocked.
    // Their cells (x + 0 .. x + 57, rows 0 .. 19) lie inside these boxes, so
    // the next frame's boxes cover them whatever its erase does.
    display.fillRect(0, 0, 60, 22, black);
    display.fillRect(100, 0, 160, 22, black);
    display.unlockPixels();
    if (w.recordMode && display.digitBitmap) {
        int32_t value;
        if (readoutValue(w.position[0].x / kScreenWidth, value)) display.drawNumber(value, 0, 0);
        if (readoutValue(w.position[0].y / kScreenHeight, value)) display.drawNumber(value, 100, 0);
    }
    display.lastPicture.record(display.screen, display.drawCalls, w, l, triangles, levelSteps, alone);
}
