// Off-screen render targets on WGL: a pbuffer with its own GL context whose
// front-left colour buffer is bound as the image of a texture object in the
// window's context (render-to-texture, no copy).
#include <windows.h>

#include <GL/gl.h>
#include <GL/wglext.h>

#include "platform/win32/offscreen_entry_points.h"
#include "render/offscreen_surface.h"
#include "render/texture.h"

namespace qelo {

struct OffscreenSurface {
    HPBUFFERARB pbuffer = nullptr;
    HDC pbufferDC = nullptr;
    HGLRC pbufferContext = nullptr;  // shares nothing with other contexts
};

namespace {

using win32::wgl;

// Single-buffered (WGL_DOUBLE_BUFFER_ARB false): drawing must reach the
// front-left buffer, the one bound as the texture image.
constexpr int pixelFormatAttributes[] = {
    WGL_DRAW_TO_PBUFFER_ARB,      1,
    WGL_COLOR_BITS_ARB,           32,
    WGL_ALPHA_BITS_ARB,           8,
    WGL_DEPTH_BITS_ARB,           16,
    WGL_STENCIL_BITS_ARB,         8,
    WGL_BIND_TO_TEXTURE_RGBA_ARB, 1,
    WGL_DOUBLE_BUFFER_ARB,        0,
    0,
};
constexpr FLOAT noFloatAttributes[] = {0.0f};

constexpr int pbufferAttributes[] = {
    WGL_TEXTURE_FORMAT_ARB, WGL_TEXTURE_RGBA_ARB,
    WGL_TEXTURE_TARGET_ARB, WGL_TEXTURE_2D_ARB,
    0,
};

constexpr int boundBuffer = WGL_FRONT_LEFT_ARB;

bool canCreatePbuffers()
{
    return wgl.choosePixelFormat && wgl.createPbuffer && wgl.getPbufferDC && wgl.queryPbuffer &&
           wgl.releasePbufferDC && wgl.destroyPbuffer;
}

}  // namespace

OffscreenSurface* createOffscreenSurface(std::int32_t width, std::int32_t height, std::int32_t& actualWidth,
                                         std::int32_t& actualHeight)
{
    // A 2-D texture image must have power-of-two sides: 1024 x 1024 for the show.
    actualWidth = storageSizeFor(width);
    actualHeight = storageSizeFor(height);
    // Only the window-context check of the three render-to-texture entry
    // points guards start-up; a driver missing these would crash the calls.
    if (!canCreatePbuffers()) return nullptr;

    // The window's device context: the current one when targets are made.
    HDC windowDC = wglGetCurrentDC();
    int format = 0;
    UINT formatCount = 0;
    wgl.choosePixelFormat(windowDC, pixelFormatAttributes, noFloatAttributes, 1, &format, &formatCount);

    auto surface = new OffscreenSurface;
    surface->pbuffer = wgl.createPbuffer(windowDC, format, actualWidth, actualHeight, pbufferAttributes);
    if (!surface->pbuffer) {
        delete surface;
        return nullptr;
    }
    surface->pbufferDC = wgl.getPbufferDC(surface->pbuffer);
    surface->pbufferContext = wglCreateContext(surface->pbufferDC);
    wgl.queryPbuffer(surface->pbuffer, WGL_PBUFFER_WIDTH_ARB, &actualWidth);
    wgl.queryPbuffer(surface->pbuffer, WGL_PBUFFER_HEIGHT_ARB, &actualHeight);
    return surface;
}

void makeOffscreenSurfaceCurrent(OffscreenSurface* surface)
{
    // A target without a pbuffer draws nowhere rather than into the window.
    if (surface) {
        wglMakeCurrent(surface->pbufferDC, surface->pbufferContext);
    } else {
        wglMakeCurrent(nullptr, nullptr);
    }
}

void bindOffscreenSurfaceImage(OffscreenSurface* surface)
{
    if (surface) wgl.bindTexImage(surface->pbuffer, boundBuffer);
}

// A pbuffer bound as a texture is for sampling only: writes to it are
// undefined, so pictures are never handed over that way.
bool offscreenSurfaceSharesStorage(const OffscreenSurface*) { return false; }

void releaseOffscreenSurfaceImage(OffscreenSurface* surface)
{
    if (surface) wgl.releaseTexImage(surface->pbuffer, boundBuffer);
}

void destroyOffscreenSurface(OffscreenSurface* surface)
{
    if (!surface) return;
    if (surface->pbufferContext) wglDeleteContext(surface->pbufferContext);
    wgl.releasePbufferDC(surface->pbuffer, surface->pbufferDC);
    wgl.destroyPbuffer(surface->pbuffer);
    delete surface;
}

}  // namespace qelo
