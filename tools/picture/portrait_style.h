#pragma once
// What makes one portrait different from another: pose, hair, the pattern on
// the clothes, the ornament behind the figure and the palette. The figure
// itself (head, neck, shoulders, face) is shared by all of them.
#include <cstdint>

#include "picture/canvas.h"
#include "picture/shapes.h"

namespace qelo::assetgen {

enum class Hair { bob, spikes, cloud, hood, flowing };
enum class ClothPattern { stripes, dots, marble, chevrons, rings };
enum class Ornament { halo, rays, stars, arcs, doubleHalo };

struct PortraitStyle {
    // Pose, in pixels of a 256 x 512 canvas.
    P2 headCentre;
    P2 headRadii;
    float headTilt = 0;   // radians about the neck, positive turns the top right
    float faceTurn = 0;   // -1 (looking left) .. 1 (looking right)
    float shoulderHalfWidth = 120;
    float shoulderTop = 310;

    Hair hair = Hair::bob;
    ClothPattern pattern = ClothPattern::stripes;
    Ornament ornament = Ornament::halo;

    Rgb skinLight, skinShade;
    Rgb clothA, clothB;
    Rgb hairColour;
    Rgb rim;       // edge light and the glow around the figure
    Rgb eyes;      // eyes glow in this colour
    Rgb ornamentColour;
    std::uint64_t seed = 1;
};

// The five portraits the show stands beside its tree, in file order.
const PortraitStyle& portraitStyle(int index);  // index 0..4
inline constexpr int portraitCount = 5;

}  // namespace qelo::assetgen
