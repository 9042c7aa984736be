// A pair of interleaved fans drawn at once (the dot grid's dots) against the
// same triangles drawn one by one: the very bytes, where the two fans'
// spokes differ by rounding (or by up to half a degree), where the centre is
// a pixel centre and where the dot runs off the picture; and what is not
// such a pair is declined and drawn one by one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "render/software/fragment_stage.h"
#include "render/software/interleaved_fans.h"
#include "render/software/rasteriser.h"
#include "render/software/software_test_support.h"

namespace qelo::test {
namespace {

using software::SoftwareContext;
using software::WindowVertex;

constexpr int width = 160, height = 120;

struct Dot {
    double x = 80, y = 60;        // centre, pixels
    double outer = 40, inner = 28;
    int wedges = 50;
    double phase = 0;
    double skew = 0;              // the inner spokes' turn, up to this many radians
    float rim = 0.4f, grey = 0.6f;
};

// The dot's triangles in drawing order: a rim wedge, then the grey wedge
// over it, around the centre; corners in float, as a scene computes them.
std::vector<WindowVertex> dotTriangles(const Dot& dot)
{
    std::vector<WindowVertex> out;
    const auto corner = [&](double radius, int k, double turn) {
        const double angle = static_cast<double>(k % dot.wedges) / dot.wedges * 6.28 + dot.phase + turn;
        WindowVertex v;
        v.x = static_cast<float>(dot.x + radius * std::sin(angle));
        v.y = static_cast<float>(dot.y + radius * std::cos(angle));
        return v;
    };
    const auto innerTurn = [&](int k) { return dot.skew * (((k % dot.wedges) * 7919 % 13) - 6) / 6.0; };
    for (int i = 0; i < dot.wedges; ++i) {
        WindowVertex centre;
        centre.x = static_cast<float>(dot.x);
        centre.y = static_cast<float>(dot.y);
        for (WindowVertex v : {corner(dot.outer, i, 0), corner(dot.outer, i + 1, 0), centre}) {
            v.attributes = {1.0f, 0.0f, 0.0f, dot.rim};
            out.push_back(v);
        }
        const WindowVertex inner0 = corner(dot.inner, i, innerTurn(i));
        for (WindowVertex v : {inner0, corner(dot.inner, i + 1, innerTurn(i + 1)), centre}) {
            v.attributes = {dot.grey, dot.grey, dot.grey, 1.0f};
            out.push_back(v);
        }
    }
    return out;
}

// Each triangle's covered pixels set to its colour, in order: what drawing
// them one by one without blending or depth gives.
std::vector<std::uint8_t> oneByOne(const std::vector<WindowVertex>& v)
{
    std::vector<std::uint8_t> picture(width * height * 4, 0);
    for (std::size_t t = 0; t + 3 <= v.size(); t += 3) {
        const software::TriangleSetup setup(v[t], v[t + 1], v[t + 2], width, height);
        setup.forEachSpan([&](int row, int from, int to) {
            for (int x = from; x <= to; ++x)
                for (int c = 0; c < 4; ++c)
                    picture[(row * width + x) * 4 + c] = software::colourByte(v[t].attributes[c]);
        });
    }
    return picture;
}

void expectDrawnAsOneByOne(const Dot& dot, const char* what)
{
    const std::vector<WindowVertex> v = dotTriangles(dot);
    std::vector<std::uint8_t> atOnce(width * height * 4, 0);
    ASSERT_TRUE(software::drawInterleavedFans(v.data(), static_cast<int>(v.size()), atOnce.data(), width, height))
        << what << " at " << dot.x << ", " << dot.y;
    const std::vector<std::uint8_t> want = oneByOne(v);
    for (int p = 0; p < width * height; ++p)
        for (int c = 0; c < 4; ++c)
            ASSERT_EQ(atOnce[p * 4 + c], want[p * 4 + c])
                << what << ": pixel " << p % width << ", " << p / width << " of the dot at " << dot.x << ", " << dot.y;
}

TEST(SoftwareInterleavedFans, ADotIsThePictureOfItsWedgesDrawnOneByOne)
{
    std::mt19937 random(17);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int k = 0; k < 400; ++k) {
        Dot dot;
        dot.outer = 8 + 48 * unit(random);
        dot.inner = dot.outer * (0.3 + 0.5 * unit(random));
        dot.x = 10 + (width - 20) * unit(random);
        dot.y = 10 + (height - 20) * unit(random);
        dot.wedges = k % 3 == 0 ? 50 : 4 + static_cast<int>(60 * unit(random));
        dot.phase = 6.3 * unit(random);
        dot.rim = static_cast<float>(unit(random));
        dot.grey = static_cast<float>(unit(random));
        // Centres on pixel centres (every spoke through one), and inner spokes
        // turned by up to half a degree: slivers a pixel or more wide.
        if (k % 4 == 1) dot.x = std::floor(dot.x) + 0.5, dot.y = std::floor(dot.y) + 0.5;
        if (k % 4 == 3 || k % 8 == 5) dot.skew = 0.008 * unit(random);
        // A spoke about level through a centre on a pixel centre: which wedge
        // of each fan holds that pixel turns on the spokes' tiny slopes.
        if (k % 8 == 1) dot.phase = 1.5707963 + 0.002 * (unit(random) - 0.5), dot.skew = 0.004 * unit(random);
        expectDrawnAsOneByOne(dot, "random dot");
    }
}

TEST(SoftwareInterleavedFans, ADotRunningOffThePictureKeepsOnlyItsPixelsInside)
{
    for (const auto& [x, y] : {std::pair{2.0, 60.0}, {158.3, 61.0}, {80.0, 1.0}, {81.0, 119.7}}) {
        Dot dot;
        dot.x = x, dot.y = y;
        expectDrawnAsOneByOne(dot, "dot at an edge");
    }
}

TEST(SoftwareInterleavedFans, WhatIsNotAPairOfFansIsDeclinedUndrawn)
{
    std::vector<std::uint8_t> picture(width * height * 4, 0);
    const auto draws = [&](const std::vector<WindowVertex>& v) {
        return software::drawInterleavedFans(v.data(), static_cast<int>(v.size()), picture.data(), width, height);
    };
    const std::vector<WindowVertex> dot = dotTriangles(Dot{});
    ASSERT_TRUE(draws(dot));
    const std::vector<std::uint8_t> drawn = picture;
    std::vector<WindowVertex> v = dot;
    v[6 * 7].attributes[0] = 0.5f;  // a rim wedge of another colour
    EXPECT_FALSE(draws(v));
    v = dot;
    v[6 * 7 + 2].x += 0.5;  // a wedge not meeting the others at the centre
    EXPECT_FALSE(draws(v));
    v = dot;
    v[6 * 7 + 1].y += 0.5;  // a gap between neighbouring wedges
    EXPECT_FALSE(draws(v));
    v.assign(dot.begin(), dot.begin() + 6 * 3);  // three wedges a fan: too few
    EXPECT_FALSE(draws(v));
    v = dot;
    v.pop_back();  // not whole pairs of triangles
    EXPECT_FALSE(draws(v));
    Dot skewed;
    skewed.skew = 0.1;  // inner spokes up to 6 degrees off the outer ones
    EXPECT_FALSE(draws(dotTriangles(skewed)));
    Dot twice;  // wedges of 14.4 degrees going round twice
    twice.wedges = 50;
    v = dotTriangles(twice);
    for (WindowVertex& corner : v) {
        const double dx = corner.x - 80, dy = corner.y - 60, angle = std::atan2(dx, dy) * 2, r = std::hypot(dx, dy);
        corner.x = static_cast<float>(80 + r * std::sin(angle));
        corner.y = static_cast<float>(60 + r * std::cos(angle));
    }
    EXPECT_FALSE(draws(v));
    EXPECT_EQ(picture, drawn);
}

// Through the drawing interface: one begin/end of a dot, drawn at once,
// and the same triangles each in its own begin/end, drawn one by one. Then
// six dots in one begin/end, more triangles than are held back at once,
// ending in an unfinished triangle, which draws nothing.
TEST(SoftwareInterleavedFans, TheRendererDrawsADotInOneBatchAsItsWedgesOneByOne)
{
    for (const int dots : {1, 6}) {
        SoftwareContext atOnce(width, height), apart(width, height);
        std::vector<WindowVertex> v;
        for (int k = 0; k < dots; ++k) {
            Dot dot;
            dot.x = 70.3 + 13 * k, dot.y = 55.8 - 7 * k, dot.skew = 0.006;
            dot.outer = 30 - 3 * k, dot.inner = 20 - 2 * k;
            const std::vector<WindowVertex> one = dotTriangles(dot);
            v.insert(v.end(), one.begin(), one.end());
        }
        const std::size_t unfinished = dots > 1 ? 2 : 0;
        for (std::size_t k = 0; k < unfinished; ++k) v.push_back(v[k]);
        for (SoftwareContext* context : {&atOnce, &apart}) {
            pixelProjection(*context);
            const bool batch = context == &atOnce;
            if (batch) context->begin(Primitive::triangles);
            for (std::size_t t = 0; t < v.size(); t += 3) {
                if (!batch) context->begin(Primitive::triangles);
                context->colour(v[t].attributes[0], v[t].attributes[1], v[t].attributes[2], v[t].attributes[3]);
                for (std::size_t k = t; k < std::min(t + 3, v.size()); ++k)
                    context->vertex(static_cast<float>(v[k].x), static_cast<float>(v[k].y));
                if (!batch) context->end();
            }
            if (batch) context->end();
        }
        const std::uint8_t* a = atOnce.picture();
        const std::uint8_t* b = apart.picture();
        EXPECT_TRUE(std::equal(a, a + width * height * 4, b)) << dots << " dots";
        EXPECT_GT(std::count_if(a, a + width * height * 4, [](std::uint8_t x) { return x != 0; }), 1000);
    }
}

}  // namespace
}  // namespace qelo::test
