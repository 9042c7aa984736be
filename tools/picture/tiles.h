#pragma once
// The three square tiles of the show's scrolling wall. Each square is about
// 100 pixels on screen, so the patterns are bold; dark parts are see-through.
#include "picture/canvas.h"

namespace qelo::assetgen {

inline constexpr int tileSize = 256;
inline constexpr int tileCount = 3;

Canvas drawPlasmaTile();
Canvas drawCircuitTile();
Canvas drawRingsTile();

// Tile 0, 1 or 2 in file order.
Canvas drawTile(int index);

}  // namespace qelo::assetgen
