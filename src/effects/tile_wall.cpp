// A block of six columns of tiles slides right at 0.3 units a second and jumps
// back one pitch (0.11) whenever it has moved a full one, so it scrolls
// without end. Its height and its picture change at random moments.
#include "effects/tile_wall.h"

#include "effects/effects.h"
#include "effects/flat_view.h"
#include "effects/pacing.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"
#include "shell/random.h"

namespace qelo {

namespace {

constexpr float tileSize = 0.1f;
constexpr float pitch = 0.11f;        // tile plus gap
constexpr float scrollSpeed = 0.3f;   // units a second
constexpr float blockLeft = 0.3f;     // left edge of the first column at phase 0
constexpr float blockRight = 0.9f;    // end bound of the columns, relative to the phase
constexpr float rowsTop = 0.3f;       // top edge of the first row at spread 0
constexpr float rowsBottom = 0.5f;    // rows start above this bound (plus spread)

void drawTile(DrawingContext& gl, float left, float top)
{
    gl.begin(Primitive::quads);
    gl.texCoord(0.0f, 0.0f);
    gl.vertex(left, top);
    gl.texCoord(1.0f, 0.0f);
    gl.vertex(left + tileSize, top);
    gl.texCoord(1.0f, 1.0f);
    gl.vertex(left + tileSize, top + tileSize);
    gl.texCoord(0.0f, 1.0f);
    gl.vertex(left, top + tileSize);
    gl.end();
}

}  // namespace

TileWallState& tileWallState()
{
    static TileWallState state;
    return state;
}

void updateTileChoice(TileWallState& state)
{
    if (!pacedTestDue(state.tileClock, 0.1f)) return;
    if (rand() % 100 > 50) state.tileChoice = rand() % 3;
}

void updateSpread(TileWallState& state)
{
    if (!pacedTestDue(state.spreadClock, 0.2f)) return;
    if (rand() % 100 > 50) state.spread = static_cast<float>(rand() % 10000) * 0.0001f * 0.3f;
}

void drawTileWall(DrawingContext& gl, TileWallState& state, float localTime, ImageTexture* tiles)
{
    useFlatView(gl);

    // Colour and texture environment stay at GL's defaults in this context,
    // so each fragment takes the texel's colour and brightness-derived alpha.
    gl.enable(Capability::blend);
    gl.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
    gl.enable(Capability::texture2D);

    updateTileChoice(state);
    if (tiles) tiles[state.tileChoice].bind();
    updateSpread(state);

    // Horizontal phase in (0, 0.11] (0 at time 0), reduced in double from
    // the unreduced product. Column and row edges are float accumulators
    // advanced by one pitch at a time: always six columns, and 2 to 8 rows
    // about the middle band as the spread grows.
    double phase = static_cast<double>(localTime) * static_cast<double>(scrollSpeed);
    while (phase > static_cast<double>(pitch)) phase -= static_cast<double>(pitch);

    const float columnsEnd = static_cast<float>(phase + static_cast<double>(blockRight));
    const double rowsEnd = static_cast<double>(state.spread) + static_cast<double>(rowsBottom);
    for (float left = static_cast<float>(static_cast<double>(blockLeft) + phase); left < columnsEnd; left += pitch) {
        for (float top = rowsTop - state.spread; top < rowsEnd; top += pitch) drawTile(gl, left, top);
    }

    gl.disable(Capability::texture2D);
    gl.disable(Capability::blend);
}

void tileWallEffect(float localTime, float /*progress*/, bool /*firstFrame*/, std::int32_t mode)
{
    DrawingContext& gl = renderTargets.target(4).makeCurrent();
    if (mode != 0) return;
    drawTileWall(gl, tileWallState(), localTime, tileTextures);
}

}  // namespace qelo
