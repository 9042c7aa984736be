#pragma once
// An indexed triangle mesh that owns its vertex and triangle arrays. Copies
// are deep, moves are cheap; a moved-from mesh is empty and owns nothing.
#include <cstdint>
#include <memory>
#include <span>

#include "geometry/matrix.h"
#include "geometry/mesh_vertex.h"

namespace qelo {

class DrawingContext;

class Mesh {
public:
    Mesh() = default;
    Mesh(int vertexCount, int triangleCount) { allocate(vertexCount, triangleCount); }
    Mesh(const Mesh& other) { assign(other); }
    Mesh(Mesh&& other) noexcept;
    Mesh& operator=(const Mesh& other) { return assign(other); }
    Mesh& operator=(Mesh&& other) noexcept;
    ~Mesh() = default;

    // New arrays of the given sizes (negative counts count as 0): vertices at
    // their defaults (origin, zero normal and texture coordinate, opaque
    // white), triangles (0, 0, 0) for the caller to overwrite. Arrays held
    // before are freed, not leaked.
    void allocate(int vertexCount, int triangleCount);

    // Frees both arrays. The counts keep their values, but the arrays are
    // empty spans from now on, so nothing reads through them. Repeatable.
    void release();

    // A deep copy of other's arrays and counts. Assigning a released mesh
    // makes this one released too, with other's counts.
    Mesh& assign(const Mesh& other);

    // A deep copy with every position p replaced by p.transformed(m); all
    // other vertex data and the triangles are copied unchanged.
    Mesh transformed(const Matrix& m) const;

    // Draws the triangles in immediate mode at `position`, turned by
    // rotation.x, .y, .z degrees about x, then y, then z, with every vertex
    // alpha times alphaScale. Sets no other GL state. Triangles naming a
    // vertex outside the array are skipped.
    void draw(DrawingContext& gl, const Vec3& position, const Vec3& rotation, float alphaScale) const;

    int vertexCount() const { return vertexTotal; }
    int triangleCount() const { return triangleTotal; }
    bool ownsArrays() const { return owning; }
    std::span<MeshVertex> vertices() { return {vertexArray.get(), heldVertices()}; }
    std::span<const MeshVertex> vertices() const { return {vertexArray.get(), heldVertices()}; }
    std::span<MeshTriangle> triangles() { return {triangleArray.get(), heldTriangles()}; }
    std::span<const MeshTriangle> triangles() const { return {triangleArray.get(), heldTriangles()}; }

private:
    std::size_t heldVertices() const { return owning ? static_cast<std::size_t>(vertexTotal) : 0; }
    std::size_t heldTriangles() const { return owning ? static_cast<std::size_t>(triangleTotal) : 0; }

    std::int32_t vertexTotal = 0;
    std::int32_t triangleTotal = 0;
    std::unique_ptr<MeshVertex[]> vertexArray;
    std::unique_ptr<MeshTriangle[]> triangleArray;
    bool owning = false;
};

}  // namespace qelo
