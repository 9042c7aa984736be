#pragma once
// The ring primitive shared by several scenes, and the scene of stacked
// heptagonal rings that introduced it.
#include <cstdint>

#include "geometry/vec3.h"

namespace qelo {

// One flat ring in the horizontal plane y = centre.y, made of `segments`
// straight pieces (a full turn is 6.28, so the closing piece is a little
// wider). `radius` is the outer radius at each piece's leading edge; the
// trailing edge lies `flare` further out. When width >= radius (or either is
// NaN) a filled disc is drawn instead of a band of that width. Emits one
// glBegin/glEnd pair (empty when segments <= 0) and disables GL_CULL_FACE;
// colour, blending, matrices and textures are the caller's.
void drawRing(Vec3 centre, float width, float radius, std::int32_t segments, float flare);

// Scene routine: layers of twenty expanding heptagonal bands in render
// target 2. Mode 0 orbits the camera around a shallow stack; modes 1 and 2
// sit close in with a stack that breathes in depth. Draws no random values.
void ringStackEffect(float localTime, float progress, bool firstFrame, std::int32_t mode);

}  // namespace qelo
