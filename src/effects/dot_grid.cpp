// Dots on a lattice of pitch 0.1: a grey disc in a red rim, each with its own
// random grey and rim strength every frame. All dots swell with one irregular
// pulse; the grid slides right at 5 pulse^2 units a second and jumps to a
// random height now and then. Blending stays off in this context, so the
// dots' alpha reaches the layer unchanged and the rest stays transparent.
#include "effects/dot_grid.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstring>

#include "effects/effects.h"
#include "effects/paced_test.h"
#include "render/software_triangles.h"
#include "shell/globals.h"
#include "shell/random.h"

namespace qelo {

namespace {

constexpr float pitch = 0.1f;
constexpr float gridEnd = 1.1f;        // rows and columns start below this bound
constexpr std::int32_t segments = 50;  // wedges per disc
constexpr float fullTurn = 6.28f;      // a little short of 2 pi; the last wedge closes the gap
constexpr float dotScale = 0.05f;      // disc radius per unit of inner/outer

double widened(float value) { return static_cast<double>(value); }

// A fraction in [0, 0.9999] from one draw.
float randomFraction() { return static_cast<float>(rand() % 10000) * 0.0001f; }

struct Point {
    float x;
    float y;
};

struct Colour {
    float red, green, blue, alpha;
};

// The wedge edges' directions, 0.05 units long: (sin, cos) of edge j's
// angle, the same for every dot of a frame.
using Directions = std::array<Point, segments>;

Directions wedgeDirections(float phase)
{
    Directions d;
    for (std::int32_t j = 0; j < segments; ++j) {
        const double angle = static_cast<double>(j) / segments * widened(fullTurn) + widened(phase);
        d[static_cast<std::size_t>(j)] = {static_cast<float>(widened(dotScale) * std::sin(angle)),
                                          static_cast<float>(widened(dotScale) * std::cos(angle))};
    }
    return d;
}

// A dot's random detail, three draws: its rim strength (alpha of pure red),
// one discarded, its grey.
struct DotShades {
    float rimAlpha;
    float grey;
};

DotShades drawDotShades()
{
    const float rimAlpha = randomFraction();
    rand();  // drawn and discarded
    return {rimAlpha, randomFraction()};
}

// A wedge corner: `radius` times `direction` from the centre (x, y).
Point wedgePoint(float x, float y, float radius, Point direction)
{
    return {static_cast<float>(widened(x) + widened(radius) * widened(direction.x)),
            static_cast<float>(widened(y) + widened(radius) * widened(direction.y))};
}

// One dot: 50 red wedges out to the rim, each overdrawn by a grey wedge out to
// the inner radius. Angles run from +y (down on screen) towards +x. Each
// triangle goes to `triangle(colour, a, b, c)`.
template <typename Triangle>
void drawDot(float x, float y, const Directions& directions, float outer, float inner, Triangle&& triangle)
{
    const DotShades shades = drawDotShades();
    const Colour rim{1.0f, 0.0f, 0.0f, shades.rimAlpha};
    const Colour centre{shades.grey, shades.grey, shades.grey, 1.0f};
    const Point middle{x, y};
    auto at = [x, y](float radius, Point direction) { return wedgePoint(x, y, radius, direction); };
    for (std::int32_t i = 0; i < segments; ++i) {
        const Point d0 = directions[static_cast<std::size_t>(i)];
        const Point d1 = directions[static_cast<std::size_t>((i + 1) % segments)];
        triangle(rim, at(outer, d0), at(outer, d1), middle);
        triangle(centre, at(inner, d0), at(inner, d1), middle);
    }
}

// What a frame's dots share, after the paced tests and the scroll.
struct DotGridFrame {
    DotGridOffset offset;
    Directions directions;
    float outer;
    float inner;
};

DotGridFrame advanceDotGrid(DotGridState& state, float localTime, double frameStep)
{
    const float pulse = dotGridPulse(localTime);

    if (pacedTestDue(state.jitterClock, 0.1f) && rand() % 100 > 50) {
        state.jitter = static_cast<float>(rand() % 10000) * 0.0001f * 10.0f;
    }

    state.scroll = static_cast<float>(widened(state.scroll) + frameStep * widened(pulse) * widened(pulse) * 5.0);
    const DotGridOffset offset = dotGridOffset(state.scroll, state.jitter);

    if (pacedTestDue(state.secondClock, 0.1f) && rand() % 100 > 75) rand();  // only advances the sequence

    // Dot size r, 0.76 to 1.32: the rim reaches 0.05 * 0.7 r, the grey 0.05 * 0.5 r.
    const float size = static_cast<float>(widened(0.4f) * widened(pulse) + widened(0.9f));
    return {offset, wedgeDirections(localTime + 0.785f), static_cast<float>(widened(0.7f) * widened(size)), 0.5f * size};
}

// Every dot's centre, row by row from the top, left to right.
template <typename Dot>
void forEachDot(const DotGridFrame& frame, Dot&& dot)
{
    for (float y = frame.offset.y; y < gridEnd; y += pitch) {
        for (float x = frame.offset.x; x < gridEnd; x += pitch) dot(x, y);
    }
}

void glTriangle(const Colour& colour, Point a, Point b, Point c)
{
    glColor4f(colour.red, colour.green, colour.blue, colour.alpha);
    glVertex2f(a.x, a.y);
    glVertex2f(b.x, b.y);
    glVertex2f(c.x, c.y);
}

// glOrtho(0, 1, 0.75, 0, 0, 1) on an identity matrix, in GL's float arithmetic.
std::array<float, 16> gridProjection()
{
    const float left = 0.0f, right = 1.0f, bottom = 0.75f, top = 0.0f, nearPlane = 0.0f, farPlane = 1.0f;
    std::array<float, 16> m{};
    m[0] = 2.0f / (right - left);
    m[5] = 2.0f / (top - bottom);
    m[10] = -2.0f / (farPlane - nearPlane);
    m[12] = -(right + left) / (right - left);
    m[13] = -(top + bottom) / (top - bottom);
    m[14] = -(farPlane + nearPlane) / (farPlane - nearPlane);
    m[15] = 1.0f;
    return m;
}

}  // namespace

DotGridState& dotGridState()
{
    static DotGridState state;
    return state;
}

float dotGridPulse(float localTime)
{
    const double t = localTime;
    return static_cast<float>((std::sin(0.5 * t - 10.0 * std::cos(2.0 * t)) + 0.5) * widened(0.7f));
}

DotGridOffset dotGridOffset(float scroll, float jitter)
{
    // Reduced by whole pitches in double, from the unreduced values, so the
    // grid does not drift as the scroll grows over the show.
    const double step = widened(pitch);
    double oy = jitter;
    double ox = scroll;
    while (oy <= -step) oy += step;
    while (ox <= -step) ox += step;
    while (oy > 0.0) oy -= step;
    while (ox > 0.0) ox -= step;
    return {static_cast<float>(ox), static_cast<float>(oy)};
}

void drawDotGrid(DotGridState& state, float localTime, double frameStep)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.75, 0.0, 0.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);

    const DotGridFrame frame = advanceDotGrid(state, localTime, frameStep);
    forEachDot(frame, [&frame](float x, float y) {
        glBegin(GL_TRIANGLES);
        drawDot(x, y, frame.directions, frame.outer, frame.inner, glTriangle);
        glEnd();
    });
}

void drawDotGridInMemory(DotGridState& state, float localTime, double frameStep, PictureView picture, bool pictureClear)
{
    if (!pictureClear) std::memset(picture.rgba, 0, static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 4);
    const DotGridFrame frame = advanceDotGrid(state, localTime, frameStep);
    const std::array<float, 16> projection = gridProjection();
    const ViewportTransform viewport = viewportTransform(0, 0, picture.width, picture.height);
    // Each corner is shared by several wedges: transformed once, as GL would
    // transform each copy of it, to the bit.
    const auto prepared = [&](Point p) { return prepareVertex(transformVertex(projection, p.x, p.y, 0.0f, 1.0f), viewport); };
    std::array<PreparedVertex, segments> rim;
    std::array<PreparedVertex, segments> inside;
    forEachDot(frame, [&](float x, float y) {
        const DotShades shades = drawDotShades();
        const std::uint32_t rimColour = packColour(1.0f, 0.0f, 0.0f, shades.rimAlpha);
        const std::uint32_t greyColour = packColour(shades.grey, shades.grey, shades.grey, 1.0f);
        const PreparedVertex middle = prepared({x, y});
        for (std::size_t j = 0; j < rim.size(); ++j) {
            rim[j] = prepared(wedgePoint(x, y, frame.outer, frame.directions[j]));
            inside[j] = prepared(wedgePoint(x, y, frame.inner, frame.directions[j]));
        }
        for (std::size_t i = 0; i < rim.size(); ++i) {
            const std::size_t next = (i + 1) % rim.size();
            drawTriangle(picture, viewport, rim[i], rim[next], middle, rimColour);
            drawTriangle(picture, viewport, inside[i], inside[next], middle, greyColour);
        }
    });
}

void dotGridEffect(float localTime, float /*progress*/, bool /*firstFrame*/, std::int32_t /*mode*/)
{
    RenderTexture& target = renderTargets.target(1);
    if (renderTargets.composeInMemory) {
        // Captures: the same pixels, drawn here much faster than a software
        // GL driver draws 14,400 thin triangles.
        const bool fresh = !target.drawnInMemory;  // the bank's clear is still all it holds
        drawDotGridInMemory(dotGridState(), localTime, frameClock.elapsed(), target.drawInMemory(), fresh);
        return;
    }
    target.makeCurrent();
    drawDotGrid(dotGridState(), localTime, frameClock.elapsed());
}

}  // namespace qelo
