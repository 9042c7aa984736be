#include "render/software/matrix_stack.h"

#include <cmath>

namespace qelo::software {

namespace {

constexpr double pi = 3.14159265358979323846;

// A matrix given row by row, as the reference pages print them.
Matrix4 fromRows(std::initializer_list<double> rows)
{
    Matrix4 m{};
    int k = 0;
    for (double value : rows) {
        m[(k % 4) * 4 + k / 4] = value;
        ++k;
    }
    return m;
}

}  // namespace

Matrix4 identityMatrix()
{
    return fromRows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

Matrix4 multiply(const Matrix4& a, const Matrix4& b)
{
    // Element (row, column) is 0 + a(row, 0) b(0, column) + ... + a(row, 3) b(3, column),
    // summed in that order; a column's four rows at once (the compiler's vectors).
    Matrix4 m{};
    for (int column = 0; column < 4; ++column)
        for (int k = 0; k < 4; ++k) {
            const double factor = b[column * 4 + k];
            for (int row = 0; row < 4; ++row) m[column * 4 + row] += a[k * 4 + row] * factor;
        }
    return m;
}

Matrix4 perspectiveMatrix(double fieldOfViewY, double aspect, double zNear, double zFar)
{
    const double f = 1.0 / std::tan(fieldOfViewY * pi / 360.0);
    const double depth = zNear - zFar;
    return fromRows({f / aspect, 0, 0, 0,  //
                     0, f, 0, 0,           //
                     0, 0, (zFar + zNear) / depth, 2 * zFar * zNear / depth,  //
                     0, 0, -1, 0});
}

Matrix4 orthoMatrix(double left, double right, double bottom, double top, double zNear, double zFar)
{
    return fromRows({2 / (right - left), 0, 0, -(right + left) / (right - left),  //
                     0, 2 / (top - bottom), 0, -(top + bottom) / (top - bottom),  //
                     0, 0, -2 / (zFar - zNear), -(zFar + zNear) / (zFar - zNear),  //
                     0, 0, 0, 1});
}

Matrix4 lookAtMatrix(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ,
                     double upX, double upY, double upZ)
{
    double f[3] = {centreX - eyeX, centreY - eyeY, centreZ - eyeZ};
    const double fLength = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    if (fLength > 0)
        for (double& c : f) c /= fLength;
    const double up[3] = {upX, upY, upZ};
    // s = f x up, normalised; u = s x f.
    double s[3] = {f[1] * up[2] - f[2] * up[1], f[2] * up[0] - f[0] * up[2], f[0] * up[1] - f[1] * up[0]};
    const double sLength = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    if (sLength > 0)
        for (double& c : s) c /= sLength;
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    const Matrix4 m = fromRows({s[0], s[1], s[2], 0,  //
                                u[0], u[1], u[2], 0,  //
                                -f[0], -f[1], -f[2], 0,  //
                                0, 0, 0, 1});
    return multiply(m, translationMatrix(-eyeX, -eyeY, -eyeZ));
}

Matrix4 rotationMatrix(double degrees, double x, double y, double z)
{
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) return identityMatrix();
    x /= length;
    y /= length;
    z /= length;
    const double c = std::cos(degrees * pi / 180.0);
    const double s = std::sin(degrees * pi / 180.0);
    const double d = 1 - c;
    return fromRows({x * x * d + c, x * y * d - z * s, x * z * d + y * s, 0,  //
                     y * x * d + z * s, y * y * d + c, y * z * d - x * s, 0,  //
                     x * z * d - y * s, y * z * d + x * s, z * z * d + c, 0,  //
                     0, 0, 0, 1});
}

Matrix4 scaleMatrix(double x, double y, double z)
{
    return fromRows({x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1});
}

Matrix4 translationMatrix(double x, double y, double z)
{
    return fromRows({1, 0, 0, x, 0, 1, 0, y, 0, 0, 1, z, 0, 0, 0, 1});
}

MatrixStack::MatrixStack(std::int32_t depth) : matrices_{identityMatrix()}, depth_(static_cast<std::size_t>(depth))
{
    matrices_.reserve(depth_);
}

bool MatrixStack::push()
{
    if (matrices_.size() >= depth_) return false;
    matrices_.push_back(matrices_.back());
    return true;
}

bool MatrixStack::pop()
{
    if (matrices_.size() <= 1) return false;
    matrices_.pop_back();
    return true;
}

}  // namespace qelo::software
