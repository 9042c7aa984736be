#pragma once
// Two closed fans about one shared corner M, drawn turn about in one batch
// of triangles: F0, G0, F1, G1, ..., where Fi = (Ai, Ai+1, M) and
// Gi = (Bi, Bi+1, M), each fan in one colour, with no blending, depth test,
// texture or culling: each pixel takes the colour of the last triangle that
// covers it. (A dot of the dot grid: rim wedges, each overdrawn by a wedge of
// the grey centre.)
//
// Drawn one by one, every thin wedge walks its own rows. The same pixels
// come out of this:
// - A closed fan whose outer corners make a strictly convex polygon around
//   M (each corner a left turn, M inside once) covers each pixel of that
//   polygon exactly once: neighbouring wedges share their spoke edges with
//   opposite directions, so the tie rule gives a centre on a spoke to one of
//   them, and a centre on M to exactly one wedge (the spokes that own their
//   ties make one arc of directions). So fill polygon A with F's colour,
//   then polygon B with G's.
// - A pixel of both then shows G's colour, right unless its F wedge came
//   later than its G wedge. With every Bi strictly between the spokes to
//   Ai-1 and Ai+1 and every Ai between those to Bi-1 and Bi+1, Fi and Gj
//   share pixels beyond M only when they are neighbours, so the later F
//   wedges are F(i) over G(i-1) along spoke i and F(n-1) over G(0) along
//   spoke 0: thin slivers between two nearly equal spokes, searched along
//   the spoke and every candidate tested exactly against both triangles. A
//   centre on M is in one wedge of each fan, and those are neighbours too
//   (where the spokes' tie rule changes hands, the same place in both fans
//   give or take one spoke), so the search meets it as well.
// Anything else (a different shape, a corner outside the picture's view,
// spokes that are not nearly parallel) is declined and drawn one by one.
#include <cstdint>

#include "render/software/rasteriser.h"

namespace qelo::software {

// Draws the `count` window vertices (count / 3 triangles) into the width x
// height RGBA picture when they form such a pair of fans, colours taken from
// each triangle's first vertex; false, and nothing drawn, when they do not.
bool drawInterleavedFans(const WindowVertex* vertices, std::int32_t count, std::uint8_t* rgba, std::int32_t width,
                         std::int32_t height);

}  // namespace qelo::software
