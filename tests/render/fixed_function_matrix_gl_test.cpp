// The matrices the scenes build, computed in memory, against the ones GL
// keeps for the same calls: equal to the bit.
#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <random>

#include "gl/gl_fixture.h"
#include "render/fixed_function_matrix.h"

namespace qelo::test {
namespace {

GlMatrix current(GLenum which)
{
    GlMatrix m{};
    glGetFloatv(which, m.data());
    return m;
}

TEST(FixedFunctionMatrix, EqualsWhatGlKeepsForTheSameCalls)
{
    showContext();
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int i = 0; i < 200; ++i) {
        const double fovy = 20.0 + 100.0 * (unit(random) + 1.0) / 2.0;
        const double nearPlane = 0.01 + (unit(random) + 1.0);
        const float eye[3] = {30.0f * unit(random), 50.0f * unit(random), 20.0f * unit(random)};
        const float scale[3] = {1.0f, 1.0f + unit(random), 2.0f + unit(random)};
        const float move[3] = {3.0f * unit(random), unit(random), 7.0f * unit(random)};
        // Turns about z, y, x (GL's shortcuts, both signs), a general axis
        // and one too short to turn about; some angles 0.
        const float angle = i % 9 == 0 ? 0.0f : 400.0f * unit(random);
        const float axes[5][3] = {{0, 0, unit(random)}, {0, unit(random), 0}, {unit(random), 0, 0},
                                  {unit(random), unit(random), unit(random)}, {1e-5f, 2e-5f, 0}};
        const float* axis = axes[i % 5];

        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(fovy, 1.3333333333333333, nearPlane, 1000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glScalef(scale[0], scale[1], scale[2]);
        gluLookAt(eye[0], eye[1], eye[2], 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
        glTranslatef(move[0], move[1], move[2]);
        glRotatef(angle, axis[0], axis[1], axis[2]);
        glRotatef(30.0f * static_cast<float>(i), 0.0f, 0.0f, 1.0f);

        GlMatrix projection = identityMatrix();
        perspectiveMatrix(projection, fovy, 1.3333333333333333, nearPlane, 1000.0);
        GlMatrix modelView = identityMatrix();
        scaleMatrix(modelView, scale[0], scale[1], scale[2]);
        lookAtMatrix(modelView, eye[0], eye[1], eye[2], 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
        translateMatrix(modelView, move[0], move[1], move[2]);
        rotateMatrix(modelView, angle, axis[0], axis[1], axis[2]);
        rotateMatrix(modelView, 30.0f * static_cast<float>(i), 0.0f, 0.0f, 1.0f);

        ASSERT_EQ(current(GL_PROJECTION_MATRIX), projection) << i;
        ASSERT_EQ(current(GL_MODELVIEW_MATRIX), modelView) << i;
    }
}

}  // namespace
}  // namespace qelo::test
