// Render-target surfaces on EGL: one unshared context per target, drawing
// into a framebuffer object whose colour storage is shared with the window's
// texture as an EGLImage, or copied over when that cannot be done.
#include "render/offscreen_surface.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/sdl/context_switch.h"
#include "platform/sdl/offscreen_entry_points.h"

namespace qelo {

struct OffscreenSurface {
    sdl::TargetContext context;
    std::int32_t width = 0;
    std::int32_t height = 0;
    // Framebuffer object and its renderbuffers, names in the target's context.
    // None when the target draws into its pbuffer instead.
    GLuint framebuffer = 0;
    GLuint colourBuffer = 0;
    GLuint depthStencilBuffer = 0;
    EGLImageKHR image = EGL_NO_IMAGE_KHR;  // zero copy: the colour storage
    // Read-back: the picture copied on the way to the window, GL_BGRA (the
    // cheap order on these drivers), and whether drawing may have changed it.
    std::vector<std::uint8_t> copy;
    bool drawnSinceCopy = true;
};

namespace {

using sdl::offscreen;

EGLSurface createPbuffer(std::int32_t width, std::int32_t height)
{
    const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    return eglCreatePbufferSurface(offscreen.display, offscreen.config, attributes);
}

// Colour storage made as a texture, exported as an EGLImage, and taken back as
// a renderbuffer so the texture's name can be deleted: the target's context
// keeps no texture names of its own, and the pictures the scenes upload there
// can use any name without meeting it.
GLuint makeSharedColourBuffer(OffscreenSurface& surface)
{
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, surface.width, surface.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    const EGLint imageAttributes[] = {EGL_GL_TEXTURE_LEVEL_KHR, 0, EGL_NONE};
    surface.image = offscreen.createImage(offscreen.display, surface.context.context, EGL_GL_TEXTURE_2D_KHR,
                                          reinterpret_cast<EGLClientBuffer>(static_cast<std::uintptr_t>(texture)),
                                          imageAttributes);
    GLuint colour = 0;
    offscreen.genRenderbuffers(1, &colour);
    offscreen.bindRenderbuffer(GL_RENDERBUFFER, colour);
    if (surface.image != EGL_NO_IMAGE_KHR) {
        offscreen.imageTargetRenderbuffer(GL_RENDERBUFFER, static_cast<GLeglImageOES>(surface.image));
    } else {
        offscreen.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, surface.width, surface.height);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);
    return colour;
}

bool buildFramebuffer(OffscreenSurface& surface, bool zeroCopy)
{
    if (zeroCopy) {
        surface.colourBuffer = makeSharedColourBuffer(surface);
    } else {
        offscreen.genRenderbuffers(1, &surface.colourBuffer);
        offscreen.bindRenderbuffer(GL_RENDERBUFFER, surface.colourBuffer);
        offscreen.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, surface.width, surface.height);
    }
    offscreen.genRenderbuffers(1, &surface.depthStencilBuffer);
    offscreen.bindRenderbuffer(GL_RENDERBUFFER, surface.depthStencilBuffer);
    offscreen.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, surface.width, surface.height);
    offscreen.bindRenderbuffer(GL_RENDERBUFFER, 0);

    offscreen.genFramebuffers(1, &surface.framebuffer);
    offscreen.bindFramebuffer(GL_FRAMEBUFFER, surface.framebuffer);
    offscreen.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, surface.colourBuffer);
    offscreen.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                      surface.depthStencilBuffer);
    return offscreen.checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// For tests: QELO_FAIL_RENDER_TARGET=k refuses the k-th surface asked for
// (from 0, in creation order), as a driver that refuses contexts would.
bool refusedForTest()
{
    static long asked = 0;
    const long index = asked++;
    const char* value = std::getenv("QELO_FAIL_RENDER_TARGET");
    if (value == nullptr || *value == '\0') return false;
    char* end = nullptr;
    const long refused = std::strtol(value, &end, 10);
    return *end == '\0' && refused == index;
}

}  // namespace

OffscreenSurface* createOffscreenSurface(std::int32_t width, std::int32_t height, std::int32_t& actualWidth,
                                         std::int32_t& actualHeight)
{
    // Failures leave their reason in SDL's error, which the report of the
    // failure (DemoWindow::fail) shows.
    if (refusedForTest()) {
        SDL_SetError("refused on request by QELO_FAIL_RENDER_TARGET");
        return nullptr;
    }
    if (offscreen.display == EGL_NO_DISPLAY || width <= 0 || height <= 0) {
        SDL_SetError("no EGL display for off-screen surfaces");
        return nullptr;
    }
    const bool framebuffer = offscreen.framebufferObjects && (offscreen.surfaceless || offscreen.pbuffers);
    if (!framebuffer && !offscreen.pbuffers) {
        SDL_SetError("the driver offers neither framebuffer objects nor pbuffers");
        return nullptr;
    }
    bool zeroCopy = framebuffer && offscreen.zeroCopyWorks() && !offscreen.preferReadBack;

    auto* surface = new OffscreenSurface;
    surface->width = width;
    surface->height = height;
    surface->context.context = eglCreateContext(offscreen.display, offscreen.config, EGL_NO_CONTEXT, nullptr);
    if (framebuffer) {
        // The framebuffer object is the drawing target; a context still needs
        // a surface where EGL cannot do without one.
        if (!offscreen.surfaceless) surface->context.surface = createPbuffer(1, 1);
    } else {
        surface->context.surface = createPbuffer(width, height);
        EGLint w = width, h = height;
        eglQuerySurface(offscreen.display, surface->context.surface, EGL_WIDTH, &w);
        eglQuerySurface(offscreen.display, surface->context.surface, EGL_HEIGHT, &h);
        surface->width = w;
        surface->height = h;
    }

    bool made = surface->context.context != EGL_NO_CONTEXT &&
                (offscreen.surfaceless || surface->context.surface != EGL_NO_SURFACE) &&
                sdl::useTargetContext(&surface->context);
    if (made && framebuffer) {
        made = buildFramebuffer(*surface, zeroCopy);
        if (surface->image == EGL_NO_IMAGE_KHR) zeroCopy = false;
    }
    sdl::useWindowContext();
    if (!made) {
        SDL_SetError("the driver refused the target's context or framebuffer");
        destroyOffscreenSurface(surface);
        return nullptr;
    }
    if (!zeroCopy) surface->copy.resize(static_cast<std::size_t>(surface->width) * surface->height * 4);
    actualWidth = surface->width;
    actualHeight = surface->height;
    return surface;
}

void makeOffscreenSurfaceCurrent(OffscreenSurface* surface)
{
    sdl::useTargetContext(&surface->context);
    surface->drawnSinceCopy = true;
}

void bindOffscreenSurfaceImage(OffscreenSurface* surface)
{
    if (surface->image != EGL_NO_IMAGE_KHR) {
        // The bound texture object takes the surface's storage: no copy. The
        // drawing was finished when its context was left.
        offscreen.imageTargetTexture(GL_TEXTURE_2D, static_cast<GLeglImageOES>(surface->image));
        return;
    }
    if (surface->drawnSinceCopy) {
        const sdl::TargetContext* previous = sdl::currentTargetContext();
        const bool elsewhere = previous != &surface->context;
        if (elsewhere) sdl::useTargetContext(&surface->context);
        glReadPixels(0, 0, surface->width, surface->height, GL_BGRA, GL_UNSIGNED_BYTE, surface->copy.data());
        if (elsewhere) {
            if (previous != nullptr) {
                sdl::useTargetContext(previous);
            } else {
                sdl::useWindowContext();
            }
        }
        surface->drawnSinceCopy = false;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, surface->width, surface->height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 surface->copy.data());
}

bool offscreenSurfaceSharesStorage(const OffscreenSurface* surface)
{
    return surface != nullptr && surface->image != EGL_NO_IMAGE_KHR;
}

void releaseOffscreenSurfaceImage(OffscreenSurface*)
{
    // Nothing to undo: a shared image may be drawn while the window's texture
    // holds it (drawing is finished before the window samples again), and a
    // copied picture belongs to the texture alone.
}

void destroyOffscreenSurface(OffscreenSurface* surface)
{
    if (surface == nullptr) return;
    sdl::forgetTargetContext(&surface->context);
    // The framebuffer object and renderbuffers go with the unshared context.
    if (surface->context.context != EGL_NO_CONTEXT) eglDestroyContext(offscreen.display, surface->context.context);
    if (surface->image != EGL_NO_IMAGE_KHR) offscreen.destroyImage(offscreen.display, surface->image);
    if (surface->context.surface != EGL_NO_SURFACE) eglDestroySurface(offscreen.display, surface->context.surface);
    delete surface;
}

namespace sdl {

bool sharesWithoutCopy(const OffscreenSurface* surface) { return offscreenSurfaceSharesStorage(surface); }

}  // namespace sdl

}  // namespace qelo
