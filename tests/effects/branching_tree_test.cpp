// The branching tree where the golden frames cannot tell: sizes the show
// never grows, the branch mesh's placement, and the meshes kept between
// frames. (Its 3,000 branches and their draws the goldens pin.)
#include "effects/branching_tree.h"

#include <gtest/gtest.h>

#include "effects/scratch_drawing.h"

#include <cmath>
#include <limits>
#include <vector>

#include "effects/generator_steps.h"
#include "shell/random.h"

namespace qelo {
namespace {

using testing::drawsBetween;

std::int64_t drawsOfBranch(float size, float time)
{
    srand(31337);
    drawBranch(testing::scratchDrawing(), size, time);
    return drawsBetween(31337, randState());
}

TEST(BranchingTree, BranchesAtOrBelowTheLimitDrawNothing)
{
    EXPECT_EQ(drawsOfBranch(0.05f, 1.0f), 0);
    EXPECT_EQ(drawsOfBranch(0.0f, 1.0f), 0);
    EXPECT_EQ(drawsOfBranch(-3.0f, 1.0f), 0);
    EXPECT_EQ(drawsOfBranch(std::nanf(""), 1.0f), 0);
    // An infinite branch cannot be built or carry children: one draw, nothing else.
    EXPECT_EQ(childCount(std::numeric_limits<float>::infinity()), 0);
    EXPECT_EQ(drawsOfBranch(std::numeric_limits<float>::infinity(), 1.0f), 1);
    EXPECT_EQ(drawsOfBranch(0.06f, 1.0f), 1);  // one branch, no children
}

// The sizes of every branch of the tree grown from `size`, depth first.
void collectSizes(float size, std::vector<float>& sizes)
{
    if (size <= smallestBranch) return;
    sizes.push_back(size);
    const std::int32_t n = childCount(size);
    for (std::int32_t k = 0; k < n; ++k) collectSizes(childBranch(size, k, n).size, sizes);
}

TEST(BranchingTree, BranchStandsOnItsBaseWithItsApexAtItsSize)
{
    const float size = 7.5f;
    const Mesh branch = branchMesh(size);
    ASSERT_EQ(branch.vertexCount(), 5);
    ASSERT_EQ(branch.triangleCount(), 6);
    const auto v = branch.vertices();
    const float radius = 0.05f * size;
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(v[j].position.y, 0.0f);
        EXPECT_NEAR(std::hypot(v[j].position.x, v[j].position.z), radius, 1e-6f);
    }
    // The half turn about z mirrors x: the first base corner stays on +z, the
    // second (120 degrees towards +x in the builder) now lies towards -x.
    EXPECT_NEAR(v[0].position.z, radius, 1e-6f);
    EXPECT_LT(v[1].position.x, 0.0f);
    EXPECT_EQ(v[3].position, Vec3(0.0f, size, 0.0f));  // apex
    EXPECT_EQ(v[4].position, Vec3(0.0f, 0.0f, 0.0f));  // base centre
}

TEST(BranchingTree, BranchesKeptFromEarlierFramesEqualFreshBuilds)
{
    std::vector<float> sizes;
    collectSizes(15.0f, sizes);
    ASSERT_EQ(sizes.size(), 3000u);
    for (int pass = 0; pass < 2; ++pass) {  // first built, then found again
        for (const float size : sizes) {
            const Mesh fresh = branchMesh(size);
            const Mesh& kept = builtBranch(size);
            ASSERT_EQ(kept.vertexCount(), fresh.vertexCount());
            ASSERT_EQ(kept.triangleCount(), fresh.triangleCount());
            for (int i = 0; i < fresh.vertexCount(); ++i) {
                ASSERT_EQ(kept.vertices()[i].position, fresh.vertices()[i].position) << size;
            }
            for (int i = 0; i < fresh.triangleCount(); ++i) {
                ASSERT_EQ(kept.triangles()[i], fresh.triangles()[i]) << size;
            }
        }
    }
    EXPECT_EQ(&builtBranch(15.0f), &builtBranch(15.0f));
}

// More sizes than are kept: the store starts afresh and still hands out the
// mesh of the size asked for, then finds it again.
TEST(BranchingTree, MoreSizesThanAreKeptStillGiveEachSizesMesh)
{
    for (int k = 0; k < 20000; ++k) {
        const float size = 1.0f + static_cast<float>(k) * 0.001f;
        const Mesh& kept = builtBranch(size);
        ASSERT_EQ(kept.vertexCount(), 5);
        ASSERT_EQ(kept.vertices()[3].position, Vec3(0.0f, size, 0.0f)) << k;  // apex
        ASSERT_EQ(&builtBranch(size), &kept) << k;
    }
}

}  // namespace
}  // namespace qelo
