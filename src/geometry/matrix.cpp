#include "geometry/matrix.h"

namespace qelo {

Matrix& Matrix::loadIdentity()
{
    m = {1.0f, 0.0f, 0.0f, 0.0f,  //
         0.0f, 1.0f, 0.0f, 0.0f,  //
         0.0f, 0.0f, 1.0f, 0.0f,  //
         0.0f, 0.0f, 0.0f, 1.0f};
    return *this;
}

Matrix& Matrix::translate(float x, float y, float z)
{
    // Single precision on purpose: this is the matrix GL itself would compute.
    for (int row = 0; row < 4; ++row) {
        m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    }
    return *this;
}

Matrix& Matrix::orient(const Vec3& forward, const Vec3& up)
{
    const Vec3 xAxis = forward.cross(up).withLength(1.0f);
    const Vec3 yAxis = forward.cross(xAxis).withLength(1.0f);
    const Vec3 zAxis = forward.withLength(1.0f);
    const Vec3 axes[3] = {xAxis, yAxis, zAxis};
    for (int column = 0; column < 3; ++column) {
        m[4 * column + 0] = axes[column].x;
        m[4 * column + 1] = axes[column].y;
        m[4 * column + 2] = axes[column].z;
    }
    return *this;
}

}  // namespace qelo
