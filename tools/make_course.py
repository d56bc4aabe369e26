#!/usr/bin/env python3
"""Writes data/course.txt, the shipped course, in the level text form.

The ground is a strip of columns under a surface profile: each column is a
quad from its stretch of surface down to a flat bottom at least DEPTH below
the lowest surface point it borders, split into two triangles. Where the
profile jumps (stairs, the pit, the jump's gap) the taller column's side is
the wall. Tall columns are cut into stacked pieces so that some vertex is
always near whatever part of them is on screen (the scene draws a triangle
only when one of its vertices is near the camera).

All numbers are file units; the game multiplies them by 1.5. y grows
downwards. Run from anywhere: python3 tools/make_course.py
"""
import math
import os

DEPTH = 300          # ground thickness below the surface (450 world units)
MAX_PIECE = 400      # tallest stacked piece of a column
GROUND = 144         # surface height at the start: wheels (world y 200, r 15) hang 1 unit above it
WALL_TOP = -2600     # top of the end walls, 4116 world units above the start ground
WALL_WIDTH = 320

out = []
sections = []        # (title, description, [profile segments], extra quads)


def emit_triangle(a, b, c):
    out.append("%d %d  %d %d  %d %d" % (a[0], a[1], b[0], b[1], c[0], c[1]))


def thickness(a, b, c):
    area2 = abs((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]))
    longest = max(math.dist(a, b), math.dist(b, c), math.dist(c, a))
    return area2 / longest


def emit_quad(tl, tr, br, bl):
    """A convex quad as two triangles, split along the diagonal that keeps
    the thinner of the two thicker."""
    one = [(tl, tr, bl), (tr, br, bl)]
    two = [(tl, tr, br), (tl, br, bl)]
    best = max(one, two, key=lambda pair: min(thickness(*t) for t in pair))
    for t in best:
        emit_triangle(*t)


def emit_column(x0, x1, t0, t1, bottom):
    """Quad from the surface (x0,t0)-(x1,t1) down to y = bottom, stacked in
    pieces no taller than MAX_PIECE below the top piece."""
    cut = max(t0, t1) + DEPTH
    if bottom - min(t0, t1) <= MAX_PIECE + DEPTH // 2 or cut >= bottom:
        emit_quad((x0, t0), (x1, t1), (x1, bottom), (x0, bottom))
        return
    emit_quad((x0, t0), (x1, t1), (x1, cut), (x0, cut))
    pieces = math.ceil((bottom - cut) / MAX_PIECE)
    for k in range(pieces):
        ya = cut + (bottom - cut) * k // pieces
        yb = cut + (bottom - cut) * (k + 1) // pieces
        emit_quad((x0, ya), (x1, ya), (x1, yb), (x0, yb))


def emit_block(x0, x1, top, bottom):
    """Rectangle, stacked in pieces no taller than MAX_PIECE."""
    pieces = math.ceil((bottom - top) / MAX_PIECE)
    for k in range(pieces):
        ya = top + (bottom - top) * k // pieces
        yb = top + (bottom - top) * (k + 1) // pieces
        emit_quad((x0, ya), (x1, ya), (x1, yb), (x0, yb))


# --- The surface profile, section by section ------------------------------

profile = []         # segments (x0, t0, x1, t1), left to right, touching in x
marks = {}           # index of a section's first segment -> comment lines


def section(title, *lines):
    marks[len(profile)] = [title] + list(lines)


def seg(x0, t0, x1, t1):
    assert not profile or profile[-1][2] == x0, (profile[-1], x0)
    profile.append((x0, round(t0), x1, round(t1)))


def flat(x0, x1, y, width=300):
    n = math.ceil((x1 - x0) / width)
    for k in range(n):
        seg(x0 + (x1 - x0) * k // n, y, x0 + (x1 - x0) * (k + 1) // n, y)


def curve(x0, x1, f, n):
    """n segments along y = f(s), s from 0 to 1 across [x0, x1]."""
    for k in range(n):
        xa = x0 + (x1 - x0) * k // n
        xb = x0 + (x1 - x0) * (k + 1) // n
        seg(xa, f((xa - x0) / (x1 - x0)), xb, f((xb - x0) / (x1 - x0)))


section("Start: flat ground under the bike. The wheels hang 1 world unit",
        "above it and settle within the first frames.")
flat(0, 900, GROUND)

section("Gentle slope up (about 6 degrees), a short plateau, and down again.")
curve(900, 1500, lambda s: GROUND - 60 * s, 3)
flat(1500, 1800, GROUND - 60)
curve(1800, 2400, lambda s: GROUND - 60 + 60 * s, 3)

section("Rolling hills: four bumps 135 world units high, 600 apart.")
curve(2400, 4000, lambda s: GROUND - 45 * (1 - math.cos(2 * math.pi * 4 * s)), 32)

section("Flat run-up.")
flat(4000, 4300, GROUND)

section("Steep slopes: 30 degrees, then 45 degrees, rounded over onto a",
        "short plateau.")
seg(4300, GROUND, 4500, GROUND - 115)
seg(4500, GROUND - 115, 4680, GROUND - 295)
curve(4680, 4780, lambda s: GROUND - 295 - 20 * s * (2 - s), 2)
PLATEAU = GROUND - 315
flat(4780, 4900, PLATEAU)

section("The jump. A long run-in down 350 world units builds speed; a kicker",
        "curves up 90 world units to its lip, then the ground drops away into",
        "a deep valley. Cleared with speed, the bike lands on the far crest's",
        "down slope; fallen short, it climbs out up the crest's back face.")
RUN_IN = 64
curve(4900, 5600, lambda s: PLATEAU + (RUN_IN - PLATEAU) * (1 - math.cos(math.pi * s)) / 2, 10)
LIP = RUN_IN - 60
curve(5600, 5800, lambda s: RUN_IN - 60 * s * s, 4)
VALLEY = GROUND + 250
flat(5800, 6100, VALLEY)
CREST = LIP + 30
curve(6100, 6500, lambda s: VALLEY - (VALLEY - CREST) * s ** 1.5, 6)

section("Landing ramp: from the crest down 165 world units over 1350,",
        "steepest at the top, flattening out at the bottom.")
curve(6500, 7400, lambda s: GROUND - (GROUND - CREST) * (1 - s) ** 2, 9)

section("Flat.")
flat(7400, 7600, GROUND)

UP_RISE = 8
DOWN_RISE = 14
section("Stairs: six small steps up (12 world units, less than a wheel's",
        "radius, so the wheels bump up them), a landing, and four big steps",
        "down (21 world units) to thump down.")
for i in range(1, 7):
    seg(7600 + 80 * (i - 1), GROUND - UP_RISE * i, 7600 + 80 * i, GROUND - UP_RISE * i)
LANDING = GROUND - 7 * UP_RISE
flat(8080, 8300, LANDING)
for j in range(1, 5):
    seg(8300 + 100 * (j - 1), LANDING + DOWN_RISE * j, 8300 + 100 * j, LANDING + DOWN_RISE * j)

section("Flat.")
flat(8700, 9100, GROUND)

section("The pit: a sheer drop of 600 world units, a floor, and the way out up",
        "a 39 degree ramp.")
PIT = GROUND + 400
flat(9100, 9450, PIT)
curve(9450, 9950, lambda s: PIT - 400 * s, 8)

section("Flat.")
flat(9950, 10700, GROUND)

section("The overhang: flat ground under a low roof (see the roof below).")
flat(10700, 11800, GROUND)

section("Half-pipe: a smooth dip 270 world units deep, to swing in.")
curve(11800, 12800, lambda s: GROUND + 90 * (1 - math.cos(2 * math.pi * s)), 20)

section("Final flat up to the right wall.")
flat(12800, 14000, GROUND)

# --- Emit ---------------------------------------------------------------

out.append("# ZUNO's shipped course, compiled into 0.lev at build time by")
out.append("#   zuno-level compile data/course.txt 0.lev")
out.append("# Written by tools/make_course.py; edit that and run it again.")
out.append("# One triangle a line: x0 y0  x1 y1  x2 y2, file units (world = file x 1.5),")
out.append("# y grows downwards. The course runs from x 0 to 14000 (21000 world units,")
out.append("# about 20.5 screen widths) between two walls.")

out.append("")
out.append("# Left wall, %d world units above the start ground." % ((GROUND - WALL_TOP) * 3 // 2))
emit_block(-WALL_WIDTH, 0, WALL_TOP, GROUND + DEPTH)

for i, (x0, t0, x1, t1) in enumerate(profile):
    if i in marks:
        out.append("")
        for line in marks[i]:
            out.append("# " + line)
    left = profile[i - 1][3] if i > 0 else t0
    right = profile[i + 1][1] if i + 1 < len(profile) else t1
    bottom = max(t0, t1, left, right) + DEPTH
    emit_column(x0, x1, t0, t1, bottom)

out.append("")
out.append("# Right wall.")
emit_block(14000, 14000 + WALL_WIDTH, WALL_TOP, GROUND + DEPTH)

ROOF_LOW = GROUND - 70     # 105 world units above the ground: lower than the
ROOF_ENTRY = GROUND - 110  # bike stands, so it has to squat to pass
ROOF_TOP = GROUND - 250
out.append("")
out.append("# The roof of the overhang: 105 world units of headroom, less than the")
out.append("# upright bike's 112, so the bike squats to get under. The underside")
out.append("# slants down at both ends to guide the body ball in.")
emit_quad((10800, ROOF_TOP), (10900, ROOF_TOP), (10900, ROOF_LOW), (10800, ROOF_ENTRY))
emit_quad((10900, ROOF_TOP), (11200, ROOF_TOP), (11200, ROOF_LOW), (10900, ROOF_LOW))
emit_quad((11200, ROOF_TOP), (11500, ROOF_TOP), (11500, ROOF_LOW), (11200, ROOF_LOW))
emit_quad((11500, ROOF_TOP), (11600, ROOF_TOP), (11600, ROOF_ENTRY), (11500, ROOF_LOW))

path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "course.txt")
with open(path, "w") as f:
    f.write("\n".join(out) + "\n")
print("%s: %d triangles" % (os.path.normpath(path), sum(1 for l in out if l and not l.startswith("#"))))
