#pragma once
// A projection the in-memory triangle tests draw through, both ways.
#include <array>
#include <cmath>

namespace qelo::test {

// Perspective of a 60-degree field over a width x height viewport, near 0.5,
// far 50; column-major, as glLoadMatrixf takes it.
inline std::array<float, 16> perspectiveProjection(int width, int height)
{
    const float f = 1.0f / std::tan(0.5236f);
    const float nearPlane = 0.5f;
    const float farPlane = 50.0f;
    std::array<float, 16> m{};
    m[0] = f * static_cast<float>(height) / static_cast<float>(width);
    m[5] = f;
    m[10] = (farPlane + nearPlane) / (nearPlane - farPlane);
    m[11] = -1.0f;
    m[14] = 2.0f * farPlane * nearPlane / (nearPlane - farPlane);
    return m;
}

}  // namespace qelo::test
