// The other way with a short edge at a reflex corner: rather than run it
// on into a longer edge, keep it whole as the edge of a triangle of its own.
#pragma once

#include "tools/shapes/shape_types.h"

// Takes from the ring a triangle (other) whose edge is the short edge at
// reflex corner i and whose third corner lies along the edge next to it,
// at the whole point nearest its near end that makes the triangle at least
// 40 world units thick; with past, also on that edge's line beyond its far
// end, where that end is a reflex corner. False, the ring unchanged, when
// none fits.
bool leanCut(Ring& ring, size_t i, Ring& other, bool past = false);
