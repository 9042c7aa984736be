#pragma once
// A floating-point RGB picture and the colour arithmetic the painters use.
// Values are linear 0..1 (brighter is clamped when written out); the show
// turns brightness into opacity, so black means "not there".
#include <cstdint>
#include <vector>

namespace qelo::assetgen {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb mix(Rgb a, Rgb b, float t) { return a * (1.0f - t) + b * t; }
inline float luminance(Rgb c) { return (c.r + c.g + c.b) / 3.0f; }

// Colour from 0xRRGGBB.
constexpr Rgb hex(std::uint32_t v)
{
    return {static_cast<float>((v >> 16) & 0xFF) / 255.0f, static_cast<float>((v >> 8) & 0xFF) / 255.0f,
            static_cast<float>(v & 0xFF) / 255.0f};
}

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row-major, top row first

    Canvas(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
    Rgb& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// 8-bit RGB, 3 bytes a pixel, rows packed, top row first; values clamped and rounded.
std::vector<std::uint8_t> toRgb8(const Canvas& canvas);

}  // namespace qelo::assetgen
