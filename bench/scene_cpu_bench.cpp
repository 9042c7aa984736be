// The show's heaviest scenes drawn by the software renderer into a
// 1024 x 768 picture, as captures and software live play draw them: the
// scene's own arithmetic and the renderer's, one core.
#include <benchmark/benchmark.h>

#include "effects/branching_tree.h"
#include "effects/dot_grid.h"
#include "effects/ring_stack.h"
#include "effects/square_swarm.h"
#include "geometry/cone.h"
#include "geometry/matrix.h"
#include "render/software/software_context.h"

namespace {

using qelo::software::SoftwareContext;

// The tree of size 15 as drawn each frame: 3000 depth-tested branches, under
// the tree scene's perspective.
void BM_SoftwareTreeFrame(benchmark::State& state)
{
    SoftwareContext picture(1024, 768);
    float time = 0.0f;
    for (auto _ : state) {
        picture.clear(qelo::ClearMask::colourAndDepth);
        picture.matrixMode(qelo::MatrixMode::projection);
        picture.loadIdentity();
        picture.perspective(45.0, 1.3333333333333333, double{0.1f}, 1000.0);
        picture.matrixMode(qelo::MatrixMode::modelView);
        picture.loadIdentity();
        picture.rotate(180.0f, 0.0f, 0.0f, 1.0f);
        picture.scale(1.0f, 1.0f, 3.0f);
        picture.lookAt(10.0, 8.0, 15.0, 3.0, 2.0, 0.0, 0.0, 1.0, 0.0);
        picture.enable(qelo::Capability::depthTest);
        qelo::drawBranch(picture, 15.0f, time);
        time += 0.016f;
    }
}
BENCHMARK(BM_SoftwareTreeFrame)->Unit(benchmark::kMillisecond);

// What a frame would spend building the 3000 branch meshes afresh (cone,
// placement, transformed copy, release), the work the built-mesh store saves.
void BM_TreeMeshesBuiltAfresh(benchmark::State& state)
{
    for (auto _ : state) {
        for (int i = 0; i < 3000; ++i) {
            const float size = 0.3f + 0.005f * static_cast<float>(i);
            qelo::Mesh cone = qelo::makeCone(0.05f * size, size, 3, 1);
            qelo::Matrix placement;
            placement.loadIdentity().orient({0.0f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f}).translate(0.0f, -0.5f * size, 0.0f);
            qelo::Mesh branch = cone.transformed(placement);
            benchmark::DoNotOptimize(branch.vertices().data());
        }
    }
}
BENCHMARK(BM_TreeMeshesBuiltAfresh)->Unit(benchmark::kMillisecond);

// The swarm's frame: 5000 squares on the spline curves.
void BM_SoftwareSwarmFrame(benchmark::State& state)
{
    SoftwareContext picture(1024, 768);
    qelo::SquareSwarmState swarm;
    qelo::drawSquareSwarm(picture, swarm, 0.0f, true);
    float time = 0.0f;
    for (auto _ : state) {
        picture.clear(qelo::ClearMask::colourAndDepth);
        qelo::drawSquareSwarm(picture, swarm, time, false);
        time += 0.016f;
    }
}
BENCHMARK(BM_SoftwareSwarmFrame)->Unit(benchmark::kMillisecond);

// The close, breathing ring stack (mode 2): up to 1,540 large added pieces.
void BM_SoftwareRingStackFrame(benchmark::State& state)
{
    SoftwareContext picture(1024, 768);
    float time = 0.0f;
    for (auto _ : state) {
        picture.clear(qelo::ClearMask::colourAndDepth);
        qelo::drawRingStack(picture, qelo::ringStackView(time, 2));
        benchmark::DoNotOptimize(picture.picture());
        time += 0.016f;
    }
}
BENCHMARK(BM_SoftwareRingStackFrame)->Unit(benchmark::kMillisecond);

// The dot grid: 144 dots of 100 thin triangles.
void BM_SoftwareDotGridFrame(benchmark::State& state)
{
    SoftwareContext picture(1024, 768);
    qelo::DotGridState grid;
    float time = 0.0f;
    for (auto _ : state) {
        qelo::drawDotGrid(picture, grid, time, 0.016);
        time += 0.016f;
    }
}
BENCHMARK(BM_SoftwareDotGridFrame)->Unit(benchmark::kMillisecond);

}  // namespace
