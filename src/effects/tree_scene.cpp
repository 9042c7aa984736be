#include "effects/tree_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdint>

#include "effects/branching_tree.h"
#include "effects/paced_test.h"
#include "effects/portrait_sprites.h"
#include "effects/random_events.h"
#include "effects/ring_stack.h"
#include "geometry/vec3.h"
#include "shell/globals.h"

namespace qelo {

namespace {

constexpr std::int32_t routePoints = 10;
constexpr std::uint32_t routeSeed = 23332;
constexpr float pulsePeriod = 0.5f;  // seconds
constexpr std::int32_t groundRings = 60;
constexpr float treeSize = 15.0f;
const Vec3 lookAtPoint(3.0f, 2.0f, 0.0f);
const Vec3 spriteAnchor(2.0f, 0.0f, 0.0f);

// Rolled upside down, depth stretched by `depthScale`, looking from the eye
// at the point beside the tree.
void placeCamera(Vec3 eye, double depthScale)
{
    glLoadIdentity();
    glRotatef(180.0f, 0.0f, 0.0f, 1.0f);
    glScalef(1.0f, 1.0f, static_cast<float>(depthScale));
    gluLookAt(eye.x, eye.y, eye.z, lookAtPoint.x, lookAtPoint.y, lookAtPoint.z, 0.0, 1.0, 0.0);
}

// Sixty rings in the ground plane, 2 apart, moving out by one spacing every
// 0.5 s while the whole set turns at 50 degrees a second. Red and opaque at
// the centre, fading to transparent blue at radius 60 and beyond. Blending is
// whatever the target was left with.
void drawGroundRings(double t, float ringPhase)
{
    const float turn = static_cast<float>(50.0 * t);
    for (std::int32_t i = 0; i < groundRings; ++i) {
        const float radius = static_cast<float>(2 * i) + ringPhase;
        const float w = radius * 0.016666668f;  // radius / 60
        glColor4f(1.0f - w, 0.0f, w, 1.0f - w);
        glPushMatrix();
        glRotatef(turn, 0.0f, 1.0f, 0.0f);
        drawRing(Vec3(0.0f, 0.0f, 0.0f), 1.0f, radius, 40, 0.0f);
        glPopMatrix();
    }
}

}  // namespace

TreeSceneState& treeSceneState()
{
    static TreeSceneState state;
    return state;
}

void chooseRoute(SplinePath& cameraPath)
{
    srand(routeSeed);
    for (std::int32_t i = 0; i < routePoints; ++i) {
        const double r1 = randomFraction();
        const double r2 = randomFraction();
        const double r3 = randomFraction();
        cameraPath.points()[i] = Vec3(static_cast<float>(r3 * 40.0 - 20.0), static_cast<float>(r2 * 14.0),
                                      static_cast<float>((r1 + 1.0) * 10.0));
    }
}

void drawTreeScene(TreeSceneState& state, float localTime, bool firstFrame)
{
    if (!state.cameraPath) state.cameraPath.emplace(routePoints, true);
    const double t = localTime;

    if (pacedTestDue(state.pulseClock, pulsePeriod)) rand();  // the pulse: value unused

    if (firstFrame) chooseRoute(*state.cameraPath);

    // The closed route wraps: 1.8 laps in the scene's 45 s.
    const Vec3 eye = state.cameraPath->pointAt(static_cast<float>(0.04 * t));

    float ringPhase = 4.0f * localTime;
    while (ringPhase > 2.0f) ringPhase -= 2.0f;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.3333333333333333, double{0.1f}, 1000.0);

    glMatrixMode(GL_MODELVIEW);
    const double breath = std::sin(double{0.3f} * t);
    placeCamera(eye, breath + 3.0);

    glEnable(GL_DEPTH_TEST);
    drawGroundRings(t, ringPhase);
    drawBranch(treeSize, localTime);

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    rand();  // three draws, values unused
    rand();
    rand();

    // The sprites get their own, deeper stretch, raised 4 so that they stand
    // on the ground of the rolled view.
    placeCamera(eye, 1.5 * breath + 3.0);
    glTranslatef(0.0f, 4.0f, 0.0f);
    drawPortraitSprites(spriteAnchor, eye, localTime, 1.0f);
    glDisable(GL_TEXTURE_2D);
}

void treeSceneEffect(float localTime, float /*progress*/, bool firstFrame, std::int32_t /*mode*/)
{
    TreeSceneState& state = treeSceneState();
    if (!state.cameraPath) state.cameraPath.emplace(routePoints, true);
    renderTargets.target(3).makeCurrent();
    drawTreeScene(state, localTime, firstFrame);
}

}  // namespace qelo
