#include "render/gl/gl_viewport.h"

#include <GL/gl.h>

namespace qelo {

void setGlViewport(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    glViewport(x, y, width, height);
}

void glViewportSize(std::int32_t& width, std::int32_t& height)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    width = viewport[2];
    height = viewport[3];
}

}  // namespace qelo
