#pragma once
// The software renderer's matrices: 4 x 4 in double, column-major (element
// 4 * column + row), every operation multiplying the current matrix on the
// right, as GL defines them (glFrustum-style perspective of gluPerspective,
// glOrtho, gluLookAt, glRotate about a normalised axis, glScale, glTranslate).
// Angles in degrees.
#include <array>
#include <cstdint>
#include <vector>

namespace qelo::software {

using Matrix4 = std::array<double, 16>;

Matrix4 identityMatrix();
// a x b: the transform that applies b first.
Matrix4 multiply(const Matrix4& a, const Matrix4& b);

Matrix4 perspectiveMatrix(double fieldOfViewY, double aspect, double zNear, double zFar);
Matrix4 orthoMatrix(double left, double right, double bottom, double top, double zNear, double zFar);
Matrix4 lookAtMatrix(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ,
                     double upX, double upY, double upZ);
Matrix4 rotationMatrix(double degrees, double x, double y, double z);
Matrix4 scaleMatrix(double x, double y, double z);
Matrix4 translationMatrix(double x, double y, double z);

// A stack of matrices whose top is the current one; never empty. push on a
// full stack and pop of the last matrix change nothing and return false
// (GL's stack overflow and underflow).
class MatrixStack {
public:
    explicit MatrixStack(std::int32_t depth);
    Matrix4& top() { return matrices_.back(); }
    const Matrix4& top() const { return matrices_.back(); }
    void multiplyTop(const Matrix4& m) { top() = multiply(top(), m); }
    bool push();
    bool pop();

private:
    std::vector<Matrix4> matrices_;
    std::size_t depth_;
};

}  // namespace qelo::software
