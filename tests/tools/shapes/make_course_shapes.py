#!/usr/bin/env python3
"""Writes course_shapes.txt: the shipped course redrawn as shapes, the ground
as one outline under the surface profile of tools/make_course.py (down to the
same column bottoms), the two walls and the roof. The shape compiler's test
of triangle count compiles it. Run: python3 tests/tools/shapes/make_course_shapes.py
"""
import builtins
import os

here = os.path.dirname(os.path.abspath(__file__))
script = os.path.join(here, "..", "..", "..", "tools", "make_course.py")
course = {"__name__": "course", "__file__": script, "print": lambda *a: None}
real_open = builtins.open


class Discard:
    def __enter__(self):
        return self

    def __exit__(self, *a):
        return False

    def write(self, _):
        pass


course["open"] = lambda path, mode="r", *a: Discard() if "w" in mode else real_open(path, mode, *a)
exec(compile(real_open(script).read(), script, "exec"), course)

profile = course["profile"]
DEPTH, GROUND = course["DEPTH"], course["GROUND"]
top = [(profile[0][0], profile[0][1])] + [(x1, t1) for (_, _, x1, t1) in profile]
bottom = []
for i, (x0, t0, x1, t1) in enumerate(profile):
    left = profile[i - 1][3] if i > 0 else t0
    right = profile[i + 1][1] if i + 1 < len(profile) else t1
    b = max(t0, t1, left, right) + DEPTH
    bottom += [(x0, b), (x1, b)]
ground = top + list(reversed(bottom))
# Consecutive points on a column edge (both at x1 of one column and x0 of
# the next) are kept: the compiler drops straight and repeated points.


def shape(points):
    return "shape " + "  ".join("%d %d" % p for p in points)


W, TOP, WIDTH = 320, course["WALL_TOP"], course["WALL_WIDTH"]
low, entry, rtop = course["ROOF_LOW"], course["ROOF_ENTRY"], course["ROOF_TOP"]
lines = [
    "# The shipped course redrawn as shapes (written by make_course_shapes.py).",
    shape(ground),
    shape([(-WIDTH, TOP), (0, TOP), (0, GROUND + DEPTH), (-WIDTH, GROUND + DEPTH)]),
    shape([(14000, TOP), (14000 + WIDTH, TOP), (14000 + WIDTH, GROUND + DEPTH), (14000, GROUND + DEPTH)]),
    shape([(10800, rtop), (11600, rtop), (11600, entry), (11500, low), (10900, low), (10800, entry)]),
]
with real_open(os.path.join(here, "course_shapes.txt"), "w") as f:
    f.write("\n".join(lines) + "\n")
