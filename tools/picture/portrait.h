#pragma once
// Head-and-shoulders portraits, bright on black. The show draws them as
// 2 x 4 unit sprites with brightness as opacity, so the canvas is 1:2 and
// everything that should be seen is light.
#include "picture/canvas.h"
#include "picture/portrait_style.h"

namespace qelo::assetgen {

inline constexpr int portraitWidth = 256;
inline constexpr int portraitHeight = 512;

Canvas drawPortrait(const PortraitStyle& style);

}  // namespace qelo::assetgen
