// Layers of twenty concentric heptagonal bands around the vertical axis,
// growing outward and wrapping by one ring spacing so new rings keep coming
// out of the centre. Each band's seven pieces flare outward at their trailing
// ends by a pulsing amount, and the bands add their colour to what lies
// beneath, so overlaps glow.
#include "effects/ring_stack.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "effects/effects.h"
#include "render/fixed_function_matrix.h"
#include "render/software_triangles.h"
#include "shell/globals.h"

namespace qelo {

namespace {

constexpr float fullTurn = 6.28f;  // a little short of 2 pi; the closing piece is wider
constexpr std::int32_t ringsPerLayer = 20;
constexpr std::int32_t ringSides = 7;

double widened(float value) { return static_cast<double>(value); }

}  // namespace

namespace {

// A ring's vertices in GL order to `vertex(x, y, z)`: four a piece for a
// band (GL_QUADS), three for a disc (GL_TRIANGLES).
template <typename Vertex>
void ringVertices(Vec3 centre, float width, float radius, std::int32_t segments, float flare, Vertex&& vertex)
{
    const float n = static_cast<float>(segments);
    const bool band = width < radius;  // false for NaN too: a disc
    const float outerTrailing = radius + flare;
    const float inner = radius - width;
    const float innerTrailing = inner + flare;
    auto at = [&centre, &vertex](double angle, float r) {
        vertex(static_cast<float>(widened(centre.x) + widened(r) * std::sin(angle)), centre.y,
               static_cast<float>(widened(centre.z) + widened(r) * std::cos(angle)));
    };
    for (std::int32_t i = 0; i < segments; ++i) {
        const double leading = static_cast<double>(i) / widened(n) * widened(fullTurn);
        const double trailing = static_cast<double>((i + 1) % segments) / widened(n) * widened(fullTurn);
        at(leading, radius);
        at(trailing, outerTrailing);
        if (band) {
            at(trailing, innerTrailing);
            at(leading, inner);
        } else {
            vertex(centre.x, centre.y, centre.z);
        }
    }
}

}  // namespace

void drawRing(Vec3 centre, float width, float radius, std::int32_t segments, float flare)
{
    glDisable(GL_CULL_FACE);
    glBegin(width < radius ? GL_QUADS : GL_TRIANGLES);
    ringVertices(centre, width, radius, segments, flare, [](float x, float y, float z) { glVertex3f(x, y, z); });
    glEnd();
}

RingStackView ringStackView(float localTime, std::int32_t mode)
{
    const double t = localTime;
    const float s = static_cast<float>(std::sin(t));
    const double c1 = 3.0 * std::cos(0.5 * t);
    const double c2 = 5.0 * std::sin(-3.0 * t);
    const double c3 = std::cos(2.0 * t - 4.0 * widened(s));

    RingStackView view;
    view.eye = Vec3(1.0f, 100.0f, -14.0f);
    auto breathing = [&] { return static_cast<float>(2.0 * std::fabs(std::sin(4.0 * t + 3.0 * std::cos(2.0 * t) - c2) + c3)); };
    switch (mode) {
    case 0:
        view.eye = Vec3(static_cast<float>(30.0 * widened(s)), static_cast<float>(40.0 * std::sin(t + std::sin(4.0 * t)) + 10.0),
                        static_cast<float>(20.0 * std::cos(2.0 * t)));
        view.layerScale = static_cast<float>(
            widened(0.2f) * std::fabs(std::sin(widened(1.4f) * t + c1 - 5.0 * std::sin(-1.5 * t)) + std::cos(widened(0.8f) * t - widened(s))));
        view.alpha = 0.2f;
        view.offset = static_cast<float>(10.0 * t + 100.0);
        break;
    case 1:
    case 2:
        view.eye = mode == 1 ? Vec3(1.0f, 40.0f, -14.0f)
                             : Vec3(1.0f, static_cast<float>(5.0 * widened(s) - 3.0 * std::cos(3.0 * t)), -14.0f);
        view.layerScale = breathing();
        view.alpha = static_cast<float>(widened(0.2f) - widened(0.04f) * widened(view.layerScale));
        view.offset = static_cast<float>((mode == 1 ? 30.0 : 70.0) * t + 100.0);
        break;
    default:
        view.drawn = false;
        return view;
    }
    view.red = static_cast<float>(0.5 * (widened(s) + 1.0));
    view.blue = static_cast<float>(0.5 * (std::cos(t) + 1.0) - widened(0.3f));
    view.flare = static_cast<float>(std::fabs(20.0 * (std::sin(4.0 * t - 6.0 * std::cos(2.0 * t)) - std::cos(3.0 * t))));
    return view;
}

std::vector<float> ringStackLayerHeights(float layerScale)
{
    std::vector<float> heights;
    float y = -20.0f * layerScale;
    const double end = 20.0 * widened(layerScale);  // exact: a float times 20 fits a double
    if (!(widened(y) < end)) return heights;
    const float step = 4.0f * layerScale;
    double next = 0.0;
    do {
        heights.push_back(y);
        // The next height is compared unrounded but stored as a float, which
        // can add an eleventh layer at the top.
        next = widened(y) + widened(step);
        y = static_cast<float>(next);
    } while (next < end);
    return heights;
}

namespace {

// Every ring of the stack, bottom layer first, to `ring(centre, width, radius)`.
template <typename Ring>
void forEachRing(const RingStackView& view, Ring&& ring)
{
    // Ring phase: the innermost radius is 3 * offset, in (0, 12].
    float offset = view.offset;
    while (offset > 4.0f) offset -= 4.0f;

    const float width = view.layerScale + 2.6f;
    for (const float y : ringStackLayerHeights(view.layerScale)) {
        for (std::int32_t j = 0; j < ringsPerLayer; ++j) {
            const float radius = static_cast<float>(3.0 * (4.0 * j + widened(offset)));
            ring(Vec3(0.0f, y + 5.0f, 0.0f), width, radius);
        }
    }
}

// One channel of GL_ONE, GL_ONE_MINUS_SRC_ALPHA on 8-bit values.
std::uint8_t addOver(std::uint8_t source, std::uint8_t destination, std::uint8_t sourceAlpha)
{
    const std::uint32_t t = static_cast<std::uint32_t>(destination) * (255u - sourceAlpha);
    const std::uint32_t scaled = (t + (t >> 8) + 128u) >> 8;
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(255u, source + scaled));
}

}  // namespace

void drawRingStack(const RingStackView& view)
{
    if (!view.drawn) return;
    glColor4f(view.red, 0.0f, view.blue, view.alpha);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.3333333333333333, widened(0.1f), 1000.0);
    // The depth scale goes before the look-at: it doubles eye-space depth, so
    // the stack looks half as large and the clip range becomes 0.05 to 500.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(1.0f, 1.0f, 2.0f);
    gluLookAt(view.eye.x, view.eye.y, view.eye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);

    forEachRing(view, [&view](Vec3 centre, float width, float radius) {
        drawRing(centre, width, radius, ringSides, view.flare);
    });
}

void drawRingStackInMemory(const RingStackView& view, PictureView picture)
{
    if (!view.drawn) return;
    GlMatrix projection = identityMatrix();
    perspectiveMatrix(projection, 45.0, 1.3333333333333333, widened(0.1f), 1000.0);
    GlMatrix modelView = identityMatrix();
    scaleMatrix(modelView, 1.0f, 1.0f, 2.0f);
    lookAtMatrix(modelView, view.eye.x, view.eye.y, view.eye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    const GlMatrix transform = matrixProduct(projection, modelView);
    const ViewportTransform viewport = viewportTransform(0, 0, picture.width, picture.height);

    // Every piece adds the same colour over what lies beneath, so a pixel's
    // colour follows from how many pieces cover it.
    CoverageCount coverage(picture.width, picture.height);
    forEachRing(view, [&](Vec3 centre, float width, float radius) {
        rasteriseRing(coverage, transform, viewport, centre, width, radius, ringSides, view.flare);
    });
    resolveAddedCoverage(coverage, packColour(view.red, 0.0f, view.blue, view.alpha), picture);
}

void rasteriseRing(SpanSink& sink, const GlMatrix& transform, const ViewportTransform& viewport, Vec3 centre,
                       float width, float radius, std::int32_t segments, float flare)
{
    // One glBegin/glEnd batch: whether any vertex is clipped decides the split.
    std::vector<ClipVertex> corners;
    corners.reserve(static_cast<std::size_t>(std::max(segments, 0)) * 4);
    bool clipped = false;
    ringVertices(centre, width, radius, segments, flare, [&](float x, float y, float z) {
        corners.push_back(transformVertex(transform, x, y, z, 1.0f));
        clipped = clipped || outsideViewVolume(corners.back());
    });
    const std::size_t count = corners.size();
    if (width < radius) {
        for (std::size_t i = 0; i + 4 <= count; i += 4) {
            const ClipVertex quad[4] = {corners[i], corners[i + 1], corners[i + 2], corners[i + 3]};
            drawQuad(sink, viewport, quad, clipped);
        }
    } else {
        for (std::size_t i = 0; i + 3 <= count; i += 3) drawTriangle(sink, viewport, corners[i], corners[i + 1], corners[i + 2]);
    }
}

void resolveAddedCoverage(const CoverageCount& coverage, std::uint32_t colour, PictureView picture)
{
    std::uint8_t source[4];
    std::memcpy(source, &colour, 4);
    // Colours after n pieces over a cleared pixel.
    std::vector<std::array<std::uint8_t, 4>> afterCount(1, {0, 0, 0, 0});
    forEachCoveredPixel(coverage, picture, [&](std::uint8_t* pixel, std::int32_t pieces) {
        const bool cleared = pixel[0] == 0 && pixel[1] == 0 && pixel[2] == 0 && pixel[3] == 0;
        if (cleared) {
            while (afterCount.size() <= static_cast<std::size_t>(pieces)) {
                std::array<std::uint8_t, 4> next = afterCount.back();
                for (int c = 0; c < 4; ++c) next[c] = addOver(source[c], next[c], source[3]);
                afterCount.push_back(next);
            }
            std::memcpy(pixel, afterCount[static_cast<std::size_t>(pieces)].data(), 4);
        } else {
            for (std::int32_t n = 0; n < pieces; ++n)
                for (int c = 0; c < 4; ++c) pixel[c] = addOver(source[c], pixel[c], source[3]);
        }
    });
}

// Modes other than 0, 1 and 2 are never scheduled: they make the target
// current and draw nothing, leaving its GL state as it was.
void ringStackEffect(float localTime, float /*progress*/, bool /*firstFrame*/, std::int32_t mode)
{
    RenderTexture& target = renderTargets.target(2);
    if (renderTargets.composeInMemory) {
        // Captures: the same pixels, from coverage counts, without the
        // driver blending 1,400 large pieces one over another.
        drawRingStackInMemory(ringStackView(localTime, mode), target.drawInMemory());
        return;
    }
    target.makeCurrent();
    drawRingStack(ringStackView(localTime, mode));
}

}  // namespace qelo
