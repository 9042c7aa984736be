#pragma once
// Whether the current GL context would draw flat-coloured triangles exactly
// as the in-memory rasteriser does: nothing enabled that changes which pixels
// a triangle covers or what it writes there (texturing, lighting, fog, tests,
// culling, clip planes, stipple, polygon offset, logic ops, masks, polygon
// modes), and the blend equation the plain sum. A scene drawn in memory
// checks this first and draws through GL otherwise.
#include <optional>

#include "render/depth_tested_triangles.h"

namespace qelo {

// No depth test either. Whether blending is on, and with which factors, is
// the caller's: it sets them itself just before.
bool plainDrawingState();

// The depth test on as DepthTestedColour does it (GL_LESS, depth written,
// depth range 0 to 1) and smooth shading; the rest as plainDrawingState.
bool plainDepthTestedState();

// The blending in force, when DepthTestedColour can do it: off, or
// GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA for colour and alpha alike.
std::optional<Blending> currentBlending();

}  // namespace qelo
