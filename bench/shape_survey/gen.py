#!/usr/bin/python3
"""Random SVG drawings that every shape compile must take: every part at least
80 world units across, no corner sharper than 30 degrees. Fourteen families.
    gen.py FAMILY COUNT OUTDIR [--seed N]      (FAMILY: see FAMS below)
Needs python3-shapely (Debian), which the build does not install."""
import math, random, sys, os, argparse
from shapely.geometry import Polygon, Point, box, LineString, MultiPolygon
from shapely.ops import unary_union
from shapely import affinity
from shapely.geometry.polygon import orient

class Drawing:
    def __init__(s): s.els = []; s.geoms = []
    def rect(s, cx, cy, w, h, ang, r=0):
        x, y = cx - w/2, cy - h/2
        g = box(x+r, y+r, x+w-r, y+h-r).buffer(r, 32) if r > 0 else box(x, y, x+w, y+h)
        g = affinity.rotate(g, ang, origin=(cx, cy))
        rr = f' rx="{r:.3f}"' if r > 0 else ''
        s.els.append(f'<rect x="{x:.3f}" y="{y:.3f}" width="{w:.3f}" height="{h:.3f}"{rr} transform="rotate({ang:.3f} {cx:.3f} {cy:.3f})"/>')
        s.geoms.append(g)
    def circle(s, cx, cy, r):
        s.els.append(f'<circle cx="{cx:.3f}" cy="{cy:.3f}" r="{r:.3f}"/>')
        s.geoms.append(Point(cx, cy).buffer(r, 64))
    def ellipse(s, cx, cy, rx, ry, ang):
        g = affinity.scale(Point(0, 0).buffer(1, 64), rx, ry, origin=(0, 0))
        g = affinity.translate(affinity.rotate(g, ang, origin=(0, 0)), cx, cy)
        s.els.append(f'<ellipse cx="0" cy="0" rx="{rx:.3f}" ry="{ry:.3f}" transform="translate({cx:.3f} {cy:.3f}) rotate({ang:.3f})"/>')
        s.geoms.append(g)
    def polygon(s, pts):
        s.els.append('<polygon points="' + ' '.join(f'{x:.3f},{y:.3f}' for x, y in pts) + '"/>')
        s.geoms.append(Polygon(pts))
    def path_bezier(s, segs, flat):
        # segs: start point, then list of (c1, c2, p) cubic segments, closed
        p0 = segs[0]
        d = f'M {p0[0]:.3f} {p0[1]:.3f} ' + ' '.join(
            f'C {a[0]:.3f} {a[1]:.3f} {b[0]:.3f} {b[1]:.3f} {c[0]:.3f} {c[1]:.3f}' for a, b, c in segs[1]) + ' Z'
        s.els.append(f'<path d="{d}"/>')
        s.geoms.append(Polygon(flat))
    def svg(s):
        return ('<svg xmlns="http://www.w3.org/2000/svg" width="3000" height="3000">\n<g fill="#000" transform="translate(600 600)">\n'
                + '\n'.join(s.els) + '\n</g>\n</svg>\n')

def angle_ok(u):
    polys = [u] if u.geom_type == 'Polygon' else list(u.geoms)
    convex = []
    for p in polys:
        p = orient(p.simplify(0.3), 1.0)
        for ring in [p.exterior] + list(p.interiors):
            c = list(ring.coords)[:-1]
            n = len(c)
            if n < 3: return False, []
            for i in range(n):
                a, b, d = c[i-1], c[i], c[(i+1) % n]
                t = math.atan2((b[0]-a[0])*(d[1]-b[1]) - (b[1]-a[1])*(d[0]-b[0]),
                               (b[0]-a[0])*(d[0]-b[0]) + (b[1]-a[1])*(d[1]-b[1]))
                inner = math.pi - t
                if inner < math.radians(30) or inner > math.radians(330): return False, []
                if inner < math.pi - 1e-3: convex.append((b, inner))
    return True, convex

def scale_ok(u):
    # a curve turning fast is a corner too: the angle between the chords to
    # points d along the outline either side, at a few scales
    polys = [u] if u.geom_type == 'Polygon' else list(u.geoms)
    for p in polys:
        p = orient(p, 1.0)
        for ring in [p.exterior] + list(p.interiors):
            c = list(ring.coords)[:-1]; L = ring.length
            pos = [ring.project(Point(q)) for q in c]
            for q, s in zip(c, pos):
                for dd in (8, 20, 40):
                    if dd * 2 > L: continue
                    a = ring.interpolate((s - dd) % L); b = ring.interpolate((s + dd) % L)
                    t = math.atan2((q[0]-a.x)*(b.y-q[1]) - (q[1]-a.y)*(b.x-q[0]),
                                   (q[0]-a.x)*(b.x-q[0]) + (q[1]-a.y)*(b.y-q[1]))
                    inner = math.pi - t
                    if inner < math.radians(30) or inner > math.radians(330): return False
    return True

def in_promise(d):
    for g in d.geoms:
        if not g.is_valid or g.is_empty: return False
    u = unary_union(d.geoms)
    ok, convex = angle_ok(u)
    if not ok or not scale_ok(u): return False
    opened = u.buffer(-40, 32).buffer(40, 32)
    diff = u.difference(opened)
    wedges = unary_union([Point(b).buffer(40 / math.sin(th / 2) + 2, 16) for b, th in convex]) if convex else None
    rest = diff.difference(wedges) if wedges is not None else diff
    if rest.buffer(-0.75).area > 0.5: return False
    def counts(g):
        ps = [g] if g.geom_type == 'Polygon' else list(g.geoms)
        return len(ps), sum(len(p.interiors) for p in ps)
    e = u.buffer(-39.5, 32)
    if e.is_empty or counts(e) != counts(u): return False
    return True

R = random.Random()
def U(a, b): return R.uniform(a, b)

def chain_bars(d, turn, rounded):
    n = R.randint(2, 5); x, y = 1000, 1000; ang = U(0, 360)
    for i in range(n):
        w = U(80, 160); L = U(200, 800)
        r = U(40, w/2) if rounded and R.random() < 0.6 else 0
        cx = x + math.cos(math.radians(ang)) * L/2; cy = y + math.sin(math.radians(ang)) * L/2
        d.rect(cx, cy, L, w, ang, r)
        t = U(0.2, 0.9); x = x + math.cos(math.radians(ang)) * L*t; y = y + math.sin(math.radians(ang)) * L*t
        ang += U(-turn, turn)

def fam_bars(d): chain_bars(d, 180, False)
def fam_shallow(d): chain_bars(d, 15, False)
def fam_rounded(d): chain_bars(d, 15, True)
def fam_rounded_any(d): chain_bars(d, 180, True)
def fam_polygon(d):
    n = R.randint(4, 10); cx = cy = 1000
    angs = sorted(U(0, 2*math.pi) for _ in range(n))
    d.polygon([(cx + math.cos(a)*U(150, 600), cy + math.sin(a)*U(150, 600)) for a in angs])
def fam_frame(d):
    n = R.randint(4, 6); rad = U(250, 600); a0 = U(0, 360)
    pts = [(1000 + math.cos(math.radians(a0 + 360*i/n + U(-10, 10)))*rad*U(0.8, 1.2),
            1000 + math.sin(math.radians(a0 + 360*i/n + U(-10, 10)))*rad*U(0.8, 1.2)) for i in range(n)]
    for i in range(n):
        a, b = pts[i], pts[(i+1) % n]; w = U(80, 160)
        L = math.dist(a, b) + w
        d.rect((a[0]+b[0])/2, (a[1]+b[1])/2, L, w, math.degrees(math.atan2(b[1]-a[1], b[0]-a[0])))
def fam_ltu(d):
    kind = R.choice('LTU+'); w = U(80, 160); L = U(250, 700); ang = U(0, 360)
    g = []
    if kind == 'L': g = [box(0, 0, L, w), box(0, 0, w, L)]
    if kind == 'T': g = [box(-L/2, 0, L/2, w), box(-w/2, 0, w/2, L)]
    if kind == 'U': g = [box(-L/2, 0, L/2, w), box(-L/2, 0, -L/2+w, L), box(L/2-w, 0, L/2, L)]
    if kind == '+': g = [box(-L/2, -w/2, L/2, w/2), box(-w/2, -L/2, w/2, L/2)]
    u = affinity.translate(affinity.rotate(unary_union(g), ang, origin=(0, 0)), 1000, 1000)
    d.polygon(list(u.exterior.coords)[:-1])
def fam_circles(d):
    chain_bars(d, 180, False)
    for _ in range(R.randint(1, 3)):
        g = R.choice(d.geoms[:]); c = g.exterior.coords[R.randrange(4)]
        d.circle(c[0] + U(-30, 30), c[1] + U(-30, 30), U(40, 150))
def fam_gaps(d):
    chain_bars(d, 30, R.random() < 0.5)
    u = unary_union(d.geoms)
    # one more shape a hair clear of the rest
    for _ in range(50):
        ang = U(0, 360); w = U(80, 160); L = U(200, 600); r = U(40, w/2) if R.random() < 0.5 else 0
        t = Drawing(); t.rect(0, 0, L, w, ang, r); g = t.geoms[0]
        b = u.bounds; cx = U(b[0], b[2]); cy = U(b[1], b[3])
        g2 = affinity.translate(g, cx, cy)
        dist = g2.distance(u)
        if g2.intersects(u): continue
        gap = U(0.05, 6)
        if dist < 300:
            # move the shape towards u until the gap is 'gap'
            p1 = u.centroid; vx, vy = p1.x - cx, p1.y - cy; n = math.hypot(vx, vy)
            lo, hi = 0.0, n
            for _ in range(60):
                m = (lo + hi) / 2
                gg = affinity.translate(g, cx + vx/n*m, cy + vy/n*m)
                if gg.intersects(u) or gg.distance(u) < gap: hi = m
                else: lo = m
            gg = affinity.translate(g, cx + vx/n*lo, cy + vy/n*lo)
            if gg.distance(u) < gap + 0.01:
                d.rect(cx + vx/n*lo, cy + vy/n*lo, L, w, ang, r); return
    raise ValueError
def fam_worms(d):
    x, y = 1000, 1000; ang = U(0, 360); w = U(80, 160)
    d.circle(x, y, w/2)
    for i in range(R.randint(2, 7)):
        L = U(100, 400)
        nx = x + math.cos(math.radians(ang))*L; ny = y + math.sin(math.radians(ang))*L
        d.rect((x+nx)/2, (y+ny)/2, L, w, ang); d.circle(nx, ny, w/2)
        x, y = nx, ny; ang += U(-70, 70)
def fam_tracks(d):
    x = 0; top = []; h = U(200, 400); slope = 0
    while x < 2500:
        top.append((x, 1000 - h)); x += U(60, 300); slope += U(-0.3, 0.3); slope = max(-0.8, min(0.8, slope)); h = max(100, h + slope*U(60, 300))
    top.append((x, 1000 - h))
    pts = top + [(x, 1000 + U(80, 200)), (0, 1000 + U(80, 200))]
    d.polygon(pts)
    for _ in range(R.randint(0, 3)):
        d.rect(U(100, 2400), U(400, 700), U(200, 600), U(80, 160), U(-40, 40), R.choice([0, U(40, 40)]))
def fam_discs(d):
    x, y = 1000, 1000
    for i in range(R.randint(2, 7)):
        r = U(60, 250); d.circle(x, y, r)
        a = U(0, 2*math.pi); step = r*U(0.4, 1.4); x += math.cos(a)*step; y += math.sin(a)*step
def fam_ellipses(d):
    x, y = 1000, 1000
    for i in range(R.randint(1, 5)):
        rx = U(60, 400); ry = U(50, 200); d.ellipse(x, y, rx, ry, U(0, 180))
        a = U(0, 2*math.pi); step = U(50, 300); x += math.cos(a)*step; y += math.sin(a)*step
def blob(d, cx, cy, rad, n):
    angs = sorted(U(0, 2*math.pi) for _ in range(n))
    P = [(cx + math.cos(a)*rad*U(0.6, 1.3), cy + math.sin(a)*rad*U(0.6, 1.3)) for a in angs]
    segs = []; flat = []
    for i in range(n):
        p0, p1, p2, p3 = P[i-1], P[i], P[(i+1) % n], P[(i+2) % n]
        c1 = (p1[0] + (p2[0]-p0[0])/6, p1[1] + (p2[1]-p0[1])/6)
        c2 = (p2[0] - (p3[0]-p1[0])/6, p2[1] - (p3[1]-p1[1])/6)
        segs.append((c1, c2, p2))
        for k in range(64):
            t = k/64; m = 1-t
            flat.append((m*m*m*p1[0] + 3*m*m*t*c1[0] + 3*m*t*t*c2[0] + t*t*t*p2[0],
                         m*m*m*p1[1] + 3*m*m*t*c1[1] + 3*m*t*t*c2[1] + t*t*t*p2[1]))
    d.path_bezier((P[0], segs), flat)
def fam_blobs(d):
    for _ in range(R.randint(1, 3)):
        blob(d, U(800, 1200), U(800, 1200), U(150, 450), R.randint(4, 9))

FAMS = {k[4:]: v for k, v in globals().items() if k.startswith('fam_')}

def main():
    ap = argparse.ArgumentParser(); ap.add_argument('family'); ap.add_argument('count', type=int)
    ap.add_argument('out'); ap.add_argument('--seed', type=int, default=1)
    a = ap.parse_args(); R.seed(f'{a.family}-{a.seed}')
    os.makedirs(a.out, exist_ok=True); made = tries = 0
    while made < a.count and tries < a.count * 400:
        tries += 1; d = Drawing()
        try: FAMS[a.family](d)
        except ValueError: continue
        if not in_promise(d): continue
        with open(os.path.join(a.out, f'{a.family}{made:03d}.svg'), 'w') as f: f.write(d.svg())
        made += 1
    print(f'{a.family}: {made} of {tries} tried', file=sys.stderr)
main()
