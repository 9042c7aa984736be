#pragma once
// The 2-D scenes' view: x from 0 to 1 left to right, y from 0 to 0.75 top to
// bottom (y grows downwards), z from 0 to 1; the model-view is the identity
// and current afterwards.
#include "render/drawing_context.h"

namespace qelo {

constexpr float flatViewWidth = 1.0f, flatViewHeight = 0.75f;

inline void useFlatView(DrawingContext& gl)
{
    gl.matrixMode(MatrixMode::projection);
    gl.loadIdentity();
    gl.ortho(0.0, flatViewWidth, flatViewHeight, 0.0, 0.0, 1.0);
    gl.matrixMode(MatrixMode::modelView);
    gl.loadIdentity();
}

}  // namespace qelo
