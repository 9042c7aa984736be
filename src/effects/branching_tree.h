#pragma once
// The branching tree: slender three-sided cones, point up, each carrying
// ⌊1.4 size⌋ children fanned out along it, each a little under half its size.
// The structure is fixed; only the sway of every branch and the colour of the
// whole tree change with time. Size 15 gives 3000 branches on six levels.
#include <cstdint>

#include "geometry/mesh.h"
#include "render/drawing_context.h"

namespace qelo {

// Branches this small (size <= 0.05), and sizes that are not a number, are not
// drawn and draw no random value.
inline constexpr float smallestBranch = 0.05f;

// Number of children of a branch of this size: ⌊1.4 size⌋ (none below ~0.714;
// none for sizes that are not a finite number or absurdly large).
std::int32_t childCount(float size);

// Where child k of a branch with n children sprouts and how it leans.
struct ChildBranch {
    float foot;    // height of its foot above the parent's quarter mark: k / n of 0.9 size
    float spread;  // lean away from the parent's axis in degrees before sway, [10, 70]
    float size;    // half the parent's size, less a little more for every later child
};
ChildBranch childBranch(float size, std::int32_t k, std::int32_t n);

// A branch of `size` as a fresh mesh: the cone builder's 3-sided, 1-ring cone
// turned a half turn about z and lifted, so that its base triangle lies on
// y = 0 around the origin and its apex at (0, size, 0). Vertex colours are
// left at their defaults.
Mesh branchMesh(float size);

// The same mesh, built once per size and kept for later frames (the tree's
// sizes are the same every frame). Painting it is the caller's; the reference
// stays valid while later calls add sizes.
Mesh& builtBranch(float size);

// Draws a branch of `size` standing on the current origin along +y, and all
// its descendants, swaying with `time` (seconds). One random draw per branch
// drawn, in depth-first order. Leaves the modelview translated by a quarter
// of the size up the branch.
void drawBranch(DrawingContext& gl, float size, float time);

}  // namespace qelo
