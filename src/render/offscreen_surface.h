#pragma once
// The platform seam under RenderTexture: a drawing surface with a GL context
// of its own (sharing nothing with other contexts) whose picture can become
// the image of a texture object in the window's context. RenderTexture keeps
// all bookkeeping; these primitives only do what they say. Main thread only.
#include <cstdint>

namespace qelo {

struct OffscreenSurface;  // defined by the backend

// Creates a surface of at least width x height with its own context. The
// size the backend really made is written back. Returns null on failure.
// Leaves the window's context current.
OffscreenSurface* createOffscreenSurface(std::int32_t width, std::int32_t height, std::int32_t& actualWidth,
                                         std::int32_t& actualHeight);

// Makes the surface's own context current; drawing goes to the surface.
void makeOffscreenSurfaceCurrent(OffscreenSurface* surface);

// With some context current and the target's texture name bound to
// GL_TEXTURE_2D there: the surface's picture becomes that texture's image.
void bindOffscreenSurfaceImage(OffscreenSurface* surface);

// Whether the texture bindOffscreenSurfaceImage binds is the surface's own
// storage, so that writing the texture writes the surface.
bool offscreenSurfaceSharesStorage(const OffscreenSurface* surface);

// Undoes bindOffscreenSurfaceImage before drawing into the surface again.
void releaseOffscreenSurfaceImage(OffscreenSurface* surface);

void destroyOffscreenSurface(OffscreenSurface* surface);

}  // namespace qelo
