#pragma once
// A 4 x 4 float matrix in OpenGL's column-major layout: element 4 * column +
// row, translation in elements 12, 13, 14. Handed to and read from GL as is.
// The operations modify the matrix in place and return it, so calls chain.
#include <array>

#include "geometry/vec3.h"

namespace qelo {

struct Matrix {
    std::array<float, 16> m{};

    // The identity, as glLoadIdentity would load it.
    Matrix& loadIdentity();

    // This matrix times the translation T(x, y, z), in the same float
    // arithmetic and term order as GL's glTranslatef (Mesa): column 3 becomes
    // m[0..3]*x + m[4..7]*y + m[8..11]*z + m[12..15], summed left to right.
    Matrix& translate(float x, float y, float z);

    // Fills the rotation part (elements 0-2, 4-6, 8-10) with the basis
    // x = unit(forward x up), y = unit(forward x x), z = unit(forward); the
    // translation column and fourth row are left alone. With forward parallel
    // to up (or either zero) the x and y axes come out as (0, 0, 0), never NaN.
    Matrix& orient(const Vec3& forward, const Vec3& up);

    const float* data() const { return m.data(); }
};

static_assert(sizeof(Matrix) == 64);

}  // namespace qelo
