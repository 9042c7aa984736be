#pragma once
// A point or direction in 3-D space: three 32-bit floats, zero by default
// (also inside arrays). Results are computed with double intermediates and
// rounded once to float.

namespace qelo {

struct Matrix;

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vec3() = default;
    constexpr Vec3(float x, float y, float z) : x(x), y(y), z(z) {}

    // This direction scaled to `length`: each component times 1/|v| (inverse
    // length first), then times `length`. A zero vector has no direction and
    // yields (0, 0, 0) instead of dividing by zero; so does a vector with an
    // infinite or NaN component.
    Vec3 withLength(float length) const;

    Vec3 minus(const Vec3& other) const;

    // Right-handed cross product this x other.
    Vec3 cross(const Vec3& other) const;

    // The point (x, y, z, 1) moved by the column-major matrix m; the fourth
    // row is ignored (no division by w).
    Vec3 transformed(const Matrix& m) const;

    friend constexpr bool operator==(const Vec3&, const Vec3&) = default;
};

static_assert(sizeof(Vec3) == 12);

}  // namespace qelo
