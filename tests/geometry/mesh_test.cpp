#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "geometry/mesh.h"

namespace {

using qelo::Matrix;
using qelo::Mesh;
using qelo::MeshTriangle;
using qelo::MeshVertex;
using qelo::Vec3;

Mesh sampleMesh()
{
    Mesh mesh(4, 2);
    for (int i = 0; i < 4; ++i) {
        MeshVertex& v = mesh.vertices()[static_cast<std::size_t>(i)];
        const float f = static_cast<float>(i);
        v.position = {f, f + 0.5f, -f};
        v.normal = {0, 0, f};
        v.texCoord = {f * 0.25f, 1 - f * 0.25f};
        v.colour = {0.1f * f, 0.2f, 0.3f, 0.5f};
    }
    mesh.triangles()[0] = {0, 1, 2};
    mesh.triangles()[1] = {2, 3, 0};
    return mesh;
}

// Same counts and equal values in both arrays.
void expectSameContents(const Mesh& a, const Mesh& b)
{
    ASSERT_EQ(a.vertexCount(), b.vertexCount());
    ASSERT_EQ(a.triangleCount(), b.triangleCount());
    ASSERT_EQ(a.vertices().size(), b.vertices().size());
    for (std::size_t i = 0; i < a.vertices().size(); ++i) {
        const MeshVertex &x = a.vertices()[i], &y = b.vertices()[i];
        EXPECT_TRUE(x.position == y.position && x.normal == y.normal && x.texCoord.x == y.texCoord.x &&
                    x.texCoord.y == y.texCoord.y && x.colour == y.colour) << i;
    }
    EXPECT_TRUE(std::ranges::equal(a.triangles(), b.triangles()));
}

TEST(Mesh, AllocatedVerticesTakeTheDefaultsAndTrianglesAreZeroed)
{
    const Mesh mesh(3, 2);
    EXPECT_TRUE(mesh.ownsArrays());
    EXPECT_EQ(mesh.vertexCount(), 3);
    EXPECT_EQ(mesh.triangleCount(), 2);
    for (const MeshVertex& v : mesh.vertices()) {
        EXPECT_EQ(v.position, Vec3());
        EXPECT_EQ(v.normal, Vec3());
        EXPECT_EQ(v.texCoord.x, 0.0f);
        EXPECT_EQ(v.texCoord.y, 0.0f);
        EXPECT_EQ(v.colour, (qelo::VertexColour{1, 1, 1, 1}));
    }
    for (const MeshTriangle& t : mesh.triangles()) {
        EXPECT_EQ(t, (MeshTriangle{0, 0, 0}));
    }
    const Mesh negative(-4, -1);
    EXPECT_EQ(negative.vertexCount(), 0);
    EXPECT_TRUE(negative.vertices().empty());
}

TEST(Mesh, CopiesAreDeepAndMovesHandOverTheArrays)
{
    Mesh source = sampleMesh();
    Mesh copy(source);
    expectSameContents(copy, source);
    EXPECT_NE(copy.vertices().data(), source.vertices().data());
    EXPECT_NE(copy.triangles().data(), source.triangles().data());
    copy.vertices()[1].colour.red = 0.9f;
    copy.triangles()[0].c = 3;
    EXPECT_EQ(source.vertices()[1].colour.red, 0.1f);
    EXPECT_EQ(source.triangles()[0].c, 2);

    Mesh assigned(1, 1);
    assigned.assign(source);
    expectSameContents(assigned, source);
    assigned = assigned;  // self-assignment keeps the contents
    expectSameContents(assigned, source);
    Mesh emptied = sampleMesh();
    emptied.assign(Mesh(0, 0));  // owns two empty arrays
    EXPECT_TRUE(emptied.ownsArrays());
    EXPECT_EQ(emptied.vertexCount(), 0);
    EXPECT_TRUE(emptied.triangles().empty());

    const MeshVertex* arrays = source.vertices().data();
    Mesh moved(std::move(source));
    EXPECT_EQ(moved.vertices().data(), arrays);
    EXPECT_FALSE(source.ownsArrays());
    EXPECT_TRUE(source.vertices().empty());
    EXPECT_EQ(source.vertexCount(), 0);
}

TEST(Mesh, ReleaseFreesOnceAndKeepsTheCounts)
{
    Mesh mesh = sampleMesh();
    mesh.release();
    EXPECT_FALSE(mesh.ownsArrays());
    EXPECT_TRUE(mesh.vertices().empty());
    EXPECT_TRUE(mesh.triangles().empty());
    EXPECT_EQ(mesh.vertexCount(), 4);
    EXPECT_EQ(mesh.triangleCount(), 2);
    mesh.release();
    EXPECT_FALSE(mesh.ownsArrays());
    EXPECT_EQ(mesh.vertexCount(), 4);

    // A copy of a released mesh is released too: nothing is read through the missing arrays.
    const Mesh copy(mesh);
    EXPECT_FALSE(copy.ownsArrays());
    EXPECT_EQ(copy.vertexCount(), 4);
    EXPECT_TRUE(copy.vertices().empty());
    EXPECT_TRUE(mesh.transformed(Matrix().loadIdentity()).vertices().empty());

    // Allocating again after a release gives a fresh owning mesh.
    mesh.allocate(2, 1);
    EXPECT_TRUE(mesh.ownsArrays());
    EXPECT_EQ(mesh.vertices().size(), 2u);
}

TEST(Mesh, TransformedMovesOnlyThePositionsOfASeparateCopy)
{
    const Mesh source = sampleMesh();
    Matrix identity;
    identity.loadIdentity();
    const Mesh same = source.transformed(identity);
    expectSameContents(same, source);
    EXPECT_NE(same.vertices().data(), source.vertices().data());

    Matrix shift;
    shift.loadIdentity().translate(1, 2, 3);
    const Mesh moved = source.transformed(shift);
    ASSERT_EQ(moved.vertices().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const MeshVertex& before = source.vertices()[i];
        const MeshVertex& after = moved.vertices()[i];
        EXPECT_EQ(after.position, Vec3(before.position.x + 1, before.position.y + 2, before.position.z + 3));
        EXPECT_EQ(after.normal, before.normal);
        EXPECT_EQ(after.colour, before.colour);
    }
    EXPECT_EQ(moved.triangles()[1], source.triangles()[1]);
    EXPECT_EQ(source.vertices()[3].position, Vec3(3, 3.5f, -3));
}

}  // namespace
