// Dots on a lattice of pitch 0.1: a grey disc in a red rim, each with its own
// random grey and rim strength every frame. All dots swell with one irregular
// pulse; the grid slides right at 5 pulse^2 units a second and jumps to a
// random height now and then. Blending stays off in this context, so the
// dots' alpha reaches the layer unchanged and the rest stays transparent.
#include "effects/dot_grid.h"

#include <GL/gl.h>

#include <cmath>

#include "effects/effects.h"
#include "effects/paced_test.h"
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

// One dot: 50 red wedges out to the rim, each overdrawn by a grey wedge out to
// the inner radius. Angles run from +y (down on screen) towards +x.
void drawDot(float x, float y, float phase, float outer, float inner)
{
    glBegin(GL_TRIANGLES);
    const float rimAlpha = randomFraction();
    rand();  // drawn and discarded
    const float grey = randomFraction();
    for (std::int32_t i = 0; i < segments; ++i) {
        const double angle0 = static_cast<double>(i) / segments * widened(fullTurn) + widened(phase);
        const double angle1 = static_cast<double>((i + 1) % segments) / segments * widened(fullTurn) + widened(phase);
        const float s0 = static_cast<float>(widened(dotScale) * std::sin(angle0));
        const float c0 = static_cast<float>(widened(dotScale) * std::cos(angle0));
        const float s1 = static_cast<float>(widened(dotScale) * std::sin(angle1));
        const float c1 = static_cast<float>(widened(dotScale) * std::cos(angle1));
        auto vertex = [x, y](float radius, float s, float c) {
            glVertex2f(static_cast<float>(widened(x) + widened(radius) * widened(s)),
                       static_cast<float>(widened(y) + widened(radius) * widened(c)));
        };
        glColor4f(1.0f, 0.0f, 0.0f, rimAlpha);
        vertex(outer, s0, c0);
        vertex(outer, s1, c1);
        glVertex2f(x, y);
        glColor4f(grey, grey, grey, 1.0f);
        vertex(inner, s0, c0);
        vertex(inner, s1, c1);
        glVertex2f(x, y);
    }
    glEnd();
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

    const float pulse = dotGridPulse(localTime);

    if (pacedTestDue(state.jitterClock, 0.1f) && rand() % 100 > 50) {
        state.jitter = static_cast<float>(rand() % 10000) * 0.0001f * 10.0f;
    }

    state.scroll = static_cast<float>(widened(state.scroll) + frameStep * widened(pulse) * widened(pulse) * 5.0);
    const DotGridOffset offset = dotGridOffset(state.scroll, state.jitter);

    if (pacedTestDue(state.secondClock, 0.1f) && rand() % 100 > 75) rand();  // only advances the sequence

    // Dot size r, 0.76 to 1.32: the rim reaches 0.05 * 0.7 r, the grey 0.05 * 0.5 r.
    const float size = static_cast<float>(widened(0.4f) * widened(pulse) + widened(0.9f));
    const float outer = static_cast<float>(widened(0.7f) * widened(size));
    const float inner = 0.5f * size;

    for (float y = offset.y; y < gridEnd; y += pitch) {
        const float phase = localTime + 0.785f;
        for (float x = offset.x; x < gridEnd; x += pitch) drawDot(x, y, phase, outer, inner);
    }
}

void dotGridEffect(float localTime, float /*progress*/, bool /*firstFrame*/, std::int32_t /*mode*/)
{
    renderTargets.target(1).makeCurrent();
    drawDotGrid(dotGridState(), localTime, frameClock.elapsed());
}

}  // namespace qelo
