// Cuts from a reflex corner along its short edge's line, so that the short
// edge becomes part of a longer one: a triangle is never thicker than its
// shortest edge.
#pragma once

#include "tools/shapes/shape_types.h"

// Extends the short edge that ends at reflex corner i past it, to the first
// point of the outline the ray meets, and splits the ring there, into ring
// and other (bending the cut at a whole point inside when that point is not
// one, with bend). False, the ring unchanged, when no cut splits it into
// two proper pieces.
bool cutAt(Ring& ring, size_t i, Ring& other, bool bend);

// Where the short edge's line meets the outline off the whole points: it
// ends instead at a whole point y inside, on a first cut from a corner of
// the ring straight through y. Splits the ring along that first cut; the
// piece with corner i (ring) keeps y, so that cutAt there ends at it, and
// the other piece (other) has y only along an edge. With turn, the first
// cut may also turn at y, to a corner near it, and y may then lie as near
// as 45 world units past the short edge's far end: a turn just past a
// step keeps the cut short. False when none fits.
bool throughCut(Ring& ring, size_t i, Ring& other, bool turn);
