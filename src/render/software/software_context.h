#pragma once
// The software renderer: one DrawingContext drawn on the CPU into its own
// RGBA8 picture (row 0 the bottom row, as GL's) with a 24-bit depth buffer,
// by these rules of its own:
// - vertices: object -> eye (model-view) -> clip (projection) in double, the
//   matrices as GL and GLU define them (matrix_stack.h); stacks 32 deep each;
// - clipping: each triangle or quad clipped as a polygon against
//   -w <= x, y, z <= w and w >= 1e-7, attributes interpolated in clip space,
//   then fanned from its first vertex; an unclipped quad 0-1-2-3 becomes
//   0-1-2 and 0-2-3. A primitive with a NaN or infinite vertex is dropped.
//   Nothing outside the picture is ever written;
// - viewport: the whole picture: x_w = (x/w + 1) * width / 2, likewise y_w,
//   z_w = (z/w + 1) / 2;
// - rasterisation: pixel centres at (i + 0.5, j + 0.5), positions snapped to
//   1/256 pixel, exact 64-bit edge functions, a top-left tie rule
//   (rasteriser.h): triangles sharing an edge cover each pixel once;
// - culling (when on): clockwise triangles in window coordinates are back
//   faces and dropped;
// - interpolation: colour and texture coordinates perspective-correct
//   (through 1/w), depth linear in window space;
// - depth test GL_LESS against round(z_w * (2^24 - 1)), depth written when
//   the test passes; colour to 8 bits as round(clamp(c, 0, 1) * 255);
//   blending in 8 bits, products rounded as round(a * b / 255), the sum
//   saturated at 255 (blend.h);
// - texturing (when on and the bound texture has an image): GL_REPEAT,
//   nearest or bilinear without mipmaps (sampler.h), GL_MODULATE. The
//   minifying filter is used for a triangle whose texture area in texels
//   exceeds its window area in pixels, the magnifying one otherwise. With no
//   texture bound, or one without an image, texturing has no effect;
// - textures: binding a name createTexture never made (or one deleted)
//   makes an empty texture of that name in this context, as binding an
//   unused name does in GL; createTexture never hands out a name in use;
// - clear: colour to (0, 0, 0, 0), depth to 2^24 - 1.
// Runs of blended constant-colour primitives without depth test or texture
// are counted and applied later (deferred_blend.h) with the same result.
// Misuse that GL reports as an error (a stack overflow, a texture size that
// is not a power of two, ...) changes nothing and is said once on stderr.
#include <array>
#include <cstdint>
#include <vector>

#include "render/drawing_context.h"
#include "render/software/clipper.h"
#include "render/software/deferred_blend.h"
#include "render/software/matrix_stack.h"
#include "render/software/rotation_memo.h"
#include "render/software/rasteriser.h"
#include "render/software/texture_store.h"

namespace qelo::software {

class SoftwareContext final : public DrawingContext {
public:
    // A picture of width x height pixels (each at least 1), cleared.
    SoftwareContext(std::int32_t width, std::int32_t height);

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    // width x height RGBA bytes, row 0 the bottom row. Blends still counted
    // (deferred_blend.h) are applied first: they belong to the picture
    // already, so even the const accessor completes them (picture_ and
    // deferred_ are mutable for that); not to be called from two threads
    // at once.
    const std::uint8_t* picture() const;
    std::uint8_t* picture();
    // Drawing goes on in a second picture from here, whose content is
    // whatever it last held (clear it); the picture drawn so far stays as it
    // is, where picture() showed it, until the next call. So a reader may
    // still use one frame's picture while the next frame is drawn.
    void alternatePictures();

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

    void enable(Capability capability) override { setCapability(capability, true); }
    void disable(Capability capability) override { setCapability(capability, false); }
    void blendFunction(BlendFactor source, BlendFactor destination) override;

    void colour(float red, float green, float blue, float alpha) override;
    void normal(float x, float y, float z) override;
    void texCoord(float u, float v) override;

    void begin(Primitive primitive) override;
    void vertex(float x, float y, float z) override;
    void vertex(float x, float y) override { vertex(x, y, 0); }
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
    std::int32_t maxTextureSize() override { return maxTextureSide; }

    static constexpr std::int32_t maxTextureSide = 8192;
    static constexpr std::int32_t stackDepth = 32;

private:
    void setCapability(Capability capability, bool on);
    MatrixStack& currentStack() { return mode_ == MatrixMode::projection ? projection_ : modelView_; }
    void drawPolygon(const ClipVertex* vertices, std::int32_t count);
    // The rest of drawPolygon for the n >= 3 vertices left after clipping.
    void drawClipped(const ClipVertex* clipped, std::int32_t n);
    // Draws the triangles held back in collected_, at once when they make a
    // pair of interleaved fans (interleaved_fans.h), else one by one.
    void drawCollected();
    // Draws the fan of window[0..n) at once, blended or not.
    void drawTriangles(const WindowVertex* window, std::int32_t n, const TextureImage* sampled, bool constantColour,
                       bool blend);
    // Says `message` on stderr the first time this context meets it.
    void misuse(const char* message);

    // Applies the counted blends to the picture.
    void resolveBlends() const { deferred_.resolve(picture_.data()); }

    std::int32_t width_, height_;
    mutable std::vector<std::uint8_t> picture_;
    std::vector<std::uint8_t> spare_;  // the other picture of alternatePictures
    // Whether picture_ (spare_) is known to be all zero: a clear then has
    // nothing to do (a scene's clear right after the bank's, a window
    // nothing is drawn in). Anything that may write pixels drops it.
    bool pictureClear_ = true, spareClear_ = true;
    mutable DeferredBlend deferred_;
    // Whether the last primitive drawn was of the run deferred_ holds (drawn at once, as a run's first is).
    bool lastWasDeferrable_ = false;
    std::vector<std::uint32_t> depth_;
    // Whether depth_ may hold anything but the farthest depth (a clear skips it otherwise).
    bool depthWritten_ = false;

    MatrixStack projection_{stackDepth}, modelView_{stackDepth};
    RotationMemo rotations_;
    MatrixMode mode_ = MatrixMode::modelView;
    bool depthTest_ = false, blend_ = false, texture2D_ = false, cullFace_ = false;
    BlendFactor source_ = BlendFactor::one, destination_ = BlendFactor::zero;
    std::array<float, 4> colour_{1, 1, 1, 1};
    std::array<float, 3> normal_{0, 0, 1};
    std::array<float, 2> texCoord_{0, 0};

    bool inside_ = false;  // between begin and end
    std::int32_t verticesPerPrimitive_ = 3;
    Matrix4 clipFromObject_{};  // projection x model-view, fixed at begin
    std::array<ClipVertex, 4> pending_{};
    std::array<WindowVertex, maxClippedVertices> window_;  // drawClipped's, kept to spare its set-up
    std::int32_t pendingCount_ = 0;
    // Opaque one-colour triangles (no blending, depth test, texture or
    // culling) are held back until end(), to be drawn as a whole when they
    // make a pair of interleaved fans; at most maxCollected vertices.
    static constexpr std::size_t maxCollected = 6 * 256;
    bool collecting_ = false;
    std::vector<ClipVertex> collected_;  // maxCollected, the first collectedCount_ held
    std::vector<WindowVertex> collectedWindow_;  // maxCollected
    std::size_t collectedCount_ = 0;

    TextureStore textures_;
    TextureId bound_ = 0;

    // What pushAttributes saves.
    struct Attributes {
        MatrixMode mode;
        bool depthTest, blend, texture2D, cullFace;
        BlendFactor source, destination;
        std::array<float, 4> colour;
        std::array<float, 3> normal;
        std::array<float, 2> texCoord;
        TextureId bound;
    };
    std::vector<Attributes> attributeStack_;
    std::vector<const char*> said_;
};

}  // namespace qelo::software
