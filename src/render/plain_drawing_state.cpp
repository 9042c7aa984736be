#include "render/plain_drawing_state.h"

#include <GL/gl.h>

namespace qelo {

namespace {

// GL 1.2+ names that not every platform's gl.h carries.
constexpr GLenum blendEquationRgb = 0x8009;    // GL_BLEND_EQUATION_RGB
constexpr GLenum blendEquationAlpha = 0x883D;  // GL_BLEND_EQUATION_ALPHA
constexpr GLint functionAdd = 0x8006;          // GL_FUNC_ADD
constexpr GLenum depthClamp = 0x864F;          // GL_DEPTH_CLAMP
constexpr GLenum blendSourceRgb = 0x80C9;      // GL_BLEND_SRC_RGB
constexpr GLenum blendDestinationRgb = 0x80C8;
constexpr GLenum blendSourceAlpha = 0x80CB;
constexpr GLenum blendDestinationAlpha = 0x80CA;
constexpr GLenum clampVertexColour = 0x891A;   // GL_CLAMP_VERTEX_COLOR

bool plainExceptDepth()
{
    static const GLenum changing[] = {
        GL_TEXTURE_1D,     GL_TEXTURE_2D,      GL_LIGHTING,       GL_FOG,           GL_ALPHA_TEST,
        GL_STENCIL_TEST,   GL_SCISSOR_TEST,    GL_CULL_FACE,      GL_POLYGON_OFFSET_FILL,
        GL_POLYGON_STIPPLE, GL_POLYGON_SMOOTH, GL_COLOR_LOGIC_OP, GL_CLIP_PLANE0,   GL_CLIP_PLANE1,
        GL_CLIP_PLANE2,    GL_CLIP_PLANE3,     GL_CLIP_PLANE4,    GL_CLIP_PLANE5,   GL_TEXTURE_GEN_S,
        GL_TEXTURE_GEN_T,  GL_COLOR_MATERIAL,  depthClamp,
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

}  // namespace

bool plainDrawingState() { return !glIsEnabled(GL_DEPTH_TEST) && plainExceptDepth(); }

bool plainDepthTestedState()
{
    if (!glIsEnabled(GL_DEPTH_TEST) || !plainExceptDepth()) return false;
    GLint function = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &function);
    GLboolean written = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &written);
    GLfloat range[2] = {};
    glGetFloatv(GL_DEPTH_RANGE, range);
    GLint shading = 0;
    glGetIntegerv(GL_SHADE_MODEL, &shading);
    GLboolean clamped = GL_FALSE;
    glGetBooleanv(clampVertexColour, &clamped);
    return function == GL_LESS && written == GL_TRUE && range[0] == 0.0f && range[1] == 1.0f && shading == GL_SMOOTH &&
           clamped == GL_TRUE;
}

std::optional<Blending> currentBlending()
{
    if (!glIsEnabled(GL_BLEND)) return Blending::none;
    GLint factors[4] = {};
    const GLenum names[4] = {blendSourceRgb, blendDestinationRgb, blendSourceAlpha, blendDestinationAlpha};
    for (int i = 0; i < 4; ++i) glGetIntegerv(names[i], &factors[i]);
    if (factors[0] == GL_SRC_ALPHA && factors[1] == GL_ONE_MINUS_SRC_ALPHA && factors[2] == GL_SRC_ALPHA &&
        factors[3] == GL_ONE_MINUS_SRC_ALPHA)
        return Blending::sourceAlphaOver;
    return std::nullopt;
}

}  // namespace qelo
