#include <array>
#include <cstdint>
#include <cstring>

#include "geometry/mesh.h"
#include "render/drawing_context.h"

namespace qelo {

namespace {

// A vertex's attributes as drawn: texture coordinate (0-1), colour with its
// alpha scaled (2-5), normal (6-8).
using Attributes = std::array<float, 9>;
constexpr int texCoordAt = 0, colourAt = 2, normalAt = 6;

Attributes attributesOf(const MeshVertex& v, float alphaScale)
{
    return {v.texCoord.x, v.texCoord.y, v.colour.red, v.colour.green, v.colour.blue, v.colour.alpha * alphaScale,
            v.normal.x, v.normal.y, v.normal.z};
}

// Whether floats [from, from + count) of a and b are the same bits: the same
// current value.
bool sameBits(const Attributes& a, const Attributes& b, int from, int count)
{
    for (int k = from; k < from + count; ++k) {
        std::uint32_t x, y;
        std::memcpy(&x, &a[static_cast<std::size_t>(k)], sizeof x);
        std::memcpy(&y, &b[static_cast<std::size_t>(k)], sizeof y);
        if (x != y) return false;
    }
    return true;
}

}  // namespace

void Mesh::draw(DrawingContext& gl, const Vec3& position, const Vec3& rotation, float alphaScale) const
{
    const auto vertexList = vertices();
    const auto count = static_cast<std::uint32_t>(vertexList.size());

    gl.pushMatrix();
    gl.translate(position.x, position.y, position.z);
    gl.rotate(rotation.x, 1.0f, 0.0f, 0.0f);
    gl.rotate(rotation.y, 0.0f, 1.0f, 0.0f);
    gl.rotate(rotation.z, 0.0f, 0.0f, 1.0f);
    gl.begin(Primitive::triangles);
    // An attribute bit for bit the one set last is not set again: the current
    // one already is it. The first vertex drawn sets all three. When every
    // vertex has the same attributes (a branch: one colour, no texture
    // coordinate or normal) they are compared once, not at every corner.
    bool uniform = count > 0;
    const Attributes firstVertex = uniform ? attributesOf(vertexList[0], alphaScale) : Attributes{};
    for (std::uint32_t k = 1; uniform && k < count; ++k)
        uniform = sameBits(attributesOf(vertexList[k], alphaScale), firstVertex, 0, 9);
    Attributes last{};
    bool first = true;
    for (const MeshTriangle& triangle : triangles()) {
        const std::int32_t corners[3] = {triangle.a, triangle.b, triangle.c};
        // Unsigned comparison also rejects negative indices.
        if (static_cast<std::uint32_t>(corners[0]) >= count || static_cast<std::uint32_t>(corners[1]) >= count ||
            static_cast<std::uint32_t>(corners[2]) >= count) {
            continue;
        }
        for (const std::int32_t index : corners) {
            const MeshVertex& v = vertexList[static_cast<std::size_t>(index)];
            if (first || !uniform) {
                const Attributes a = uniform ? firstVertex : attributesOf(v, alphaScale);
                if (first || !sameBits(a, last, texCoordAt, 2)) gl.texCoord(a[0], a[1]);
                if (first || !sameBits(a, last, colourAt, 4)) gl.colour(a[2], a[3], a[4], a[5]);
                if (first || !sameBits(a, last, normalAt, 3)) gl.normal(a[6], a[7], a[8]);
                last = a;
                first = false;
            }
            gl.vertex(v.position.x, v.position.y, v.position.z);
        }
    }
    gl.end();
    gl.popMatrix();
}

}  // namespace qelo
