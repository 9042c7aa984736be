#include "render/plain_drawing_state.h"

#include <GL/gl.h>

namespace qelo {

namespace {

// GL 1.2+ names that not every platform's gl.h carries.
constexpr GLenum blendEquationRgb = 0x8009;    // GL_BLEND_EQUATION_RGB
constexpr GLenum blendEquationAlpha = 0x883D;  // GL_BLEND_EQUATION_ALPHA
constexpr GLint functionAdd = 0x8006;          // GL_FUNC_ADD

}  // namespace

bool plainDrawingState()
{
    static const GLenum changing[] = {
        GL_TEXTURE_1D,     GL_TEXTURE_2D,      GL_LIGHTING,       GL_FOG,           GL_ALPHA_TEST,
        GL_DEPTH_TEST,     GL_STENCIL_TEST,    GL_SCISSOR_TEST,   GL_CULL_FACE,
        GL_POLYGON_STIPPLE, GL_POLYGON_SMOOTH, GL_COLOR_LOGIC_OP, GL_CLIP_PLANE0,   GL_CLIP_PLANE1,
        GL_CLIP_PLANE2,    GL_CLIP_PLANE3,     GL_CLIP_PLANE4,    GL_CLIP_PLANE5,   GL_TEXTURE_GEN_S,
        GL_TEXTURE_GEN_T,  GL_COLOR_MATERIAL,
    };
    for (const GLenum capability : changing)
        if (glIsEnabled(capability)) return false;
    GLboolean mask[4] = {};
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    GLint renderMode = 0;
    glGetIntegerv(GL_RENDER_MODE, &renderMode);
    GLint equation = 0;
    glGetIntegerv(blendEquationRgb, &equation);
    GLint equationAlpha = 0;
    glGetIntegerv(blendEquationAlpha, &equationAlpha);
    return mask[0] && mask[1] && mask[2] && mask[3] && modes[0] == GL_FILL && modes[1] == GL_FILL &&
           renderMode == GL_RENDER && equation == functionAdd && equationAlpha == functionAdd;
}

}  // namespace qelo
