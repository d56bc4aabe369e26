// The record of the last picture, compared bit for bit: -0.0 and 0.0, or two
// NaNs, may map or cull differently, so only equal bits mean equal pixels.
#include "display/last_picture.h"

#include <cstring>

namespace {

template <typename T>
bool sameBits(const T* a, const T* b, std::size_t count) {
    return count == 0 || std::memcmp(a, b, count * sizeof(T)) == 0;
}

int32_t markedBall(int32_t index) { return index >= 0 && index < kBallCount ? index : -1; }

bool entirelyBlack(const SDL_Surface* s, uint32_t black) {
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(s->pixels) +
                                                            static_cast<std::ptrdiff_t>(y) * s->pitch);
        for (int x = 0; x < s->w; ++x)
            if (row[x] != black) return false;
    }
    return true;
}

}  // namespace

bool LastPicture::erasedByBlacking(const SDL_Surface* screen, uint64_t drawCalls, const World& w,
                                   const Level& l, int32_t triangles, uint32_t black) const {
    if (screen_ != screen || pitch_ != screen->pitch) return entirelyBlack(screen, black);
    const std::size_t vertexCount = 3 * static_cast<std::size_t>(triangles);
    return alone_ && drawCalls_ == drawCalls && sameBits(&centre_, &w.previousCentre, 1) &&
           sameBits(position_, w.previousPosition, kBallCount) && sameBits(radius_, w.radius, kBallCount) &&
           selectedWheel_ == markedBall(w.previousSelectedWheel) && vertices_.size() == vertexCount &&
           sameBits(vertices_.data(), l.vertices, vertexCount);
}

void LastPicture::record(const SDL_Surface* screen, uint64_t drawCalls, const World& w, const Level& l,
                         int32_t triangles, double levelSteps, bool alone) {
    screen_ = screen;
    pitch_ = screen->pitch;
    drawCalls_ = drawCalls;
    alone_ = alone;
    levelSteps_ = levelSteps;
    centre_ = w.centre;
    std::memcpy(position_, w.position, sizeof position_);
    std::memcpy(radius_, w.radius, sizeof radius_);
    selectedWheel_ = markedBall(w.selectedWheel);
    // The level seldom changes between frames: copy only when it has.
    const std::size_t vertexCount = 3 * static_cast<std::size_t>(triangles);
    if (vertices_.size() != vertexCount || !sameBits(vertices_.data(), l.vertices, vertexCount))
        vertices_.assign(l.vertices, l.vertices + vertexCount);
}
