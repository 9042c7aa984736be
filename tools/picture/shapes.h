#pragma once
// Signed distances in pixels (negative inside) for the shapes the pictures are
// built from, and the ramps that turn a distance into coverage or glow.
#include <algorithm>
#include <cmath>

namespace qelo::assetgen {

struct P2 {
    float x = 0, y = 0;
};

inline P2 operator-(P2 a, P2 b) { return {a.x - b.x, a.y - b.y}; }
inline P2 operator+(P2 a, P2 b) { return {a.x + b.x, a.y + b.y}; }
inline P2 operator*(P2 a, float s) { return {a.x * s, a.y * s}; }
inline float dot(P2 a, P2 b) { return a.x * b.x + a.y * b.y; }
inline float length(P2 a) { return std::sqrt(dot(a, a)); }

// p rotated by angle (radians) about centre.
inline P2 rotated(P2 p, P2 centre, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    const P2 d = p - centre;
    return {centre.x + d.x * c - d.y * s, centre.y + d.x * s + d.y * c};
}

inline float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

inline float smoothstep(float e0, float e1, float v)
{
    const float t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

inline float circleSdf(P2 p, P2 c, float r) { return length(p - c) - r; }

// An ellipse's distance, approximated by scaling; good near the outline,
// which is all that coverage and rim light need.
inline float ellipseSdf(P2 p, P2 c, P2 radii)
{
    const P2 q{(p.x - c.x) / radii.x, (p.y - c.y) / radii.y};
    const float k = length(q);
    return (k - 1.0f) * std::min(radii.x, radii.y);
}

// A segment from a to b thickened by r.
inline float capsuleSdf(P2 p, P2 a, P2 b, float r)
{
    const P2 pa = p - a, ba = b - a;
    const float h = clamp01(dot(pa, ba) / dot(ba, ba));
    return length(pa - ba * h) - r;
}

// A box of half size `half` about c with corners rounded by r.
inline float roundBoxSdf(P2 p, P2 c, P2 half, float r)
{
    const float qx = std::abs(p.x - c.x) - half.x + r;
    const float qy = std::abs(p.y - c.y) - half.y + r;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - r;
}

// Union with a blend radius k: shapes melt into each other.
inline float smoothUnion(float a, float b, float k)
{
    const float h = clamp01(0.5f + 0.5f * (b - a) / k);
    return b + (a - b) * h - k * h * (1.0f - h);
}

// 1 well inside, 0 outside, a one-pixel antialiased edge.
inline float coverage(float d) { return clamp01(0.5f - d); }

// Light falling off outside a shape, 1 at the outline.
inline float glow(float d, float radius) { return d <= 0.0f ? 1.0f : std::exp(-d / radius); }

}  // namespace qelo::assetgen
