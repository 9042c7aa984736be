#pragma once
// The matrix calls the scenes make (glScalef, glTranslatef, gluPerspective,
// gluLookAt) and the model-view-projection product, in the float arithmetic
// and term order of Mesa and GLU, so that drawing in memory transforms each
// vertex exactly as the driver does. Column-major: element 4 * column + row.
#include <array>

namespace qelo {

using GlMatrix = std::array<float, 16>;

GlMatrix identityMatrix();

// m = m x by, as glMultMatrixf (which leaves m alone when `by` is the identity).
void multiplyMatrix(GlMatrix& m, const GlMatrix& by);

// a x b, as the driver forms projection x model-view.
GlMatrix matrixProduct(const GlMatrix& a, const GlMatrix& b);

void scaleMatrix(GlMatrix& m, float x, float y, float z);      // glScalef
void translateMatrix(GlMatrix& m, float x, float y, float z);  // glTranslatef and glTranslated
// glRotatef; like GL, a zero angle or an axis shorter than 1e-4 leaves m
// alone. The product is the general one: m must already hold a general
// matrix (after a look-at, a perspective or any glMultMatrix), as every
// matrix the scenes rotate does; GL multiplies others by three rows only.
void rotateMatrix(GlMatrix& m, float angle, float x, float y, float z);
void perspectiveMatrix(GlMatrix& m, double fovy, double aspect, double zNear, double zFar);  // gluPerspective
void lookAtMatrix(GlMatrix& m, double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ,
                  double upX, double upY, double upZ);  // gluLookAt

}  // namespace qelo
