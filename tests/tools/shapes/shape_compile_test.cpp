// The shape compiler on small drawn levels: what it writes covers the union
// of the shapes exactly, without overlaps, thin or vanishing triangles, the
// same whatever the shapes' order; what it refuses it names by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "tools/levels/level_check.h"
#include "tools/levels/level_vanish.h"
#include "tools/shapes/polygon_pieces.h"
#include "tools/shapes/segments.h"
#include "tools/shapes/shape_compile.h"
#include "tools/shapes/shape_text.h"
#include "tools/shapes/shape_union.h"
#include "tools/shapes/svg_reader.h"

namespace {

// Compiles without the level check, whose start pose these levels ignore;
// checkedArea2 checks the rest.
std::string compileOk(const std::string& source, const std::string& name, CompiledLevel& out) {
    const std::string fault = compileLevelSource(source, name, true, out);
    EXPECT_EQ(fault, "") << source;
    return encodeLevel(out.triangles);
}

// Twice the area covered, after checking that no two triangles overlap and
// each is thick enough and always drawn while on screen.
int64_t checkedArea2(const std::vector<FileTriangle>& t) {
    int64_t area2 = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        const FileTriangle& a = t[i];
        area2 += std::llabs(int64_t(a.c[2] - a.c[0]) * (a.c[5] - a.c[1]) - int64_t(a.c[3] - a.c[1]) * (a.c[4] - a.c[0]));
        EXPECT_GE(triangleThickness(a), kMinThickness) << i;
        EXPECT_FALSE(triangleCanVanish(a)) << i;
        for (size_t k = i + 1; k < t.size(); ++k) EXPECT_FALSE(trianglesOverlap(a, t[k])) << i << " " << k;
    }
    return area2;
}

// Twice the area of a solid's polygons, less their holes.
int64_t solidArea2(const std::vector<SolidPolygon>& solid) {
    int64_t area2 = 0;
    for (const SolidPolygon& p : solid) {
        area2 += std::llabs(int64_t(ringArea(p.outer)));
        for (const Ring& h : p.holes) area2 -= std::llabs(int64_t(ringArea(h)));
    }
    return area2;
}

// Compiles a drawing that must compile, and checks its level: nothing the
// level check finds, and the triangles with what mends took out cover the
// union of the reading the compile used exactly.
CompiledLevel compileDrawingSound(const std::string& svg, const std::string& name) {
    CompiledLevel level;
    compileOk(svg, name, level);
    EXPECT_TRUE(checkLevel(level.triangles).empty()) << svg;
    std::vector<SourceRegion> regions;
    std::vector<std::string> warnings;
    EXPECT_EQ(readSvg(svg, name, regions, warnings, nullptr, level.curves), "");
    EXPECT_EQ(checkedArea2(level.triangles) + level.bentArea2, solidArea2(uniteRegions(regions)));
    return level;
}

bool covered(const std::vector<FileTriangle>& t, double x, double y) {
    for (const FileTriangle& a : t) {
        int pos = 0, neg = 0;
        for (int j = 0; j < 3; ++j) {
            const int k = (j + 1) % 3;
            const double c = (a.c[2 * k] - a.c[2 * j]) * (y - a.c[2 * j + 1]) - (a.c[2 * k + 1] - a.c[2 * j + 1]) * (x - a.c[2 * j]);
            pos += c > 0;
            neg += c < 0;
        }
        if (pos == 0 || neg == 0) return true;
    }
    return false;
}

}  // namespace

TEST(ShapeCompile, ShapesJoinIntoTheirUnionWithHolesExactly) {
    // A ring of four overlapping bars around a 600 x 400 hole, an L-shaped
    // outline of either winding, and a triangle line kept as written.
    const std::string source =
        "1000 2000  1100 2000  1000 2100  # a triangle line\n"
        "shape 0 0  1000 0  1000 200  0 200\n"
        "shape 800 0  1000 0  1000 800  800 800\n"
        "shape 0 600  1000 600  1000 800  0 800\n"
        "shape 0 0  200 0  200 800  0 800\n"
        "shape 2000 0  2000 900  2900 900  2900 700  2200 700  2200 0\n";
    CompiledLevel level;
    compileOk(source, "ring.txt", level);
    ASSERT_FALSE(level.triangles.empty());
    EXPECT_EQ(level.lines.front(), 1);
    const FileTriangle first = level.triangles.front();
    EXPECT_EQ(std::vector<int32_t>(first.c, first.c + 6), (std::vector<int32_t>{1000, 2000, 1100, 2000, 1000, 2100}));
    level.triangles.erase(level.triangles.begin());
    const int64_t ring = 1000 * 800 - 600 * 400, ell = 200 * 900 + 700 * 200;
    EXPECT_EQ(checkedArea2(level.triangles), 2 * (ring + ell));
    EXPECT_FALSE(covered(level.triangles, 500, 400));  // the hole
    EXPECT_TRUE(covered(level.triangles, 100, 400));
}

TEST(ShapeCompile, SameFileWhateverTheOrderOfShapes) {
    const std::vector<std::string> shapes = {"shape 0 0 600 0 600 300 0 300\n", "shape 900 0 1500 100 1200 500\n",
                                             "shape 0 700 400 700 400 1100 200 1300 0 1100\n",
                                             "shape 2000 2000 2000 2500 2500 2500 2500 2000\n"};
    std::vector<std::string> order = shapes;
    CompiledLevel level;
    const std::string bytes = compileOk(order[0] + order[1] + order[2] + order[3], "a.txt", level);
    std::reverse(order.begin(), order.end());
    EXPECT_EQ(compileOk(order[0] + order[1] + order[2] + order[3], "b.txt", level), bytes);
    std::rotate(order.begin(), order.begin() + 1, order.end());
    EXPECT_EQ(compileOk(order[0] + order[1] + order[2] + order[3], "c.txt", level), bytes);
}

TEST(ShapeCompile, ShippedCourseRedrawnAsShapesStaysSmall) {
    std::ifstream in(ZUNO_SOURCE_DIR "/tests/tools/shapes/course_shapes.txt");
    std::stringstream text;
    text << in.rdbuf();
    CompiledLevel level;
    compileOk(text.str(), "course_shapes.txt", level);
    // The hand-made course has 310 triangles.
    EXPECT_LE(level.triangles.size(), 403u);
    EXPECT_TRUE(checkLevel(level.triangles).empty());
}

// Random outlines of the kinds authors draw, each at least 80 world units
// across with no corner under 30 degrees, twelve to a level on a grid so
// that they do not touch: long bars at an angle (no whole points along
// their sides), triangles, and polygons round a centre.
std::vector<std::vector<int64_t>> thickShapes(std::mt19937& random) {
    auto uniform = [&](double lo, double hi) { return lo + (hi - lo) * (double(random()) / 4294967296.0); };
    const double pi = 3.14159265358979;
    std::vector<std::vector<int64_t>> shapes;
    for (int k = 0; k < 12; ++k) {
        const double cx = (k % 4) * 1500 + 400, cy = (k / 4) * 1500 + 600;
        std::vector<std::pair<double, double>> p;
        const uint32_t kind = random() % 3;
        if (kind == 0) {
            const double w = uniform(60, 700), h = uniform(60, 700), a = uniform(0, pi);
            for (const auto& [x, y] : {std::pair{-w / 2, -h / 2}, {w / 2, -h / 2}, {w / 2, h / 2}, {-w / 2, h / 2}})
                p.emplace_back(cx + x * std::cos(a) - y * std::sin(a), cy + x * std::sin(a) + y * std::cos(a));
        } else if (kind == 1) {
            for (bool ok = false; !ok;) {
                p.clear();
                for (int i = 0; i < 3; ++i) p.emplace_back(cx + uniform(-400, 400), cy + uniform(-400, 400));
                ok = true;
                for (int i = 0; i < 3; ++i) {
                    const auto [ax, ay] = p[(i + 2) % 3];
                    const auto [bx, by] = p[i];
                    const auto [qx, qy] = p[(i + 1) % 3];
                    const double u = std::hypot(ax - bx, ay - by), v = std::hypot(qx - bx, qy - by);
                    const double angle = std::acos(((ax - bx) * (qx - bx) + (ay - by) * (qy - by)) / (u * v));
                    ok = ok && angle >= 32 * pi / 180 && v > 120;
                }
            }
        } else {
            const int n = 5 + int(random() % 10);
            const double r = uniform(150, 450);
            for (int i = 0; i < n; ++i) {
                const double ri = r * uniform(0.75, 1.0);
                p.emplace_back(cx + ri * std::cos(2 * pi * i / n), cy + ri * std::sin(2 * pi * i / n));
            }
        }
        std::vector<int64_t> c;
        for (const auto& [x, y] : p) c.push_back(std::llround(x)), c.push_back(std::llround(y));
        shapes.push_back(c);
    }
    return shapes;
}

TEST(ShapeCompile, ThickShapesWithWideCornersAlwaysCompile) {
    std::mt19937 random(19);
    for (int level = 0; level < 200; ++level) {
        std::string source;
        int64_t area2 = 0;
        for (const std::vector<int64_t>& c : thickShapes(random)) {
            source += "shape";
            for (int64_t v : c) source += " " + std::to_string(v);
            source += "\n";
            const size_t n = c.size() / 2;
            int64_t a = 0;
            for (size_t i = 0; i < n; ++i) a += c[2 * i] * c[2 * ((i + 1) % n) + 1] - c[2 * ((i + 1) % n)] * c[2 * i + 1];
            area2 += std::llabs(a);
        }
        CompiledLevel compiled;
        compileOk(source, "thick.txt", compiled);
        EXPECT_EQ(checkedArea2(compiled.triangles), area2) << source;
    }
    // Outlines that once came out thin: bars 115 and 90 world units wide
    // whose long sides have no whole point to divide at, a triangle whose
    // longest side has none, a polygon of flat corners, a comb at an angle
    // whose 1,280-unit back has none, combs on bands 87 and 96 across
    // whose backs have one whole point, at the middle, stairs whose
    // risers of 40 and 41 units run on into lines with no whole point at the
    // far side, stairs whose risers of 42 and 44 units mesh only where a
    // cut turns at the first whole point past them, one whose last riser
    // needs a triangle of its own, and one whose top riser's line runs
    // on to a whole point just short of the back; combs whose 1,780- and
    // 1,390-unit backs keep their triangle on screen only with its corner
    // just over 40 units in, or elsewhere than the first place tried; a comb
    // on a band 81 to 90 across whose back has a whole point only at its
    // middle, 843 world units from either end, which compiles only bent; a
    // pillar 6,438 long leaning a unit off upright, whose first mesh splits
    // its sides' triangles past the limit; a stair whose 41.6-unit riser's
    // triangle reaches past the short tread above it.
    for (const char* shape : {"shape 2138 3381 2183 3443 1662 3819 1617 3757", "shape 5190 3795 5153 3842 4610 3405 4647 3358",
                              "shape 3793 3213 3164 3366 3192 3979",
                              "shape 5031 2100 4996 2188 4940 2223 4860 2214 4789 2176 4781 2100 4787 2013 4858 1981 "
                              "4945 1970 5020 2024",
                              "shape -53 544 16 414 84 450 42 529 140 581 187 492 316 560 269 649 440 740 565 504 642 545 "
                              "517 781 671 862 761 693 818 723 728 892 701 943",
                              "shape 2421 1911 1579 2089 1626 2310 1692 2296 1659 2138 1733 2122 1751 2206 1835 2188 1817 2104 "
                              "1956 2074 1989 2227 2057 2213 2024 2060 2173 2028 2191 2110 2299 2087 2282 2005 2335 1994 2356 "
                              "2096 2455 2074",
                              "shape 5763 3452 4637 3748 4687 3938 4843 3897 4808 3763 4915 3735 4938 3819 5084 3781 5061 3697 "
                              "5172 3668 5214 3828 5374 3787 5331 3626 5438 3598 5458 3673 5553 3649 5533 3573 5649 3542 5699 "
                              "3733 5828 3700",
                              "shape 2052 3484 1948 3716 2038 3756 2069 3687 2045 3676 2117 3513",
                              "shape 1972 1827 2028 2173 2140 2154 2123 2052 2096 2057 2069 1893 2040 1898 2027 1818",
                              "shape 1926 5166 2074 5234 2113 5148 2061 5124 2050 5150 1953 5106",
                              "shape 2195 4974 1805 5426 2008 5601 2058 5543 2036 5524 2095 5456 2073 5437 2194 5297 2172 "
                              "5278 2214 5229 2192 5210 2310 5073",
                              "shape 2111 2158 1889 1842 1764 1930 1809 1995 1833 1978 1870 2031 1893 2015 2001 2167 2025 "
                              "2150 2057 2196",
                              "shape 5013 3441 5387 3759 5506 3619 5434 3558 5415 3579 5365 3536 5347 3558 5257 3482 5240 "
                              "3503 5126 3406 5107 3428 5059 3387",
                              "shape 1117 2643 1040 2539 898 2644 828 2547 970 2443 898 2345 773 2436 686 2317 810 2226 746 "
                              "2138 632 2222 543 2100 657 2017 579 1909 511 1959 412 1825 480 1775 415 1686 484 1636 1185 2593",
                              "shape 1896 3991 1940 3953 1858 3856 1973 3759 2055 3856 2121 3800 2059 3726 2113 3680 2176 3754 "
                              "2240 3701 2120 3559 2246 3454 2365 3595 2428 3542 2310 3402 2389 3335 2507 3475 2605 3393 2654 "
                              "3452 1945 4050",
                              "shape 237 2275 293 2272 288 2192 369 2187 374 2267 472 2261 461 2086 613 2077 624 2251 773 "
                              "2242 764 2095 928 2084 937 2231 1098 2221 1092 2128 1189 2122 1195 2215 1359 2205 1362 2259 "
                              "240 2329",
                              "shape 2770 1242 2769 5534 2653 5534 2655 1242",
                              "shape 2147 2355 2174 2301 2149 2289 2180 2224 2154 2211 2205 2107 2178 2094 2232 1983 2372 "
                              "2051 2209 2385"}) {
        CompiledLevel compiled;
        compileOk(std::string(shape) + "\n", "thick.txt", compiled);
        checkedArea2(compiled.triangles);
    }
}

TEST(ShapeCompile, OverlapsThatLeaveStepsOrTouchingHolesCompile) {
    // A square corner standing a few units proud of an overlapping
    // rectangle: the short step needs a cut that bends inside.
    CompiledLevel steps;
    compileOk("shape 263 665 622 665 622 1188 263 1188\n"
              "shape 624 824 977 1067 702 1467 349 1224\n"
              "shape 436 578 814 578 814 1281 436 1281\n"
              "shape 511 629 1130 629 1130 1199 511 1199\n"
              "shape 871 483 423 1028 90 755 538 209\n"
              "shape 540 822 917 822 917 1483 540 1483\n",
              "steps.txt", steps);
    checkedArea2(steps.triangles);
    // Two square holes touching at a corner, left by six bars: the union
    // is a ring that touches itself there.
    const std::string holes =
        "shape 0 0 1200 0 1200 300 0 300\nshape 0 900 1200 900 1200 1200 0 1200\nshape 0 0 300 0 300 1200 0 1200\n"
        "shape 900 0 1200 0 1200 1200 900 1200\nshape 600 300 900 300 900 600 600 600\n"
        "shape 300 600 600 600 600 900 300 900\n";
    CompiledLevel ring;
    compileOk(holes, "holes.txt", ring);
    EXPECT_EQ(checkedArea2(ring.triangles), 2 * (1200 * 1200 - 2 * 300 * 300));
}

TEST(ShapeCompile, RefusalsNameTheLine) {
    CompiledLevel level;
    EXPECT_EQ(compileLevel("\nshape 0 0 10 0 10\n", "s.txt", true, level),
              "s.txt:2: shape has an odd number of coordinates (5)");
    EXPECT_EQ(compileLevel("shape 0 0 10 0\n", "s.txt", true, level), "s.txt:1: shape has 2 distinct points, at least 3 are needed");
    // The first fault, though triangle lines are parsed after the shapes;
    // leading zeros as the triangle lines allow them.
    EXPECT_EQ(compileLevel("1 2 3\nshape 0 0 10 0\n", "s.txt", true, level).rfind("s.txt:1: ", 0), 0u);
    EXPECT_EQ(compileLevel("shape 0000000000000 0 900 0 0 900\n", "s.txt", false, level), "");
    EXPECT_EQ(compileLevel("shape 0 0 100 100 100 0 0 60\n", "s.txt", true, level),
              "s.txt:1: shape outline crosses itself at (37, 37)");
    EXPECT_NE(compileLevel("shape 0 0 99999999 0 0 100\n", "s.txt", true, level).find("s.txt:1: 99999999 is out of range"),
              std::string::npos);
    // 20 file units (30 world) thick over its whole length.
    const std::string thin = compileLevel("# thin\nshape 0 0 600 0 600 20 0 20\n", "s.txt", true, level);
    EXPECT_EQ(thin.rfind("s.txt:2: shape is ", 0), 0u) << thin;
    EXPECT_NE(thin.find(" world units thick near ("), std::string::npos) << thin;
    EXPECT_EQ(compileLevel("shape 0 0 600 0 600 20 0 20\n", "s.txt", false, level), "");
    // A bar 129 world units wide whose long sides have no whole point along
    // them: each could only be one triangle's edge, and every such triangle
    // can vanish while on screen. Each side is bent in at whole points, by
    // less than half a world unit, and the bends are told.
    const std::string bar = "shape 3156 1270 4317 473 4268 402 3107 1199\n";
    compileOk(bar, "s.txt", level);
    const std::string bent = " with no whole point along it: bent in by at most 0.05 world units at 5 corners along "
                             "it, so that its triangles stay on screen";
    EXPECT_EQ(level.warnings, (std::vector<std::string>{"s.txt:1: warning: shape has a side from (4660, 1798) to (6402, 603)" + bent,
                                                        "s.txt:1: warning: shape has a side from (6476, 710) to (4734, 1905)" + bent}));
    // What the bends cut off, each less than a file unit from its side.
    EXPECT_EQ(checkedArea2(level.triangles) + level.bentArea2, 242968);
    EXPECT_GT(level.bentArea2, 0);
    EXPECT_LT(level.bentArea2, 2 * 1408);
    // A slot of the same sides in a slab is bent the same way, into the slab.
    compileOk("<svg><path fill-rule=\"evenodd\" d=\"M1800 900 H5000 V3200 H1800 Z "
              "M2484 2655 L4225.5 1459.5 L4152 1353 L2410.5 2548.5 Z\"/></svg>",
              "slot.svg", level);
    EXPECT_EQ(level.warnings.size(), 2u);
    EXPECT_EQ(checkedArea2(level.triangles) + level.bentArea2, 2 * (2133 * 1533) - 242968);
    // A stair whose risers of 41 and 42 world units have no whole point
    // along them and no room under their treads for a triangle 40 thick:
    // each riser's inward end moves a whole point on, into the solid.
    compileOk("shape 2116 2067 2151 2126 2175 2113 2245 2233 2269 2219 2340 2343 2240 2401 2064 2097\n", "s.txt", level);
    const std::string moved = " world units long: its inner end moved 2.12 world units on, to ";
    EXPECT_EQ(level.warnings,
              (std::vector<std::string>{
                  "s.txt:1: warning: shape has a side from (3262, 3170) to (3226, 3189) only 41" + moved +
                      "(3225, 3190), so that its triangle is thick enough",
                  "s.txt:1: warning: shape has a side from (3404, 3328) to (3368, 3350) only 42" + moved +
                      "(3366, 3351), so that its triangle is thick enough"}));
    EXPECT_EQ(checkedArea2(level.triangles) + level.bentArea2, 66059);
    EXPECT_GT(level.bentArea2, 0);
    EXPECT_LT(level.bentArea2, 2 * 2 * 160);  // a sliver under each riser's tread, at most 1.5 deep
    // On a band and treads just over 80, a riser rounded to 39 must become
    // 46: only a reach of five whole points on does it.
    compileOk("shape 5137 815 5139 761 5112 760 5113 707 5087 706 5088 649 5198 652 5193 817\n", "s.txt", level);
    ASSERT_EQ(level.warnings.size(), 2u);
    EXPECT_NE(level.warnings[1].find("only 39 world units long: its inner end moved 7.50 world units on"), std::string::npos);
    EXPECT_EQ(checkedArea2(level.triangles) + level.bentArea2, 27458);
    EXPECT_LT(level.bentArea2, 2 * 2 * 5 * 56);
    // A stair of leaning risers whose long top has no whole point along it
    // and a step's reflex corner 29 from it: its triangle leans through
    // that corner, and the drawing is covered as drawn.
    compileOk("shape 5133 3932 5184 3806 5150 3792 5196 3677 5059 3609 5112 3477 4964 3460 4987 3405 5355 3554 5192 3956\n",
              "s.txt", level);
    EXPECT_TRUE(level.warnings.empty());
    EXPECT_EQ(checkedArea2(level.triangles), 140135);
    // A thin part elsewhere is the fault then, not the sides.
    EXPECT_EQ(compileLevel(bar + "shape 0 0 600 0 600 20 0 20\n", "s.txt", true, level).rfind("s.txt:2: shape is ", 0), 0u);
    EXPECT_EQ(compileLevel("shape 3156 1270 3736 872 4317 473 4268 402 3688 800 3107 1199\n", "s.txt", true, level), "");
    EXPECT_TRUE(level.warnings.empty());
    std::string many;
    for (int i = 0; i < 2600; ++i) many += "shape " + std::to_string(i * 200) + " 0 " + std::to_string(i * 200 + 100) + " 0 " +
                                          std::to_string(i * 200 + 100) + " 100 " + std::to_string(i * 200) + " 100\n";
    EXPECT_EQ(compileLevel(many, "m.txt", true, level), "m.txt: 5200 triangles, at most 5000");
}

TEST(ShapeCompile, SvgElementsTransformsAndStyles) {
    // One user unit is one world unit: the file holds two thirds of it.
    const std::string svg = R"svg(<svg xmlns="http://www.w3.org/2000/svg">
  <g transform="translate(3000 0) scale(2)">
    <rect id="r" x="0" y="0" width="300" height="150"/>
  </g>
  <g style="fill:none"><rect x="0" y="3000" width="300" height="300"/></g>
  <rect x="0" y="3000" width="300" height="300" display="none"/>
  <g visibility="hidden"><rect x="0" y="3000" width="300" height="300"/></g>
  <path fill-rule="evenodd" d="M0 0 h 900 v 900 h -900 z M 300 300 h 300 v 300 h -300 z"/>
  <polygon points="0,6000 600,6000 600,6600" transform="matrix(1 0 0 1 0 -30)"/>
  <text id="hello" x="0" y="0">hi</text>
  <line x1="0" y1="0" x2="10" y2="10" stroke="black"/>
</svg>
)svg";
    std::vector<SourceRegion> regions;
    std::vector<std::string> warnings;
    ASSERT_EQ(readSvg(svg, "d.svg", regions, warnings), "");
    ASSERT_EQ(regions.size(), 3u);
    EXPECT_EQ(regions[0].label, "rect id=r");
    EXPECT_EQ(regions[0].outlines[0], (Ring{{2000, 0}, {2400, 0}, {2400, 200}, {2000, 200}}));
    EXPECT_TRUE(regions[1].evenOdd);
    EXPECT_EQ(regions[2].outlines[0], (Ring{{0, 3980}, {400, 3980}, {400, 4380}}));
    EXPECT_EQ(warnings, (std::vector<std::string>{"d.svg:10: warning: text id=hello skipped: a level holds only filled shapes",
                                                  "d.svg:11: warning: line skipped: a stroke without fill is not solid"}));
    CompiledLevel level;
    compileOk(svg, "d.svg", level);
    EXPECT_EQ(checkedArea2(level.triangles), 2 * (400 * 200 + 600 * 600 - 200 * 200 + 400 * 400 / 2));
    // A kept triangle is written as it is, ahead of the solid's.
    compileOk("<svg>\n<polygon data-zuno=\"keep\" points=\"0,1500 150,1500 0,1650\"/></svg>", "k.svg", level);
    ASSERT_EQ(level.triangles.size(), 1u);
    EXPECT_EQ(std::vector<int32_t>(level.triangles[0].c, level.triangles[0].c + 6),
              (std::vector<int32_t>{0, 1000, 100, 1000, 0, 1100}));
    EXPECT_EQ(level.lines, std::vector<int>{2});
    EXPECT_NE(compileLevel("<svg>\n<g>\n</svg>", "bad.svg", true, level).find("bad.svg:"), std::string::npos);
    EXPECT_EQ(compileLevel("<svg><path id=\"p\" d=\"M 0 0 L 5\"/></svg>", "p.svg", true, level),
              "p.svg:1: path id=p: lineto needs x y at character 10");
    // Whatever tinyxml2 would let pass after the drawing is refused.
    EXPECT_EQ(compileLevel(std::string("<svg/>\n") + '\0' + "<svg><rect width=\"9\" height=\"9\"/></svg>", "z.svg", true, level),
              "z.svg:2: not well-formed XML (a zero byte)");
    EXPECT_EQ(compileLevel("<svg/>\n<svg/>", "two.svg", true, level), "two.svg:2: not well-formed XML (a second root element)");
    EXPECT_EQ(compileLevel("", "e.svg", true, level).rfind("e.svg:1: not well-formed XML", 0), 0u);
}

TEST(ShapeCompile, CurvesFlattenWithinAWorldUnit) {
    // A large circle and a rounded rectangle's corners: every point on the
    // curve, and every chord's middle, stays within a world unit of it
    // (plus the rounding to file units).
    std::vector<SourceRegion> regions;
    std::vector<std::string> warnings;
    ASSERT_EQ(readSvg(R"svg(<svg><circle cx="3000" cy="3000" r="1500"/>
      <path d="M 0 0 A 1200 600 30 0 1 2400 0 Z"/></svg>)svg", "c.svg", regions, warnings), "");
    ASSERT_EQ(regions.size(), 2u);
    const Ring& circle = regions[0].outlines[0];
    EXPECT_GT(circle.size(), 40u);
    for (size_t i = 0; i < circle.size(); ++i) {
        const IPoint a = circle[i], b = circle[(i + 1) % circle.size()];
        const double r = std::hypot(a.x * 1.5 - 3000, a.y * 1.5 - 3000);
        const double mid = std::hypot((a.x + b.x) * 0.75 - 3000, (a.y + b.y) * 0.75 - 3000);
        EXPECT_NEAR(r, 1500, 1.1);
        EXPECT_NEAR(mid, 1500, 2.2);
    }
    EXPECT_GT(regions[1].outlines[0].size(), 10u);
}

TEST(ShapeCompile, TightCurvesAreFlattenedAgainWhereRefused) {
    // Each of these is refused as first flattened: a corner rounded by 5, a
    // side of 10 between round ends, an ellipse's narrow ends, a circle of
    // short chords, a stair whose inner corners are rounded by 18, and a
    // circle drawn freehand as 16 short curves. Flattened
    // again into chords of 60 or more, short sides joined, all compile, the
    // mesh covering the second flattening exactly.
    const std::string svg = std::string(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect id="r" x="600" y="600" width="400" height="200" rx="5"/>
<rect transform="rotate(156.476 3918.752 2452.216)" x="3918.752" y="2452.216" width="566.497" height="471.838" rx="230.981"/>
<ellipse transform="rotate(94.635 2396.063 2761.937)" cx="2396.063" cy="2761.937" rx="185.733" ry="101.392"/>
<circle cx="2942.940" cy="2997.104" r="87.279"/>
<path transform="rotate(17.57 1233.68 2340.17)" d="M 1233.68 2340.17 L 1370.88 2340.17 )svg"
                                        "A 18.15 18.15 0 0 0 1389.03 2322.02 L 1389.03 2226.56 L 1476.29 2226.56 "
                                        "A 18.15 18.15 0 0 0 1494.44 2208.41 L 1494.44 2118.99 L 1699.75 2118.99 "
                                        R"svg(L 1699.75 2504.77 L 1233.68 2504.77 Z"/>
<path d="M 1300 1800 )svg") +
                            "C 1300.0 1813.1 1297.4 1826.1 1292.4 1838.3 "
                            "C 1287.4 1850.4 1280.0 1861.4 1270.7 1870.7 "
                            "C 1261.4 1880.0 1250.4 1887.4 1238.3 1892.4 "
                            "C 1226.1 1897.4 1213.1 1900.0 1200.0 1900.0 "
                            "C 1186.9 1900.0 1173.9 1897.4 1161.7 1892.4 "
                            "C 1149.6 1887.4 1138.6 1880.0 1129.3 1870.7 "
                            "C 1120.0 1861.4 1112.6 1850.4 1107.6 1838.3 "
                            "C 1102.6 1826.1 1100.0 1813.1 1100.0 1800.0 "
                            "C 1100.0 1786.9 1102.6 1773.9 1107.6 1761.7 "
                            "C 1112.6 1749.6 1120.0 1738.6 1129.3 1729.3 "
                            "C 1138.6 1720.0 1149.6 1712.6 1161.7 1707.6 "
                            "C 1173.9 1702.6 1186.9 1700.0 1200.0 1700.0 "
                            "C 1213.1 1700.0 1226.1 1702.6 1238.3 1707.6 "
                            "C 1250.4 1712.6 1261.4 1720.0 1270.7 1729.3 "
                            "C 1280.0 1738.6 1287.4 1749.6 1292.4 1761.7 "
                            "C 1297.4 1773.9 1300.0 1786.9 1300.0 1800.0 " + R"svg(Z"/>
</svg>)svg";
    CompiledLevel level;
    compileOk(svg, "t.svg", level);
    std::vector<SourceRegion> regions;
    std::vector<std::string> warnings;
    ASSERT_EQ(readSvg(svg, "t.svg", regions, warnings, nullptr, Flattening::even), "");
    int64_t area2 = 0;
    for (const SourceRegion& r : regions)
        for (const Ring& ring : r.outlines) {
            int64_t a = 0;
            for (size_t i = 0; i < ring.size(); ++i) {
                const IPoint p = ring[i], q = ring[(i + 1) % ring.size()];
                a += p.x * q.y - p.y * q.x;
            }
            area2 += std::llabs(a);
        }
    EXPECT_EQ(checkedArea2(level.triangles), area2);
    EXPECT_EQ(level.warnings, warnings);
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_EQ(warnings[0], "t.svg:2: warning: rect id=r has 4 sides under 50 world units on its curves between corners "
                           "that turn the same way, first near (1000, 600): joined into one corner each, so that its "
                           "triangles are thick enough");
}

TEST(ShapeCompile, CurvesOfShapesThatMeetAreMendedWhereRefused) {
    // Two capsules sharing a round joint, and two clusters of overlapping
    // circles, one around a small gap: each flattening of the same or
    // crossing curves puts its corners elsewhere, and the union is left
    // with sides a few units long and the gap narrower still. Each
    // group is refused alone as flattened either way; with the corners of
    // those sides taken out, it compiles, covering the second flattening
    // less what the warnings say was cut off or filled in.
    const std::string svg = R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect id="arm" transform="rotate(75.947 1160.136 2227.918)" x="1111.502" y="2179.283" width="410.702" height="97.269" rx="48.635"/>
<rect transform="rotate(110.390 1236.244 2531.970)" x="1187.609" y="2483.335" width="615.352" height="97.269" rx="48.635"/>
<circle cx="3000" cy="800" r="120"/>
<circle cx="3150" cy="850" r="90"/>
<circle cx="3050" cy="950" r="100"/>
<circle cx="1626.019" cy="2005.129" r="107.167"/>
<circle cx="1719.361" cy="2062.042" r="164.562"/>
<circle cx="1731.377" cy="1824.404" r="93.214"/>
<circle cx="1778.497" cy="1859.114" r="58.879"/>
</svg>)svg";
    CompiledLevel level;
    compileOk(svg, "m.svg", level);
    EXPECT_EQ(level.curves, Flattening::even);
    std::vector<SourceRegion> regions;
    std::vector<std::string> warnings;
    ASSERT_EQ(readSvg(svg, "m.svg", regions, warnings, nullptr, Flattening::even), "");
    const std::vector<SolidPolygon> solid = uniteRegions(regions);
    EXPECT_EQ(checkedArea2(level.triangles) + level.bentArea2, solidArea2(solid));
    EXPECT_NE(level.bentArea2, 0);
    ASSERT_EQ(level.warnings.size(), 4u);
    EXPECT_EQ(level.warnings[1], "m.svg:2: warning: rect id=arm has 2 short sides where it meets other shapes, first near "
                                 "(1275, 2534): corners taken out, moving the outline by at most 8.28 world "
                                 "units, so that its triangles are thick enough");
    EXPECT_EQ(level.warnings[2], "m.svg:8: warning: circle has 7 short sides and 1 gap under 50 world units across "
                                 "where it meets other shapes, first near (1656, 1910): corners taken out and gap "
                                 "filled, moving the outline by at most 17.45 world units, so that its triangles are "
                                 "thick enough");
    EXPECT_NE(level.warnings[3].find("m.svg:5: warning: circle has 5 short sides where it meets other shapes"),
              std::string::npos);
    // No corner of the mesh strays more than 25 world units off the solid.
    const auto near = [&](IPoint q) {
        for (const SolidPolygon& p : solid) {
            if (polygonHolds(p, q)) return true;
            for (size_t i = 0; i < p.outer.size(); ++i) {
                const IPoint a = p.outer[i], b = p.outer[(i + 1) % p.outer.size()];
                const double ex = double(b.x - a.x), ey = double(b.y - a.y), px = double(q.x - a.x), py = double(q.y - a.y);
                const double u = std::clamp((px * ex + py * ey) / (ex * ex + ey * ey), 0.0, 1.0);
                if (std::hypot(px - u * ex, py - u * ey) * 1.5 <= 25) return true;
            }
        }
        return false;
    };
    for (const FileTriangle& t : level.triangles)
        for (int k = 0; k < 3; ++k) EXPECT_TRUE(near({t.c[2 * k], t.c[2 * k + 1]})) << t.c[2 * k] << " " << t.c[2 * k + 1];
}

TEST(ShapeCompile, ShapesJustOver80AcrossCompileWithCornersNudged) {
    // Round ends of radius just over 40 and a track of such capsules: the
    // thickest triangle in a half disc is as thick as its radius, so the
    // point or so rounding takes off leaves a triangle 39 units thick,
    // whichever way the curves are flattened or mended. A corner or two
    // off the author's own, moved a whole point or two, mends them.
    const std::string svg = R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect x="-40.05" y="-40.05" width="300" height="80.1" rx="40.05" transform="translate(1000,1000) rotate(17)"/>
<rect x="-40.05" y="-40.05" width="300" height="80.1" rx="40.05" transform="translate(1000,1600) rotate(61)"/>
<rect x="-40.468" y="-40.468" width="230.082" height="80.936" rx="40.468" transform="translate(1145.159,843.823) rotate(290.422)"/>
<rect x="-40.468" y="-40.468" width="307.991" height="80.936" rx="40.468" transform="translate(1197.201,704.052) rotate(265.462)"/>
<rect x="-40.468" y="-40.468" width="248.418" height="80.936" rx="40.468" transform="translate(1179.238,477.709) rotate(227.308)"/>
<rect x="-40.468" y="-40.468" width="236.716" height="80.936" rx="40.468" transform="translate(1065.676,354.608) rotate(287.324)"/>
</svg>)svg";
    CompiledLevel level;
    compileOk(svg, "n.svg", level);
    std::vector<SourceRegion> regions;
    std::vector<std::string> warnings;
    ASSERT_EQ(readSvg(svg, "n.svg", regions, warnings, nullptr, level.curves), "");
    EXPECT_EQ(checkedArea2(level.triangles) + level.bentArea2, solidArea2(uniteRegions(regions)));
    ASSERT_EQ(level.warnings.size(), 4u);
    EXPECT_EQ(level.warnings[1], "n.svg:2: warning: rect has 2 corners on its curves or where it meets other shapes, "
                                 "first near (962, 988), moved by at most 1.50 world units, so that its triangles are "
                                 "thick enough");
    EXPECT_NE(level.warnings[3].find("n.svg:7: warning: rect has 1 corner on its curves or where it meets other "
                                     "shapes, first near (1124, 168), moved by at most 1.50 world units"),
              std::string::npos);
}

TEST(ShapeCompile, SmallCirclesAreCutIntoEqualChordsAtTheLastTry) {
    // A circle drawn as four arcs, each cut on its own into chords of 60
    // at least, is a square up to a radius of 76: three such overlapping
    // leave a union no mesh can hold. Cut into equal chords along the
    // whole circle, one of radius 60 is a pentagon, and mended where they
    // meet, the cluster compiles.
    std::vector<SourceRegion> regions;
    std::vector<std::string> warnings;
    const std::string circle = R"svg(<svg><circle cx="1000" cy="1000" r="60"/></svg>)svg";
    ASSERT_EQ(readSvg(circle, "c.svg", regions, warnings, nullptr, Flattening::even), "");
    EXPECT_EQ(regions.at(0).outlines.at(0).size(), 4u);
    ASSERT_EQ(readSvg(circle, "c.svg", regions, warnings, nullptr, Flattening::balanced), "");
    EXPECT_EQ(regions.at(0).outlines.at(0).size(), 5u);
    const std::string svg = R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<circle cx="1500.000" cy="1500.000" r="58.928"/>
<circle cx="1430.744" cy="1508.556" r="60.936"/>
<circle cx="1492.939" cy="1492.582" r="62.288"/>
</svg>)svg";
    CompiledLevel level;
    compileOk(svg, "s.svg", level);
    EXPECT_EQ(level.curves, Flattening::balanced);
    ASSERT_EQ(readSvg(svg, "s.svg", regions, warnings, nullptr, Flattening::balanced), "");
    EXPECT_EQ(checkedArea2(level.triangles) + level.bentArea2, solidArea2(uniteRegions(regions)));
}

TEST(ShapeCompile, StraightShapesWithStepsOrShortSidesCompileWithoutOverlap) {
    // Bars whose corners fall a few units beside each other's sides: the
    // steps between those corners hold no triangle thick enough, so there
    // the corners the author drew go too. In the second, filling a notch
    // of the larger polygon would cover a corner of the lone bar beside it.
    // Last, a side shorter than 40 between two outward corners of one
    // polygon holds no triangle thick enough however it is meshed: a
    // corner of it goes, whoever drew it; and a frame's steps up to 40
    // high go where the meshing cannot hold them, as does a short side at
    // the tip of its hole, leaving a hole of three corners.
    const std::pair<const char*, const char*> drawings[] = {
        {R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect x="1457.970" y="1780.981" width="501.071" height="150.627" transform="rotate(73.119 1708.506 1856.295)"/>
<rect x="1539.950" y="1689.732" width="225.883" height="152.784" transform="rotate(95.196 1652.891 1766.123)"/>
<rect x="1543.247" y="1704.376" width="545.658" height="102.664" transform="rotate(167.114 1816.076 1755.708)"/>
</svg>)svg",
         "short sides where it meets other shapes"},
        {R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect x="982.168" y="1482.282" width="652.457" height="90.663" transform="rotate(137.337 1308.396 1527.613)"/>
<rect x="1342.879" y="1656.358" width="585.441" height="136.181" transform="rotate(236.174 1635.599 1724.448)"/>
<rect x="1517.815" y="1217.561" width="423.971" height="85.707" transform="rotate(306.036 1729.800 1260.415)"/>
<rect x="1401.217" y="1481.122" width="586.471" height="149.447" transform="rotate(442.243 1694.452 1555.846)"/>
<rect x="1596.656" y="1759.234" width="178.975" height="115.715" transform="rotate(503.059 1686.143 1817.091)"/>
</svg>)svg",
         "short sides where it meets other shapes"},
        {R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<polygon points="2587.237,1941.740 2487.392,2065.819 1878.338,2149.019 2015.502,1898.951 2117.735,1748.943 2592.164,1850.189 2605.457,1912.905"/>
</svg>)svg",
         "b.svg:2: warning: polygon has 1 short side, first near (2607, 1917): corners taken out, moving the outline by at most"},
        {R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect x="1773.432" y="1321.944" width="511.457" height="109.581" transform="rotate(6.930 2029.160 1376.735)"/>
<rect x="1988.862" y="1557.724" width="490.389" height="83.593" transform="rotate(86.999 2234.056 1599.520)"/>
<rect x="1797.138" y="1802.972" width="563.723" height="141.021" transform="rotate(155.676 2078.999 1873.482)"/>
<rect x="1532.930" y="1747.016" width="523.074" height="84.433" transform="rotate(-126.810 1794.467 1789.232)"/>
<rect x="1501.022" y="1424.001" width="508.095" height="135.272" transform="rotate(-60.108 1755.070 1491.637)"/>
</svg>)svg",
         "b.svg:5: warning: rect has 8 short sides, first near (1604, 1605): corners taken out, moving the outline by at "
         "most 27.68 world units"},
        // A frame whose hole is four corners, one side of them 20 long.
        {R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<polygon points="1453.07,1097.49 542.57,579.92 463.62,718.81 1374.12,1236.38"/>
<polygon points="723.14,767.73 505.54,456.81 388.42,538.77 606.02,849.70"/>
<polygon points="436.27,641.29 1286.07,488.09 1267.45,384.85 417.66,538.04"/>
<polygon points="1116.60,385.20 1319.24,1231.78 1413.41,1209.24 1210.77,362.66"/>
</svg>)svg",
         "b.svg:5: warning: polygon has 9 short sides, first near (1116, 386): corners taken out"}};
    for (const auto& [svg, warning] : drawings) {
        const CompiledLevel level = compileDrawingSound(svg, "b.svg");
        ASSERT_FALSE(level.warnings.empty());
        EXPECT_NE(level.warnings[0].find(warning), std::string::npos) << level.warnings[0];
    }
    // The text form is mended where its shapes meet as a drawing is.
    const std::string text = "shape 1139 1063  1236 1383  1139 1412  1042 1092\n"
                             "shape 1159 1107  1146 1257  1044 1248  1058 1098\n"
                             "shape 1396 1163  1041 1244  1026 1178  1380 1097\n";
    CompiledLevel level;
    compileOk(text, "b.txt", level);
    ShapeText shapes;
    std::istringstream in(text);
    ASSERT_EQ(parseShapeText(in, "b.txt", shapes), "");
    EXPECT_EQ(checkedArea2(level.triangles) + level.bentArea2, solidArea2(uniteRegions(shapes.shapes)));
    ASSERT_FALSE(level.warnings.empty());
    EXPECT_EQ(level.warnings[0].rfind("b.txt:2: warning: shape has 5 short sides where it meets other shapes", 0), 0u);
}

TEST(ShapeCompile, ShapesAHairApartStayApartOnceRounded) {
    // Two bars' ends 0.22 world units apart: rounded to whole points, a
    // corner of one falls a hair inside the other's side, where no union
    // finds a crossing to round. It used to compile to overlapping
    // triangles, which the level check refused.
    const std::string svg = R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<polygon points="1280.75,657.79 1695.50,67.92 1599.02,0.09 1184.27,589.96"/>
<polygon points="1698.83,56.02 1859.38,-229.20 1743.69,-294.33 1583.14,-9.10"/>
</svg>)svg";
    const CompiledLevel level = compileDrawingSound(svg, "h.svg");
    std::vector<SourceRegion> regions;
    std::vector<std::string> warnings;
    ASSERT_EQ(readSvg(svg, "h.svg", regions, warnings, nullptr, level.curves), "");
    std::vector<Ring> rings;
    for (const SolidPolygon& p : uniteRegions(regions)) rings.push_back(p.outer);
    EXPECT_FALSE(ringsCross(rings));
}

TEST(ShapeCompile, AMoveNeverReachesOverAShapeDrawnAHairAway) {
    // A rounded bar a few units clear of a chain of bars: a corner of the
    // chain moved two points to thicken its triangles crossed the bar's
    // side, which has no corner near, and the level had overlapping
    // triangles.
    compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect x="575.871" y="883.079" width="434.693" height="99.970" transform="rotate(197.937 793.218 933.064)"/>
<rect x="451.157" y="769.433" width="254.171" height="95.978" transform="rotate(218.104 578.242 817.422)"/>
<rect x="420.677" y="729.121" width="237.458" height="95.683" transform="rotate(221.906 539.407 776.962)"/>
<rect x="266.904" y="856.430" width="407.524" height="158.054" rx="70.511" transform="rotate(218.410 470.666 935.457)"/>
</svg>)svg",
                        "c.svg");
}

TEST(ShapeCompile, ShapesThatAllButTouchOnceRoundedArePartedAtTheVeryLast) {
    // A bar drawn a unit clear of another's side overlaps it by a hair
    // once rounded, another touches one: each pair joined at a neck no mesh
    // can hold.
    compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect x="991.976" y="873.092" width="511.779" height="126.663" transform="rotate(345.614 1247.866 936.423)"/>
<rect x="1182.674" y="827.759" width="224.031" height="131.629" transform="rotate(330.147 1294.690 893.574)"/>
<rect x="1107.042" y="1013.909" width="577.217" height="82.231" transform="rotate(328.084 1395.650 1055.025)"/>
</svg>)svg",
                        "t.svg");
    const CompiledLevel level = compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<g transform="translate(600 600)">
<rect x="673.008" y="1041.697" width="369.749" height="153.091" transform="rotate(140.239 857.883 1118.242)"/>
<rect x="287.860" y="1204.690" width="554.767" height="122.728" rx="50.092" transform="rotate(155.614 565.243 1266.054)"/>
<rect x="787.586" y="1264.945" width="258.578" height="111.040" transform="rotate(172.939 916.875 1320.465)"/>
</g></svg>)svg",
                                                    "p.svg");
    EXPECT_NE(std::find(level.warnings.begin(), level.warnings.end(),
                        "p.svg:5: warning: rect all but touches another shape once rounded: parted from it by three "
                        "world units, so that the two do not join at a neck"),
              level.warnings.end());
    // A bar's corner a tenth of a unit into another's side, at 12°: their
    // overlap is too small to come out of the clipping at all, yet the
    // union joins them there.
    const CompiledLevel corner = compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<g transform="translate(600 600)">
<rect x="227.460" y="929.881" width="772.775" height="113.288" transform="rotate(181.999 613.847 986.525)"/>
<rect x="61.071" y="966.484" width="583.729" height="140.643" transform="rotate(170.266 352.936 1036.805)"/>
<rect x="-369.146" y="947.591" width="567.977" height="139.921" transform="rotate(189.392 -85.157 1017.552)"/>
<rect x="-845.337" y="958.146" width="650.338" height="151.761" transform="rotate(173.829 -520.168 1034.027)"/>
<rect x="489.803" y="1092.232" width="347.583" height="81.837" transform="rotate(2.593 663.595 1133.150)"/>
</g></svg>)svg",
                                                     "c.svg");
    EXPECT_EQ(corner.warnings.front(), "c.svg:7: warning: rect all but touches another shape once rounded: parted from it "
                                       "by three world units, so that the two do not join at a neck");
    // Once parted, a round end 80 across is a unit short of thick enough:
    // the tries before had spent every move of a corner, and the last must
    // still have some.
    const CompiledLevel moved = compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<g transform="translate(600 600)">
<rect x="602.857" y="837.006" width="435.221" height="80.041" rx="40.003" transform="rotate(214.410 820.468 877.026)"/>
<rect x="38.016" y="597.876" width="753.890" height="104.659" transform="rotate(208.009 414.961 650.206)"/>
<rect x="8.662" y="551.320" width="522.664" height="155.117" rx="44.571" transform="rotate(197.146 269.994 628.878)"/>
<rect x="-461.755" y="626.355" width="762.488" height="97.728" transform="rotate(174.366 -80.511 675.219)"/>
<rect x="-342.885" y="636.812" width="275.881" height="134.602" transform="rotate(167.480 -204.945 704.113)"/>
<rect x="-211.744" y="486.209" width="203.999" height="111.920" transform="rotate(13.424 -109.744 542.169)"/>
</g></svg>)svg",
                                                    "m.svg");
    EXPECT_EQ(moved.warnings.back(), "m.svg:3: warning: rect has 1 corner, first near (1590, 1545), moved by at most 1.50 "
                                     "world units, so that its triangles are thick enough");
}

TEST(ShapeCompile, ASlitWhereChordsAlmostMeetIsFilledLikeAHole) {
    // Two bars meet at 1° under a disc as wide: the disc's chords leave a
    // slit a unit wide, pinched off the outline at one point, which no
    // triangle beside can be thick around.
    const CompiledLevel level = compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<g transform="translate(600 600)">
<rect x="1096.395" y="1012.689" width="375.643" height="87.692" transform="rotate(384.507 1284.217 1056.535)"/>
<circle cx="1455.118" cy="1134.444" r="43.846"/>
<rect x="1436.781" y="1141.242" width="158.210" height="87.692" transform="rotate(399.807 1515.886 1185.088)"/>
<circle cx="1576.654" cy="1235.732" r="43.846"/>
<rect x="1556.976" y="1244.572" width="160.735" height="87.692" transform="rotate(400.962 1637.343 1288.418)"/>
<circle cx="1698.032" cy="1341.104" r="43.846"/>
</g></svg>)svg",
                                                    "w.svg");
    EXPECT_TRUE(std::any_of(level.warnings.begin(), level.warnings.end(), [](const std::string& w) {
        return w.find("1 gap under 80 world units across") != std::string::npos;
    }));
}

TEST(ShapeCompile, TilesThatTouchArePartedAlikeWhateverTheOrderTheyComeIn) {
    // Side by side, each loses as much as the other in parting.
    const SourceRegion a{{{{0, 0}, {300, 0}, {300, 100}, {0, 100}}}, false, 1, "rect", {}};
    const SourceRegion b{{{{0, 100}, {300, 100}, {300, 200}, {0, 200}}}, false, 2, "rect", {}};
    std::vector<size_t> parted;
    const std::vector<SolidPolygon> ab = uniteRegionsParted({a, b}, parted);
    EXPECT_EQ(parted.size(), 1u);
    const std::vector<SolidPolygon> ba = uniteRegionsParted({b, a}, parted);
    ASSERT_EQ(ab.size(), 2u);
    ASSERT_EQ(ba.size(), 2u);
    EXPECT_TRUE(ab[0].outer == ba[0].outer && ab[1].outer == ba[1].outer);
}

TEST(ShapeCompile, AHoleTooSmallToMeshAroundIsFilledAtTheLastTry) {
    // Three bars cross round a hole about 55 across: every triangle from
    // its corners to the sides near is thin, and it was refused.
    const CompiledLevel level = compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect x="463.447" y="1109.707" width="597.602" height="142.559" transform="rotate(142.720 762.248 1180.987)"/>
<rect x="476.702" y="1489.423" width="628.672" height="83.832" transform="rotate(72.273 791.039 1531.339)"/>
<rect x="49.643" y="1262.182" width="753.662" height="150.242" transform="rotate(202.390 426.474 1337.303)"/>
<rect x="121.037" y="1470.165" width="571.478" height="82.551" transform="rotate(58.529 406.776 1511.440)"/>
<rect x="51.821" y="1623.865" width="471.064" height="154.821" transform="rotate(117.094 287.353 1701.276)"/>
<circle cx="812.482" cy="1401.757" r="55.986"/>
</svg>)svg",
                                                    "h.svg");
    EXPECT_TRUE(std::any_of(level.warnings.begin(), level.warnings.end(), [](const std::string& w) {
        return w.find("1 gap under 80 world units across") != std::string::npos;
    }));
    // Filling is a try of its own, after every other: this drawing's last
    // try compiles with a small hole left open, as before, and must not
    // fill it.
    const CompiledLevel open = compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<g transform="translate(600 600)">
<rect x="947.506" y="739.113" width="698.079" height="153.594" rx="55.926" transform="rotate(328.169 1296.546 815.910)"/>
<rect x="1165.986" y="477.142" width="558.280" height="113.584" rx="45.400" transform="rotate(292.894 1445.126 533.934)"/>
<rect x="1360.139" y="581.773" width="412.776" height="83.549" transform="rotate(427.594 1566.527 623.547)"/>
<rect x="1403.324" y="699.718" width="543.236" height="94.466" transform="rotate(416.300 1674.942 746.951)"/>
</g></svg>)svg",
                                                    "a.svg");
    EXPECT_TRUE(std::none_of(open.warnings.begin(), open.warnings.end(), [](const std::string& w) {
        return w.find("under 80") != std::string::npos;
    }));
}

TEST(ShapeCompile, RoundEndsAreFittedToTheShapesBesideThem) {
    // A rectangle rounded almost to its ends, two units clear of a bar:
    // joining its short straight end into a point reached into the bar and
    // left a neck 30 units across. Two such ends overlapping: their chords
    // cut into the joint and left one 28 across. Last, round ends where a
    // corner cut off touches another polygon, which once kept it. Each was
    // refused at every try before.
    const std::string drawings[] = {
        R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect x="1005.68" y="927.28" width="566.04" height="116.50" rx="46.57" transform="rotate(22.9534 1005.68 985.53)"/>
<polygon points="1521.14,1225.34 1853.97,1361.23 1897.76,1253.99 1564.92,1118.10"/>
</svg>)svg",
        R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect x="974.95" y="846.68" width="359.12" height="155.57" rx="67.87" transform="rotate(73.3678 974.95 924.47)"/>
<rect x="1069.29" y="1177.39" width="354.94" height="137.77" rx="68.56" transform="rotate(63.3736 1069.29 1246.27)"/>
<rect x="1254.48" y="1507.01" width="316.47" height="154.11" rx="55.76" transform="rotate(-172.1607 1254.48 1584.07)"/>
<polygon points="939.40,1515.23 663.87,1898.43 730.98,1946.68 1006.51,1563.48"/>
<circle cx="900.41" cy="1347.12" r="130.82"/>
</svg>)svg",
        R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect x="958.63" y="940.81" width="398.25" height="129.77" rx="45.77" transform="rotate(-6.3201 958.63 1005.70)"/>
<rect x="1333.77" y="947.84" width="317.41" height="111.46" rx="46.56" transform="rotate(-73.8874 1333.77 1003.57)"/>
<polygon points="1447.80,730.17 1552.41,215.14 1427.65,189.80 1323.05,704.83"/>
<polygon points="1326.75,684.39 1308.60,361.51 1165.88,369.54 1184.03,692.41"/>
</svg>)svg"};
    for (const std::string& svg : drawings) {
        const CompiledLevel level = compileDrawingSound(svg, "a.svg");
        if (&svg == &drawings[0]) {
            // Apart, the rectangle and the bar stay two polygons.
            EXPECT_EQ(level.curves, Flattening::apart);
            std::vector<SourceRegion> regions;
            std::vector<std::string> warnings;
            ASSERT_EQ(readSvg(svg, "a.svg", regions, warnings, nullptr, level.curves), "");
            EXPECT_EQ(uniteRegions(regions).size(), 2u);
        }
    }
}

TEST(ShapeCompile, AnOutlineThatCannotBeMeshedDoesNotStopTheNextTry) {
    // A worm that folds back on itself: as flattened, one piece of its
    // union cannot be meshed at all; mended, it meshes soundly. A try that
    // failed outright once counted as the best possible, and no later try
    // could do better.
    const std::string svg = R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<rect transform="rotate(41.478 1329.581 2338.920)" x="1271.651" y="2280.990" width="390.114" height="115.861" rx="57.931"/>
<rect transform="rotate(162.252 1535.053 2520.569)" x="1477.123" y="2462.638" width="548.989" height="115.861" rx="57.931"/>
<rect transform="rotate(40.134 1122.538 2652.597)" x="1064.608" y="2594.666" width="294.593" height="115.861" rx="57.931"/>
<rect transform="rotate(-42.636 1259.186 2767.802)" x="1201.256" y="2709.872" width="452.425" height="115.861" rx="57.931"/>
</svg>)svg";
    CompiledLevel level;
    compileOk(svg, "w.svg", level);
    EXPECT_TRUE(level.mended);
    EXPECT_GT(checkedArea2(level.triangles), 0);
}

TEST(ShapeCompile, AKinkACutLeavesOnALongSideIsTakenOutAtTheVeryLast) {
    // Where two bars' ends cross under a frame's corner, cutting a short
    // side leaves a corner a third of a unit off the bar's side: the side
    // split there holds no thick triangle beside the stub of the other end.
    const CompiledLevel level = compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<g transform="translate(600 600)">
<rect x="712.435" y="704.335" width="440.155" height="99.905" transform="rotate(-9.322 932.512 754.287)"/>
<rect x="995.552" y="784.396" width="432.305" height="113.235" transform="rotate(45.754 1211.705 841.014)"/>
<rect x="1078.650" y="1016.751" width="428.061" height="149.236" transform="rotate(102.569 1292.681 1091.369)"/>
<rect x="914.987" y="1218.675" width="405.996" height="104.473" transform="rotate(163.241 1117.985 1270.911)"/>
<rect x="662.634" y="1168.654" width="394.157" height="90.100" transform="rotate(-138.530 859.712 1213.704)"/>
<rect x="519.904" y="877.981" width="470.623" height="138.906" transform="rotate(-86.745 755.216 947.434)"/>
</g></svg>)svg",
                                                    "k.svg");
    EXPECT_TRUE(std::any_of(level.warnings.begin(), level.warnings.end(), [](const std::string& w) {
        return w.find(" and 2 corners all but in line, first near") != std::string::npos;
    }));
}

TEST(ShapeCompile, WhatNoTryMeshesSoundlyIsPatchedJoinedAgainOrLeftToTheNext) {
    // Mended, a circle over two bars' junction leaves one triangle 25
    // thick that the meshing's cuts cannot avoid, though the triangles
    // round it hold a sound mesh of their own.
    compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<g transform="translate(600 600)">
<rect x="998.307" y="983.319" width="476.479" height="90.073" transform="rotate(6.836 1236.546 1028.355)"/>
<rect x="392.378" y="1019.615" width="764.716" height="101.415" transform="rotate(172.196 774.736 1070.322)"/>
<rect x="457.526" y="860.909" width="477.484" height="89.755" transform="rotate(305.526 696.267 905.787)"/>
<rect x="682.573" y="896.563" width="304.323" height="154.195" transform="rotate(394.380 834.734 973.660)"/>
<circle cx="1120.638" cy="946.889" r="67.473"/>
</g></svg>)svg",
                        "c.svg");
    // Two outlines touch at a corner and leave it at under a degree:
    // rounded, one tips over the other there, and the union must be
    // joined again or its polygons overlap.
    compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<g transform="translate(600 600)">
<rect x="706.777" y="695.529" width="513.941" height="100.140" transform="rotate(261.890 963.748 745.599)"/>
<rect x="717.161" y="322.993" width="695.454" height="135.440" transform="rotate(287.480 1064.888 390.714)"/>
<rect x="921.107" y="261.614" width="351.178" height="128.373" transform="rotate(291.020 1096.696 325.800)"/>
<rect x="827.552" y="206.869" width="202.339" height="98.532" transform="rotate(16.170 928.721 256.135)"/>
</g></svg>)svg",
                        "o.svg");
    // Where shapes meet, joining two corners of a short side into one
    // leaves the outline crossing itself by a hair: that try's triangles
    // overlap, and a later try must be taken instead.
    compileDrawingSound(R"svg(<svg xmlns="http://www.w3.org/2000/svg">
<g transform="translate(600 600)">
<rect x="836.358" y="1264.216" width="774.501" height="103.904" transform="rotate(54.730 1223.608 1316.168)"/>
<rect x="1064.813" y="1083.977" width="677.037" height="155.916" transform="rotate(-81.120 1403.332 1161.935)"/>
<rect x="1394.829" y="799.547" width="656.619" height="106.865" transform="rotate(-26.319 1723.139 852.980)"/>
<rect x="1223.864" y="538.477" width="601.819" height="153.948" transform="rotate(-115.234 1524.773 615.451)"/>
<circle cx="2064.748" cy="758.411" r="104.444"/>
</g></svg>)svg",
                        "x.svg");
}
