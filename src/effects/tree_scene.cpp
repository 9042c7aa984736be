#include "effects/tree_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>

#include "effects/branching_tree.h"
#include "effects/paced_test.h"
#include "effects/portrait_sprites.h"
#include "effects/random_events.h"
#include "effects/ring_stack.h"
#include "geometry/vec3.h"
#include "render/depth_tested_triangles.h"
#include "render/fixed_function_matrix.h"
#include "render/plain_drawing_state.h"
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

float groundRingRadius(std::int32_t i, float ringPhase) { return static_cast<float>(2 * i) + ringPhase; }


// Sixty rings in the ground plane, 2 apart, moving out by one spacing every
// 0.5 s while the whole set turns at 50 degrees a second. Red and opaque at
// the centre, fading to transparent blue at radius 60 and beyond. Blending is
// whatever the target was left with.
void drawGroundRings(double t, float ringPhase)
{
    const float turn = static_cast<float>(50.0 * t);
    for (std::int32_t i = 0; i < groundRings; ++i) {
        const std::array<float, 4> colour = groundRingColour(i, ringPhase);
        glColor4f(colour[0], colour[1], colour[2], colour[3]);
        glPushMatrix();
        glRotatef(turn, 0.0f, 1.0f, 0.0f);
        drawRing(Vec3(0.0f, 0.0f, 0.0f), 1.0f, groundRingRadius(i, ringPhase), 40, 0.0f);
        glPopMatrix();
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
TreeFrame beginTreeFrame(TreeSceneState& state, float localTime, bool firstFrame)
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

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.3333333333333333, double{0.1f}, 1000.0);

    glMatrixMode(GL_MODELVIEW);
    frame.breath = std::sin(double{0.3f} * frame.t);
    placeCamera(frame.eye, frame.breath + 3.0);

    glEnable(GL_DEPTH_TEST);
    return frame;
}

// The sprites, over whatever the ground and the tree left.
void finishTreeFrame(const TreeFrame& frame, float localTime)
{
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    rand();  // three draws, values unused
    rand();
    rand();

    // The sprites get their own, deeper stretch, raised 4 so that they stand
    // on the ground of the rolled view.
    placeCamera(frame.eye, 1.5 * frame.breath + 3.0);
    glTranslatef(0.0f, 4.0f, 0.0f);
    drawPortraitSprites(spriteAnchor, frame.eye, localTime, 1.0f);
    glDisable(GL_TEXTURE_2D);
}

// The ground rings and the tree in memory, with the matrices the GL calls
// would make; leaves the current colour, normal and texture coordinate GL
// would hold after drawing them.
void drawGroundAndTreeInMemory(TreeSceneState& state, const TreeFrame& frame, float localTime, Blending blending,
                               PictureView picture)
{
    const auto pixels = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
    state.depth.assign(pixels, farthestDepth);
    DepthTestedColour sink(picture, {state.depth.data(), picture.width, picture.height}, blending);
    const ViewportTransform viewport = viewportTransform(0, 0, picture.width, picture.height);

    GlMatrix projection = identityMatrix();
    perspectiveMatrix(projection, 45.0, 1.3333333333333333, double{0.1f}, 1000.0);
    GlMatrix camera = identityMatrix();
    rotateMatrix(camera, 180.0f, 0.0f, 0.0f, 1.0f);
    scaleMatrix(camera, 1.0f, 1.0f, static_cast<float>(frame.breath + 3.0));
    lookAtMatrix(camera, frame.eye.x, frame.eye.y, frame.eye.z, lookAtPoint.x, lookAtPoint.y, lookAtPoint.z, 0.0, 1.0, 0.0);

    GlMatrix turned = camera;
    rotateMatrix(turned, static_cast<float>(50.0 * frame.t), 0.0f, 1.0f, 0.0f);
    const GlMatrix groundTransform = matrixProduct(projection, turned);
    std::array<float, 4> colour{};
    for (std::int32_t i = 0; i < groundRings; ++i) {
        colour = groundRingColour(i, frame.ringPhase);
        sink.setConstantColour(colour[0], colour[1], colour[2], colour[3]);
        rasteriseRing(sink, groundTransform, viewport, Vec3(0.0f, 0.0f, 0.0f), 1.0f, groundRingRadius(i, frame.ringPhase), 40, 0.0f);
    }
    const MeshVertex* last = drawBranchInMemory(sink, projection, viewport, camera, treeSize, localTime);
    if (last != nullptr) {
        glTexCoord2f(last->texCoord.x, last->texCoord.y);
        glColor4f(last->colour.red, last->colour.green, last->colour.blue, last->colour.alpha);
        glNormal3f(last->normal.x, last->normal.y, last->normal.z);
    } else {
        glColor4f(colour[0], colour[1], colour[2], colour[3]);
    }
}

}  // namespace

void drawTreeScene(TreeSceneState& state, float localTime, bool firstFrame)
{
    const TreeFrame frame = beginTreeFrame(state, localTime, firstFrame);
    drawGroundRings(frame.t, frame.ringPhase);
    drawBranch(treeSize, localTime);
    finishTreeFrame(frame, localTime);
}

void treeSceneEffect(float localTime, float /*progress*/, bool firstFrame, std::int32_t /*mode*/)
{
    TreeSceneState& state = treeSceneState();
    if (!state.cameraPath) state.cameraPath.emplace(routePoints, true);
    RenderTexture& target = renderTargets.target(3);
    if (renderTargets.composeInMemory && !target.drawnSinceClear && target.canHandMemoryPictureToGl()) {
        // Captures: the GL state is set as always; the ground and the tree,
        // 3,000 small draws through the driver, are drawn in memory when that
        // state lets them be, and handed to the target for GL's sprites.
        target.makeCurrentForState();
        const TreeFrame frame = beginTreeFrame(state, localTime, firstFrame);
        glDisable(GL_CULL_FACE);  // as every ground ring does before it draws
        const std::optional<Blending> blending = currentBlending();
        if (blending && plainDepthTestedState()) {
            drawGroundAndTreeInMemory(state, frame, localTime, *blending, target.drawInMemory());
            target.handMemoryPictureToGl();
        } else {
            target.makeCurrent();
            drawGroundRings(frame.t, frame.ringPhase);
            drawBranch(treeSize, localTime);
        }
        finishTreeFrame(frame, localTime);
        return;
    }
    target.makeCurrent();
    drawTreeScene(state, localTime, firstFrame);
}

}  // namespace qelo
