#pragma once
// The pieces a portrait is assembled from, each a function of one pixel
// position. Head-frame positions are already rotated by the head's tilt.
#include "picture/canvas.h"
#include "picture/portrait_style.h"
#include "picture/shapes.h"

namespace qelo::assetgen {

// Hair drawn behind the head (and, for the hood, around it): distance in pixels.
float backHairSdf(const PortraitStyle& s, P2 head);

// Hair drawn over the forehead: distance in pixels (large where there is none).
float fringeSdf(const PortraitStyle& s, P2 head);

// 0..1: strands, curls or folds of the hair (or hood) at a head-frame position.
float hairStreak(const PortraitStyle& s, P2 head);

// Colour of the hair at a head-frame position.
Rgb hairShade(const PortraitStyle& s, P2 head);

// Face features painted over the lit skin colour `skin`.
Rgb paintFace(const PortraitStyle& s, P2 head, Rgb skin);

// 0..1 between clothA and clothB for a canvas position.
float clothMix(const PortraitStyle& s, P2 p);

// The dim ornament behind the figure at a canvas position.
Rgb ornamentAt(const PortraitStyle& s, P2 p);

}  // namespace qelo::assetgen
