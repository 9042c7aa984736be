#pragma once
// The faint flickering grid of dots, drawn in render target 1 (composited at
// 30 %) by dotGridEffect (effects.h), with frameClock's elapsed time as the
// frame step.
#include <cstdint>
#include <optional>

#include "render/drawing_context.h"
#include "shell/clock.h"

namespace qelo {

// What the grid keeps from frame to frame and across activations.
struct DotGridState {
    float scroll = 0.0f;              // horizontal travel so far; only grows
    float jitter = 0.0f;              // random vertical position, [0, 10) once drawn
    std::optional<Clock> jitterClock; // paces the jitter test, every 0.1 s
    std::optional<Clock> secondClock; // paces a test that only consumes random values, every 0.1 s
};

// The routine's one state record, created on first use.
DotGridState& dotGridState();

// The common pulse of all dots, from -0.35 to 1.05.
float dotGridPulse(float localTime);

// The grid's offsets, scroll and jitter reduced into (-0.1, 0].
struct DotGridOffset {
    float x;
    float y;
};
DotGridOffset dotGridOffset(float scroll, float jitter);

// Everything after making target 1 current: clear, the paced tests, the
// scroll advanced by frameStep seconds, and the dots (three rand() calls each,
// row by row from the top, left to right).
void drawDotGrid(DrawingContext& gl, DotGridState& state, float localTime, double frameStep);

}  // namespace qelo
