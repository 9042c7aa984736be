#include "render/current_drawing.h"

#include "render/gl/gl_context.h"
#include "render/software/software_context.h"
#include "shell/globals.h"
#include "shell/renderer_kind.h"

namespace qelo {

namespace {

DrawingContext* current = nullptr;

}  // namespace

DrawingContext& windowDrawing()
{
    if (activeRenderer == RendererKind::gl) return glWindowDrawing();
    static software::SoftwareContext window(1, 1);
    return window;
}

DrawingContext& currentDrawing() { return current != nullptr ? *current : windowDrawing(); }

void setCurrentDrawing(DrawingContext& context) { current = &context; }

void makeWindowCurrent()
{
    mainWindow.makeCurrent();
    current = &windowDrawing();
}

}  // namespace qelo
