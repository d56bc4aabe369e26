// Draws the digit bitmap "nums.bmp" from a 5 x 7 font defined here: glyph k
// in the 20 x 20 cell at columns 19k..19k+19, light grey on black (black is
// the transparent colour), each font pixel doubled.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kCellPitch = 19;
constexpr int kCellSize = 20;
constexpr int kWidth = 9 * kCellPitch + kCellSize;  // 191
constexpr int kHeight = kCellSize;
constexpr int kScale = 2;
constexpr int kLeft = 5;  // glyph offset in its cell, keeping the shared columns black
constexpr int kTop = 3;

// Rows of each digit, top first; bit 4 is the leftmost of five columns.
constexpr uint8_t kFont[10][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},  // 0
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},  // 1
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},  // 2
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},  // 3
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},  // 4
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},  // 5
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},  // 6
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},  // 8
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},  // 9
};

void put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<uint8_t>& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zuno-make-digits OUT.bmp\n");
        return 2;
    }
    bool lit[kHeight][kWidth] = {};
    for (int digit = 0; digit < 10; ++digit)
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (kFont[digit][row] & (0x10 >> col))
                    for (int dy = 0; dy < kScale; ++dy)
                        for (int dx = 0; dx < kScale; ++dx)
                            lit[kTop + row * kScale + dy][digit * kCellPitch + kLeft + col * kScale + dx] = true;

    const uint32_t rowBytes = (kWidth * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * kHeight;
    std::vector<uint8_t> bmp;
    bmp.push_back('B');
    bmp.push_back('M');
    put32(bmp, 54 + pixelBytes);  // file size
    put32(bmp, 0);
    put32(bmp, 54);               // offset of the pixels
    put32(bmp, 40);               // BITMAPINFOHEADER
    put32(bmp, kWidth);
    put32(bmp, kHeight);          // positive: rows bottom-up
    put16(bmp, 1);
    put16(bmp, 24);
    put32(bmp, 0);                // no compression
    put32(bmp, pixelBytes);
    put32(bmp, 2835);
    put32(bmp, 2835);
    put32(bmp, 0);
    put32(bmp, 0);
    for (int y = kHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t v = lit[y][x] ? 0xE6 : 0x00;
            bmp.insert(bmp.end(), {v, v, v});
        }
        bmp.resize(bmp.size() + (rowBytes - kWidth * 3), 0);
    }

    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(bmp.data(), 1, bmp.size(), f) != bmp.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "%s: cannot write\n", argv[1]);
        return 1;
    }
    return 0;
}
