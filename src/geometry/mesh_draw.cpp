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

// A vertex's attributes as drawn: texture coordinate, colour (alpha scaled),
// normal, as bits.
struct AttributeBits {
    std::array<std::uint32_t, 2> texCoord;
    std::array<std::uint32_t, 4> colour;
    std::array<std::uint32_t, 3> normal;
    float values[9];
    bool operator==(const AttributeBits& other) const
    {
        return texCoord == other.texCoord && colour == other.colour && normal == other.normal;
    }
};

AttributeBits attributeBits(const MeshVertex& v, float alphaScale)
{
    AttributeBits bits;
    const float texCoord[2] = {v.texCoord.x, v.texCoord.y};
    const float colour[4] = {v.colour.red, v.colour.green, v.colour.blue, v.colour.alpha * alphaScale};
    const float normal[3] = {v.normal.x, v.normal.y, v.normal.z};
    bits.texCoord = bitsOf(texCoord);
    bits.colour = bitsOf(colour);
    bits.normal = bitsOf(normal);
    std::memcpy(bits.values, texCoord, sizeof texCoord);
    std::memcpy(bits.values + 2, colour, sizeof colour);
    std::memcpy(bits.values + 6, normal, sizeof normal);
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
    // one already is it. The first vertex drawn sets all three. When every
    // vertex has the same attributes (a branch: one colour, no texture
    // coordinate or normal) they are compared once, not at every corner.
    bool uniform = count > 0;
    const AttributeBits firstBits = uniform ? attributeBits(vertexList[0], alphaScale) : AttributeBits{};
    for (std::uint32_t k = 1; uniform && k < count; ++k) uniform = attributeBits(vertexList[k], alphaScale) == firstBits;
    AttributeBits last{};
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
                const AttributeBits bits = uniform ? firstBits : attributeBits(v, alphaScale);
                const float* values = bits.values;
                if (first || bits.texCoord != last.texCoord) gl.texCoord(values[0], values[1]);
                if (first || bits.colour != last.colour) gl.colour(values[2], values[3], values[4], values[5]);
                if (first || bits.normal != last.normal) gl.normal(values[6], values[7], values[8]);
                last = bits;
                first = false;
            }
            gl.vertex(v.position.x, v.position.y, v.position.z);
        }
    }
    gl.end();
    gl.popMatrix();
}

}  // namespace qelo
