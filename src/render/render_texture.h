#pragma once
// An off-screen render target usable as a texture in the window's context.
// Drawing happens in the target's own GL context (makeCurrent); compositing
// binds its picture in the window's context (bind). The flags make every bind
// matched by one release before drawing resumes.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "render/texture.h"

namespace qelo {

struct OffscreenSurface;

class RenderTexture : public Texture {
public:
    RenderTexture(std::int32_t width, std::int32_t height);
    ~RenderTexture() override;
    RenderTexture(const RenderTexture&) = delete;
    RenderTexture& operator=(const RenderTexture&) = delete;

    // The target's own context becomes current, viewport (0, 0, width, height).
    void makeCurrent();
    unsigned int bind() override;
    std::uint8_t* readPixels() override;  // cached until the next makeCurrent
    // Uploads storageWidth x storageHeight texels into the window context's
    // texture object; replaced by the target's picture at the next bind.
    void writePixels(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) override;
    // Draws the target over the window (window context current).
    void composite();

    std::unique_ptr<std::uint8_t[]> pixels;
    bool isCurrent = false;
    bool pixelsCurrent = false;
    bool boundAsTexture = false;
    unsigned int textureName = 0;
    OffscreenSurface* surface = nullptr;
    float opacity = 1.0f;
    unsigned int blendSource;       // GL_SRC_ALPHA
    unsigned int blendDestination;  // GL_ONE_MINUS_SRC_ALPHA

private:
    std::size_t pixelsBytes = 0;  // size of the block `pixels` points to
};

}  // namespace qelo
