// What the screen holds between frames: the inputs of the picture the scene
// drew last, and whether the screen shows that picture alone on black. When
// it does and the erase pass would draw that very picture again, the erase
// leaves a black screen, so blacking the screen is the same erase.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "sim/vec2.h"
#include "sim/world.h"

class LastPicture {
public:
    // True when the screen outside the readout boxes (which every frame
    // fills) is black but for the recorded picture, nothing has drawn since,
    // and the erase pass of w over the first `triangles` of l draws that same
    // picture: the same camera, bike and level, bit for bit. On a screen with
    // no picture recorded yet, true when the screen is entirely black.
    bool erasedByBlacking(const SDL_Surface* screen, uint64_t drawCalls, const World& w,
                          const Level& l, int32_t triangles, uint32_t black) const;

    // After a frame's colour pass and overlay: records what was drawn around
    // w.centre, and about how many line steps its level took; alone says
    // whether the erase before it left the screen black.
    void record(const SDL_Surface* screen, uint64_t drawCalls, const World& w, const Level& l,
                int32_t triangles, double levelSteps, bool alone);

    // About how many steps walking the recorded level again would take.
    double levelSteps() const { return levelSteps_; }

    // For callers that have written the screen behind the Display's back:
    // the next frame looks at the screen again before trusting the record.
    void forget() { screen_ = nullptr; }

private:
    const SDL_Surface* screen_ = nullptr;  // the surface recorded on; null = nothing recorded
    int pitch_ = 0;                        // its bytes per row then
    uint64_t drawCalls_ = 0;               // the Display's drawing calls when recorded
    bool alone_ = false;                   // the screen held nothing else (outside the boxes)
    Vec2 centre_{0, 0};                    // camera point and spoke hub of the picture
    Vec2 position_[kBallCount]{};          // ball centres, world units
    double radius_[kBallCount]{};          // ball radii, world units
    int32_t selectedWheel_ = -1;           // the marked ball, or -1 for none
    std::vector<Vec2> vertices_;           // the level's vertices, 3 per drawn triangle
    double levelSteps_ = 0;                // line steps the level's edges took, about
};
