#include "render/render_texture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "render/offscreen_surface.h"
#include "shell/globals.h"

namespace qelo {

namespace {

// Depth and stencil together: one plain fill on llvmpipe, where depth alone
// is a read-modify-write of every pixel. Nothing uses the stencil.
constexpr GLbitfield clearedBuffers = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT;

std::size_t byteCount(std::int32_t width, std::int32_t height)
{
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

// Whether the quad over the current viewport maps one texel onto each pixel:
// the picture's size in texels equals the viewport's in pixels.
bool oneTexelPerPixel(const Texture& texture)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    return static_cast<double>(texture.uScale) * texture.storageWidth == viewport[2] &&
           static_cast<double>(texture.vScale) * texture.storageHeight == viewport[3];
}

}  // namespace

RenderTexture::RenderTexture(std::int32_t w, std::int32_t h)
    : Texture(w, h), blendSource(GL_SRC_ALPHA), blendDestination(GL_ONE_MINUS_SRC_ALPHA)
{
    mainWindow.makeCurrent();
    glGenTextures(1, &textureName);
    glBindTexture(GL_TEXTURE_2D, textureName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

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

    makeCurrent();
    glClear(clearedBuffers);
    mainWindow.makeCurrent();

    opacity = 1.0f;
}

RenderTexture::~RenderTexture()
{
    pixels.reset();
    glDeleteTextures(1, &textureName);
    if (surface != nullptr) destroyOffscreenSurface(surface);
}

void RenderTexture::makeCurrent()
{
    switchHere();
    issuePendingClear();
}

void RenderTexture::makeCurrentForState()
{
    const bool drawn = drawnSinceClear;
    makeCurrent();
    drawnSinceClear = drawn;
}

void RenderTexture::clearOnNextUse()
{
    drawnInMemory = false;
    memoryIndex = 1 - memoryIndex;
    const bool drawn = drawnSinceClear;
    switchHere();
    drawnSinceClear = false;
    if (!drawn) return;
    if (surface != nullptr) {
        clearPending = true;
    } else {
        glClear(clearedBuffers);
    }
}

void RenderTexture::issuePendingClear()
{
    if (!clearPending) return;
    clearPending = false;
    glClear(clearedBuffers);
}

void RenderTexture::switchHere()
{
    if (boundAsTexture) {
        // In whatever context is current now: the bank's clearing pass relies
        // on where this binding is left.
        glBindTexture(GL_TEXTURE_2D, textureName);
        if (surface != nullptr) releaseOffscreenSurfaceImage(surface);
        boundAsTexture = false;
    }
    isCurrent = true;
    pixelsCurrent = false;
    drawnSinceClear = true;
    if (surface != nullptr) makeOffscreenSurfaceCurrent(surface);
    glViewport(0, 0, width, height);
}

unsigned int RenderTexture::bind()
{
    if (boundAsTexture) return textureName;
    if (clearPending) {
        // Its picture is cleared before anyone samples it. A pending clear
        // implies isCurrent: the window's context is made current below.
        makeOffscreenSurfaceCurrent(surface);
        issuePendingClear();
    }
    // A surface cannot be sampled while it is the drawing target: the
    // window's context takes over.
    if (isCurrent) mainWindow.makeCurrent();
    isCurrent = false;
    boundAsTexture = true;
    glBindTexture(GL_TEXTURE_2D, textureName);
    if (surface != nullptr) bindOffscreenSurfaceImage(surface);
    return textureName;
}

PictureView RenderTexture::drawInMemory()
{
    std::vector<std::uint8_t>& picture = memoryPictures[memoryIndex];
    if (!drawnInMemory) {
        picture.assign(byteCount(width, height), 0);
        drawnInMemory = true;
    }
    return {picture.data(), width, height};
}

bool RenderTexture::canHandMemoryPictureToGl() const { return offscreenSurfaceSharesStorage(surface); }

void RenderTexture::handMemoryPictureToGl()
{
    if (drawnInMemory && canHandMemoryPictureToGl()) {
        // In the window's context, where the texture holds the target's
        // storage; the target's pending clear is issued before this write.
        bind();
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, memoryPictures[memoryIndex].data());
        drawnInMemory = false;
    }
    makeCurrent();
}

std::uint8_t* RenderTexture::readPixels()
{
    if (drawnInMemory) return memoryPictures[memoryIndex].data();
    if (pixelsCurrent) return pixels.get();
    // As wide as its storage, the picture is the storage's first rows: the
    // storage is read straight into the block, which keeps the rows above.
    const bool direct = width == storageWidth && height <= storageHeight;
    const std::size_t blockBytes = direct ? byteCount(storageWidth, storageHeight) : byteCount(width, height);
    if (!pixels || pixelsBytes != blockBytes) {
        pixels = std::make_unique_for_overwrite<std::uint8_t[]>(blockBytes == 0 ? 1 : blockBytes);
        pixelsBytes = blockBytes;
    }
    std::vector<std::uint8_t> storage(direct ? 0 : byteCount(storageWidth, storageHeight));

    bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, direct ? pixels.get() : storage.data());
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
    // The flags are left as they are: the picture lands in the window
    // context's texture object and lasts until the surface is bound again.
    if (surface != nullptr) releaseOffscreenSurfaceImage(surface);
    mainWindow.makeCurrent();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glBindTexture(GL_TEXTURE_2D, textureName);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, storageWidth, storageHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, data);
    glPopAttrib();
}

void RenderTexture::composite(bool drawQuad)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    // y = -1 is the window's top: texture row 0 (the target's bottom row)
    // runs along the top edge, so a target is shown mirrored top to bottom.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.0, 1.0, 1.0, -1.0, 0.0, 100.0);
    glMatrixMode(GL_MODELVIEW);

    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(blendSource, blendDestination);

    bind();
    glColor4f(1.0f, 1.0f, 1.0f, opacity);  // GL_MODULATE: alpha = texel alpha x opacity

    // A picture drawn in memory goes into the texture the quad samples.
    if (drawnInMemory && drawQuad)
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, memoryPictures[memoryIndex].data());

    // Blending a texel of alpha 0 leaves the window's pixel exactly as it was.
    if ((drawnSinceClear || drawnInMemory) && drawQuad) {
        // Every sample falls on a texel's centre, where linear filtering
        // weighs that texel alone: nearest sampling gives the same pixels for
        // much less work in a software rasteriser.
        const bool nearest = oneTexelPerPixel(*this);
        if (nearest) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        }
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(-1.0f, -1.0f);
        glTexCoord2f(uScale, 0.0f);
        glVertex2f(1.0f, -1.0f);
        glTexCoord2f(uScale, vScale);
        glVertex2f(1.0f, 1.0f);
        glTexCoord2f(0.0f, vScale);
        glVertex2f(-1.0f, 1.0f);
        glEnd();
        if (nearest) {
            // The attribute pop restores the texture bound before bind(), not
            // this one: its filters go back to linear here.
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        }
    }

    glPopAttrib();
}

}  // namespace qelo
