#pragma once
// The drawing interface of the scenes, the mesh and the compositing: the
// fixed-function subset of OpenGL 1.1 the show uses, nothing more. One
// DrawingContext stands for one GL context: the window's or a render
// target's. Its state (matrices, enables, blend function, current colour,
// normal and texture coordinate, bound texture) stays from one frame to the
// next, so what one routine leaves in a target is what the next finds there,
// whichever renderer draws.
//
// Two renderers implement it. The GL renderer makes each call its GL call,
// one for one, in the same order, in the context current in GL. The software
// renderer (render/software/) keeps a picture, a depth buffer and this state
// per context and draws on the CPU by rules of its own, written down in its
// header. Callers never ask which one draws.
//
// Angles are degrees where GL takes degrees (rotate) and the field of view of
// perspective; all else is GL's units. A routine must call begin/end in pairs
// and issue only vertex, colour, normal and texCoord between them.
#include <cstdint>

namespace qelo {

enum class MatrixMode : std::uint8_t { projection, modelView };

enum class Capability : std::uint8_t { depthTest, blend, texture2D, cullFace };

// The blend factors the show uses (source and destination).
enum class BlendFactor : std::uint8_t { zero, one, sourceAlpha, oneMinusSourceAlpha };

enum class Primitive : std::uint8_t { triangles, quads };

enum class TextureFilter : std::uint8_t { nearest, linear };

// What clear() clears: colour to (0, 0, 0, 0); depth to 1 (with the
// stencil, where there is one: they are cleared together).
enum class ClearMask : std::uint8_t { colour = 1, depth = 2, colourAndDepth = 3 };

// A texture object of one context; 0 is none. Like a GL name, it means
// nothing in another context.
using TextureId = std::uint32_t;

class DrawingContext {
public:
    virtual ~DrawingContext() = default;

    // Matrices: two stacks (at least 32 deep for the model-view, 2 for the
    // projection), the current one chosen by matrixMode. Each operation
    // multiplies the current matrix on the right, as GL does.
    virtual void matrixMode(MatrixMode mode) = 0;
    virtual void loadIdentity() = 0;
    virtual void pushMatrix() = 0;
    virtual void popMatrix() = 0;
    virtual void multMatrix(const float columnMajor[16]) = 0;
    virtual void perspective(double fieldOfViewY, double aspect, double zNear, double zFar) = 0;
    virtual void ortho(double left, double right, double bottom, double top, double zNear, double zFar) = 0;
    virtual void lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ,
                        double upX, double upY, double upZ) = 0;
    virtual void rotate(float degrees, float x, float y, float z) = 0;
    virtual void scale(float x, float y, float z) = 0;
    virtual void translate(float x, float y, float z) = 0;

    // Fixed-function state. Depth test GL_LESS, culling of back faces
    // (counter-clockwise front), texturing with GL_MODULATE and GL_REPEAT.
    virtual void enable(Capability capability) = 0;
    virtual void disable(Capability capability) = 0;
    virtual void blendFunction(BlendFactor source, BlendFactor destination) = 0;

    // The current vertex attributes. Colour components are clamped to [0, 1]
    // when a vertex takes them.
    virtual void colour(float red, float green, float blue, float alpha) = 0;
    virtual void normal(float x, float y, float z) = 0;
    virtual void texCoord(float u, float v) = 0;

    // Immediate-mode primitives: each vertex takes the current colour,
    // normal and texture coordinate.
    virtual void begin(Primitive primitive) = 0;
    virtual void vertex(float x, float y, float z) = 0;
    virtual void vertex(float x, float y) = 0;  // z = 0
    virtual void end() = 0;

    virtual void clear(ClearMask mask) = 0;

    // Saves, then restores, the enables, the blend function, the current
    // colour, normal and texture coordinate, the matrix mode and the bound
    // texture (GL_ALL_ATTRIB_BITS; not the matrices). At least 16 deep.
    virtual void pushAttributes() = 0;
    virtual void popAttributes() = 0;

    // Textures of this context. createTexture makes an empty one with linear
    // filters and binds it. textureImage gives the bound texture a
    // width x height RGBA8 image (rows first to last = t from 0 up; width and
    // height powers of two); textureSubImage replaces its lower-left corner.
    // readTextureImage copies the bound texture's whole image out.
    virtual TextureId createTexture() = 0;
    virtual void bindTexture(TextureId texture) = 0;
    virtual void textureFilter(TextureFilter minifying, TextureFilter magnifying) = 0;
    virtual void textureImage(std::int32_t width, std::int32_t height, const std::uint8_t* rgba) = 0;
    virtual void textureSubImage(std::int32_t width, std::int32_t height, const std::uint8_t* rgba) = 0;
    virtual void readTextureImage(std::uint8_t* rgba) = 0;
    virtual void deleteTexture(TextureId texture) = 0;
    // The largest width and height a texture of this context may have.
    virtual std::int32_t maxTextureSize() = 0;
};

}  // namespace qelo
