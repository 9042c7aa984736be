// What Mesh::draw sends to GL, read back through feedback mode: each triangle
// in order with its vertices' positions and alpha scaled, and triangles that
// name a vertex outside the array left out rather than read out of bounds.
#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

#include "geometry/mesh.h"
#include "gl/gl_fixture.h"
#include "render/current_drawing.h"

namespace qelo::test {
namespace {

struct FedBackVertex {
    float x, y, alpha, s;
};

// The triangles `mesh` draws at the origin, unturned, as GL receives them,
// in window coordinates (one unit a pixel).
std::vector<std::array<FedBackVertex, 3>> trianglesDrawn(const Mesh& mesh, float alphaScale)
{
    showContext();
    orthoPixels();
    glDisable(GL_CULL_FACE);
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    mesh.draw(windowDrawing(), Vec3(0, 0, 0), Vec3(0, 0, 0), alphaScale);
    const GLint used = glRenderMode(GL_RENDER);

    // Per polygon: the token, the vertex count, then x, y, z, r, g, b, a, s, t,
    // r, q a vertex.
    std::vector<std::array<FedBackVertex, 3>> triangles;
    for (GLint i = 0; i < used;) {
        EXPECT_EQ(buffer[i], static_cast<GLfloat>(GL_POLYGON_TOKEN));
        EXPECT_EQ(buffer[i + 1], 3.0f);
        if (buffer[i] != static_cast<GLfloat>(GL_POLYGON_TOKEN) || buffer[i + 1] != 3.0f) break;
        std::array<FedBackVertex, 3> triangle{};
        for (int k = 0; k < 3; ++k) {
            const GLfloat* v = &buffer[i + 2 + 11 * k];
            triangle[k] = {v[0], v[1], v[6], v[7]};
        }
        triangles.push_back(triangle);
        i += 2 + 3 * 11;
    }
    return triangles;
}

void expectVertex(const FedBackVertex& v, float x, float y, float alpha)
{
    EXPECT_NEAR(v.x, x, 1e-3f);
    EXPECT_NEAR(v.y, y, 1e-3f);
    EXPECT_NEAR(v.alpha, alpha, 1e-3f);
}

TEST(MeshDraw, SendsValidTrianglesInOrderAndLeavesOutThoseNamingMissingVertices)
{
    // A 100-pixel square's corners; vertex k has alpha 0.2 (k + 1).
    Mesh mesh(4, 6);
    const float corners[4][2] = {{10, 10}, {110, 10}, {110, 110}, {10, 110}};
    for (int k = 0; k < 4; ++k) {
        MeshVertex& v = mesh.vertices()[static_cast<std::size_t>(k)];
        v.position = {corners[k][0], corners[k][1], 0};
        v.colour.alpha = 0.2f * static_cast<float>(k + 1);
    }
    const MeshTriangle triangles[6] = {{0, 1, 2}, {0, 1, 4}, {-1, 2, 3}, {3, 2, 1000000}, {2, 3, 0}, {0, -7, 1}};
    std::copy(std::begin(triangles), std::end(triangles), mesh.triangles().begin());

    const auto drawn = trianglesDrawn(mesh, 0.5f);
    ASSERT_EQ(drawn.size(), 2u);
    expectVertex(drawn[0][0], 10, 10, 0.1f);
    expectVertex(drawn[0][1], 110, 10, 0.2f);
    expectVertex(drawn[0][2], 110, 110, 0.3f);
    expectVertex(drawn[1][0], 110, 110, 0.3f);
    expectVertex(drawn[1][1], 10, 110, 0.4f);
    expectVertex(drawn[1][2], 10, 10, 0.1f);
}

// A right triangle's three corners (100 pixels a side) with alpha `alpha`
// and texture coordinate (s[k], 0.5) at corner k, and `triangles` triangles
// to be set.
Mesh cornerMesh(int triangles, float alpha, const float (&s)[3])
{
    Mesh mesh(3, triangles);
    const float corners[3][2] = {{10, 10}, {110, 10}, {110, 110}};
    for (int k = 0; k < 3; ++k) {
        MeshVertex& v = mesh.vertices()[static_cast<std::size_t>(k)];
        v.position = {corners[k][0], corners[k][1], 0};
        v.colour.alpha = alpha;
        v.texCoord = {s[k], 0.5f};
    }
    return mesh;
}

// An attribute every vertex shares is set once, yet over whatever was
// current before the mesh: every vertex arrives with the mesh's colour and
// its own texture coordinate (one vertex's differs), and GL is left with the
// mesh's normal (all zeros, as a mesh's start).
TEST(MeshDraw, AnAttributeSharedByEveryVertexStillReplacesTheCurrentOne)
{
    Mesh mesh = cornerMesh(2, 0.6f, {0.25f, 0.25f, 0.75f});
    mesh.triangles()[0] = {0, 1, 2};
    mesh.triangles()[1] = {1, 0, 2};
    showContext();
    glColor4f(1, 0, 0, 0.9f);
    glNormal3f(0, 0, 1);
    glTexCoord2f(0, 0);
    const auto drawn = trianglesDrawn(mesh, 0.5f);
    ASSERT_EQ(drawn.size(), 2u);
    const float s[2][3] = {{0.25f, 0.25f, 0.75f}, {0.25f, 0.25f, 0.75f}};
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(drawn[t][k].alpha, 0.3f, 1e-3f);
            EXPECT_EQ(drawn[t][k].s, s[t][k]);
        }
    GLfloat normal[3] = {};
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_EQ(normal[0], 0.0f);
    EXPECT_EQ(normal[1], 0.0f);
    EXPECT_EQ(normal[2], 0.0f);
}

// Every vertex alike (a tree branch): the attributes are set once, before
// the first triangle drawn, even when the triangles before it are left out;
// with no triangle drawn none is set.
TEST(MeshDraw, VerticesAllAlikeSetTheirAttributesBeforeTheFirstTriangleDrawn)
{
    Mesh mesh = cornerMesh(3, 0.8f, {0.625f, 0.625f, 0.625f});
    mesh.triangles()[0] = {0, 1, 3};
    mesh.triangles()[1] = {0, 1, 2};
    mesh.triangles()[2] = {2, 1, 0};
    showContext();
    glColor4f(1, 0, 0, 0.9f);
    glTexCoord2f(0, 0);
    const auto drawn = trianglesDrawn(mesh, 0.5f);
    ASSERT_EQ(drawn.size(), 2u);
    for (const auto& triangle : drawn)
        for (const FedBackVertex& v : triangle) {
            EXPECT_NEAR(v.alpha, 0.4f, 1e-3f);
            EXPECT_EQ(v.s, 0.625f);
        }

    Mesh nothingDrawn(mesh);
    nothingDrawn.triangles()[1] = {0, 1, 3};
    nothingDrawn.triangles()[2] = {-1, 1, 0};
    glTexCoord2f(0.25f, 0);
    EXPECT_TRUE(trianglesDrawn(nothingDrawn, 0.5f).empty());
    GLfloat texCoord[4] = {};
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
    EXPECT_EQ(texCoord[0], 0.25f);
}

}  // namespace
}  // namespace qelo::test
