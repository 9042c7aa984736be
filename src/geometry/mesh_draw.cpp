#include <array>
#include <cstdint>
#include <cstring>

#include "geometry/mesh.h"
#include "render/drawing_context.h"

namespace qelo {

namespace {

// A vertex attribute's floats as bits: equal bits, the same current value.
template <std::size_t n>
std::array<std::uint32_t, n> bitsOf(const float (&values)[n])
{
    std::array<std::uint32_t, n> bits;
    std::memcpy(bits.data(), values, sizeof values);
    return bits;
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
    // one already is it (a branch's vertices share one colour, texture
    // coordinate and normal). The first vertex sets all three.
    std::array<std::uint32_t, 2> lastTexCoord{};
    std::array<std::uint32_t, 4> lastColour{};
    std::array<std::uint32_t, 3> lastNormal{};
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
            const float texCoord[2] = {v.texCoord.x, v.texCoord.y};
            const float colour[4] = {v.colour.red, v.colour.green, v.colour.blue, v.colour.alpha * alphaScale};
            const float normal[3] = {v.normal.x, v.normal.y, v.normal.z};
            const auto texCoordBits = bitsOf(texCoord);
            const auto colourBits = bitsOf(colour);
            const auto normalBits = bitsOf(normal);
            if (first || texCoordBits != lastTexCoord) gl.texCoord(texCoord[0], texCoord[1]);
            if (first || colourBits != lastColour) gl.colour(colour[0], colour[1], colour[2], colour[3]);
            if (first || normalBits != lastNormal) gl.normal(normal[0], normal[1], normal[2]);
            lastTexCoord = texCoordBits;
            lastColour = colourBits;
            lastNormal = normalBits;
            first = false;
            gl.vertex(v.position.x, v.position.y, v.position.z);
        }
    }
    gl.end();
    gl.popMatrix();
}

}  // namespace qelo
