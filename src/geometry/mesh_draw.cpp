#include <array>
#include <cstdint>
#include <cstring>

#include "geometry/mesh.h"
#include "render/drawing_context.h"

namespace qelo {

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
    // A colour bit for bit the one set last is not set again: the current
    // colour already is it (a branch's vertices all share one).
    std::array<std::uint32_t, 4> lastColour{};
    bool colourSet = false;
    for (const MeshTriangle& triangle : triangles()) {
        const std::int32_t corners[3] = {triangle.a, triangle.b, triangle.c};
        // Unsigned comparison also rejects negative indices.
        if (static_cast<std::uint32_t>(corners[0]) >= count || static_cast<std::uint32_t>(corners[1]) >= count ||
            static_cast<std::uint32_t>(corners[2]) >= count) {
            continue;
        }
        for (const std::int32_t index : corners) {
            const MeshVertex& v = vertexList[static_cast<std::size_t>(index)];
            gl.texCoord(v.texCoord.x, v.texCoord.y);
            const float colour[4] = {v.colour.red, v.colour.green, v.colour.blue, v.colour.alpha * alphaScale};
            std::array<std::uint32_t, 4> bits;
            std::memcpy(bits.data(), colour, sizeof colour);
            if (!colourSet || bits != lastColour) gl.colour(colour[0], colour[1], colour[2], colour[3]);
            lastColour = bits;
            colourSet = true;
            gl.normal(v.normal.x, v.normal.y, v.normal.z);
            gl.vertex(v.position.x, v.position.y, v.position.z);
        }
    }
    gl.end();
    gl.popMatrix();
}

}  // namespace qelo
