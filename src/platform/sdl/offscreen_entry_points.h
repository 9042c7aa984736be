#pragma once
// What the render targets need from EGL and GL beyond OpenGL 1.1, found once
// at the end of window creation with the window's context current.
//
// Two ways to deliver a target's picture to the window's context:
// - zero copy: the target draws into a framebuffer object whose colour storage
//   is an EGLImage; the window's texture takes the same image;
// - read-back: the target draws into a framebuffer object (or, without those,
//   into a pbuffer) and its pixels are copied into the window's texture.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

namespace qelo {
struct OffscreenSurface;
}

namespace qelo::sdl {

struct OffscreenEntryPoints {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLConfig config = nullptr;  // for the targets' contexts (and pbuffers when there are any)

    // What the driver offers.
    bool framebufferObjects = false;  // GL 3.0 or GL_ARB_framebuffer_object
    bool imageSharing = false;        // EGL_KHR_image_base + EGL_KHR_gl_texture_2D_image + GL_OES_EGL_image
    bool surfaceless = false;         // EGL_KHR_surfaceless_context
    bool pbuffers = false;            // a config with EGL_PBUFFER_BIT exists

    // Targets created from now on copy their pictures even when zero copy
    // works (tests exercise the fallback this way).
    bool preferReadBack = false;

    PFNEGLCREATEIMAGEKHRPROC createImage = nullptr;
    PFNEGLDESTROYIMAGEKHRPROC destroyImage = nullptr;
    PFNGLEGLIMAGETARGETTEXTURE2DOESPROC imageTargetTexture = nullptr;
    PFNGLEGLIMAGETARGETRENDERBUFFERSTORAGEOESPROC imageTargetRenderbuffer = nullptr;

    // Ordering between contexts without stopping the processor: the context
    // released leaves a fence, the next one current waits for it on the
    // driver's side (EGL_KHR_fence_sync + EGL_KHR_wait_sync).
    PFNEGLCREATESYNCKHRPROC createSync = nullptr;
    PFNEGLDESTROYSYNCKHRPROC destroySync = nullptr;
    PFNEGLWAITSYNCKHRPROC waitSync = nullptr;

    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;

    bool fencesWork() const { return createSync && destroySync && waitSync; }
    bool zeroCopyWorks() const { return framebufferObjects && imageSharing && (surfaceless || pbuffers); }
    bool readBackWorks() const { return (framebufferObjects && (surfaceless || pbuffers)) || pbuffers; }
};

extern OffscreenEntryPoints offscreen;

// Fills `offscreen` for the window context current now, on `display`.
// Returns whether render targets can work by either way.
bool initOffscreenEntryPoints(EGLDisplay display);

// Whether the surface shares its picture with the window without a copy.
bool sharesWithoutCopy(const OffscreenSurface* surface);

}  // namespace qelo::sdl
