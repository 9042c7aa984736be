#include "picture/portrait_style.h"

#include <array>
#include <stdexcept>

namespace qelo::assetgen {

namespace {

PortraitStyle sunny()
{
    PortraitStyle s;
    s.headCentre = {128, 173};
    s.headRadii = {68, 88};
    s.hair = Hair::bob;
    s.pattern = ClothPattern::stripes;
    s.ornament = Ornament::halo;
    s.skinLight = hex(0xFFE2A0);
    s.skinShade = hex(0xE07A30);
    s.clothA = hex(0xFFE84D);
    s.clothB = hex(0xFF6A00);
    s.hairColour = hex(0xFF4A1C);
    s.rim = hex(0x50E8FF);
    s.eyes = hex(0x60F0FF);
    s.ornamentColour = hex(0xFFC040);
    s.seed = 11;
    return s;
}

PortraitStyle tide()
{
    PortraitStyle s;
    s.headCentre = {136, 178};
    s.headRadii = {64, 86};
    s.headTilt = -0.14f;
    s.faceTurn = 0.6f;
    s.shoulderHalfWidth = 112;
    s.hair = Hair::spikes;
    s.pattern = ClothPattern::dots;
    s.ornament = Ornament::rays;
    s.skinLight = hex(0xB8FFF2);
    s.skinShade = hex(0x2098B0);
    s.clothA = hex(0x1060FF);
    s.clothB = hex(0x40FFD8);
    s.hairColour = hex(0x3C8CFF);
    s.rim = hex(0xFF50C8);
    s.eyes = hex(0xFFFFFF);
    s.ornamentColour = hex(0x40A0FF);
    s.seed = 22;
    return s;
}

PortraitStyle bloom()
{
    PortraitStyle s;
    s.headCentre = {122, 188};
    s.headRadii = {66, 84};
    s.headTilt = 0.2f;
    s.faceTurn = -0.35f;
    s.shoulderHalfWidth = 124;
    s.shoulderTop = 318;
    s.hair = Hair::cloud;
    s.pattern = ClothPattern::marble;
    s.ornament = Ornament::stars;
    s.skinLight = hex(0xFFD0F0);
    s.skinShade = hex(0xA84890);
    s.clothA = hex(0x8A30FF);
    s.clothB = hex(0xFFF0FF);
    s.hairColour = hex(0xFF2FA0);
    s.rim = hex(0xFFE040);
    s.eyes = hex(0xFFE870);
    s.ornamentColour = hex(0xFFFFFF);
    s.seed = 33;
    return s;
}

PortraitStyle volt()
{
    PortraitStyle s;
    s.headCentre = {128, 193};
    s.headRadii = {62, 81};
    s.headTilt = 0.06f;
    s.faceTurn = 0.15f;
    s.shoulderHalfWidth = 126;
    s.shoulderTop = 315;
    s.hair = Hair::hood;
    s.pattern = ClothPattern::chevrons;
    s.ornament = Ornament::arcs;
    s.skinLight = hex(0xF2FFF0);
    s.skinShade = hex(0x70B888);
    s.clothA = hex(0xB8FF30);
    s.clothB = hex(0x109050);
    s.hairColour = hex(0x80E020);
    s.rim = hex(0xFF9000);
    s.eyes = hex(0xFF9A20);
    s.ornamentColour = hex(0xA0FF40);
    s.seed = 44;
    return s;
}

PortraitStyle dusk()
{
    PortraitStyle s;
    s.headCentre = {124, 168};
    s.headRadii = {66, 88};
    s.headTilt = -0.06f;
    s.faceTurn = -0.7f;
    s.shoulderHalfWidth = 116;
    s.shoulderTop = 308;
    s.hair = Hair::flowing;
    s.pattern = ClothPattern::rings;
    s.ornament = Ornament::doubleHalo;
    s.skinLight = hex(0xFFF2E4);
    s.skinShade = hex(0xC87870);
    s.clothA = hex(0x2840FF);
    s.clothB = hex(0x40E0FF);
    s.hairColour = hex(0xA860FF);
    s.rim = hex(0xFF3078);
    s.eyes = hex(0xB0FFFF);
    s.ornamentColour = hex(0xFF60B0);
    s.seed = 55;
    return s;
}

}  // namespace

const PortraitStyle& portraitStyle(int index)
{
    static const std::array<PortraitStyle, portraitCount> styles{sunny(), tide(), bloom(), volt(), dusk()};
    if (index < 0 || index >= portraitCount)
        throw std::out_of_range("portrait index must be 0 to 4");
    return styles[static_cast<std::size_t>(index)];
}

}  // namespace qelo::assetgen
