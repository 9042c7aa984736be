#include <cmath>

#include "picture/shapes.h"
#include "picture/tiles.h"

namespace qelo::assetgen {

// Interfering sine waves folded into bright contour bands; the troughs
// between bands are black.
Canvas drawPlasmaTile()
{
    Canvas canvas(tileSize, tileSize);
    for (int y = 0; y < tileSize; ++y) {
        for (int x = 0; x < tileSize; ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / tileSize, v = (static_cast<float>(y) + 0.5f) / tileSize;
            const float cx = u - 0.5f, cy = v - 0.5f;
            const float field = std::sin(u * 9.0f) + std::sin(v * 7.0f + u * 3.0f) +
                                std::sin(std::sqrt(cx * cx + cy * cy) * 22.0f) + std::sin((u - v) * 8.0f + 1.3f);
            const float band = std::abs(std::sin(field * 2.2f));
            const float bright = smoothstep(0.35f, 0.85f, band);
            const float hue = field * 0.9f;
            const Rgb colour{0.5f + 0.5f * std::cos(hue), 0.5f + 0.5f * std::cos(hue + 2.1f),
                             0.5f + 0.5f * std::cos(hue + 4.2f)};
            canvas.at(x, y) = mix(colour, Rgb{1, 1, 1}, 0.6f * bright * bright * bright) * bright;
        }
    }
    return canvas;
}

}  // namespace qelo::assetgen
