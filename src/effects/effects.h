#pragma once
// The show's scene routines, one file each in this folder. Each draws into
// the render target it selects itself (renderTargets.target(k)) and keeps its
// own state between frames. All have the SceneRoutine signature.
#include <cstdint>

namespace qelo {

// Target 4: a scrolling wall of the tile pictures.
void tileWallEffect(float localTime, float progress, bool firstFrame, std::int32_t mode);
// Target 1: a flickering grid of dots.
void dotGridEffect(float localTime, float progress, bool firstFrame, std::int32_t mode);
// Target 2: stacks of expanding heptagon ring bands; mode selects the variant.
void ringStackEffect(float localTime, float progress, bool firstFrame, std::int32_t mode);
// Target 3: tumbling ripple planes.
void ripplePlanesEffect(float localTime, float progress, bool firstFrame, std::int32_t mode);
// Target 3: a swarm of squares on random spline curves.
void squareSwarmEffect(float localTime, float progress, bool firstFrame, std::int32_t mode);
// Target 3: a swaying fractal tree with portrait sprites under a flying camera.
void treeSceneEffect(float localTime, float progress, bool firstFrame, std::int32_t mode);

}  // namespace qelo
