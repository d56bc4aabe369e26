// Whether a triangle can vanish while part of it is on screen: the scene
// draws a triangle only when one of its vertices lies in the culling box
// around the camera, so a large triangle can be skipped while it shows.
#pragma once

#include "tools/levels/level_bytes.h"

struct VanishCamera {
    double x, y;  // world units
};

// True when some camera position puts part of the closed triangle on the
// 1024 x 768 screen while none of its vertices is in the culling box; camera
// then holds one such position. Exact in integer arithmetic, and on the
// reporting side by at most a pixel where the screen mapping truncates.
bool triangleCanVanish(const FileTriangle& t, VanishCamera* camera = nullptr);
