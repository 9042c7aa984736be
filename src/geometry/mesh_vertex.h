#pragma once
// The records a Mesh holds: vertices with position, normal, texture
// coordinate and colour, and triangles of three vertex indices.
#include <cstdint>

#include "geometry/vec2.h"
#include "geometry/vec3.h"

namespace qelo {

struct VertexColour {
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    float alpha = 1.0f;

    friend constexpr bool operator==(const VertexColour&, const VertexColour&) = default;
};

// Normals are carried and sent to GL but never computed (the show draws
// without lighting), so they stay (0, 0, 0) unless a user writes them.
struct MeshVertex {
    Vec3 position;
    Vec3 normal;
    Vec2 texCoord;  // u in x, v in y
    VertexColour colour;
};

// Three vertex indices in drawing order (counter-clockwise is front-facing).
struct MeshTriangle {
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t c = 0;

    friend constexpr bool operator==(const MeshTriangle&, const MeshTriangle&) = default;
};

static_assert(sizeof(MeshVertex) == 48);
static_assert(sizeof(MeshTriangle) == 12);

}  // namespace qelo
