// The browser build has no OpenGL: the software renderer draws everything,
// chosen before start-up and never changed. The GL renderer's entry points
// that portable code names are here so that it links; none does anything.
#include "render/gl/gl_context.h"
#include "render/gl/gl_viewport.h"
#include "render/offscreen_surface.h"
#include "render/software/software_context.h"

namespace qelo {

DrawingContext& glWindowDrawing()
{
    // Only asked for with the GL renderer: a software context that draws
    // nowhere rather than a crash.
    static software::SoftwareContext nowhere(1, 1);
    return nowhere;
}

void setGlViewport(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {}

void glViewportSize(std::int32_t& width, std::int32_t& height)
{
    width = 0;
    height = 0;
}

// Software targets draw into their own pictures and never ask for a surface.
OffscreenSurface* createOffscreenSurface(std::int32_t, std::int32_t, std::int32_t& actualWidth, std::int32_t& actualHeight)
{
    actualWidth = 0;
    actualHeight = 0;
    return nullptr;
}

void makeOffscreenSurfaceCurrent(OffscreenSurface*) {}
void bindOffscreenSurfaceImage(OffscreenSurface*) {}
bool offscreenSurfaceSharesStorage(const OffscreenSurface*) { return false; }
void releaseOffscreenSurfaceImage(OffscreenSurface*) {}
void destroyOffscreenSurface(OffscreenSurface*) {}

}  // namespace qelo
