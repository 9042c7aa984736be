#include "render/fixed_function_matrix.h"

#include <cmath>

namespace qelo {

namespace {

// GLU's own helpers, in float with the square root taken in double.
void normalise(float v[3])
{
    const float r = static_cast<float>(std::sqrt(static_cast<double>(v[0] * v[0] + v[1] * v[1] + v[2] * v[2])));
    if (r == 0.0f) return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

GlMatrix identityMatrix() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

GlMatrix matrixProduct(const GlMatrix& a, const GlMatrix& b)
{
    GlMatrix p{};
    for (int i = 0; i < 4; ++i) {
        const float ai0 = a[i], ai1 = a[4 + i], ai2 = a[8 + i], ai3 = a[12 + i];
        for (int j = 0; j < 4; ++j)
            p[4 * j + i] = ai0 * b[4 * j] + ai1 * b[4 * j + 1] + ai2 * b[4 * j + 2] + ai3 * b[4 * j + 3];
    }
    return p;
}

void multiplyMatrix(GlMatrix& m, const GlMatrix& by)
{
    if (by == identityMatrix()) return;
    m = matrixProduct(m, by);
}

void scaleMatrix(GlMatrix& m, float x, float y, float z)
{
    for (int row = 0; row < 4; ++row) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
}

void translateMatrix(GlMatrix& m, float x, float y, float z)
{
    for (int row = 0; row < 4; ++row) m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

void rotateMatrix(GlMatrix& m, float angle, float x, float y, float z)
{
    if (angle == 0.0f) return;
    const double radians = static_cast<double>(angle) * 3.14159265358979323846 / 180.0;
    const float s = std::sin(static_cast<float>(radians));
    const float c = std::cos(static_cast<float>(radians));
    GlMatrix r = identityMatrix();
    auto at = [&r](int row, int column) -> float& { return r[4 * column + row]; };
    // GL's shortcuts for the coordinate axes, then the general axis.
    if (x == 0.0f && y == 0.0f && z != 0.0f) {
        at(0, 0) = c;
        at(1, 1) = c;
        at(0, 1) = z < 0.0f ? s : -s;
        at(1, 0) = z < 0.0f ? -s : s;
    } else if (x == 0.0f && y != 0.0f && z == 0.0f) {
        at(0, 0) = c;
        at(2, 2) = c;
        at(0, 2) = y < 0.0f ? -s : s;
        at(2, 0) = y < 0.0f ? s : -s;
    } else if (x != 0.0f && y == 0.0f && z == 0.0f) {
        at(1, 1) = c;
        at(2, 2) = c;
        at(1, 2) = x < 0.0f ? s : -s;
        at(2, 1) = x < 0.0f ? -s : s;
    } else {
        const float magnitude = std::sqrt(x * x + y * y + z * z);
        if (magnitude <= 1.0e-4f) return;
        x /= magnitude;
        y /= magnitude;
        z /= magnitude;
        const float xx = x * x, yy = y * y, zz = z * z;
        const float xy = x * y, yz = y * z, zx = z * x;
        const float xs = x * s, ys = y * s, zs = z * s;
        const float oneMinusC = 1.0f - c;
        at(0, 0) = (oneMinusC * xx) + c;
        at(0, 1) = (oneMinusC * xy) - zs;
        at(0, 2) = (oneMinusC * zx) + ys;
        at(1, 0) = (oneMinusC * xy) + zs;
        at(1, 1) = (oneMinusC * yy) + c;
        at(1, 2) = (oneMinusC * yz) - xs;
        at(2, 0) = (oneMinusC * zx) - ys;
        at(2, 1) = (oneMinusC * yz) + xs;
        at(2, 2) = (oneMinusC * zz) + c;
    }
    m = matrixProduct(m, r);
}

void perspectiveMatrix(GlMatrix& m, double fovy, double aspect, double zNear, double zFar)
{
    const double radians = fovy / 2 * 3.14159265358979323846 / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    GlMatrix p = identityMatrix();
    p[0] = static_cast<float>(cotangent / aspect);
    p[5] = static_cast<float>(cotangent);
    p[10] = static_cast<float>(-(zFar + zNear) / deltaZ);
    p[11] = -1.0f;
    p[14] = static_cast<float>(-2 * zNear * zFar / deltaZ);
    p[15] = 0.0f;
    multiplyMatrix(m, p);
}

void lookAtMatrix(GlMatrix& m, double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ,
                  double upX, double upY, double upZ)
{
    float forward[3] = {static_cast<float>(centreX - eyeX), static_cast<float>(centreY - eyeY),
                        static_cast<float>(centreZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    float side[3];
    normalise(forward);
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    GlMatrix view = identityMatrix();
    view[0] = side[0];
    view[4] = side[1];
    view[8] = side[2];
    view[1] = up[0];
    view[5] = up[1];
    view[9] = up[2];
    view[2] = -forward[0];
    view[6] = -forward[1];
    view[10] = -forward[2];
    multiplyMatrix(m, view);
    translateMatrix(m, static_cast<float>(-eyeX), static_cast<float>(-eyeY), static_cast<float>(-eyeZ));
}

}  // namespace qelo
