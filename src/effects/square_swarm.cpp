#include "effects/square_swarm.h"

#include <array>
#include <cmath>

#include "effects/pacing.h"
#include "effects/random_events.h"
#include "geometry/vec3.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"

namespace qelo {

namespace {

constexpr std::int32_t controlPoints = 30;
constexpr std::int32_t squareCount = 5000;
constexpr float reshapePeriod = 0.4f;  // seconds
constexpr float tiltPeriod = 0.05f;    // seconds

// The reshape test: one draw when its period has come, a yes above 70 of 100.
bool reshapeDue(std::optional<Clock>& reshapeClock)
{
    if (!pacedTestDue(reshapeClock, reshapePeriod)) return false;
    return rand() % 100 > 70;
}

// The tilt test: one draw when its period has come; above 50 of 100 a second
// draw becomes the new tilt.
void jitterTilt(std::optional<Clock>& tiltClock, float& tilt)
{
    if (!pacedTestDue(tiltClock, tiltPeriod)) return;
    if (rand() % 100 > 50) tilt = randomFraction();
}

// cos(32 i) of each square, worked out once: otherwise 5000 reductions of
// large arguments a frame.
double scatter(std::int32_t i)
{
    static const std::array<double, squareCount> table = [] {
        std::array<double, squareCount> values{};
        for (std::int32_t j = 0; j < squareCount; ++j) values[static_cast<std::size_t>(j)] = std::cos(32.0 * j);
        return values;
    }();
    return i >= 0 && i < squareCount ? table[static_cast<std::size_t>(i)] : std::cos(32.0 * i);
}

// Square i's parameter on the curve: scattered by cos(32 i) around the band
// that k slides along it.
float squareParameter(std::int32_t i, double k)
{
    return static_cast<float>(std::fabs(std::sin(double{0.1f} * scatter(i) + k)));
}

// Square i sits on the copy of the curve turned by 30 i degrees about z (one
// of twelve), at its parameter u, and tumbles by 300 u degrees.
void drawSquare(DrawingContext& gl, const SplinePath& swarmPath, std::int32_t i, double k)
{
    gl.pushMatrix();
    gl.rotate(static_cast<float>(30.0 * i), 0.0f, 0.0f, 1.0f);
    const float u = squareParameter(i, k);
    const Vec3 p = swarmPath.pointAt(u);
    gl.translate(p.x, p.y, p.z);
    gl.rotate(static_cast<float>(300.0 * u), 1.0f, 1.0f, 1.0f);
    gl.begin(Primitive::quads);
    gl.vertex(-0.5f, -0.5f, 0.0f);
    gl.vertex(0.5f, -0.5f, 0.0f);
    gl.vertex(0.5f, 0.5f, 0.0f);
    gl.vertex(-0.5f, 0.5f, 0.0f);
    gl.end();
    gl.popMatrix();
}

}  // namespace

SquareSwarmState& squareSwarmState()
{
    static SquareSwarmState state;
    return state;
}

void reshapeSwarm(SplinePath& swarmPath, std::int32_t& swarmSeed)
{
    srand(static_cast<std::uint32_t>(swarmSeed));
    ++swarmSeed;
    for (std::int32_t i = 0; i < controlPoints; ++i) {
        const double r1 = randomFraction();
        const double r2 = randomFraction();
        const double r3 = randomFraction();
        const double index = i;
        swarmPath.points()[i] = Vec3(static_cast<float>((r3 - 0.5) * index * 4.0),
                                     static_cast<float>(index * ((r2 - 0.5) * index * double{0.2f} + double{0.3f})),
                                     static_cast<float>((r1 - 0.5) * index * 4.0));
    }
}

namespace {

float depthScale(float localTime) { return static_cast<float>(std::sin(double{localTime}) + 2.0); }
float spinAngle(float localTime) { return static_cast<float>(localTime * 60.0); }

// Everything before the squares: the reshape and tilt tests with their
// draws, the camera, colour and state, in the current context.
void setUpSwarm(DrawingContext& gl, SquareSwarmState& state, float localTime, bool firstFrame)
{
    if (!state.swarmPath) state.swarmPath.emplace(controlPoints, false);

    bool reshape = reshapeDue(state.reshapeClock);
    if (firstFrame) reshape = true;  // after the test and its draw
    if (reshape) reshapeSwarm(*state.swarmPath, state.swarmSeed);

    gl.matrixMode(MatrixMode::projection);
    gl.loadIdentity();
    gl.perspective(45.0, 1.3333333333333333, double{0.1f}, 1000.0);

    // Fixed camera; the depth scale breathes between 1 and 3.
    gl.matrixMode(MatrixMode::modelView);
    gl.loadIdentity();
    gl.scale(1.0f, 1.0f, depthScale(localTime));
    gl.lookAt(0.0, 3.0, 15.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    // Unblended: every covered pixel holds white at alpha 0.4 however many
    // squares overlap it. The tree scene's first frame inherits blending off.
    gl.disable(Capability::blend);
    gl.disable(Capability::depthTest);
    gl.colour(1.0f, 1.0f, 1.0f, 0.4f);

    // The whole figure spins at 60 degrees a second about an axis the tilt jitters.
    jitterTilt(state.tiltClock, state.tilt);
    gl.rotate(spinAngle(localTime), state.tilt, static_cast<float>(-2.0 * state.tilt), 0.2f);
}

// cos(32 i) scatters the squares over a band of the curve that slides with time.
double bandPosition(float localTime) { return double{0.2f} * localTime; }

}  // namespace

void drawSquareSwarm(DrawingContext& gl, SquareSwarmState& state, float localTime, bool firstFrame)
{
    setUpSwarm(gl, state, localTime, firstFrame);
    const double k = bandPosition(localTime);
    for (std::int32_t i = 0; i < squareCount; ++i) drawSquare(gl, *state.swarmPath, i, k);
}

void squareSwarmEffect(float localTime, float /*progress*/, bool firstFrame, std::int32_t /*mode*/)
{
    drawSquareSwarm(renderTargets.target(3).makeCurrent(), squareSwarmState(), localTime, firstFrame);
}

}  // namespace qelo
