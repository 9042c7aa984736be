#include <cmath>

#include "picture/shapes.h"
#include "picture/tiles.h"

namespace qelo::assetgen {

// Concentric rings cut into segments, colours stepping outwards from a
// white core, inside a thin frame so each tile reads as a square.
Canvas drawRingsTile()
{
    const Rgb palette[] = {hex(0xFFFFFF), hex(0xFF60A8), hex(0xFFC850), hex(0x70EEFF), hex(0xB090FF), hex(0x80FFB0)};
    Canvas canvas(tileSize, tileSize);
    const P2 centre{tileSize * 0.5f, tileSize * 0.5f};
    for (int y = 0; y < tileSize; ++y) {
        for (int x = 0; x < tileSize; ++x) {
            const P2 p{static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
            const float d = length(p - centre);
            const float angle = std::atan2(p.y - centre.y, p.x - centre.x);
            const int ring = static_cast<int>(d / 20.0f);
            const float inRing = std::abs(std::fmod(d, 20.0f) - 10.0f) - 7.5f;  // bands 15 px wide
            // Every other ring is broken into segments, turned by half a step.
            const float segments = 6.0f + 2.0f * static_cast<float>(ring);
            const float cut = (ring % 2 == 1) ? std::sin(angle * segments + static_cast<float>(ring)) - 0.3f : 1.0f;
            float v = coverage(inRing) * smoothstep(-0.05f, 0.05f, cut);
            if (d < 6.0f)
                v = 1.0f;
            const float frame = std::abs(roundBoxSdf(p, centre, {121, 121}, 14)) - 4.0f;
            Rgb c = palette[ring % 6] * v * (d < 128.0f ? 1.0f : 0.0f);
            c = mix(c, hex(0xFFFFFF), coverage(frame));
            canvas.at(x, y) = c;
        }
    }
    return canvas;
}

Canvas drawTile(int index)
{
    switch (index) {
    case 0:
        return drawPlasmaTile();
    case 1:
        return drawCircuitTile();
    default:
        return drawRingsTile();
    }
}

}  // namespace qelo::assetgen
