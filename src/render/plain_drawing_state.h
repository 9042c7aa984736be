#pragma once
// Whether the current GL context would draw flat-coloured triangles exactly
// as the in-memory rasteriser does: nothing enabled that changes which pixels
// a triangle covers or what it writes there (texturing, lighting, fog, tests,
// culling, clip planes, stipple, logic ops, masks, polygon modes), and the
// blend equation the plain sum. Whether blending is on, and with which
// factors, is the caller's: it sets them itself just before. A scene drawn
// in memory checks this first and draws through GL otherwise.
namespace qelo {

bool plainDrawingState();

}  // namespace qelo
