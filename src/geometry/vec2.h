#pragma once
// A pair of 32-bit floats: a mesh vertex's texture coordinate (u in x, v in y)
// or a 2-D offset. Arrays of them are indexed directly, so the layout is fixed.

namespace qelo {

struct Vec2 {
    float x = 0.0f;
    float y = 0.0f;

    constexpr Vec2() = default;
    constexpr Vec2(float x, float y) : x(x), y(y) {}
};

static_assert(sizeof(Vec2) == 8);

}  // namespace qelo
