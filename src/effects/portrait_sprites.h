#pragma once
// The six portraits superimposed on one upright sprite beside the tree, each
// flickering with its own alpha. Uses the portrait textures, so it draws only
// in target 3's context.
#include "geometry/vec3.h"
#include "render/drawing_context.h"

namespace qelo {

// Draws the six sprites at `anchor`, 2 units wide and spanning y - 4 to y of
// the anchor in the current frame, turned by a side vector taken from the eye. Disables depth testing first; binds textures but
// leaves texturing and blending to the caller. time in seconds.
void drawPortraitSprites(DrawingContext& gl, Vec3 anchor, Vec3 eye, float time, float alphaScale);

}  // namespace qelo
