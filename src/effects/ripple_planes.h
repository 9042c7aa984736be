#pragma once
// Three families of thin white ripples tumbling through each other, drawn in
// render target 3 (shared with the swarm and the tree scene that follow) by
// ripplePlanesEffect (effects.h).
#include <cstdint>
#include <optional>

#include "geometry/vec3.h"
#include "render/drawing_context.h"
#include "shell/clock.h"

namespace qelo {

// What the ripples keep across calls. The depth scale holds 5.0 from the
// start of the process; the camera is set on the first call.
struct RipplePlanesState {
    std::optional<Vec3> camera;     // eye, always on the plane z = -14 once it has jumped
    float depthScale = 5.0f;        // z scale before the look-at: the picture shrinks by 1 / depthScale
    std::optional<Clock> jumpClock; // paces the camera jumps, every 0.1 s
};

// The routine's one state record.
RipplePlanesState& ripplePlanesState();

// Sets the camera on first use, then the paced jump test: one rand() call when
// due, three more when the camera jumps.
void updateRippleCamera(RipplePlanesState& state);

// Everything after making target 3 current. Leaves blending on (GL_ONE,
// GL_ONE_MINUS_SRC_ALPHA), depth test, texturing and culling off, colour
// (1, 1, 1, 0.5), the perspective projection and the tilted view for the
// routines that draw into target 3 next.
void drawRipplePlanes(DrawingContext& gl, RipplePlanesState& state, float localTime);

}  // namespace qelo
