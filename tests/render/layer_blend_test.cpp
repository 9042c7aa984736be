// Blending layers in memory: every instruction path gives the same bytes,
// tails and transparent blocks included, and writes nothing past the frame.
#include "render/layer_blend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace qelo {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr BlendPath allPaths[] = {BlendPath::scalar, BlendPath::sse2, BlendPath::avx2};
const float nan = std::numeric_limits<float>::quiet_NaN();

// Random texels in runs that are transparent, opaque or anything: blocks
// of four, eight and sixteen are wholly transparent, partly or not at all.
Bytes randomLayer(std::mt19937& random, std::size_t pixelCount)
{
    Bytes rgba(pixelCount * 4);
    for (std::size_t i = 0; i < pixelCount;) {
        const int kind = static_cast<int>(random() % 3);
        const std::size_t longest = kind == 0 ? 40 : 12;
        for (std::size_t run = 1 + random() % longest; run > 0 && i < pixelCount; --run, ++i) {
            for (int c = 0; c < 3; ++c) rgba[i * 4 + c] = static_cast<std::uint8_t>(random());
            rgba[i * 4 + 3] = kind == 0 ? 0 : kind == 1 ? 255 : static_cast<std::uint8_t>(random());
        }
    }
    return rgba;
}

// The layers composed along `path` into a block with a guard band after the
// frame; the guard must come back untouched.
Bytes compose(const std::vector<LayerView>& layers, std::size_t pixelCount, BlendPath path)
{
    Bytes out(pixelCount * 4 + 64, 0xA5);
    composeLayers(out.data(), layers, pixelCount, path);
    for (std::size_t i = pixelCount * 4; i < out.size(); ++i) EXPECT_EQ(out[i], 0xA5) << "written past the frame";
    out.resize(pixelCount * 4);
    return out;
}

TEST(LayerBlend, EveryPathGivesTheSameBytesForAnyOpacityAndLength)
{
    std::mt19937 random(8);
    const std::vector<std::vector<float>> opacitySets = {
        {0.3f, 1.0f, 0.77f}, {1.0f, 0.0f, 0.3f, 0.77f}, {1.5f, nan, -0.25f, 0.3f}, {0.5f}};
    for (std::size_t pixelCount : {0u, 1u, 3u, 4u, 5u, 7u, 8u, 9u, 15u, 17u, 1027u, 4096u + 13u, 3 * 8192u + 21u}) {
        for (const std::vector<float>& opacities : opacitySets) {
            std::vector<Bytes> pictures;
            std::vector<LayerView> layers;
            for (std::size_t i = 0; i < opacities.size(); ++i) pictures.push_back(randomLayer(random, pixelCount));
            for (std::size_t i = 0; i < opacities.size(); ++i) layers.push_back({pictures[i].data(), opacities[i]});

            const Bytes scalar = compose(layers, pixelCount, BlendPath::scalar);
            EXPECT_EQ(compose(layers, pixelCount, BlendPath::sse2), scalar) << pixelCount << " pixels";
            EXPECT_EQ(compose(layers, pixelCount, BlendPath::avx2), scalar) << pixelCount << " pixels";
        }
    }
}

// A translucent layer's alphas come from an integer line fitted to the float
// rule at each opacity, or from the float rule where no line fits (1.5
// clamps, so no line does): every alpha at opacities across the range.
TEST(LayerBlend, EveryAlphaAtManyOpacitiesMatchesTheFloatRule)
{
    constexpr std::size_t pixelCount = 256 * 3 + 5;
    Bytes rgba(pixelCount * 4);
    for (std::size_t i = 0; i < pixelCount; ++i) {
        for (int c = 0; c < 3; ++c) rgba[i * 4 + c] = static_cast<std::uint8_t>(i * 7 + c * 50);
        rgba[i * 4 + 3] = static_cast<std::uint8_t>(i < 512 ? i : 255 - i % 256);
    }
    std::vector<float> opacities = {1.5f, 0.999999f, 1e-7f, 0.3f};
    for (int k = 1; k < 1000; k += 3) opacities.push_back(static_cast<float>(k) / 1000.0f);
    for (float opacity : opacities) {
        // Under a second layer too: there the alphas blend over the first.
        const std::vector<LayerView> layers = {{rgba.data(), opacity}, {rgba.data() + 64, opacity}};
        const std::size_t count = pixelCount - 16;
        const Bytes scalar = compose(layers, count, BlendPath::scalar);
        EXPECT_EQ(compose(layers, count, BlendPath::sse2), scalar) << "opacity " << opacity;
        EXPECT_EQ(compose(layers, count, BlendPath::avx2), scalar) << "opacity " << opacity;
    }
}

TEST(LayerBlend, NoLayersGiveTransparentBlack)
{
    for (BlendPath path : allPaths) EXPECT_EQ(compose({}, 13, path), Bytes(13 * 4, 0));
}

// Opacities the show never uses but a caller might: clamped like the
// driver's colour, NaN as nothing. (The GL tests cover the values in use.)
TEST(LayerBlend, AlphaAtOpacitiesOutsideTheUnitRange)
{
    for (int a = 0; a < 256; ++a) {
        const auto alpha = static_cast<std::uint8_t>(a);
        EXPECT_EQ(blendAlpha(alpha, nan), 0);
        EXPECT_EQ(blendAlpha(alpha, -1.0f), 0);
        EXPECT_EQ(blendAlpha(alpha, std::numeric_limits<float>::infinity()), a == 0 ? 0 : 255);
    }
}

}  // namespace
}  // namespace qelo
