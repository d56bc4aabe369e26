#!/usr/bin/python3
# render.py SVG LEV OUT.png [x0 y0 x1 y1]: a drawing of gen.py's, its union's
# outline in red over the level's triangles in blue, to see why it was
# refused. Needs python3-shapely and python3-pil; ZUNO_LEVEL names the tool.
import os, sys, re, subprocess, math
from PIL import Image, ImageDraw
from shapely.geometry import Polygon, Point, box
from shapely.ops import unary_union
from shapely import affinity
svg, lev, out = sys.argv[1:4]
geoms = []
for line in open(svg):
    m = re.search(r'transform="rotate\(([-\d.]+) ([-\d.]+) ([-\d.]+)\)"', line)
    t = re.search(r'transform="translate\(([-\d.]+) ([-\d.]+)\) rotate\(([-\d.]+)\)"', line)
    A = lambda k: float(re.search(k + r'="([-\d.]+)"', line).group(1))
    g = None
    if line.startswith('<rect'):
        x, y, w, h = A('x'), A('y'), A('width'), A('height'); r = A('rx') if 'rx=' in line else 0
        g = box(x+r, y+r, x+w-r, y+h-r).buffer(r, 32) if r else box(x, y, x+w, y+h)
    elif line.startswith('<circle'): g = Point(A('cx'), A('cy')).buffer(A('r'), 64)
    elif line.startswith('<ellipse'): g = affinity.scale(Point(0, 0).buffer(1, 64), A('rx'), A('ry'), origin=(0, 0))
    elif line.startswith('<polygon'):
        nums = [float(v) for v in re.findall(r'[-\d.]+', re.search(r'points="([^"]*)"', line).group(1))]
        g = Polygon(list(zip(nums[0::2], nums[1::2])))
    elif line.startswith('<path'):
        nums = [float(v) for v in re.findall(r'-?[\d.]+', re.search(r' d="([^"]*)"', line).group(1))]
        P = (nums[0], nums[1]); pts = []; i = 2
        while i + 6 <= len(nums):
            c1, c2, p = nums[i:i+2], nums[i+2:i+4], nums[i+4:i+6]
            for k in range(32):
                s = k/32; q = 1-s
                pts.append((q**3*P[0]+3*q*q*s*c1[0]+3*q*s*s*c2[0]+s**3*p[0], q**3*P[1]+3*q*q*s*c1[1]+3*q*s*s*c2[1]+s**3*p[1]))
            P = p; i += 6
        g = Polygon(pts)
    if g is None: continue
    if m: g = affinity.rotate(g, float(m.group(1)), origin=(float(m.group(2)), float(m.group(3))))
    if t: g = affinity.translate(affinity.rotate(g, float(t.group(3)), origin=(0, 0)), float(t.group(1)), float(t.group(2)))
    geoms.append(g)
u = unary_union(geoms)
if 'translate(600 600)' in open(svg).read(): u = affinity.translate(u, 600, 600)
tris = []
for l in subprocess.run([os.environ.get('ZUNO_LEVEL', 'build/zuno-level'), 'decompile', lev], capture_output=True, text=True).stdout.splitlines():
    if l.startswith('#') or not l.strip(): continue
    v = [float(x) * 1.5 for x in l.split()]
    if len(v) == 6: tris.append([(v[0], v[1]), (v[2], v[3]), (v[4], v[5])])
if len(sys.argv) > 4: x0, y0, x1, y1 = map(float, sys.argv[4:8])
else:
    b = u.bounds; x0, y0, x1, y1 = b[0]-20, b[1]-20, b[2]+20, b[3]+20
S = 1000 / max(x1-x0, y1-y0)
im = Image.new('RGB', (int((x1-x0)*S)+1, int((y1-y0)*S)+1), 'white'); dr = ImageDraw.Draw(im)
T = lambda p: ((p[0]-x0)*S, (p[1]-y0)*S)
for t in tris: dr.polygon([T(p) for p in t], fill=(200, 220, 255), outline=(0, 0, 255))
ps = [u] if u.geom_type == 'Polygon' else list(u.geoms)
for p in ps:
    for r in [p.exterior] + list(p.interiors): dr.line([T(c) for c in r.coords], fill=(255, 0, 0), width=1)
im.save(out)
