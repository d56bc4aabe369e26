// zuno-level render: where the level and the start pose land in the
// picture, and the exit statuses for bad files and bad usage.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sstream>

#include "tools/levels/level_render.h"
#include "tools/levels/level_picture.h"
#include "tools/output/png_file.h"
#include "tests/support/process.h"
#include "tests/tools/tool_files.h"

namespace {

int render(const std::vector<std::string>& args, std::string* err = nullptr) {
    std::ostringstream out, errors;
    int status = levelRenderCommand(args, out, errors);
    if (err) *err = errors.str();
    return status;
}

const uint8_t* pixel(const RgbImage& image, double x, double y) {
    return &image.pixels[(static_cast<std::size_t>(y) * image.width + static_cast<std::size_t>(x)) * 3];
}

}  // namespace

TEST(LevelRender, LevelAndStartPoseFitTheWidth) {
    // One triangle far to the right: (3000, 900) .. (4500, 1050) in world units.
    std::vector<FileTriangle> triangles = {FileTriangle{{2000, 600, 3000, 600, 3000, 700}}};
    LevelPicture p = drawLevelPicture(triangles, 600);
    ASSERT_EQ(p.image.width, 600);
    auto toPixel = [&](double wx, double wy) {
        return std::pair<double, double>((wx - p.minX) / p.unitsPerPixel, (wy - p.minY) / p.unitsPerPixel);
    };
    // The start pose's left marker edge (80) and the triangle's right end
    // (4500) span the width less the margins.
    EXPECT_NEAR((4500 - 80) / p.unitsPerPixel, 600 - 24, 1e-9);
    EXPECT_EQ(p.image.height, static_cast<int>(std::ceil((1050 - 80) / p.unitsPerPixel)) + 24);

    auto [fx, fy] = toPixel(4200, 1000);  // inside the triangle
    EXPECT_EQ(pixel(p.image, fx, fy)[0], 70);
    auto [ex, ey] = toPixel(3000, 1000);  // left of it: background
    EXPECT_EQ(pixel(p.image, ex, ey)[0], 0);

    int green = 0;
    for (std::size_t i = 0; i < p.image.pixels.size(); i += 3)
        green += p.image.pixels[i] == 0 && p.image.pixels[i + 1] == 255 && p.image.pixels[i + 2] == 0;
    EXPECT_GT(green, 10);  // the selection marker around wheel 1
}

TEST(LevelRender, CommandWritesThePictureOrSaysWhatIsWrong) {
    TempDir dir;
    writeFile(dir.file("floor.lev"), floorLevelBytes());
    writeFile(dir.file("floor.txt"), "# a ramp\n0 100 400 100 400 0\n");
    EXPECT_EQ(render({dir.file("floor.lev"), "-o", dir.file("a.png"), "--width", "300"}), 0);
    RgbImage image;
    ASSERT_EQ(readPng(dir.file("a.png"), image), "");
    EXPECT_EQ(image.width, 300);
    EXPECT_EQ(render({dir.file("floor.txt"), "-o", dir.file("b.png")}), 0);

    std::string err;
    writeFile(dir.file("bad.txt"), "0 0 1 1 2\n");
    EXPECT_EQ(render({dir.file("bad.txt"), "-o", dir.file("c.png")}, &err), 1);
    EXPECT_EQ(err.rfind(dir.file("bad.txt") + ":1: ", 0), 0u) << err;
    EXPECT_EQ(render({dir.file("none.lev"), "-o", dir.file("c.png")}, &err), 1);
    EXPECT_EQ(err, dir.file("none.lev") + ": cannot open: " + std::strerror(ENOENT) + "\n");
    EXPECT_EQ(render({dir.file("floor.lev"), "-o", dir.path() + "/no/dir/c.png"}, &err), 1);

    EXPECT_EQ(render({dir.file("floor.lev")}), 2);
    EXPECT_EQ(render({dir.file("floor.lev"), "-o", "x.png", "--width", "10"}), 2);
    EXPECT_EQ(render({dir.file("floor.lev"), "-o", "x.png", "--depth", "3"}), 2);
}
