#include "picture/portrait_parts.h"

#include <cmath>

#include "common/prng.h"
#include "picture/noise.h"

namespace qelo::assetgen {

namespace {

constexpr float pi = 3.14159265f;

float fract(float v) { return v - std::floor(v); }

}  // namespace

float backHairSdf(const PortraitStyle& s, P2 h)
{
    const P2 c = s.headCentre, r = s.headRadii;
    switch (s.hair) {
    case Hair::bob: {
        // A cap a little larger than the head, cut off level with the jaw.
        const float cap = ellipseSdf(h, {c.x, c.y - 8}, {r.x * 1.2f, r.y * 1.08f});
        return std::max(cap, h.y - (c.y + r.y * 0.55f));
    }
    case Hair::spikes: {
        float d = ellipseSdf(h, {c.x, c.y - 12}, {r.x * 1.08f, r.y * 1.0f});
        for (int k = 0; k < 9; ++k) {
            const float a = -pi * 0.5f + (static_cast<float>(k) - 4.0f) * 0.3f + s.faceTurn * 0.15f;
            const float len = r.y * (1.45f + 0.25f * static_cast<float>((k * 7) % 3));
            const P2 tip{c.x + std::cos(a) * len, c.y + std::sin(a) * len};
            d = smoothUnion(d, capsuleSdf(h, {c.x, c.y - r.y * 0.3f}, tip, 5.0f), 10.0f);
        }
        return std::max(d, h.y - (c.y + r.y * 0.15f));
    }
    case Hair::cloud: {
        const float wobble = (fractalNoise(h.x * 0.05f, h.y * 0.05f, 3, s.seed) - 0.5f) * 26.0f;
        return circleSdf(h, {c.x, c.y - r.y * 0.35f}, r.x * 1.65f) + wobble;
    }
    case Hair::hood: {
        // Reaches down and melts into the shoulders (see the figure's body).
        const float hood = ellipseSdf(h, {c.x, c.y + 4}, {r.x * 1.42f, r.y * 1.32f});
        return std::max(hood, h.y - (c.y + r.y * 1.6f));
    }
    case Hair::flowing: {
        const float cap = ellipseSdf(h, {c.x, c.y - 6}, {r.x * 1.18f, r.y * 1.06f});
        const float wave = 6.0f * std::sin(h.y * 0.06f);
        const float fall = roundBoxSdf(h, {c.x + wave - s.faceTurn * 10.0f, c.y + r.y * 1.1f},
                                       {r.x * 1.28f, r.y * 1.25f}, 30.0f);
        return smoothUnion(cap, fall, 20.0f);
    }
    }
    return 1e6f;
}

float fringeSdf(const PortraitStyle& s, P2 h)
{
    const P2 c = s.headCentre, r = s.headRadii;
    const float cap = ellipseSdf(h, {c.x, c.y - 6}, {r.x * 1.12f, r.y * 1.04f});
    const float side = std::pow(std::abs(h.x - c.x - s.faceTurn * 14.0f) / r.x, 4.0f);
    switch (s.hair) {
    case Hair::bob: {
        const float line = c.y - r.y * 0.32f + 6.0f * std::sin(h.x * 0.22f) + r.y * 1.1f * side;
        return std::max(cap, h.y - line);
    }
    case Hair::spikes: {
        const float line = c.y - r.y * 0.45f + 14.0f * std::abs(std::sin(h.x * 0.11f)) + r.y * 0.6f * side;
        return std::max(cap, h.y - line);
    }
    case Hair::flowing: {
        // A side parting: the fringe sweeps down towards the far side of the face.
        const float sweep = (h.x - c.x) / r.x * -s.faceTurn;
        const float line = c.y - r.y * 0.5f + r.y * 0.28f * std::max(sweep, 0.0f) + r.y * 1.2f * side;
        return std::max(cap, h.y - line);
    }
    case Hair::hood: {
        const float brim = c.y - r.y * 0.62f + r.y * 1.6f * side;
        return std::max(cap, h.y - brim);
    }
    case Hair::cloud:
        return std::max(cap, h.y - (c.y - r.y * 0.62f + r.y * 0.9f * side));
    }
    return 1e6f;
}

float hairStreak(const PortraitStyle& s, P2 h)
{
    const P2 c = s.headCentre;
    switch (s.hair) {
    case Hair::cloud:
        return fractalNoise(h.x * 0.09f, h.y * 0.09f, 4, s.seed + 7);
    case Hair::hood:
        return 0.5f + 0.5f * std::sin(length(h - c) * 0.12f);  // folds round the face
    default: {
        // Strands fanning out from the crown.
        const float angle = std::atan2(h.y - (c.y - s.headRadii.y), h.x - c.x);
        return 0.5f + 0.5f * std::sin(angle * 34.0f + fractalNoise(h.x * 0.03f, h.y * 0.03f, 2, s.seed) * 6.0f);
    }
    }
}

Rgb hairShade(const PortraitStyle& s, P2 h)
{
    const float streak = hairStreak(s, h);
    const Rgb highlight = mix(s.hairColour, Rgb{1, 1, 1}, 0.45f);
    return mix(s.hairColour * 0.75f, highlight, streak * streak);
}

Rgb paintFace(const PortraitStyle& s, P2 h, Rgb skin)
{
    const P2 c = s.headCentre, r = s.headRadii;
    const float turn = s.faceTurn;
    const float fx = c.x + turn * r.x * 0.38f;  // the face's middle line
    Rgb out = skin;

    // Cheeks.
    for (int side = -1; side <= 1; side += 2) {
        const float cx = fx + static_cast<float>(side) * r.x * 0.52f * (1.0f - 0.3f * std::abs(turn));
        const float blush = glow(circleSdf(h, {cx, c.y + r.y * 0.38f}, 4.0f), 9.0f);
        out = mix(out, s.rim, 0.35f * blush);
    }

    // Eyes: glowing almonds with a dark pupil; the far eye narrower.
    for (int side = -1; side <= 1; side += 2) {
        const float far = (static_cast<float>(side) * turn < 0) ? 1.0f - 0.45f * std::abs(turn) : 1.0f;
        const P2 eye{fx + static_cast<float>(side) * r.x * 0.38f * (1.0f - 0.25f * std::abs(turn)), c.y + r.y * 0.06f};
        const float almond = ellipseSdf(h, eye, {13.0f * far, 6.5f});
        out = mix(out, skin * 0.35f, coverage(almond - 2.5f));  // lid line
        out = mix(out, s.eyes, coverage(almond));
        const P2 pupil{eye.x + turn * 4.0f, eye.y};
        out = mix(out, s.eyes * 0.15f, coverage(circleSdf(h, pupil, 4.0f * far + 0.5f)));
        out = mix(out, Rgb{1, 1, 1}, coverage(circleSdf(h, {pupil.x + 2, pupil.y - 2}, 1.4f)));
        // Brow.
        const P2 b0{eye.x - 11.0f * far, eye.y - 15.0f}, b1{eye.x + 11.0f * far, eye.y - 17.0f - 2.0f * static_cast<float>(side)};
        out = mix(out, s.hairColour * 0.8f, coverage(capsuleSdf(h, b0, b1, 2.6f)));
    }

    // Nose: a shadow line with a lit tip.
    const P2 n0{fx + turn * 6.0f, c.y + r.y * 0.1f}, n1{fx + turn * 15.0f + 2.0f, c.y + r.y * 0.36f};
    out = mix(out, skin * 0.62f, 0.8f * coverage(capsuleSdf(h, n0, n1, 2.2f)));
    out = mix(out, Rgb{1, 1, 1}, 0.5f * glow(circleSdf(h, {n1.x - 3.0f, n1.y - 2.0f}, 1.0f), 2.5f));

    // Mouth: a smiling arc.
    const float mx = h.x - (fx + turn * 6.0f);
    const float mouthY = c.y + r.y * 0.6f - mx * mx * 0.012f;
    const float mouth = std::max(std::abs(h.y - mouthY) - 2.8f, std::abs(mx) - 17.0f * (1.0f - 0.3f * std::abs(turn)));
    out = mix(out, mix(s.rim, Rgb{0.6f, 0.05f, 0.2f}, 0.5f), coverage(mouth));
    return out;
}

float clothMix(const PortraitStyle& s, P2 p)
{
    switch (s.pattern) {
    case ClothPattern::stripes: {
        const float v = std::sin((p.x * 0.7f + p.y * 0.7f) * 2.0f * pi / 24.0f);
        return smoothstep(-0.2f, 0.2f, v);
    }
    case ClothPattern::dots: {
        const float row = std::floor(p.y / 22.0f);
        const P2 cell{fract(p.x / 22.0f + 0.5f * fract(row * 0.5f)) - 0.5f, fract(p.y / 22.0f) - 0.5f};
        return coverage(length(cell) * 22.0f - 6.5f);
    }
    case ClothPattern::marble: {
        const float warp = fractalNoise(p.x * 0.02f, p.y * 0.02f, 4, s.seed + 3);
        return smoothstep(0.0f, 0.25f, std::sin(p.x * 0.04f + p.y * 0.02f + warp * 9.0f));
    }
    case ClothPattern::chevrons: {
        const float zig = std::abs(fract(p.x / 28.0f) * 2.0f - 1.0f) * 14.0f;
        return smoothstep(0.42f, 0.58f, fract((p.y + zig) / 26.0f)) * (1.0f - smoothstep(0.92f, 0.99f, fract((p.y + zig) / 26.0f)));
    }
    case ClothPattern::rings: {
        const float d = length(p - P2{s.headCentre.x, s.shoulderTop + 120.0f});
        return smoothstep(-0.3f, 0.3f, std::sin(d * 2.0f * pi / 20.0f));
    }
    }
    return 0;
}

Rgb ornamentAt(const PortraitStyle& s, P2 p)
{
    const P2 c = s.headCentre;
    const float d = length(p - c);
    const float angle = std::atan2(p.y - c.y, p.x - c.x);
    float v = 0;
    switch (s.ornament) {
    case Ornament::halo:
        v = glow(std::abs(d - 112.0f) - 3.0f, 5.0f);
        break;
    case Ornament::doubleHalo:
        v = std::max(glow(std::abs(d - 104.0f) - 2.0f, 4.0f), glow(std::abs(d - 120.0f) - 1.5f, 3.0f) * 0.7f);
        break;
    case Ornament::rays:
        v = smoothstep(0.7f, 0.95f, std::sin(angle * 14.0f)) * smoothstep(80.0f, 130.0f, d) * (1.0f - smoothstep(140.0f, 240.0f, d));
        break;
    case Ornament::stars: {
        const float cell = 26.0f;
        const float ix = std::floor(p.x / cell), iy = std::floor(p.y / cell);
        const std::uint64_t hsh = hashInts(static_cast<std::uint64_t>(ix + 100), static_cast<std::uint64_t>(iy + 100), s.seed);
        if ((hsh & 3u) == 0) {
            const P2 star{(ix + 0.2f + 0.6f * static_cast<float>((hsh >> 8) & 255u) / 255.0f) * cell,
                          (iy + 0.2f + 0.6f * static_cast<float>((hsh >> 16) & 255u) / 255.0f) * cell};
            const P2 q = p - star;
            const float cross = std::min(std::abs(q.x) * 6.0f + std::abs(q.y), std::abs(q.y) * 6.0f + std::abs(q.x));
            v = glow(cross - 3.0f, 2.0f);
        }
        break;
    }
    case Ornament::arcs: {
        const float ring = std::abs(fract(d / 18.0f) - 0.5f) * 18.0f - 2.0f;
        const float gap = smoothstep(0.2f, 0.5f, std::sin(angle * 3.0f + d * 0.05f));
        v = glow(ring, 1.5f) * gap * smoothstep(90.0f, 110.0f, d) * (1.0f - smoothstep(150.0f, 180.0f, d));
        break;
    }
    }
    return s.ornamentColour * (0.55f * v);
}

}  // namespace qelo::assetgen
