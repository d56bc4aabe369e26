#!/usr/bin/env python3
"""Writes the course pack, data/courses/*.svg and their list index.json: drawings that
`zuno-level compile` turns into levels, one SVG user unit a world unit.

Each course is a surface profile over a ground shape that reaches DEPTH
below it, walls at both ends, and extra shapes (roofs). Profiles are made in
file units (world = file x 1.5) so every corner lands on a whole file unit.
With --text DIR it also writes each course as shape lines in DIR.

Run from anywhere: python3 tools/make_courses.py [--text DIR]
"""
import json
import math
import os
import sys

DEPTH = 300          # ground below the surface (450 world units)
GROUND = 144         # start ground: the wheels (world y 200, r 15) hang 1 unit above
WALL_TOP = -800
WALL = 200


class Course:
    def __init__(self, slug, title, description):
        self.slug, self.title, self.description = slug, title, description
        self.profile = []     # (x0, t0, x1, t1), left to right
        self.shapes = []      # extra outlines: lists of (x, y)
        self.finish = None    # world x the body ball must pass

    def seg(self, x0, t0, x1, t1):
        assert not self.profile or self.profile[-1][2] == x0, (self.profile[-1], x0)
        self.profile.append((x0, round(t0), x1, round(t1)))

    def flat(self, x0, x1, y, width=300):
        n = math.ceil((x1 - x0) / width)
        for k in range(n):
            self.seg(x0 + (x1 - x0) * k // n, y, x0 + (x1 - x0) * (k + 1) // n, y)

    def curve(self, x0, x1, f, n):
        """n segments along y = f(s), s from 0 to 1 across [x0, x1]."""
        for k in range(n):
            xa = x0 + (x1 - x0) * k // n
            xb = x0 + (x1 - x0) * (k + 1) // n
            self.seg(xa, f((xa - x0) / (x1 - x0)), xb, f((xb - x0) / (x1 - x0)))

    def ease(self, x0, x1, y0, y1, n):
        """n segments of a smooth (half-cosine) step from height y0 to y1."""
        self.curve(x0, x1, lambda s: y0 + (y1 - y0) * (1 - math.cos(math.pi * s)) / 2, n)

    def dip(self, x0, x1, y, depth, n):
        """n segments of one smooth (cosine) dip `depth` below y and back."""
        self.curve(x0, x1, lambda s: y + depth * (1 - math.cos(2 * math.pi * s)) / 2, n)

    def roof(self, x0, x1, low, entry, top):
        """A roof whose underside is `low`, slanting down to `entry` at both ends."""
        self.shapes.append([(x0, top), (x1, top), (x1, entry), (x1 - 100, low), (x0 + 100, low), (x0, entry)])

    def end(self):
        return self.profile[-1][2]

    def bottoms(self):
        """Bottom of the ground under each profile x: DEPTH below the highest
        surface there or beside it."""
        b = {}
        for i, (x0, t0, x1, t1) in enumerate(self.profile):
            left = self.profile[i - 1][3] if i else t0
            right = self.profile[i + 1][1] if i + 1 < len(self.profile) else t1
            low = max(t0, t1, left, right) + DEPTH
            b[x0] = max(b.get(x0, 0), low)
            b[x1] = max(b.get(x1, 0), low)
        return b

    def outlines(self):
        """The drawing's shapes: the ground, both walls, the extras."""
        b = self.bottoms()
        ground = []
        for (x0, t0, x1, t1) in self.profile:
            if not ground or ground[-1] != (x0, t0):
                ground.append((x0, t0))
            ground.append((x1, t1))
        xs = sorted(b, reverse=True)
        for x in xs:
            if ground[-1][0] != x or ground[-1][1] != b[x]:
                ground.append((x, b[x]))
        walls = [[(-WALL, WALL_TOP), (0, WALL_TOP), (0, b[0]), (-WALL, b[0])],
                 [(self.end(), WALL_TOP), (self.end() + WALL, WALL_TOP), (self.end() + WALL, b[self.end()]),
                  (self.end(), b[self.end()])]]
        return [ground] + walls + self.shapes


def shape_text(course):
    """The same outlines as shape lines, in file units."""
    return "".join("shape " + " ".join("%d %d" % p for p in o) + "\n" for o in course.outlines())


def svg(course):
    pts = [p for o in course.outlines() for p in o]
    x0 = min(p[0] for p in pts) * 1.5 - 100
    y0 = min(p[1] for p in pts) * 1.5 - 100
    w = max(p[0] for p in pts) * 1.5 + 100 - x0
    h = max(p[1] for p in pts) * 1.5 + 100 - y0
    fmt = lambda v: ("%.1f" % (v * 1.5)).rstrip("0").rstrip(".")
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<!-- A ZUNO course, written by tools/make_courses.py: one user unit is one',
             '     world unit, y down; the bike starts at (200, 100). The course ends where',
             '     the body ball passes x = %d. -->' % course.finish,
             '<svg xmlns="http://www.w3.org/2000/svg" viewBox="%s %s %s %s" width="%d" height="%d">'
             % (fmt(x0 / 1.5), fmt(y0 / 1.5), fmt(w / 1.5), fmt(h / 1.5), round(w / 8), round(h / 8)),
             '<title>%s</title>' % course.title,
             '<desc>%s</desc>' % course.description,
             '<g fill="#800" stroke="#f00" stroke-width="3">']
    for o in course.outlines():
        lines.append('<polygon points="%s"/>' % " ".join("%s,%s" % (fmt(x), fmt(y)) for x, y in o))
    lines += ['</g>', '</svg>', '']
    return "\n".join(lines)


# --- The courses, gentle to hard -------------------------------------------

def first_ride():
    c = Course("1-first-ride", "First Ride",
               "A gentle start: a long slope, rolling bumps and a small kicker to hop off.")
    c.flat(0, 900, GROUND)
    c.ease(900, 1500, GROUND, GROUND - 50, 4)
    c.flat(1500, 1800, GROUND - 50)
    c.ease(1800, 2400, GROUND - 50, GROUND, 4)
    c.curve(2400, 3600, lambda s: GROUND - 20 * (1 - math.cos(2 * math.pi * 3 * s)), 24)
    c.flat(3600, 3900, GROUND)
    c.curve(3900, 4100, lambda s: GROUND - 35 * s * s, 4)
    c.curve(4100, 4600, lambda s: GROUND - 35 + 35 * s, 4)
    c.flat(4600, 5400, GROUND)
    c.finish = 5200 * 1.5
    return c


def half_pipes():
    c = Course("2-half-pipes", "Half-Pipes",
               "Three dips, each deeper than the last: carry the speed down and up the far side.")
    c.flat(0, 700, GROUND)
    x = 700
    for depth, width in ((50, 600), (90, 800), (130, 1000)):
        c.dip(x, x + width, GROUND, depth, 16)
        x += width
        c.flat(x, x + 300, GROUND)
        x += 300
    c.flat(x, x + 600, GROUND)
    c.finish = (x + 400) * 1.5
    return c


def low_roofs():
    c = Course("3-low-roofs", "Low Roofs",
               "Overhangs lower than the bike stands: squat under them, one of them over a dip.")
    c.flat(0, 1000, GROUND)
    c.roof(1100, 1700, GROUND - 70, GROUND - 110, GROUND - 250)
    c.flat(1000, 2000, GROUND)
    c.dip(2000, 2800, GROUND, 60, 12)
    c.roof(2150, 2650, GROUND - 20, GROUND - 60, GROUND - 200)
    c.flat(2800, 3300, GROUND)
    c.curve(3300, 3700, lambda s: GROUND - 40 * s, 4)
    c.flat(3700, 4400, GROUND - 40)
    c.roof(3800, 4300, GROUND - 40 - 70, GROUND - 40 - 110, GROUND - 290)
    c.curve(4400, 4800, lambda s: GROUND - 40 + 40 * s, 4)
    c.flat(4800, 5400, GROUND)
    c.finish = 5200 * 1.5
    return c


def steep_climbs():
    c = Course("4-steep-climbs", "Steep Climbs",
               "A 35 degree wall, then one near 70: drive at it fast and kick (e) as the front wheel reaches its top.")
    c.flat(0, 900, GROUND)
    c.curve(900, 1200, lambda s: GROUND - 210 * s, 3)
    c.flat(1200, 1600, GROUND - 210)
    c.ease(1600, 2200, GROUND - 210, GROUND - 50, 6)
    c.flat(2200, 2500, GROUND - 50)
    c.curve(2500, 2620, lambda s: GROUND - 50 - 300 * s, 4)
    c.curve(2620, 2800, lambda s: GROUND - 350 - 20 * s * (2 - s), 3)
    c.flat(2800, 3200, GROUND - 370)
    c.ease(3200, 4000, GROUND - 370, GROUND, 8)
    c.flat(4000, 4800, GROUND)
    c.finish = 4600 * 1.5
    return c


def zero_g():
    c = Course("5-zero-g", "Zero-G Gap",
               "The hard one: a ramp, a chasm too wide to jump (hold Left Shift to float across), "
               "a climb and a low roof.")
    c.flat(0, 900, GROUND)
    c.ease(900, 1500, GROUND, GROUND + 120, 6)
    c.curve(1500, 1800, lambda s: GROUND + 120 - 150 * s * s, 4)
    PIT = GROUND + 900
    c.flat(1800, 3000, PIT, width=400)
    c.flat(3000, 3600, GROUND - 30)
    c.curve(3600, 3900, lambda s: GROUND - 30 - 200 * s, 4)
    c.flat(3900, 4600, GROUND - 230)
    c.roof(4000, 4500, GROUND - 230 - 70, GROUND - 230 - 110, GROUND - 500)
    c.ease(4600, 5000, GROUND - 230, GROUND, 6)
    c.flat(5000, 5600, GROUND)
    c.finish = 5400 * 1.5
    return c


COURSES = [first_ride(), half_pipes(), low_roofs(), steep_climbs(), zero_g()]

if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    folder = os.path.join(here, "..", "data", "courses")
    os.makedirs(folder, exist_ok=True)
    txt = sys.argv[2] if len(sys.argv) > 2 and sys.argv[1] == "--text" else None
    with open(os.path.join(folder, "index.json"), "w") as f:
        json.dump([{"file": c.slug, "title": c.title, "description": c.description} for c in COURSES], f, indent=1)
        f.write("\n")
    for c in COURSES:
        with open(os.path.join(folder, c.slug + ".svg"), "w") as f:
            f.write(svg(c))
        if txt:
            os.makedirs(txt, exist_ok=True)
            with open(os.path.join(txt, c.slug + ".txt"), "w") as f:
                f.write(shape_text(c))
        print("%s: %s, finish at x = %d" % (c.slug, c.title, c.finish))
