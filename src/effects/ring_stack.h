#pragma once
// The ring primitive shared by several scenes, and the parts of the ring
// stack scene (ringStackEffect, in effects.h: target 2) that tests reach.
#include <cstdint>
#include <vector>

#include "geometry/vec3.h"
#include "render/drawing_context.h"

namespace qelo {

// One flat ring in the horizontal plane y = centre.y, made of `segments`
// straight pieces (a full turn is 6.28, so the closing piece is a little
// wider). `radius` is the outer radius at each piece's leading edge; the
// trailing edge lies `flare` further out. When width >= radius (or either is
// NaN) a filled disc is drawn instead of a band of that width. Emits one
// begin/end pair (empty when segments <= 0) and disables face culling;
// colour, blending, matrices and textures are the caller's.
void drawRing(DrawingContext& gl, Vec3 centre, float width, float radius, std::int32_t segments, float flare);

// The ring stack's view of one frame, all from the local time and the mode.
// Mode 0 orbits a shallow stack with rings growing at 30 units a second;
// modes 1 and 2 sit close in over a stack that breathes in depth, rings
// growing at 90 and 210. Other modes are never scheduled: they draw nothing
// and leave the target's GL state as it was. No random values are drawn.
struct RingStackView {
    bool drawn = true;        // false for modes other than 0, 1 and 2
    Vec3 eye;                 // looks at the origin, up +y
    float layerScale = 0.0f;  // K: layers at heights 5 + 4 K n, n = -5 ... 4 (float steps may add n = 5)
    float red = 0.0f;
    float blue = 0.0f;        // dips below 0 part of the time; GL clamps it
    float alpha = 0.0f;
    float offset = 0.0f;      // unreduced radius offset; reduced by 4s it is the ring phase
    float flare = 0.0f;       // outward step at each piece's trailing end, 0 to 40
};
RingStackView ringStackView(float localTime, std::int32_t mode);

// The layers' heights relative to 5, bottom first, for layer scale K: from
// -20 K in steps of 4 K while the unrounded next height stays below 20 K
// (heights are stored as floats, so rounding may add an eleventh layer at
// the top). None when K is 0 or NaN.
std::vector<float> ringStackLayerHeights(float layerScale);

// Everything after making target 2 current: colour, camera, blending and the
// layers. A view that is not drawn leaves the GL state untouched.
void drawRingStack(DrawingContext& gl, const RingStackView& view);

}  // namespace qelo
