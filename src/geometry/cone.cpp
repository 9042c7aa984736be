#include "geometry/cone.h"

#include <cmath>
#include <cstdint>

namespace qelo {

namespace {

constexpr float fullTurn = 6.2831855f;  // 2 pi as a float

// Far beyond any cone worth drawing (the show's have 5 vertices) and small
// enough to allocate: 2^20 vertices are 48 MiB, their triangles 24 MiB.
constexpr std::int64_t maxVertices = std::int64_t{1} << 20;

bool buildable(float length, int sides, int rings)
{
    if (sides < 1 || rings < 1 || length == 0.0f || !std::isfinite(length)) {
        return false;
    }
    const std::int64_t vertices = static_cast<std::int64_t>(sides) * rings + 2;
    return vertices <= maxVertices;
}

}  // namespace

Mesh makeCone(float radius, float length, int sides, int rings)
{
    if (!buildable(length, sides, rings)) {
        return Mesh(0, 0);
    }
    const int c = sides;
    const int n = rings;
    const int apex = c * n;
    const int baseCentre = apex + 1;
    const float halfLength = length / 2.0f;
    Mesh mesh(c * n + 2, 2 * c * n);

    const auto vertices = mesh.vertices();
    for (int i = 1; i <= n; ++i) {
        const int ring = i - 1;
        const float g = static_cast<float>(static_cast<double>(i) / n * length);
        const float h = static_cast<float>(static_cast<double>(g) / length * radius);
        // g - length / 2 rounded once: halving a subnormal length as a float
        // would round first and lift the last ring off the base plane.
        const float y = static_cast<float>(static_cast<double>(g) - static_cast<double>(length) / 2.0);
        for (int j = 0; j < c; ++j) {
            // The side count as a float, the quotient and angle in double.
            const double theta = static_cast<double>(j) / static_cast<double>(static_cast<float>(c)) * static_cast<double>(fullTurn);
            vertices[static_cast<std::size_t>(ring * c + j)].position = {
                static_cast<float>(h * std::sin(theta)), y, static_cast<float>(h * std::cos(theta))};
        }
    }
    vertices[static_cast<std::size_t>(apex)].position = {0.0f, -halfLength, 0.0f};
    vertices[static_cast<std::size_t>(baseCentre)].position = {0.0f, halfLength, 0.0f};

    auto triangle = mesh.triangles().begin();
    for (int r = 0; r + 1 < n; ++r) {
        const int a = r * c;
        const int b = a + c;
        for (int j = 0; j < c; ++j) {
            const int jn = (j + 1) % c;
            *triangle++ = {a + j, a + jn, b + jn};
            *triangle++ = {b + jn, b + j, a + j};
        }
    }
    const int lastRing = (n - 1) * c;
    for (int j = 0; j < c; ++j) {
        const int jn = (j + 1) % c;
        *triangle++ = {j, apex, jn};
        *triangle++ = {baseCentre, lastRing + j, lastRing + jn};
    }
    return mesh;
}

}  // namespace qelo
