// Drawing primitives (to be completed).
#include "display/display.h"

void Display::drawLine(double x1, double y1, double x2, double y2, uint32_t colour) {
    (void)x1; (void)y1; (void)x2; (void)y2; (void)colour;
}
void Display::drawCircle(double cx, double cy, double radius, uint32_t colour) {
    (void)cx; (void)cy; (void)radius; (void)colour;
}
void Display::fillRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
    for (int32_t x = x0; x < x1; ++x)
        for (int32_t y = y0; y < y1; ++y) plotPixel(x, y, colour, false);
}
void Display::drawNumber(int32_t value, int32_t x, int32_t y) { (void)value; (void)x; (void)y; }
void Display::blitCell(SDL_Surface* source, int32_t sourceX, int32_t sourceY, int32_t width,
                       int32_t height, int32_t destinationX, int32_t destinationY, bool useKey) {
    (void)source; (void)sourceX; (void)sourceY; (void)width; (void)height;
    (void)destinationX; (void)destinationY; (void)useKey;
}
