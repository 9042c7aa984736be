#include <GL/gl.h>

#include "geometry/mesh.h"

namespace qelo {

void Mesh::draw(const Vec3& position, const Vec3& rotation, float alphaScale) const
{
    const auto vertexList = vertices();
    const auto count = static_cast<std::uint32_t>(vertexList.size());

    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
    glBegin(GL_TRIANGLES);
    for (const MeshTriangle& triangle : triangles()) {
        const std::int32_t corners[3] = {triangle.a, triangle.b, triangle.c};
        // Unsigned comparison also rejects negative indices.
        if (static_cast<std::uint32_t>(corners[0]) >= count || static_cast<std::uint32_t>(corners[1]) >= count ||
            static_cast<std::uint32_t>(corners[2]) >= count) {
            continue;
        }
        for (const std::int32_t index : corners) {
            const MeshVertex& v = vertexList[static_cast<std::size_t>(index)];
            glTexCoord2f(v.texCoord.x, v.texCoord.y);
            glColor4f(v.colour.red, v.colour.green, v.colour.blue, v.colour.alpha * alphaScale);
            glNormal3f(v.normal.x, v.normal.y, v.normal.z);
            glVertex3f(v.position.x, v.position.y, v.position.z);
        }
    }
    glEnd();
    glPopMatrix();
}

}  // namespace qelo
