// Three discs of 60 ripples each, 9 units apart and 1.5 wide, the families
// a third of a spacing apart. One lies flat; the others turn about z and
// about x at 50 degrees a second. All grow at 20 units a second and wrap by
// one spacing, so new rings keep appearing at the centre. The camera jumps
// to random places on z = -14 and zooms with each jump.
#include "effects/ripple_planes.h"

#include "effects/effects.h"
#include "effects/pacing.h"
#include "effects/ring_stack.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"
#include "shell/random.h"

namespace qelo {

namespace {

constexpr std::int32_t ringsPerFamily = 60;
constexpr float spacing = 9.0f;
constexpr float ringWidth = 1.5f;
constexpr std::int32_t ringSegments = 100;
constexpr float tumbleSpeed = 50.0f;  // degrees a second

double widened(float value) { return static_cast<double>(value); }

float randomFraction() { return static_cast<float>(rand() % 10000) * 0.0001f; }

// One family of ripples; `shift` is its offset in ring spacings.
void drawFamily(DrawingContext& gl, float shift, float ringPhase)
{
    for (std::int32_t i = 0; i < ringsPerFamily; ++i) {
        const float radius = static_cast<float>(widened(spacing) * (i + widened(shift)) + widened(ringPhase));
        drawRing(gl, Vec3(0.0f, 0.0f, 0.0f), ringWidth, radius, ringSegments, 0.0f);
    }
}

}  // namespace

RipplePlanesState& ripplePlanesState()
{
    static RipplePlanesState state;
    return state;
}

void updateRippleCamera(RipplePlanesState& state)
{
    if (!state.camera) state.camera = Vec3(-14.0f, -20.0f, -14.0f);
    if (!pacedTestDue(state.jumpClock, 0.1f) || rand() % 100 <= 60) return;
    const float y = randomFraction() * 40.0f - 20.0f;
    const float x = randomFraction() * 20.0f - 10.0f;
    state.camera = Vec3(x, y, -14.0f);
    state.depthScale = randomFraction() * 5.0f + 0.25f;
}

namespace {

float ringPhaseAt(float localTime)
{
    float ringPhase = static_cast<float>(20.0 * widened(localTime) + 100.0);
    while (ringPhase > spacing) ringPhase -= spacing;  // (0, 9]
    return ringPhase;
}

// The colour, camera and state, after the camera test.
void setRippleState(DrawingContext& gl, const RipplePlanesState& state)
{
    gl.colour(1.0f, 1.0f, 1.0f, 0.5f);
    gl.matrixMode(MatrixMode::projection);
    gl.loadIdentity();
    gl.perspective(45.0, 1.3333333333333333, widened(0.1f), 1000.0);
    // The depth scale goes before the look-at, so it scales eye-space depth:
    // that zooms the picture by 1 / depthScale.
    gl.matrixMode(MatrixMode::modelView);
    gl.loadIdentity();
    gl.scale(1.0f, 1.0f, state.depthScale);
    const Vec3 eye = *state.camera;
    gl.lookAt(eye.x, eye.y, eye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    gl.disable(Capability::depthTest);
    gl.disable(Capability::texture2D);
    gl.disable(Capability::cullFace);
    gl.enable(Capability::blend);
    gl.blendFunction(BlendFactor::one, BlendFactor::oneMinusSourceAlpha);
}

}  // namespace

void drawRipplePlanes(DrawingContext& gl, RipplePlanesState& state, float localTime)
{
    updateRippleCamera(state);
    setRippleState(gl, state);
    const float ringPhase = ringPhaseAt(localTime);
    const float tumble = tumbleSpeed * localTime;
    drawFamily(gl, 0.0f, ringPhase);
    gl.pushMatrix();
    gl.rotate(tumble, 0.0f, 0.0f, 1.0f);
    drawFamily(gl, 0.33f, ringPhase);
    gl.popMatrix();
    gl.rotate(tumble, 1.0f, 0.0f, 0.0f);  // left on the view for the next routine in target 3
    drawFamily(gl, 0.66f, ringPhase);
}

void ripplePlanesEffect(float localTime, float /*progress*/, bool /*firstFrame*/, std::int32_t /*mode*/)
{
    drawRipplePlanes(renderTargets.target(3).makeCurrent(), ripplePlanesState(), localTime);
}

}  // namespace qelo
