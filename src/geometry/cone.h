#pragma once
// The cone builder: a closed cone (a pyramid for few sides) along the y axis,
// apex down at y = -length/2, flat base up at y = +length/2.
#include "geometry/mesh.h"

namespace qelo {

// sides x rings + 2 vertices: ring r (0 .. rings-1) holds vertices
// r * sides + j at height -length/2 + (r + 1) * length / rings and radius
// (r + 1) * radius / rings, vertex j = 0 on +z and the angle growing towards
// +x; then the apex, then the base centre. 2 * sides * rings triangles: the
// side bands ring to ring, then per side the apex triangle and the base fan
// triangle. All counter-clockwise seen from outside. Only positions are set.
// sides < 1, rings < 1, a zero or non-finite length, or more than 2^20
// vertices give an empty mesh (0 vertices, 0 triangles).
Mesh makeCone(float radius, float length, int sides, int rings);

}  // namespace qelo
