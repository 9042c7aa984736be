#include "geometry/vec3.h"

#include <cmath>

#include "geometry/matrix.h"

namespace qelo {

Vec3 Vec3::withLength(float length) const
{
    const double dx = x, dy = y, dz = z;
    const double squared = dz * dz + dy * dy + dx * dx;
    // Squares of finite floats cannot overflow a double: an infinite sum
    // means an infinite component, which has no direction either.
    if (!(squared > 0.0) || std::isinf(squared)) {
        return {};
    }
    const double inverse = 1.0 / std::sqrt(squared);
    return {static_cast<float>(dx * inverse * length), static_cast<float>(dy * inverse * length),
            static_cast<float>(dz * inverse * length)};
}

Vec3 Vec3::minus(const Vec3& other) const
{
    return {x - other.x, y - other.y, z - other.z};
}

Vec3 Vec3::cross(const Vec3& other) const
{
    const double ax = x, ay = y, az = z;
    const double bx = other.x, by = other.y, bz = other.z;
    return {static_cast<float>(ay * bz - az * by), static_cast<float>(az * bx - ax * bz),
            static_cast<float>(ax * by - ay * bx)};
}

Vec3 Vec3::transformed(const Matrix& matrix) const
{
    const auto& m = matrix.m;
    const double px = x, py = y, pz = z;
    return {static_cast<float>(m[0] * px + m[4] * py + m[8] * pz + m[12]),
            static_cast<float>(m[1] * px + m[5] * py + m[9] * pz + m[13]),
            static_cast<float>(m[2] * px + m[6] * py + m[10] * pz + m[14])};
}

}  // namespace qelo
