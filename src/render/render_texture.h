#pragma once
// An off-screen render target: a context of its own to draw in (makeCurrent)
// and a picture the frame is composited from. With the GL renderer the
// context is the backend's off-screen surface, and compositing binds its
// picture in the window's context (bind); the flags make every bind matched
// by one release before drawing resumes. With the software renderer the
// context is a SoftwareContext and its picture is read directly.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "render/drawing_context.h"
#include "render/texture.h"

namespace qelo {

struct OffscreenSurface;
namespace software {
class SoftwareContext;
}

class RenderTexture : public Texture {
public:
    RenderTexture(std::int32_t width, std::int32_t height);
    ~RenderTexture() override;
    RenderTexture(const RenderTexture&) = delete;
    RenderTexture& operator=(const RenderTexture&) = delete;

    // The target's own context becomes current, viewport (0, 0, width,
    // height), and is returned for drawing. Counts as drawing:
    // drawnSinceClear is set.
    DrawingContext& makeCurrent();
    // The bank's clearing pass: the same switch (with the binding it
    // releases), and unless still clear, a clear of colour and depth. The
    // clear is issued when the target is next made current or bound, in the
    // context state it would have met now (nothing else can change that
    // state in between); so a target is cleared once per frame, together
    // with its drawing, and a scene's own clear right after merges with it.
    // `keepLastPicture` (software renderer): the picture drawn so far stays
    // where readPixels showed it while the next frame is drawn in a second
    // one, for a reader that blends one frame while the next is drawn.
    void clearOnNextUse(bool keepLastPicture = false);
    // GL renderer only: binds the picture in the window's context.
    unsigned int bind() override;
    // width x height RGBA, row 0 the bottom row. GL: read back, cached until
    // the next makeCurrent; it reads the texture bound in the current
    // context, as bind() binds nothing while the target counts as bound.
    std::uint8_t* readPixels() override;
    // Replaces the picture with storageWidth x storageHeight texels (GL: in
    // the window context's texture object, until the surface is bound again).
    void writePixels(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) override;
    // GL renderer only: draws the target over the window (window context
    // current). A target not drawn since it was cleared is fully
    // transparent: its quad, which would change no pixel, is left out; the
    // state changes stay the same. Without drawQuad only the state changes
    // are made (the frame is put together in memory instead).
    void composite(bool drawQuad = true);

    bool isCurrent = false;
    bool pixelsCurrent = false;
    bool boundAsTexture = false;
    // makeCurrent was called since the bank last cleared the target: it may
    // hold a picture. While false it is exactly as cleared.
    bool drawnSinceClear = true;
    unsigned int textureName = 0;
    OffscreenSurface* surface = nullptr;
    float opacity = 1.0f;
    BlendFactor blendSource = BlendFactor::sourceAlpha;
    BlendFactor blendDestination = BlendFactor::oneMinusSourceAlpha;

private:
    void switchHere();  // makeCurrent without issuing a pending clear
    void issuePendingClear();
    DrawingContext& drawing();

    std::unique_ptr<std::uint8_t[]> pixels;  // GL: the read-back copy
    std::size_t pixelsBytes = 0;  // size of the block `pixels` points to
    bool clearPending = false;    // cleared by the bank; the clear is still to be issued
    std::unique_ptr<software::SoftwareContext> software;  // the software renderer's context
};

}  // namespace qelo
