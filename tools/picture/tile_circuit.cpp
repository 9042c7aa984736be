#include <array>
#include <cmath>
#include <vector>

#include "common/prng.h"
#include "picture/shapes.h"
#include "picture/tiles.h"

namespace qelo::assetgen {

namespace {

constexpr int cells = 6;                       // maze cells a side
constexpr float pitch = tileSize / float(cells);

// A perfect maze by depth-first search; returns, per cell, which of its
// right and down neighbours it is joined to.
struct Maze {
    std::array<bool, cells * cells> right{};
    std::array<bool, cells * cells> down{};
    std::array<int, cells * cells> links{};  // number of joined neighbours
};

Maze carveMaze(std::uint64_t seed)
{
    Maze maze;
    Prng prng(seed);
    std::array<bool, cells * cells> seen{};
    std::vector<int> stack{0};
    seen[0] = true;
    while (!stack.empty()) {
        const int cell = stack.back();
        const int cx = cell % cells, cy = cell / cells;
        int options[4];
        int count = 0;
        if (cx > 0 && !seen[cell - 1]) options[count++] = cell - 1;
        if (cx + 1 < cells && !seen[cell + 1]) options[count++] = cell + 1;
        if (cy > 0 && !seen[cell - cells]) options[count++] = cell - cells;
        if (cy + 1 < cells && !seen[cell + cells]) options[count++] = cell + cells;
        if (count == 0) {
            stack.pop_back();
            continue;
        }
        const int next = options[prng.below(count)];
        const int a = std::min(cell, next), b = std::max(cell, next);
        (b - a == 1 ? maze.right : maze.down)[static_cast<std::size_t>(a)] = true;
        ++maze.links[static_cast<std::size_t>(cell)];
        ++maze.links[static_cast<std::size_t>(next)];
        seen[static_cast<std::size_t>(next)] = true;
        stack.push_back(next);
    }
    return maze;
}

P2 cellCentre(int cell)
{
    return {(static_cast<float>(cell % cells) + 0.5f) * pitch, (static_cast<float>(cell / cells) + 0.5f) * pitch};
}

}  // namespace

// A circuit board: maze corridors as glowing traces, pads at the dead ends
// and a bright chip in the middle.
Canvas drawCircuitTile()
{
    const Maze maze = carveMaze(0x5EED);
    const Rgb trace = hex(0x70FFD0), pad = hex(0xFFF8A0), chip = hex(0xFFFFFF), halo = hex(0x1080FF);
    Canvas canvas(tileSize, tileSize);
    for (int y = 0; y < tileSize; ++y) {
        for (int x = 0; x < tileSize; ++x) {
            const P2 p{static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
            float traces = 1e6f, pads = 1e6f;
            // Only the cell under p and its left/upper neighbours can reach p.
            const int px = std::min(static_cast<int>(p.x / pitch), cells - 1);
            const int py = std::min(static_cast<int>(p.y / pitch), cells - 1);
            for (int cy = std::max(py - 1, 0); cy <= py; ++cy) {
                for (int cx = std::max(px - 1, 0); cx <= px; ++cx) {
                    const int cell = cy * cells + cx;
                    const P2 c = cellCentre(cell);
                    if (maze.right[static_cast<std::size_t>(cell)])
                        traces = std::min(traces, capsuleSdf(p, c, cellCentre(cell + 1), 7.0f));
                    if (maze.down[static_cast<std::size_t>(cell)])
                        traces = std::min(traces, capsuleSdf(p, c, cellCentre(cell + cells), 7.0f));
                }
            }
            const int here = py * cells + px;
            if (maze.links[static_cast<std::size_t>(here)] == 1)
                pads = std::abs(circleSdf(p, cellCentre(here), 11.0f)) - 5.0f;
            const float chipBox = roundBoxSdf(p, {tileSize * 0.5f, tileSize * 0.5f}, {30, 30}, 5);
            const float frame = std::abs(roundBoxSdf(p, {tileSize * 0.5f, tileSize * 0.5f}, {124, 124}, 10)) - 4.0f;

            Rgb c = halo * (0.45f * glow(std::min(traces, pads), 6.0f));
            c = mix(c, trace, coverage(traces));
            c = mix(c, pad, coverage(pads));
            const float ridges = coverage(std::abs(std::fmod(p.x, 12.0f) - 6.0f) - 2.5f);
            c = mix(c, chip * (0.8f + 0.2f * ridges), coverage(chipBox));
            c = mix(c, trace * 0.9f, coverage(frame));
            canvas.at(x, y) = c;
        }
    }
    return canvas;
}

}  // namespace qelo::assetgen
