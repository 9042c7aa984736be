#pragma once
// The scrolling wall of picture tiles, drawn in render target 4 (the top
// layer) by tileWallEffect (effects.h); in modes other than 0 the routine only
// makes the target current.
#include <cstdint>
#include <optional>

#include "render/drawing_context.h"

#include "shell/clock.h"

namespace qelo {

class ImageTexture;

// What the wall keeps from frame to frame and across activations.
struct TileWallState {
    std::int32_t tileChoice = 0;      // which of the three tiles every square shows
    float spread = 0.0f;              // extra reach above and below the two middle rows, [0, 0.3)
    std::optional<Clock> tileClock;   // paces the tile-choice test, every 0.1 s
    std::optional<Clock> spreadClock; // paces the spread test, every 0.2 s
};

// The routine's one state record, created on first use.
TileWallState& tileWallState();

// Paced tests: each makes one rand() call when due and one more when it fires.
void updateTileChoice(TileWallState& state);
void updateSpread(TileWallState& state);

// Everything after making target 4 current, in mode 0: projection, blending,
// the two paced tests and the quads. `tiles` is the array of three tile textures,
// living in the current context; null binds nothing.
void drawTileWall(DrawingContext& gl, TileWallState& state, float localTime, ImageTexture* tiles);

}  // namespace qelo
