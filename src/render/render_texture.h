#pragma once
// An off-screen render target usable as a texture in the window's context.
// Drawing happens in the target's own GL context (makeCurrent); compositing
// binds its picture in the window's context (bind). The flags make every bind
// matched by one release before drawing resumes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "render/software_triangles.h"
#include "render/texture.h"

namespace qelo {

struct OffscreenSurface;

class RenderTexture : public Texture {
public:
    // When the backend cannot make the surface, mainWindow.fail reports it,
    // unless a failure already lowered mainWindow.running.
    RenderTexture(std::int32_t width, std::int32_t height);
    ~RenderTexture() override;
    RenderTexture(const RenderTexture&) = delete;
    RenderTexture& operator=(const RenderTexture&) = delete;

    // The target's own context becomes current, viewport (0, 0, width, height).
    // Counts as drawing: drawnSinceClear is set.
    void makeCurrent();
    // The context becomes current as makeCurrent makes it, for state changes
    // only: it does not count as drawing (a scene drawn in memory still
    // leaves the GL state it would have left).
    void makeCurrentForState();
    // The bank's clearing pass: the same switch (with the binding it
    // releases), and unless still clear, a clear of colour, depth and
    // stencil. The clear is issued when the target is next made current or
    // bound, in the context state it would have met now (nothing else can
    // change that state in between); so the driver clears once per frame,
    // together with the drawing, and a scene's own clear right after merges
    // with it.
    void clearOnNextUse();
    unsigned int bind() override;
    // Cached until the next makeCurrent. Reads the texture bound in the
    // current context: bind() binds nothing while the target counts as bound.
    std::uint8_t* readPixels() override;
    // Uploads storageWidth x storageHeight texels into the window context's
    // texture object; replaced by the target's picture at the next bind.
    void writePixels(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) override;
    // Draws the target over the window (window context current). A target
    // not drawn since it was cleared is fully transparent: its quad, which
    // would change no pixel, is left out; the state changes stay the same.
    // Without drawQuad only the state changes are made (the frame is put
    // together in memory instead).
    void composite(bool drawQuad = true);

    // Captures only: a width x height RGBA picture in memory (GL's row order)
    // that stands for the target's picture until the bank next clears it.
    // Cleared on the first call after the bank's clear. A frame draws a
    // target either here or through GL, not both. Frames alternate between
    // two pictures: the one read for a frame stays untouched while the next
    // frame draws, for a video writer blending one frame behind.
    PictureView drawInMemory();
    // Whether handMemoryPictureToGl can work here: the window's texture is
    // the target's own storage.
    bool canHandMemoryPictureToGl() const;
    // Puts this frame's memory picture into the target's storage and makes the
    // target current for GL to draw on over it; from then on the target is GL's
    // (drawnInMemory false). Only where canHandMemoryPictureToGl.
    void handMemoryPictureToGl();

    std::unique_ptr<std::uint8_t[]> pixels;
    bool isCurrent = false;
    bool pixelsCurrent = false;
    bool boundAsTexture = false;
    // makeCurrent was called since the bank last cleared the target: it may
    // hold a picture. While false it is exactly as cleared.
    bool drawnSinceClear = true;
    // drawInMemory was called since the bank last cleared the target.
    bool drawnInMemory = false;
    unsigned int textureName = 0;
    OffscreenSurface* surface = nullptr;
    float opacity = 1.0f;
    unsigned int blendSource;       // GL_SRC_ALPHA
    unsigned int blendDestination;  // GL_ONE_MINUS_SRC_ALPHA

private:
    void switchHere();  // makeCurrent without issuing a pending clear
    void issuePendingClear();

    std::size_t pixelsBytes = 0;  // size of the block `pixels` points to
    bool clearPending = false;    // cleared by the bank; the glClear is still to be issued
    std::vector<std::uint8_t> memoryPictures[2];
    int memoryIndex = 0;  // the picture this frame draws in
};

}  // namespace qelo
