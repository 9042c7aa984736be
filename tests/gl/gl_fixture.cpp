#include "gl/gl_fixture.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

#include "platform/sdl/window_options.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"

namespace qelo::test {

namespace {

bool created = false;

}  // namespace

void showContext()
{
    if (!created) {
        created = true;
        sdl::windowOptions.headless = true;
        mainWindow.create();
        if (mainWindow.running) renderTargets.create(5);
    }
    ASSERT_TRUE(mainWindow.running) << "the headless window could not be made";
    mainWindow.makeCurrent();
}

std::vector<std::uint8_t> windowPixels()
{
    mainWindow.makeCurrent();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(mainWindow.width) * mainWindow.height * 4);
    glReadPixels(0, 0, mainWindow.width, mainWindow.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Rgba windowPixelFromTop(int x, int y)
{
    mainWindow.makeCurrent();
    std::uint8_t p[4] = {};
    glReadPixels(x, mainWindow.height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}

void clearWindow()
{
    mainWindow.makeCurrent();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

std::vector<std::uint8_t> targetPixels(int k)
{
    RenderTexture& target = renderTargets.target(k);
    const std::uint8_t* p = target.readPixels();
    std::vector<std::uint8_t> pixels(p, p + static_cast<std::size_t>(target.width) * target.height * 4);
    mainWindow.makeCurrent();
    return pixels;
}

Rgba targetPixel(int k, int x, int y)
{
    RenderTexture& target = renderTargets.target(k);
    const std::uint8_t* p = target.readPixels() + (static_cast<std::size_t>(y) * target.width + x) * 4;
    mainWindow.makeCurrent();
    return {p[0], p[1], p[2], p[3]};
}

bool near(const Rgba& a, const Rgba& b, int tolerance)
{
    for (int i = 0; i < 4; ++i) {
        if (std::abs(a[i] - b[i]) > tolerance) return false;
    }
    return true;
}

void orthoPixels()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1024, 0, 768, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

unsigned boundTexture()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return static_cast<unsigned>(name);
}

int textureWidthIn(unsigned name)
{
    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width;
}

}  // namespace qelo::test
