#pragma once
// A small software context for tests that watch a scene's random draws and
// state rather than its picture.
#include "render/software/software_context.h"

namespace qelo::testing {

inline DrawingContext& scratchDrawing()
{
    static software::SoftwareContext context(64, 48);
    return context;
}

}  // namespace qelo::testing
