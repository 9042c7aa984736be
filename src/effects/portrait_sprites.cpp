#include "effects/portrait_sprites.h"

#include <cmath>
#include <cstdint>

#include "render/image_texture.h"
#include "shell/globals.h"

namespace qelo {

namespace {

constexpr std::int32_t portraitCount = 6;

// Each portrait flickers at its own rate and phase: alpha in [-0.3, 0.7]
// before the scale, the negative part clamped away by GL.
double flicker(std::int32_t i, double time)
{
    const double rate = 10.0 * time * std::sin(543.0 * (302 + i));
    return 0.5 * std::sin(rate + 395.0 * (342 + i)) + double{0.2f};
}

}  // namespace

void drawPortraitSprites(DrawingContext& gl, Vec3 anchor, Vec3 eye, float time, float alphaScale)
{
    gl.disable(Capability::depthTest);

    // One tint for all six; red runs up to 1.2 and is clamped to 1 by GL.
    const double t = time;
    const float red = static_cast<float>((std::sin(t) + 1.0) * 0.5 * 0.5 + double{0.7f});
    const float green = static_cast<float>(double{0.3f} * std::sin(2.0 * t) + double{0.2f});
    const float blue = static_cast<float>(((std::cos(t) + 1.0) * 0.5 + 1.0) * 0.5);

    const Vec3 sideVector = Vec3(-eye.z, 0.0f, eye.x).minus(anchor).withLength(1.0f);
    const Vec3& p = sideVector;

    // Without the pictures (nothing started up) the sprites are drawn untextured
    // over the full texture range rather than dereferencing a missing array.
    const float u = portraitTextures ? portraitTextures[0].uScale : 1.0f;
    const float v = portraitTextures ? portraitTextures[0].vScale : 1.0f;

    for (std::int32_t i = 0; i < portraitCount; ++i) {
        gl.pushMatrix();
        if (portraitTextures) portraitTextures[i].bind();
        const float alpha = static_cast<float>(flicker(i, t) * double{alphaScale});
        gl.colour(red, green, blue, alpha);
        gl.translate(anchor.x, anchor.y, anchor.z);
        gl.begin(Primitive::quads);
        gl.texCoord(0.0f, v);
        gl.vertex(-p.x, -4.0f, -p.z);
        gl.texCoord(u, v);
        gl.vertex(p.x, -4.0f, p.z);
        gl.texCoord(u, 0.0f);
        gl.vertex(p.x, 0.0f, p.z);
        gl.texCoord(0.0f, 0.0f);
        gl.vertex(-p.x, 0.0f, -p.z);
        gl.end();
        gl.popMatrix();
    }
}

}  // namespace qelo
