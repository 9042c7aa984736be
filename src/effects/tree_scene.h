#pragma once
// The tree scene: a camera flying along a closed random route looks at a
// swaying branching tree, sixty expanding ground rings shading from red to
// blue, and six flickering portrait sprites; the whole view is rolled upside
// down and stretched in depth by a breathing factor. Draws into target 3.
#include <array>
#include <cstdint>
#include <optional>

#include "effects/effects.h"  // the scene routine itself
#include "geometry/spline_path.h"
#include "render/drawing_context.h"
#include "shell/clock.h"

namespace qelo {

// What the scene keeps between calls: one record for the whole program,
// created on first use.
struct TreeSceneState {
    std::optional<SplinePath> cameraPath;  // 10 control points, closed; made on the first call
    std::optional<Clock> pulseClock;       // every 0.5 s one draw, value unused
};

// The record the scene routine uses.
TreeSceneState& treeSceneState();

// Reseeds the shared generator with 23332 and sets the route's 10 control
// points from 30 draws: x in [-20, 20), y in [0, 14), z in [10, 20).
void chooseRoute(SplinePath& cameraPath);

// Ground ring i's colour (1 - w, 0, w, 1 - w) for w = radius / 60, radius
// 2 i + ringPhase: red and opaque at the centre, transparent blue from 60 out.
std::array<float, 4> groundRingColour(std::int32_t i, float ringPhase);

// One frame of the scene into `gl`, with its random draws in order: 0 or 1 for the pulse; on a first frame the reseed and 30 for the
// route; one per branch of the tree (3000); then 3.
void drawTreeScene(DrawingContext& gl, TreeSceneState& state, float localTime, bool firstFrame);

}  // namespace qelo
