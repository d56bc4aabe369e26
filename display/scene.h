// The picture of one frame, drawn by erase-and-redraw: the previous picture
// in black around the previous centre, the new one in colour around the new
// centre, the end-of-frame copy, then the overlay.
#pragma once

#include <cstdint>

#include "sim/contact_list.h"
#include "sim/world.h"

class Display;

// The ring around the selected wheel, world units.
constexpr double kMarkerRadius = 20;

// The bike's frame: sides a-b, b-c, c-a in colour, spokes to w.centre in
// colour / 2 (as a signed integer), or, for colour 0, to w.previousCentre.
void drawFrame(const Vec2& a, const Vec2& b, const Vec2& c, Display& display, int32_t colour,
               const World& w);

// Callers that write the screen other than through the Display's drawing
// calls tell it with display.lastPicture.forget() before the next scene.
void drawScene(Display& display, World& w, const Level& l, const ContactList& contacts);
