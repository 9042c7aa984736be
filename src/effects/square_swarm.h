#pragma once
// The square swarm: 5000 small white squares strung along a random curve that
// is repeated twelve times about a spinning, jittering axis. The curve is
// reshaped from a fresh seed on each activation's first frame and at random
// moments after. Draws into render target 3.
#include <cstdint>
#include <optional>

#include "effects/effects.h"  // the scene routine itself
#include "geometry/spline_path.h"
#include "render/drawing_context.h"
#include "shell/clock.h"

namespace qelo {

// What the swarm keeps between calls: one record for the whole program,
// created on first use and never reset, not even by a first frame.
struct SquareSwarmState {
    std::optional<SplinePath> swarmPath;  // 30 control points, open; made on the first call
    std::int32_t swarmSeed = 38383;       // seed of the next reshaping, one more after each
    std::optional<Clock> reshapeClock;    // paces the reshape test, every 0.4 s
    std::optional<Clock> tiltClock;       // paces the tilt test, every 0.05 s
    float tilt = 1.0f;                    // spin axis is (tilt, -2 tilt, 0.2)
};

// The record the scene routine uses.
SquareSwarmState& squareSwarmState();

// Reseeds the shared generator with swarmSeed (then counts it up) and sets the
// 30 control points from 90 draws: point i spreads out with i, rising on average.
void reshapeSwarm(SplinePath& swarmPath, std::int32_t& swarmSeed);

// One frame of the swarm into `gl`, with its random draws in order: 0 or 1
// for the reshape test, 90 after reseeding when it reshapes, then 0, 1 or 2
// for the tilt test.
void drawSquareSwarm(DrawingContext& gl, SquareSwarmState& state, float localTime, bool firstFrame);

}  // namespace qelo
