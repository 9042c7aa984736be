// CPU side of the two heaviest scenes, with no GL context current (GL calls
// cost only their dispatch): what the tree and the swarm compute per frame
// before the driver sees anything.
#include <benchmark/benchmark.h>

#include "effects/branching_tree.h"
#include "effects/square_swarm.h"
#include "geometry/cone.h"
#include "geometry/matrix.h"

namespace {

// The tree of size 15 as drawn each frame: 3000 branches, one draw each.
void BM_TreeFrame(benchmark::State& state)
{
    float time = 0.0f;
    for (auto _ : state) {
        qelo::drawBranch(15.0f, time);
        time += 0.016f;
    }
}
BENCHMARK(BM_TreeFrame)->Unit(benchmark::kMillisecond);

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

// The swarm's frame: 5000 spline evaluations and matrix-stack calls.
void BM_SwarmFrame(benchmark::State& state)
{
    qelo::SquareSwarmState swarm;
    qelo::drawSquareSwarm(swarm, 0.0f, true);
    float time = 0.0f;
    for (auto _ : state) {
        qelo::drawSquareSwarm(swarm, time, false);
        time += 0.016f;
    }
}
BENCHMARK(BM_SwarmFrame)->Unit(benchmark::kMillisecond);

}  // namespace
