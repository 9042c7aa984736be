#pragma once
// Which drawing context the next call goes to, as GL has a current context.
// With the GL renderer it is always the one GlContext (GL itself knows which
// context is current); with the software renderer, the target or window
// context made current last.
#include "render/drawing_context.h"

namespace qelo {

DrawingContext& currentDrawing();
void setCurrentDrawing(DrawingContext& context);

// The window context's drawing, current again after every window switch.
// With the software renderer nothing is drawn there: it only hands out
// texture names, as the window's GL context does.
DrawingContext& windowDrawing();

// The window's context made current (mainWindow.makeCurrent) and its drawing
// with it.
void makeWindowCurrent();

}  // namespace qelo
