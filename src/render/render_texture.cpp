#include "render/render_texture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "render/current_drawing.h"
#include "render/gl/gl_viewport.h"
#include "render/offscreen_surface.h"
#include "render/software/software_context.h"
#include "shell/globals.h"
#include "shell/renderer_kind.h"

namespace qelo {

namespace {

std::size_t byteCount(std::int32_t width, std::int32_t height)
{
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

// Whether the quad over the current viewport maps one texel onto each pixel:
// the picture's size in texels equals the viewport's in pixels.
bool oneTexelPerPixel(const Texture& texture)
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    glViewportSize(width, height);
    return static_cast<double>(texture.uScale) * texture.storageWidth == width &&
           static_cast<double>(texture.vScale) * texture.storageHeight == height;
}

}  // namespace

RenderTexture::RenderTexture(std::int32_t w, std::int32_t h) : Texture(w, h)
{
    if (activeRenderer == RendererKind::software) {
        // The picture is exactly the target's size: GL's viewport covers
        // only that part of a power-of-two surface too.
        software = std::make_unique<software::SoftwareContext>(w > 0 ? w : 1, h > 0 ? h : 1);
        return;
    }
    makeWindowCurrent();
    DrawingContext& window = windowDrawing();
    textureName = window.createTexture();

    // The surface is made at the power-of-two storage size; the backend may
    // report another. uScale and vScale stay those of the requested size.
    std::int32_t actualWidth = storageWidth;
    std::int32_t actualHeight = storageHeight;
    surface = createOffscreenSurface(storageWidth, storageHeight, actualWidth, actualHeight);
    storageWidth = actualWidth;
    storageHeight = actualHeight;
    // Without its surface a target would draw into whatever context is
    // current (the window's): the show cannot run, so say so and end it.
    // Once: a driver that refuses one target usually refuses them all.
    if (surface == nullptr && mainWindow.running) mainWindow.fail("could not create an off-screen render target");

    isCurrent = false;
    boundAsTexture = false;
    pixels.reset();

    makeCurrent().clear(ClearMask::colourAndDepth);
    makeWindowCurrent();

    opacity = 1.0f;
}

RenderTexture::~RenderTexture()
{
    pixels.reset();
    if (software) return;
    windowDrawing().deleteTexture(textureName);
    if (surface != nullptr) destroyOffscreenSurface(surface);
}

DrawingContext& RenderTexture::drawing()
{
    if (software) return *software;
    return windowDrawing();
}

DrawingContext& RenderTexture::makeCurrent()
{
    switchHere();
    issuePendingClear();
    return drawing();
}

void RenderTexture::clearOnNextUse(bool keepLastPicture)
{
    const bool drawn = drawnSinceClear;
    switchHere();
    drawnSinceClear = false;
    if (!drawn) return;
    // A second picture only for a reader of this one while the next frame
    // is drawn: two pictures a target cost the browser's engine a tenth of
    // a busy frame (memory touched, not work).
    if (software && keepLastPicture) software->alternatePictures();
    if (surface != nullptr || software) {
        clearPending = true;
    } else {
        drawing().clear(ClearMask::colourAndDepth);
    }
}

void RenderTexture::issuePendingClear()
{
    if (!clearPending) return;
    clearPending = false;
    drawing().clear(ClearMask::colourAndDepth);
}

void RenderTexture::switchHere()
{
    isCurrent = true;
    pixelsCurrent = false;
    drawnSinceClear = true;
    if (software) {
        setCurrentDrawing(*software);
        return;
    }
    if (boundAsTexture) {
        // In whatever context is current now: the bank's clearing pass relies
        // on where this binding is left.
        windowDrawing().bindTexture(textureName);
        if (surface != nullptr) releaseOffscreenSurfaceImage(surface);
        boundAsTexture = false;
    }
    if (surface != nullptr) makeOffscreenSurfaceCurrent(surface);
    setCurrentDrawing(windowDrawing());
    setGlViewport(0, 0, width, height);
}

unsigned int RenderTexture::bind()
{
    if (software) return 0;
    if (boundAsTexture) return textureName;
    if (clearPending) {
        // Its picture is cleared before anyone samples it. A pending clear
        // implies isCurrent: the window's context is made current below.
        makeOffscreenSurfaceCurrent(surface);
        issuePendingClear();
    }
    // A surface cannot be sampled while it is the drawing target: the
    // window's context takes over.
    if (isCurrent) makeWindowCurrent();
    isCurrent = false;
    boundAsTexture = true;
    windowDrawing().bindTexture(textureName);
    if (surface != nullptr) bindOffscreenSurfaceImage(surface);
    return textureName;
}

std::uint8_t* RenderTexture::readPixels()
{
    if (software) {
        issuePendingClear();
        return software->picture();
    }
    if (pixelsCurrent) return pixels.get();
    // As wide as its storage, the picture is the storage's first rows: the
    // storage is read straight into the block, which keeps the rows above.
    const bool direct = width == storageWidth && height <= storageHeight;
    const std::size_t blockBytes = direct ? byteCount(storageWidth, storageHeight) : byteCount(width, height);
    if (!pixels || pixelsBytes != blockBytes) {
        pixels.reset(new std::uint8_t[blockBytes == 0 ? 1 : blockBytes]);  // left uninitialised: read over at once
        pixelsBytes = blockBytes;
    }
    std::vector<std::uint8_t> storage(direct ? 0 : byteCount(storageWidth, storageHeight));

    bind();
    windowDrawing().readTextureImage(direct ? pixels.get() : storage.data());
    pixelsCurrent = true;

    if (!direct) {
        // The picture is the lower rows of the storage, row 0 at the bottom.
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        const std::size_t storageRowBytes = static_cast<std::size_t>(storageWidth) * 4;
        for (std::int32_t row = 0; row < height && row < storageHeight; ++row) {
            std::memcpy(pixels.get() + row * rowBytes, storage.data() + row * storageRowBytes,
                        std::min(rowBytes, storageRowBytes));
        }
    }
    return pixels.get();
}

void RenderTexture::writePixels(const std::uint8_t* data, std::int32_t, std::int32_t)
{
    if (software) {
        // The storage's lower rows are the picture.
        issuePendingClear();
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        const std::size_t storageRowBytes = static_cast<std::size_t>(storageWidth) * 4;
        for (std::int32_t row = 0; row < height; ++row)
            std::memcpy(software->picture() + row * rowBytes, data + row * storageRowBytes, rowBytes);
        return;
    }
    // The flags are left as they are: the picture lands in the window
    // context's texture object and lasts until the surface is bound again.
    if (surface != nullptr) releaseOffscreenSurfaceImage(surface);
    makeWindowCurrent();
    DrawingContext& window = windowDrawing();
    window.pushAttributes();
    window.bindTexture(textureName);
    window.textureImage(storageWidth, storageHeight, data);
    window.popAttributes();
}

void RenderTexture::composite(bool drawQuad)
{
    if (software) return;
    DrawingContext& window = windowDrawing();
    window.pushAttributes();
    // y = -1 is the window's top: texture row 0 (the target's bottom row)
    // runs along the top edge, so a target is shown mirrored top to bottom.
    window.matrixMode(MatrixMode::projection);
    window.loadIdentity();
    window.ortho(-1.0, 1.0, 1.0, -1.0, 0.0, 100.0);
    window.matrixMode(MatrixMode::modelView);

    window.disable(Capability::cullFace);
    window.disable(Capability::depthTest);
    window.enable(Capability::texture2D);
    window.enable(Capability::blend);
    window.blendFunction(blendSource, blendDestination);

    bind();
    window.colour(1.0f, 1.0f, 1.0f, opacity);  // GL_MODULATE: alpha = texel alpha x opacity

    // Blending a texel of alpha 0 leaves the window's pixel exactly as it was.
    if (drawnSinceClear && drawQuad) {
        // Every sample falls on a texel's centre, where linear filtering
        // weighs that texel alone: nearest sampling gives the same pixels for
        // much less work in a software rasteriser.
        const bool nearest = oneTexelPerPixel(*this);
        if (nearest) window.textureFilter(TextureFilter::nearest, TextureFilter::nearest);
        window.begin(Primitive::quads);
        window.texCoord(0.0f, 0.0f);
        window.vertex(-1.0f, -1.0f);
        window.texCoord(uScale, 0.0f);
        window.vertex(1.0f, -1.0f);
        window.texCoord(uScale, vScale);
        window.vertex(1.0f, 1.0f);
        window.texCoord(0.0f, vScale);
        window.vertex(-1.0f, 1.0f);
        window.end();
        // The attribute pop restores the texture bound before bind(), not
        // this one: its filters go back to linear here.
        if (nearest) window.textureFilter(TextureFilter::linear, TextureFilter::linear);
    }

    window.popAttributes();
}

}  // namespace qelo
