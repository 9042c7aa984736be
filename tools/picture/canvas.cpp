#include "picture/canvas.h"

#include <algorithm>
#include <cmath>

namespace qelo::assetgen {

namespace {

std::uint8_t toByte(float v)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

}  // namespace

std::vector<std::uint8_t> toRgb8(const Canvas& canvas)
{
    std::vector<std::uint8_t> out;
    out.reserve(canvas.pixels.size() * 3);
    for (const Rgb& c : canvas.pixels) {
        out.push_back(toByte(c.r));
        out.push_back(toByte(c.g));
        out.push_back(toByte(c.b));
    }
    return out;
}

}  // namespace qelo::assetgen
