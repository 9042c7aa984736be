#pragma once
// Whether the current GL context would draw flat-coloured triangles exactly
// as the in-memory rasteriser does: nothing enabled that changes which pixels
// a triangle covers or what it writes there (texturing, lighting, fog, tests,
// blending, culling, clip planes, stipple, logic ops, masks, polygon modes).
// A scene drawn in memory checks it first and draws through GL otherwise.
namespace qelo {

bool plainDrawingState();

}  // namespace qelo
