#pragma once
// The process-wide table of WGL extension entry points (pbuffers,
// render-to-texture, pixel formats), filled once with the window's context
// current. The render targets use the same pointers from their own contexts,
// which live on the same device.
#include <windows.h>

#include <GL/gl.h>
#include <GL/wglext.h>

namespace qelo::win32 {

struct WglExtensions {
    PFNWGLGETEXTENSIONSSTRINGARBPROC getExtensionsString = nullptr;
    PFNWGLBINDTEXIMAGEARBPROC bindTexImage = nullptr;
    PFNWGLRELEASETEXIMAGEARBPROC releaseTexImage = nullptr;
    PFNWGLSETPBUFFERATTRIBARBPROC setPbufferAttrib = nullptr;
    PFNWGLCREATEPBUFFERARBPROC createPbuffer = nullptr;
    PFNWGLGETPBUFFERDCARBPROC getPbufferDC = nullptr;
    PFNWGLRELEASEPBUFFERDCARBPROC releasePbufferDC = nullptr;
    PFNWGLDESTROYPBUFFERARBPROC destroyPbuffer = nullptr;
    PFNWGLQUERYPBUFFERARBPROC queryPbuffer = nullptr;
    PFNWGLGETPIXELFORMATATTRIBIVARBPROC getPixelFormatAttribiv = nullptr;
    PFNWGLGETPIXELFORMATATTRIBFVARBPROC getPixelFormatAttribfv = nullptr;
    PFNWGLCHOOSEPIXELFORMATARBPROC choosePixelFormat = nullptr;
};

extern WglExtensions wgl;

// Fetches the table with wglGetProcAddress. True when the driver advertises
// WGL_ARB_pbuffer and has the three render-to-texture entry points the show
// needs; false tells window creation that the show cannot run.
bool initPbufferExtension();

// Whether `name` occurs in the WGL extension string of the window's device
// context. False before the extension-string entry point is fetched.
bool hasWglExtension(const char* name);

}  // namespace qelo::win32
