#include "platform/sdl/offscreen_entry_points.h"

#include <cstdlib>

#include "shell/extension_string.h"

namespace qelo::sdl {

OffscreenEntryPoints offscreen;

namespace {

template <typename Function>
void fetch(Function& slot, const char* name)
{
    slot = reinterpret_cast<Function>(eglGetProcAddress(name));
}

bool chooseConfig(EGLDisplay display, EGLint surfaceType, EGLConfig& config)
{
    const EGLint attributes[] = {EGL_SURFACE_TYPE, surfaceType, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                 EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                                 EGL_DEPTH_SIZE, 16, EGL_STENCIL_SIZE, 8, EGL_NONE};
    EGLint found = 0;
    return eglChooseConfig(display, attributes, &config, 1, &found) == EGL_TRUE && found > 0;
}

}  // namespace

bool initOffscreenEntryPoints(EGLDisplay display)
{
    offscreen = OffscreenEntryPoints{};
    if (display == EGL_NO_DISPLAY) return false;  // the window context is not an EGL one
    offscreen.display = display;
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) return false;

    const char* eglExtensions = eglQueryString(display, EGL_EXTENSIONS);
    const char* glExtensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    const char* glVersion = reinterpret_cast<const char*>(glGetString(GL_VERSION));

    offscreen.surfaceless = hasExtension(eglExtensions, "EGL_KHR_surfaceless_context");
    EGLConfig config = nullptr;
    offscreen.pbuffers = chooseConfig(display, EGL_PBUFFER_BIT, config);
    if (!offscreen.pbuffers && !chooseConfig(display, EGL_DONT_CARE, config)) return false;
    offscreen.config = config;

    offscreen.framebufferObjects = (glVersion != nullptr && std::atoi(glVersion) >= 3) ||
                                   hasExtension(glExtensions, "GL_ARB_framebuffer_object");
    if (offscreen.framebufferObjects) {
        fetch(offscreen.genFramebuffers, "glGenFramebuffers");
        fetch(offscreen.deleteFramebuffers, "glDeleteFramebuffers");
        fetch(offscreen.bindFramebuffer, "glBindFramebuffer");
        fetch(offscreen.framebufferRenderbuffer, "glFramebufferRenderbuffer");
        fetch(offscreen.checkFramebufferStatus, "glCheckFramebufferStatus");
        fetch(offscreen.genRenderbuffers, "glGenRenderbuffers");
        fetch(offscreen.deleteRenderbuffers, "glDeleteRenderbuffers");
        fetch(offscreen.bindRenderbuffer, "glBindRenderbuffer");
        fetch(offscreen.renderbufferStorage, "glRenderbufferStorage");
        offscreen.framebufferObjects = offscreen.genFramebuffers && offscreen.deleteFramebuffers &&
                                       offscreen.bindFramebuffer && offscreen.framebufferRenderbuffer &&
                                       offscreen.checkFramebufferStatus && offscreen.genRenderbuffers &&
                                       offscreen.deleteRenderbuffers && offscreen.bindRenderbuffer &&
                                       offscreen.renderbufferStorage;
    }

    offscreen.imageSharing = hasExtension(eglExtensions, "EGL_KHR_image_base") &&
                             hasExtension(eglExtensions, "EGL_KHR_gl_texture_2D_image") &&
                             hasExtension(glExtensions, "GL_OES_EGL_image");
    if (offscreen.imageSharing) {
        fetch(offscreen.createImage, "eglCreateImageKHR");
        fetch(offscreen.destroyImage, "eglDestroyImageKHR");
        fetch(offscreen.imageTargetTexture, "glEGLImageTargetTexture2DOES");
        fetch(offscreen.imageTargetRenderbuffer, "glEGLImageTargetRenderbufferStorageOES");
        offscreen.imageSharing = offscreen.createImage && offscreen.destroyImage && offscreen.imageTargetTexture &&
                                 offscreen.imageTargetRenderbuffer;
    }
    if (hasExtension(eglExtensions, "EGL_KHR_fence_sync") && hasExtension(eglExtensions, "EGL_KHR_wait_sync")) {
        fetch(offscreen.createSync, "eglCreateSyncKHR");
        fetch(offscreen.destroySync, "eglDestroySyncKHR");
        fetch(offscreen.waitSync, "eglWaitSyncKHR");
    }
    return offscreen.zeroCopyWorks() || offscreen.readBackWorks();
}

}  // namespace qelo::sdl
