#include "effects/tree_scene.h"

#include <array>
#include <cmath>
#include <cstdint>

#include "effects/branching_tree.h"
#include "effects/pacing.h"
#include "effects/portrait_sprites.h"
#include "effects/random_events.h"
#include "effects/ring_stack.h"
#include "geometry/vec3.h"
#include "render/render_target_bank.h"
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
void placeCamera(DrawingContext& gl, Vec3 eye, double depthScale)
{
    gl.loadIdentity();
    gl.rotate(180.0f, 0.0f, 0.0f, 1.0f);
    gl.scale(1.0f, 1.0f, static_cast<float>(depthScale));
    gl.lookAt(eye.x, eye.y, eye.z, lookAtPoint.x, lookAtPoint.y, lookAtPoint.z, 0.0, 1.0, 0.0);
}

float groundRingRadius(std::int32_t i, float ringPhase) { return static_cast<float>(2 * i) + ringPhase; }


// Sixty rings in the ground plane, 2 apart, moving out by one spacing every
// 0.5 s while the whole set turns at 50 degrees a second. Red and opaque at
// the centre, fading to transparent blue at radius 60 and beyond. Blending is
// whatever the target was left with.
void drawGroundRings(DrawingContext& gl, double t, float ringPhase)
{
    const float turn = static_cast<float>(50.0 * t);
    for (std::int32_t i = 0; i < groundRings; ++i) {
        const std::array<float, 4> colour = groundRingColour(i, ringPhase);
        gl.colour(colour[0], colour[1], colour[2], colour[3]);
        gl.pushMatrix();
        gl.rotate(turn, 0.0f, 1.0f, 0.0f);
        drawRing(gl, Vec3(0.0f, 0.0f, 0.0f), 1.0f, groundRingRadius(i, ringPhase), 40, 0.0f);
        gl.popMatrix();
    }
}

}  // namespace

std::array<float, 4> groundRingColour(std::int32_t i, float ringPhase)
{
    // radius / 60, kept in double until the colour takes it
    const double w = static_cast<double>(groundRingRadius(i, ringPhase)) * static_cast<double>(0.016666668f);
    const float fade = static_cast<float>(1.0 - w);
    return {fade, 0.0f, static_cast<float>(w), fade};
}

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

namespace {

// What the frame's drawing needs after its first steps.
struct TreeFrame {
    double t = 0.0;
    Vec3 eye;
    float ringPhase = 0.0f;
    double breath = 0.0;
};

// The pulse, the route on a first frame, the projection and camera, and the
// depth test for the ground and the tree.
TreeFrame beginTreeFrame(DrawingContext& gl, TreeSceneState& state, float localTime, bool firstFrame)
{
    if (!state.cameraPath) state.cameraPath.emplace(routePoints, true);
    TreeFrame frame;
    frame.t = localTime;

    if (pacedTestDue(state.pulseClock, pulsePeriod)) rand();  // the pulse: value unused

    if (firstFrame) chooseRoute(*state.cameraPath);

    // The closed route wraps: 1.8 laps in the scene's 45 s.
    frame.eye = state.cameraPath->pointAt(static_cast<float>(0.04 * frame.t));

    frame.ringPhase = 4.0f * localTime;
    while (frame.ringPhase > 2.0f) frame.ringPhase -= 2.0f;

    gl.matrixMode(MatrixMode::projection);
    gl.loadIdentity();
    gl.perspective(45.0, 1.3333333333333333, double{0.1f}, 1000.0);

    gl.matrixMode(MatrixMode::modelView);
    frame.breath = std::sin(double{0.3f} * frame.t);
    placeCamera(gl, frame.eye, frame.breath + 3.0);

    gl.enable(Capability::depthTest);
    return frame;
}

// The sprites, over whatever the ground and the tree left.
void finishTreeFrame(DrawingContext& gl, const TreeFrame& frame, float localTime)
{
    gl.enable(Capability::texture2D);
    gl.enable(Capability::blend);
    gl.blendFunction(BlendFactor::sourceAlpha, BlendFactor::oneMinusSourceAlpha);
    rand();  // three draws, values unused
    rand();
    rand();

    // The sprites get their own, deeper stretch, raised 4 so that they stand
    // on the ground of the rolled view.
    placeCamera(gl, frame.eye, 1.5 * frame.breath + 3.0);
    gl.translate(0.0f, 4.0f, 0.0f);
    drawPortraitSprites(gl, spriteAnchor, frame.eye, localTime, 1.0f);
    gl.disable(Capability::texture2D);
}

}  // namespace

void drawTreeScene(DrawingContext& gl, TreeSceneState& state, float localTime, bool firstFrame)
{
    const TreeFrame frame = beginTreeFrame(gl, state, localTime, firstFrame);
    drawGroundRings(gl, frame.t, frame.ringPhase);
    drawBranch(gl, treeSize, localTime);
    finishTreeFrame(gl, frame, localTime);
}

void treeSceneEffect(float localTime, float /*progress*/, bool firstFrame, std::int32_t /*mode*/)
{
    TreeSceneState& state = treeSceneState();
    if (!state.cameraPath) state.cameraPath.emplace(routePoints, true);
    drawTreeScene(renderTargets.target(3).makeCurrent(), state, localTime, firstFrame);
}

}  // namespace qelo
