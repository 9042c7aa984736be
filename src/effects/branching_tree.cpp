#include "effects/branching_tree.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "geometry/cone.h"
#include "geometry/matrix.h"
#include "geometry/mesh.h"
#include "geometry/vec3.h"
#include "shell/random.h"

namespace qelo {

namespace {

// What a frame's 3000 branches share: the colour, a function of the time,
// and their children's turn, spread and sway, functions of the child's
// index k (at most 21) and the time. Each is worked out once per frame (or
// once) and kept; trigonometry of the children's large arguments costs a
// long argument reduction every time. The values are those worked out in
// place.
constexpr std::int32_t keptChildren = 64;

struct KeptByIndex {
    std::array<double, keptChildren> value{};
    std::array<bool, keptChildren> known{};
    template <class Compute>
    double at(std::int32_t k, Compute&& compute)
    {
        if (k < 0 || k >= keptChildren) return compute();
        const auto slot = static_cast<std::size_t>(k);
        if (!known[slot]) value[slot] = compute(), known[slot] = true;
        return value[slot];
    }
};

std::uint32_t bitsOf(float time)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &time, sizeof bits);
    return bits;
}

// Values of one frame's time: forgotten when the time (its bits) changes.
struct KeptForTime {
    std::uint32_t timeBits = 0;
    bool any = false;
    KeptByIndex byIndex;
    KeptByIndex& forTime(float time)
    {
        if (!any || bitsOf(time) != timeBits) byIndex = {}, timeBits = bitsOf(time), any = true;
        return byIndex;
    }
};

// The whole tree shares one colour cycling with time: red 0.5..1, green up to
// 0.3 (negative half clamped by GL), blue 0.3..0.8, opaque.
VertexColour treeColour(float time)
{
    const double t = time;
    const float red = static_cast<float>(((std::sin(t) + 1.0) * 0.5 + 1.0) * 0.5);
    const float green = static_cast<float>(double{0.3f} * std::sin(2.0 * t));
    const float blue = static_cast<float>((std::cos(t) + 1.0) * 0.5 * 0.5 + double{0.3f});
    return {red, green, blue, 1.0f};
}

void paintBranch(Mesh& branch, float time)
{
    static std::uint32_t paintedFor = 0;
    static bool any = false;
    static VertexColour colour;
    if (!any || bitsOf(time) != paintedFor) colour = treeColour(time), paintedFor = bitsOf(time), any = true;
    for (MeshVertex& vertex : branch.vertices()) vertex.colour = colour;
}

// Children of the same k turn alike at every level: the tree is self-similar.
double childTurn(std::int32_t k)
{
    static KeptByIndex kept;
    return kept.at(k, [k] {
        const double index = k;
        return std::cos(19349.0 * index * index * 323.0) * 4345.0;
    });
}

double childSway(std::int32_t k, float time)
{
    static KeptForTime kept;
    return kept.forTime(time).at(k, [k, time] {
        return 14.0 * std::sin(static_cast<double>(3232 * (k + 1) * (k + 1)) + time);
    });
}

// sin((k * k) * 986895.0), the spread's part that depends on k alone.
double spreadSine(std::int32_t k)
{
    static KeptByIndex kept;
    return kept.at(k, [k] { return std::sin((k * k) * 986895.0); });
}

}  // namespace

// Built apex down, then turned a half turn about z and lifted.
Mesh branchMesh(float size)
{
    Mesh cone = makeCone(0.05f * size, size, 3, 1);
    Matrix placement;
    placement.loadIdentity();
    placement.orient(Vec3(0.0f, 0.0f, 1.0f), Vec3(0.0f, 1.0f, 0.0f));
    placement.translate(0.0f, -0.5f * size, 0.0f);
    Mesh branch = cone.transformed(placement);
    cone.release();
    return branch;
}

// Built branch meshes by size. The tree's structure is fixed, so the same
// sizes come back every frame; each mesh is built once by the same builder and
// placement, and a frame only recolours and draws it. The picture is the one
// a fresh build would give, without 3000 builds and their heap traffic per
// frame. Bounded so that arbitrary sizes cannot grow it without end. An open
// table of the sizes' bits, probed in place: a frame looks up 3000 of them,
// and a node-based map's chains missed the cache on most.
Mesh& builtBranch(float size)
{
    constexpr std::size_t capacity = 8192;  // the show's tree has at most 3000 sizes
    constexpr std::size_t slots = 2 * capacity;  // a power of two, at most half full
    struct Slot {
        std::uint32_t key = 0;  // the float's bits
        std::int32_t mesh = -1;  // index into meshes; -1: free
    };
    static std::vector<Slot> table(slots);
    static std::vector<Mesh> meshes = [] {
        std::vector<Mesh> kept;
        kept.reserve(capacity);  // never moved, so references stay valid
        return kept;
    }();
    std::uint32_t key = 0;
    std::memcpy(&key, &size, sizeof key);
    // Multiplicative hashing: the product's top bits mix every bit of the key.
    std::size_t at = (key * 0x9E3779B1u) >> 18;
    static_assert(slots == std::size_t{1} << 14, "the hash's top 14 bits index the slots");
    for (;; at = (at + 1) % slots) {
        if (table[at].mesh < 0) break;
        if (table[at].key == key) return meshes[static_cast<std::size_t>(table[at].mesh)];
    }
    if (meshes.size() >= capacity) {
        std::fill(table.begin(), table.end(), Slot{});
        meshes.clear();
        at = (key * 0x9E3779B1u) >> 18;
    }
    table[at] = {key, static_cast<std::int32_t>(meshes.size())};
    return meshes.emplace_back(branchMesh(size));
}

std::int32_t childCount(float size)
{
    const double count = size * 1.4;
    // Not a number, or too many to count: no children (the show's largest is 21).
    if (!(count < 1000000.0)) return 0;
    return static_cast<std::int32_t>(count);
}

ChildBranch childBranch(float size, std::int32_t k, std::int32_t n)
{
    const double index = k;
    ChildBranch child;
    child.foot = static_cast<float>(index / n * size * double{0.9f});
    child.spread = static_cast<float>(spreadSine(k) * 30.0 + 40.0);
    child.size = static_cast<float>(size * 0.5 - index * child.spread * double{0.002f});
    return child;
}

void drawBranch(DrawingContext& gl, float size, float time)
{
    if (!(size > smallestBranch)) return;  // also not a number

    // Used up before the children are drawn: the reference need not outlive them.
    Mesh& branch = builtBranch(size);
    rand();  // drawn per branch, value unused
    paintBranch(branch, time);
    branch.draw(gl, Vec3(0.0f, 0.0f, 0.0f), Vec3(0.0f, 0.0f, 0.0f), 1.0f);

    const std::int32_t n = childCount(size);
    gl.translate(0.0f, 0.25f * size, 0.0f);
    for (std::int32_t k = 0; k < n; ++k) {
        const ChildBranch child = childBranch(size, k, n);
        gl.pushMatrix();
        gl.translate(0.0f, child.foot, 0.0f);
        gl.rotate(static_cast<float>(childTurn(k)), 0.0f, 1.0f, 0.0f);
        gl.rotate(2.0f, 0.0f, 1.0f, 0.0f);
        gl.rotate(static_cast<float>(child.spread + childSway(k, time)), 0.0f, 0.0f, 1.0f);
        drawBranch(gl, child.size, time);
        gl.popMatrix();
    }
}

}  // namespace qelo
