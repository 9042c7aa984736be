// Layers of twenty concentric heptagonal bands around the vertical axis,
// growing outward and wrapping by one ring spacing so new rings keep coming
// out of the centre. Each band's seven pieces flare outward at their trailing
// ends by a pulsing amount, and the bands add their colour to what lies
// beneath, so overlaps glow.
#include "effects/ring_stack.h"

#include <cmath>
#include <utility>
#include <vector>

#include "effects/effects.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"

namespace qelo {

namespace {

constexpr float fullTurn = 6.28f;  // a little short of 2 pi; the closing piece is wider
constexpr std::int32_t ringsPerLayer = 20;
constexpr std::int32_t ringSides = 7;

double widened(float value) { return static_cast<double>(value); }

}  // namespace

namespace {

// sin and cos of piece k's leading angle, k / segments * 6.28. A ring's
// pieces share their angles with every other ring of the same count, so a
// frame of ripples needs 100 of each, not 72,000.
struct Turn {
    double sine, cosine;
};

Turn turnAt(std::int32_t k, std::int32_t segments)
{
    const double angle = static_cast<double>(k) / widened(static_cast<float>(segments)) * widened(fullTurn);
    return {std::sin(angle), std::cos(angle)};
}

// The turns of `segments` pieces, kept for the few counts the scenes use;
// empty for counts too large to keep (their turns are worked out in place).
const std::vector<Turn>& ringTurns(std::int32_t segments)
{
    static const std::vector<Turn> none;
    static std::vector<std::pair<std::int32_t, std::vector<Turn>>> cache;
    if (segments > 4096) return none;
    for (const auto& [count, turns] : cache)
        if (count == segments) return turns;
    if (cache.size() >= 8) cache.clear();
    std::vector<Turn> turns(static_cast<std::size_t>(segments));
    for (std::int32_t k = 0; k < segments; ++k) turns[static_cast<std::size_t>(k)] = turnAt(k, segments);
    return cache.emplace_back(segments, std::move(turns)).second;
}

// A ring's vertices in GL order to `vertex(x, y, z)`: four a piece for a
// band (GL_QUADS), three for a disc (GL_TRIANGLES).
template <typename Vertex>
void ringVertices(Vec3 centre, float width, float radius, std::int32_t segments, float flare, Vertex&& vertex)
{
    if (segments <= 0) return;
    const bool band = width < radius;  // false for NaN too: a disc
    const float outerTrailing = radius + flare;
    const float inner = radius - width;
    const float innerTrailing = inner + flare;
    const std::vector<Turn>& kept = ringTurns(segments);
    auto turn = [&](std::int32_t k) { return kept.empty() ? turnAt(k, segments) : kept[static_cast<std::size_t>(k)]; };
    auto at = [&centre, &vertex](const Turn& t, float r) {
        vertex(static_cast<float>(widened(centre.x) + widened(r) * t.sine), centre.y,
               static_cast<float>(widened(centre.z) + widened(r) * t.cosine));
    };
    for (std::int32_t i = 0; i < segments; ++i) {
        const Turn leading = turn(i), trailing = turn((i + 1) % segments);
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

void drawRing(DrawingContext& gl, Vec3 centre, float width, float radius, std::int32_t segments, float flare)
{
    gl.disable(Capability::cullFace);
    gl.begin(width < radius ? Primitive::quads : Primitive::triangles);
    ringVertices(centre, width, radius, segments, flare, [&gl](float x, float y, float z) { gl.vertex(x, y, z); });
    gl.end();
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

}  // namespace

void drawRingStack(DrawingContext& gl, const RingStackView& view)
{
    if (!view.drawn) return;
    gl.colour(view.red, 0.0f, view.blue, view.alpha);

    gl.matrixMode(MatrixMode::projection);
    gl.loadIdentity();
    gl.perspective(45.0, 1.3333333333333333, widened(0.1f), 1000.0);
    // The depth scale goes before the look-at: it doubles eye-space depth, so
    // the stack looks half as large and the clip range becomes 0.05 to 500.
    gl.matrixMode(MatrixMode::modelView);
    gl.loadIdentity();
    gl.scale(1.0f, 1.0f, 2.0f);
    gl.lookAt(view.eye.x, view.eye.y, view.eye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    gl.disable(Capability::depthTest);
    gl.disable(Capability::texture2D);
    gl.disable(Capability::cullFace);
    gl.enable(Capability::blend);
    gl.blendFunction(BlendFactor::one, BlendFactor::oneMinusSourceAlpha);

    forEachRing(view, [&](Vec3 centre, float width, float radius) {
        drawRing(gl, centre, width, radius, ringSides, view.flare);
    });
}

// Modes other than 0, 1 and 2 are never scheduled: they make the target
// current and draw nothing, leaving its GL state as it was.
void ringStackEffect(float localTime, float /*progress*/, bool /*firstFrame*/, std::int32_t mode)
{
    drawRingStack(renderTargets.target(2).makeCurrent(), ringStackView(localTime, mode));
}

}  // namespace qelo
