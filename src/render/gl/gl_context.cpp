#include "render/gl/gl_context.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <limits>

namespace qelo {

namespace {

GLenum glCapability(Capability capability)
{
    switch (capability) {
    case Capability::depthTest: return GL_DEPTH_TEST;
    case Capability::blend: return GL_BLEND;
    case Capability::texture2D: return GL_TEXTURE_2D;
    case Capability::cullFace: return GL_CULL_FACE;
    }
    return GL_TEXTURE_2D;
}

GLenum glBlendFactor(BlendFactor factor)
{
    switch (factor) {
    case BlendFactor::zero: return GL_ZERO;
    case BlendFactor::one: return GL_ONE;
    case BlendFactor::sourceAlpha: return GL_SRC_ALPHA;
    case BlendFactor::oneMinusSourceAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    }
    return GL_ONE;
}

GLint glFilter(TextureFilter filter) { return filter == TextureFilter::nearest ? GL_NEAREST : GL_LINEAR; }

}  // namespace

DrawingContext& glWindowDrawing()
{
    static GlContext gl;
    return gl;
}

void GlContext::matrixMode(MatrixMode mode) { glMatrixMode(mode == MatrixMode::projection ? GL_PROJECTION : GL_MODELVIEW); }
void GlContext::loadIdentity() { glLoadIdentity(); }
void GlContext::pushMatrix() { glPushMatrix(); }
void GlContext::popMatrix() { glPopMatrix(); }
void GlContext::multMatrix(const float columnMajor[16]) { glMultMatrixf(columnMajor); }

void GlContext::perspective(double fieldOfViewY, double aspect, double zNear, double zFar)
{
    gluPerspective(fieldOfViewY, aspect, zNear, zFar);
}

void GlContext::ortho(double left, double right, double bottom, double top, double zNear, double zFar)
{
    glOrtho(left, right, bottom, top, zNear, zFar);
}

void GlContext::lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ,
                       double upX, double upY, double upZ)
{
    gluLookAt(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ);
}

void GlContext::rotate(float degrees, float x, float y, float z) { glRotatef(degrees, x, y, z); }
void GlContext::scale(float x, float y, float z) { glScalef(x, y, z); }
void GlContext::translate(float x, float y, float z) { glTranslatef(x, y, z); }

void GlContext::enable(Capability capability) { glEnable(glCapability(capability)); }
void GlContext::disable(Capability capability) { glDisable(glCapability(capability)); }

void GlContext::blendFunction(BlendFactor source, BlendFactor destination)
{
    glBlendFunc(glBlendFactor(source), glBlendFactor(destination));
}

void GlContext::colour(float red, float green, float blue, float alpha) { glColor4f(red, green, blue, alpha); }
void GlContext::normal(float x, float y, float z) { glNormal3f(x, y, z); }
void GlContext::texCoord(float u, float v) { glTexCoord2f(u, v); }

void GlContext::begin(Primitive primitive) { glBegin(primitive == Primitive::quads ? GL_QUADS : GL_TRIANGLES); }
void GlContext::vertex(float x, float y, float z) { glVertex3f(x, y, z); }
void GlContext::vertex(float x, float y) { glVertex2f(x, y); }
void GlContext::end() { glEnd(); }

// Depth and stencil are cleared together: in a packed depth-stencil buffer
// clearing depth alone is a read-modify-write of every pixel.
void GlContext::clear(ClearMask mask)
{
    GLbitfield bits = 0;
    if (static_cast<unsigned>(mask) & static_cast<unsigned>(ClearMask::colour)) bits |= GL_COLOR_BUFFER_BIT;
    if (static_cast<unsigned>(mask) & static_cast<unsigned>(ClearMask::depth)) bits |= GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;
    glClear(bits);
}

void GlContext::pushAttributes() { glPushAttrib(GL_ALL_ATTRIB_BITS); }
void GlContext::popAttributes() { glPopAttrib(); }

TextureId GlContext::createTexture()
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return name;
}

void GlContext::bindTexture(TextureId texture) { glBindTexture(GL_TEXTURE_2D, texture); }

void GlContext::textureFilter(TextureFilter minifying, TextureFilter magnifying)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, glFilter(minifying));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, glFilter(magnifying));
}

void GlContext::textureImage(std::int32_t width, std::int32_t height, const std::uint8_t* rgba)
{
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void GlContext::textureSubImage(std::int32_t width, std::int32_t height, const std::uint8_t* rgba)
{
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void GlContext::readTextureImage(std::uint8_t* rgba) { glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba); }

void GlContext::deleteTexture(TextureId texture)
{
    const GLuint name = texture;
    glDeleteTextures(1, &name);
}

std::int32_t GlContext::maxTextureSize()
{
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size > 0 ? size : std::numeric_limits<std::int32_t>::max();
}

}  // namespace qelo
