#pragma once
// The GL renderer's drawing context: every call is its OpenGL 1.1 or GLU
// call, one for one and in the same order, in whatever GL context is current
// (the backend makes a target's or the window's context current before its
// drawing). It keeps no state of its own: GL keeps it, per context.
#include "render/drawing_context.h"

namespace qelo {

class GlContext final : public DrawingContext {
public:
    void matrixMode(MatrixMode mode) override;
    void loadIdentity() override;
    void pushMatrix() override;
    void popMatrix() override;
    void multMatrix(const float columnMajor[16]) override;
    void perspective(double fieldOfViewY, double aspect, double zNear, double zFar) override;
    void ortho(double left, double right, double bottom, double top, double zNear, double zFar) override;
    void lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ, double upX,
                double upY, double upZ) override;
    void rotate(float degrees, float x, float y, float z) override;
    void scale(float x, float y, float z) override;
    void translate(float x, float y, float z) override;

    void enable(Capability capability) override;
    void disable(Capability capability) override;
    void blendFunction(BlendFactor source, BlendFactor destination) override;

    void colour(float red, float green, float blue, float alpha) override;
    void normal(float x, float y, float z) override;
    void texCoord(float u, float v) override;

    void begin(Primitive primitive) override;
    void vertex(float x, float y, float z) override;
    void vertex(float x, float y) override;
    void end() override;

    void clear(ClearMask mask) override;
    void pushAttributes() override;
    void popAttributes() override;

    TextureId createTexture() override;
    void bindTexture(TextureId texture) override;
    void textureFilter(TextureFilter minifying, TextureFilter magnifying) override;
    void textureImage(std::int32_t width, std::int32_t height, const std::uint8_t* rgba) override;
    void textureSubImage(std::int32_t width, std::int32_t height, const std::uint8_t* rgba) override;
    void readTextureImage(std::uint8_t* rgba) override;
    void deleteTexture(TextureId texture) override;
    std::int32_t maxTextureSize() override;
};

// The window's GlContext: one for the process, as GL itself is.
DrawingContext& glWindowDrawing();

}  // namespace qelo
