// The software renderer against the GL driver: the same calls drawn both
// ways into 1024 x 768 pictures must agree within a tolerance, as two
// renderers with their own rounding do. Tolerance: at most 1 % of pixels
// differ by more than 4 levels in some channel, and every such pixel lies
// where the GL picture itself changes (its 3 x 3 neighbourhood spans more
// than 4 levels: an edge or texture detail), never inside a flat area.
// Runs on any driver (llvmpipe, softpipe).
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "gl/gl_fixture.h"
#include "render/software/software_context.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"
#include "timeline/scene_list.h"

namespace qelo::test {
namespace {

using software::SoftwareContext;

constexpr int width = 1024, height = 768;

// The drawing calls the scenes below use, issued to GL one for one.
struct GlCalls {
    void matrixMode(MatrixMode mode) { glMatrixMode(mode == MatrixMode::projection ? GL_PROJECTION : GL_MODELVIEW); }
    void loadIdentity() { glLoadIdentity(); }
    void perspective(double fovy, double aspect, double n, double f) { gluPerspective(fovy, aspect, n, f); }
    void ortho(double l, double r, double b, double t, double n, double f) { glOrtho(l, r, b, t, n, f); }
    void rotate(float degrees, float x, float y, float z) { glRotatef(degrees, x, y, z); }
    void translate(float x, float y, float z) { glTranslatef(x, y, z); }
    static GLenum capability(Capability c)
    {
        switch (c) {
        case Capability::depthTest: return GL_DEPTH_TEST;
        case Capability::blend: return GL_BLEND;
        case Capability::texture2D: return GL_TEXTURE_2D;
        case Capability::cullFace: return GL_CULL_FACE;
        }
        return GL_BLEND;
    }
    void enable(Capability c) { glEnable(capability(c)); }
    void disable(Capability c) { glDisable(capability(c)); }
    static GLenum factor(BlendFactor f)
    {
        switch (f) {
        case BlendFactor::zero: return GL_ZERO;
        case BlendFactor::one: return GL_ONE;
        case BlendFactor::sourceAlpha: return GL_SRC_ALPHA;
        case BlendFactor::oneMinusSourceAlpha: return GL_ONE_MINUS_SRC_ALPHA;
        }
        return GL_ONE;
    }
    void blendFunction(BlendFactor s, BlendFactor d) { glBlendFunc(factor(s), factor(d)); }
    void colour(float r, float g, float b, float a) { glColor4f(r, g, b, a); }
    void texCoord(float s, float t) { glTexCoord2f(s, t); }
    void begin(Primitive p) { glBegin(p == Primitive::quads ? GL_QUADS : GL_TRIANGLES); }
    void vertex(float x, float y, float z) { glVertex3f(x, y, z); }
    void end() { glEnd(); }
};

// A side x side texture, bound, with one filter both ways.
void loadTexture(GlCalls&, int side, const std::uint8_t* rgba, TextureFilter filter)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    const GLint f = filter == TextureFilter::linear ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, side, side, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void loadTexture(SoftwareContext& context, int side, const std::uint8_t* rgba, TextureFilter filter)
{
    context.createTexture();
    context.textureImage(side, side, rgba);
    context.textureFilter(filter, filter);
}

// A smooth pattern with a few hard lines, alpha varying too.
std::vector<std::uint8_t> patternTexture(int side)
{
    std::vector<std::uint8_t> rgba;
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i) {
            const bool line = i % 16 == 0 || j % 16 == 0;
            rgba.insert(rgba.end(), {std::uint8_t(i * 255 / side), std::uint8_t(line ? 255 : j * 255 / side),
                                     std::uint8_t((i ^ j) & 0x80 ? 200 : 40), std::uint8_t(128 + (i + j) % 128)});
        }
    return rgba;
}

template <class Calls>
void perspectiveView(Calls& calls)
{
    calls.matrixMode(MatrixMode::projection);
    calls.loadIdentity();
    calls.perspective(45.0, 1.3333333333333333, 0.10000000149011612, 1000.0);
    calls.matrixMode(MatrixMode::modelView);
    calls.loadIdentity();
}

template <class Calls>
void blendedRings(Calls& calls)
{
    perspectiveView(calls);
    calls.translate(0, -1, -8);
    calls.rotate(-60, 1, 0, 0.2f);
    calls.enable(Capability::blend);
    calls.blendFunction(BlendFactor::sourceAlpha, BlendFactor::one);
    calls.begin(Primitive::quads);
    for (int ring = 0; ring < 6; ++ring)
        for (int k = 0; k < 40; ++k) {
            const float r0 = 1.0f + ring * 0.6f, r1 = r0 + 0.5f;  // rings overlap their neighbours
            const float a0 = k * 0.15707963f, a1 = (k + 1) * 0.15707963f;
            calls.colour(0.2f + 0.1f * ring, 0.5f, 1.0f - 0.1f * ring, 0.35f);
            calls.vertex(r0 * std::cos(a0), r0 * std::sin(a0), 0);
            calls.vertex(r0 * std::cos(a1), r0 * std::sin(a1), 0);
            calls.colour(1.0f, 0.3f, 0.2f, 0.6f);
            calls.vertex(r1 * std::cos(a1), r1 * std::sin(a1), 0);
            calls.vertex(r1 * std::cos(a0), r1 * std::sin(a0), 0);
        }
    calls.end();
}

template <class Calls>
void depthTestedTriangles(Calls& calls)
{
    perspectiveView(calls);
    calls.enable(Capability::depthTest);
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(0, 1);
    calls.begin(Primitive::triangles);
    for (int k = 0; k < 120; ++k) {
        const float x = unit(random) * 8 - 4, y = unit(random) * 6 - 3, z = -6 - unit(random) * 6;
        for (int corner = 0; corner < 3; ++corner) {
            calls.colour(unit(random), unit(random), unit(random), 1);
            calls.vertex(x + unit(random) * 3 - 1.5f, y + unit(random) * 3 - 1.5f, z + unit(random) * 4 - 2);
        }
    }
    calls.end();
}

template <class Calls>
void texturedQuadFlat(Calls& calls, const std::vector<std::uint8_t>& texture)
{
    calls.matrixMode(MatrixMode::projection);
    calls.loadIdentity();
    calls.ortho(0, 1, 0.75, 0, 0, 1);
    calls.matrixMode(MatrixMode::modelView);
    calls.loadIdentity();
    loadTexture(calls, 64, texture.data(), TextureFilter::linear);
    calls.enable(Capability::texture2D);
    calls.enable(Capability::blend);
    calls.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
    calls.colour(1, 0.9f, 0.8f, 1);
    calls.begin(Primitive::quads);  // 64 texels over 700 pixels, a quarter-texel offset, repeated
    calls.texCoord(0.13f, 0.2f);
    calls.vertex(0.1f, 0.05f, 0);
    calls.texCoord(1.63f, 0.2f);
    calls.vertex(0.8f, 0.05f, 0);
    calls.texCoord(1.63f, 1.3f);
    calls.vertex(0.8f, 0.7f, 0);
    calls.texCoord(0.13f, 1.3f);
    calls.vertex(0.1f, 0.7f, 0);
    calls.end();
}

template <class Calls>
void texturedQuadInPerspective(Calls& calls, const std::vector<std::uint8_t>& texture)
{
    perspectiveView(calls);
    calls.translate(0, -1.5f, -4);
    calls.rotate(-70, 1, 0, 0);
    loadTexture(calls, 64, texture.data(), TextureFilter::linear);
    calls.enable(Capability::texture2D);
    calls.colour(1, 1, 1, 1);
    calls.begin(Primitive::quads);
    calls.texCoord(0, 0);
    calls.vertex(-2, -1, 0);
    calls.texCoord(2, 0);
    calls.vertex(2, -1, 0);
    calls.texCoord(2, 6);
    calls.vertex(2, 12, 0);
    calls.texCoord(0, 6);
    calls.vertex(-2, 12, 0);
    calls.end();
}

struct Comparison {
    int differing = 0;      // pixels off by more than 4 levels somewhere
    int offInFlatArea = 0;  // of those, where GL's picture is flat around them
    int maximum = 0;
    int drawn = 0;  // pixels GL drew on (not all zero)
};

Comparison compare(const std::vector<std::uint8_t>& gl, const std::uint8_t* software)
{
    Comparison result;
    auto at = [&](int x, int y, int c) { return int(gl[(std::size_t(y) * width + x) * 4 + c]); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int off = 0;
            if (at(x, y, 0) + at(x, y, 1) + at(x, y, 2) + at(x, y, 3) > 0) ++result.drawn;
            for (int c = 0; c < 4; ++c)
                off = std::max(off, std::abs(at(x, y, c) - int(software[(std::size_t(y) * width + x) * 4 + c])));
            result.maximum = std::max(result.maximum, off);
            if (off <= 4) continue;
            ++result.differing;
            int spread = 0;
            for (int c = 0; c < 4; ++c) {
                int low = 255, high = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int v = at(std::clamp(x + dx, 0, width - 1), std::clamp(y + dy, 0, height - 1), c);
                        low = std::min(low, v);
                        high = std::max(high, v);
                    }
                spread = std::max(spread, high - low);
            }
            if (spread <= 4) ++result.offInFlatArea;
        }
    return result;
}

class SoftwareAgainstGl : public ShowGlTest {
protected:
    template <class Scene>
    void expectAgreement(Scene scene)
    {
        renderTargets.target(1).makeCurrent();  // an RGBA8 picture with 24-bit depth
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        GlCalls gl;
        scene(gl);
        glFinish();
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        const std::vector<std::uint8_t> glPicture = targetPixels(1);
        SoftwareContext software(width, height);
        scene(software);
        const Comparison result = compare(glPicture, software.picture());
        EXPECT_GE(result.drawn, width * height / 20) << "the scene draws next to nothing";
        EXPECT_LE(result.differing, width * height / 100) << renderer;
        EXPECT_EQ(result.offInFlatArea, 0) << renderer;
        std::printf("%s: %d pixels differ by more than 4 (largest %d)\n", renderer, result.differing, result.maximum);
    }
};

TEST_F(SoftwareAgainstGl, BlendedRingFanInPerspective)
{
    expectAgreement([](auto& calls) { blendedRings(calls); });
}

TEST_F(SoftwareAgainstGl, DepthTestedTriangles)
{
    expectAgreement([](auto& calls) { depthTestedTriangles(calls); });
}

TEST_F(SoftwareAgainstGl, TexturedQuadFlatWithLinearFilter)
{
    const std::vector<std::uint8_t> texture = patternTexture(64);
    expectAgreement([&](auto& calls) { texturedQuadFlat(calls, texture); });
}

TEST_F(SoftwareAgainstGl, TexturedQuadInPerspective)
{
    const std::vector<std::uint8_t> texture = patternTexture(64);
    expectAgreement([&](auto& calls) { texturedQuadInPerspective(calls, texture); });
}

}  // namespace
}  // namespace qelo::test
