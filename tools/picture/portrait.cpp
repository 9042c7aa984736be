#include "picture/portrait.h"

#include <algorithm>
#include <cmath>

#include "picture/portrait_parts.h"
#include "picture/shapes.h"

namespace qelo::assetgen {

namespace {

// Lit like a ball: the light comes from the upper left and in front; `rim`
// grows towards the outline, where the surface turns away from the viewer.
struct Lighting {
    float diffuse;
    float rim;
};

Lighting lightEllipse(P2 p, P2 centre, P2 radii)
{
    const float qx = (p.x - centre.x) / radii.x, qy = (p.y - centre.y) / radii.y;
    const float z = std::sqrt(std::max(0.0f, 1.0f - qx * qx - qy * qy));
    const float lx = -0.45f, ly = -0.55f, lz = 0.70f;  // unit length
    return {std::max(0.0f, qx * lx + qy * ly + z * lz), std::pow(1.0f - z, 2.2f)};
}

Rgb shadePixel(const PortraitStyle& s, P2 p)
{
    const P2 c = s.headCentre, r = s.headRadii;
    const P2 pivot{c.x, c.y + r.y};
    const P2 h = rotated(p, pivot, -s.headTilt);  // the head's own frame

    // Head: an ellipse whose lower half narrows to a jaw.
    const float below = clamp01((h.y - c.y) / r.y);
    const P2 jawRadii{r.x * (1.0f - 0.2f * below * below), r.y};
    const float head = ellipseSdf(h, c, jawRadii);

    // Neck and shoulders, upright whatever the head does.
    const float neckX = (c.x + 128.0f) * 0.5f;
    const float neck = roundBoxSdf(p, {neckX, s.shoulderTop - 12.0f}, {r.x * 0.36f, 42.0f}, 18.0f);
    // Torso: a box with broad rounded shoulders, melting into the neck.
    const P2 bodyCentre{128.0f, s.shoulderTop + 230.0f};
    float body = smoothUnion(roundBoxSdf(p, bodyCentre, {s.shoulderHalfWidth, 230.0f}, 75.0f), neck, 18.0f);
    const float backHair = backHairSdf(s, h);
    if (s.hair == Hair::hood)
        body = smoothUnion(body, backHair, 24.0f);
    const float fringe = fringeSdf(s, h);

    // Back to front: ornament, hair behind, body, neck, head, fringe.
    Rgb out = ornamentAt(s, p);

    if (s.hair != Hair::hood)
        out = mix(out, hairShade(s, h), coverage(backHair));

    const Lighting bodyLight = lightEllipse(p, {128.0f, s.shoulderTop + 170.0f}, {s.shoulderHalfWidth * 1.08f, 215.0f});
    Rgb cloth = mix(s.clothA, s.clothB, clothMix(s, p));
    if (s.hair == Hair::hood && backHair < 0)
        cloth = mix(s.clothB, s.clothA, 0.3f + 0.7f * hairStreak(s, h));
    cloth = cloth * (0.55f + 0.6f * bodyLight.diffuse) + s.rim * bodyLight.rim * 1.2f;
    out = mix(out, cloth, coverage(body));

    // The neck: lit in the middle, shaded at its sides and under the chin.
    const float chinShadow = smoothstep(c.y + r.y * 0.9f, c.y + r.y * 0.9f + 30.0f, p.y);
    const Rgb neckSkin = mix(s.skinShade, s.skinLight, (0.3f + 0.5f * smoothstep(-r.x * 0.36f, 0.0f, neck)) * (0.45f + 0.55f * chinShadow));
    out = mix(out, neckSkin, coverage(neck));
    out = mix(out, s.rim, coverage(std::abs(neck) - 1.5f) * coverage(body - 4.0f));  // the neckline's trim

    const Lighting headLight = lightEllipse(h, c, jawRadii);
    Rgb skin = mix(s.skinShade, s.skinLight, 0.25f + 0.75f * headLight.diffuse) + s.rim * headLight.rim * 1.3f;
    skin = paintFace(s, h, skin);
    out = mix(out, skin, coverage(head));

    if (s.hair != Hair::cloud) {
        const Rgb fringeColour = s.hair == Hair::hood ? mix(s.clothA, s.clothB, 0.4f) : hairShade(s, h);
        out = mix(out, fringeColour + s.rim * (0.4f * glow(-fringe, 3.0f) * coverage(fringe)), coverage(fringe));
    }

    // Glow around the whole silhouette, in the rim colour.
    const float silhouette = std::min({head, neck, body, backHair, fringe});
    if (silhouette > 0)
        out = out + s.rim * (0.7f * glow(silhouette, 7.0f));
    return out;
}

}  // namespace

Canvas drawPortrait(const PortraitStyle& style)
{
    Canvas canvas(portraitWidth, portraitHeight);
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
            canvas.at(x, y) = shadePixel(style, {static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f});
    return canvas;
}

}  // namespace qelo::assetgen
