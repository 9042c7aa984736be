#pragma once
// The renderer is chosen once per run, before the window is made.
#include <string>
#include <string_view>

#include "shell/renderer_kind.h"

namespace qelo {

// Whether a GL_RENDERER string names a rasteriser that runs on the CPU:
// llvmpipe, softpipe or swrast (or swrast's "Software Rasterizer") anywhere
// in it, in any case, also when a layer such as zink runs on top of one.
bool isSoftwareRasteriser(std::string_view glRenderer);

// The renderer for this run. A gl or software request is taken as it is (a
// GL that is missing or too weak is reported when the window's context is
// made). Automatic: software off-screen (capture, benchmark); for live play
// software when GL itself is a software rasteriser or no GL context can be
// made at all, gl otherwise. glRendererName receives the GL_RENDERER of the
// context made to decide, empty when none was made. Linux backend only.
RendererKind chooseRenderer(RendererRequest request, bool offscreen, std::string& glRendererName);

}  // namespace qelo
