#include "geometry/mesh.h"

#include <algorithm>
#include <utility>

namespace qelo {

Mesh::Mesh(Mesh&& other) noexcept
    : vertexTotal(std::exchange(other.vertexTotal, 0)),
      triangleTotal(std::exchange(other.triangleTotal, 0)),
      vertexArray(std::move(other.vertexArray)),
      triangleArray(std::move(other.triangleArray)),
      owning(std::exchange(other.owning, false))
{
}

Mesh& Mesh::operator=(Mesh&& other) noexcept
{
    if (this != &other) {
        vertexTotal = std::exchange(other.vertexTotal, 0);
        triangleTotal = std::exchange(other.triangleTotal, 0);
        vertexArray = std::move(other.vertexArray);
        triangleArray = std::move(other.triangleArray);
        owning = std::exchange(other.owning, false);
    }
    return *this;
}

void Mesh::allocate(int vertexCount, int triangleCount)
{
    vertexTotal = std::max(vertexCount, 0);
    triangleTotal = std::max(triangleCount, 0);
    vertexArray = std::make_unique<MeshVertex[]>(static_cast<std::size_t>(vertexTotal));
    triangleArray = std::make_unique<MeshTriangle[]>(static_cast<std::size_t>(triangleTotal));
    owning = true;
}

void Mesh::release()
{
    if (!owning) {
        return;
    }
    vertexArray.reset();
    triangleArray.reset();
    owning = false;
}

Mesh& Mesh::assign(const Mesh& other)
{
    if (this == &other) {
        return *this;
    }
    release();
    if (!other.owning) {
        vertexTotal = other.vertexTotal;
        triangleTotal = other.triangleTotal;
        return *this;
    }
    allocate(other.vertexTotal, other.triangleTotal);
    std::copy_n(other.vertexArray.get(), vertexTotal, vertexArray.get());
    std::copy_n(other.triangleArray.get(), triangleTotal, triangleArray.get());
    return *this;
}

Mesh Mesh::transformed(const Matrix& m) const
{
    // One copy instead of copy-then-copy-again: the result is the same mesh.
    Mesh result(*this);
    for (MeshVertex& vertex : result.vertices()) {
        vertex.position = vertex.position.transformed(m);
    }
    return result;
}

}  // namespace qelo
