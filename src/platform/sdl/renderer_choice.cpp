// The renderer for the run, on SDL: live automatic play asks GL its name
// through a hidden window with a context like the show's, on the same driver.
#include "shell/renderer_choice.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>

#include "platform/sdl/video_start.h"

namespace qelo {

namespace {

// GL_RENDERER of a context made as the show's window makes its own; empty
// when none can be made. SDL's video stays started for the window: SDL's
// x11 driver, once quit, fails to start again in the same process.
std::string probeGlRenderer()
{
    if (!sdl::startVideo(false)) {
        SDL_ClearError();  // the window says why when it fails the same way
        return {};
    }
    sdl::requestShowContext();
    std::string name;
    SDL_Window* window = SDL_CreateWindow("QELO", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window != nullptr) {
        SDL_GLContext context = SDL_GL_CreateContext(window);
        if (context != nullptr) {
            if (SDL_GL_MakeCurrent(window, context) == 0) {
                const GLubyte* text = glGetString(GL_RENDERER);
                if (text != nullptr) name = reinterpret_cast<const char*>(text);
                SDL_GL_MakeCurrent(window, nullptr);
            }
            SDL_GL_DeleteContext(context);
        }
        SDL_DestroyWindow(window);
    }
    SDL_ClearError();
    return name;
}

}  // namespace

RendererKind chooseRenderer(RendererRequest request, bool offscreen, std::string& glRendererName)
{
    glRendererName.clear();
    switch (request) {
    case RendererRequest::gl: return RendererKind::gl;
    case RendererRequest::software: return RendererKind::software;
    case RendererRequest::automatic: break;
    }
    if (offscreen) return RendererKind::software;
    glRendererName = probeGlRenderer();
    if (glRendererName.empty() || isSoftwareRasteriser(glRendererName)) return RendererKind::software;
    return RendererKind::gl;
}

}  // namespace qelo
