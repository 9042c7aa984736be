// Three discs of 60 ripples each, 9 units apart and 1.5 wide, the families
// a third of a spacing apart. One lies flat; the others turn about z and
// about x at 50 degrees a second. All grow at 20 units a second and wrap by
// one spacing, so new rings keep appearing at the centre. The camera jumps
// to random places on z = -14 and zooms with each jump.
#include "effects/ripple_planes.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "effects/effects.h"
#include "effects/paced_test.h"
#include "effects/ring_stack.h"
#include "render/fixed_function_matrix.h"
#include "render/plain_drawing_state.h"
#include "render/software_triangles.h"
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
void drawFamily(float shift, float ringPhase)
{
    for (std::int32_t i = 0; i < ringsPerFamily; ++i) {
        const float radius = static_cast<float>(widened(spacing) * (i + widened(shift)) + widened(ringPhase));
        drawRing(Vec3(0.0f, 0.0f, 0.0f), ringWidth, radius, ringSegments, 0.0f);
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

}  // namespace

// The three families over the view setRippleState left.
void drawRippleFamilies(float localTime)
{
    const float ringPhase = ringPhaseAt(localTime);
    const float tumble = tumbleSpeed * localTime;
    drawFamily(0.0f, ringPhase);
    glPushMatrix();
    glRotatef(tumble, 0.0f, 0.0f, 1.0f);
    drawFamily(0.33f, ringPhase);
    glPopMatrix();
    glRotatef(tumble, 1.0f, 0.0f, 0.0f);  // left on the view for the next routine in target 3
    drawFamily(0.66f, ringPhase);
}

void drawRipplePlanes(RipplePlanesState& state, float localTime)
{
    updateRippleCamera(state);
    setRippleState(state);
    drawRippleFamilies(localTime);
}

void setRippleState(const RipplePlanesState& state)
{
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.3333333333333333, widened(0.1f), 1000.0);
    // The depth scale goes before the look-at, so it scales eye-space depth:
    // that zooms the picture by 1 / depthScale.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(1.0f, 1.0f, state.depthScale);
    const Vec3 eye = *state.camera;
    gluLookAt(eye.x, eye.y, eye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
}

void drawRipplesInMemory(const RipplePlanesState& state, float localTime, PictureView picture)
{
    GlMatrix projection = identityMatrix();
    perspectiveMatrix(projection, 45.0, 1.3333333333333333, widened(0.1f), 1000.0);
    GlMatrix view = identityMatrix();
    scaleMatrix(view, 1.0f, 1.0f, state.depthScale);
    const Vec3 eye = *state.camera;
    lookAtMatrix(view, eye.x, eye.y, eye.z, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    const ViewportTransform viewport = viewportTransform(0, 0, picture.width, picture.height);
    const float ringPhase = ringPhaseAt(localTime);
    const float tumble = tumbleSpeed * localTime;

    CoverageCount coverage(picture.width, picture.height);
    const auto family = [&](const GlMatrix& modelView, float shift) {
        const GlMatrix transform = matrixProduct(projection, modelView);
        for (std::int32_t i = 0; i < ringsPerFamily; ++i) {
            const float radius = static_cast<float>(widened(spacing) * (i + widened(shift)) + widened(ringPhase));
            rasteriseRing(coverage, transform, viewport, Vec3(0.0f, 0.0f, 0.0f), ringWidth, radius, ringSegments, 0.0f);
        }
    };
    family(view, 0.0f);
    GlMatrix turned = view;
    rotateMatrix(turned, tumble, 0.0f, 0.0f, 1.0f);
    family(turned, 0.33f);
    rotateMatrix(view, tumble, 1.0f, 0.0f, 0.0f);
    family(view, 0.66f);
    resolveAddedCoverage(coverage, packColour(1.0f, 1.0f, 1.0f, 0.5f), picture);
}

void ripplePlanesEffect(float localTime, float /*progress*/, bool /*firstFrame*/, std::int32_t /*mode*/)
{
    RipplePlanesState& state = ripplePlanesState();
    RenderTexture& target = renderTargets.target(3);
    if (renderTargets.composeInMemory && !target.drawnSinceClear) {
        // Captures: the GL state is set as always (the target's context is
        // shared), the ripples drawn in memory when that state lets them be.
        target.makeCurrentForState();
        updateRippleCamera(state);
        setRippleState(state);
        if (plainDrawingState()) {
            glRotatef(tumbleSpeed * localTime, 1.0f, 0.0f, 0.0f);  // the view the GL drawing leaves
            drawRipplesInMemory(state, localTime, target.drawInMemory());
            return;
        }
        target.makeCurrent();
        drawRippleFamilies(localTime);
        return;
    }
    target.makeCurrent();
    drawRipplePlanes(state, localTime);
}

}  // namespace qelo
