// Dots on a lattice of pitch 0.1: a grey disc in a red rim, each with its own
// random grey and rim strength every frame. All dots swell with one irregular
// pulse; the grid slides right at 5 pulse^2 units a second and jumps to a
// random height now and then. Blending stays off in this context, so the
// dots' alpha reaches the layer unchanged and the rest stays transparent.
#include "effects/dot_grid.h"

#include <array>
#include <cmath>

#include "effects/effects.h"
#include "effects/flat_view.h"
#include "effects/pacing.h"
#include "render/render_target_bank.h"
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

void drawDotGrid(DrawingContext& gl, DotGridState& state, float localTime, double frameStep)
{
    useFlatView(gl);
    gl.clear(ClearMask::colourAndDepth);
    gl.disable(Capability::depthTest);
    gl.disable(Capability::texture2D);
    gl.disable(Capability::cullFace);

    const DotGridFrame frame = advanceDotGrid(state, localTime, frameStep);
    const auto triangle = [&gl](const Colour& colour, Point a, Point b, Point c) {
        gl.colour(colour.red, colour.green, colour.blue, colour.alpha);
        gl.vertex(a.x, a.y);
        gl.vertex(b.x, b.y);
        gl.vertex(c.x, c.y);
    };
    // A dot wholly outside the view (a third of the lattice: the rows below
    // it) would draw nothing: it is not sent, but still takes its shades from
    // the generator. Its corners lie within outer * dotScale of its centre;
    // twice that is a safe margin.
    const float reach = 2.0f * frame.outer * dotScale;
    bool lastSkipped = false;
    float lastGrey = 0.0f;
    forEachDot(frame, [&](float x, float y) {
        lastSkipped = x + reach < 0.0f || x - reach > flatViewWidth || y + reach < 0.0f || y - reach > flatViewHeight;
        if (lastSkipped) {
            lastGrey = drawDotShades().grey;
            return;
        }
        gl.begin(Primitive::triangles);
        drawDot(x, y, frame.directions, frame.outer, frame.inner, triangle);
        gl.end();
    });
    // The current colour as the last dot's last wedge leaves it.
    if (lastSkipped) gl.colour(lastGrey, lastGrey, lastGrey, 1.0f);
}

void dotGridEffect(float localTime, float /*progress*/, bool /*firstFrame*/, std::int32_t /*mode*/)
{
    drawDotGrid(renderTargets.target(1).makeCurrent(), dotGridState(), localTime, frameClock.elapsed());
}

}  // namespace qelo
