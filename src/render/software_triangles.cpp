#include "render/software_triangles.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace qelo {

namespace {

// The driver's subpixel precision: 8 bits.
constexpr std::int32_t subpixelBits = 8;
constexpr float subpixelOne = 1 << subpixelBits;

// Clipped polygons never exceed the triangle's 3 vertices plus one per plane.
constexpr std::size_t maxPolygon = 3 + 6 + 1;

using Vertex = PreparedVertex;

// The view volume's planes in the clipper's order, as (a, b, c, d) with
// inside meaning a x + b y + c z + d w >= 0.
constexpr float planes[6][4] = {{-1, 0, 0, 1}, {1, 0, 0, 1}, {0, -1, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {0, 0, -1, 1}};

unsigned outsideMask(const ClipVertex& v)
{
    unsigned mask = 0;
    if (v.x > v.w) mask |= 1u;
    if (0.0f > v.x + v.w) mask |= 2u;
    if (v.y > v.w) mask |= 4u;
    if (0.0f > v.y + v.w) mask |= 8u;
    if (0.0f > v.z + v.w) mask |= 16u;
    if (v.z > v.w) mask |= 32u;
    return mask;
}

float planeDistance(const ClipVertex& v, int plane)
{
    const float* p = planes[plane];
    return v.x * p[0] + v.y * p[1] + v.z * p[2] + v.w * p[3];
}

float lerp(float t, float out, float in) { return out + t * (in - out); }

// A vertex made on a clip plane, t of the way from `out` to `in`, mapped by
// the clipper's own plain float arithmetic.
Vertex interpolate(float t, const Vertex& out, const Vertex& in, const ViewportTransform& viewport)
{
    Vertex v;
    v.clip = {lerp(t, out.clip.x, in.clip.x), lerp(t, out.clip.y, in.clip.y), lerp(t, out.clip.z, in.clip.z),
              lerp(t, out.clip.w, in.clip.w)};
    const float oneOverW = 1.0f / v.clip.w;
    v.window = {v.clip.x * oneOverW * viewport.scaleX + viewport.translateX,
                v.clip.y * oneOverW * viewport.scaleY + viewport.translateY,
                v.clip.z * oneOverW * viewport.scaleZ + viewport.translateZ, oneOverW};
    return v;
}

// Sutherland-Hodgman against each plane in `mask`, lowest first, with the
// clipper's choice of which end to interpolate from; the result as a fan.
void clipAndRasterise(SpanSink& sink, const ViewportTransform& viewport, const Vertex (&triangle)[3], unsigned mask)
{
    // New vertices live in `made`; the lists hold pointers, as the clipper's do.
    Vertex made[maxPolygon * 2];
    std::size_t madeCount = 0;
    const Vertex* lists[2][maxPolygon + 1];
    const Vertex** in = lists[0];
    const Vertex** out = lists[1];
    std::size_t n = 3;
    for (std::size_t i = 0; i < 3; ++i) in[i] = &triangle[i];

    while (mask != 0 && n >= 3) {
        const int plane = std::countr_zero(mask);
        mask &= mask - 1;
        const Vertex* previous = in[0];
        float previousDistance = planeDistance(previous->clip, plane);
        if (!std::isfinite(previousDistance)) return;
        if (n >= maxPolygon) return;
        in[n] = in[0];
        std::size_t count = 0;
        for (std::size_t i = 1; i <= n; ++i) {
            const Vertex* vertex = in[i];
            const float distance = planeDistance(vertex->clip, plane);
            if (!std::isfinite(distance)) return;
            bool crosses;
            if (previousDistance >= 0.0f) {
                if (count >= maxPolygon) return;
                out[count++] = previous;
                crosses = distance < 0.0f;
            } else {
                crosses = !(distance < 0.0f);
            }
            if (crosses) {
                if (count >= maxPolygon || madeCount >= std::size(made)) return;
                const float denominator = distance - previousDistance;
                Vertex& fresh = made[madeCount++];
                if (distance < 0.0f) {
                    // Going out.
                    if (-distance < previousDistance) {
                        fresh = interpolate(distance / denominator, *vertex, *previous, viewport);
                    } else {
                        fresh = interpolate(-previousDistance / denominator, *previous, *vertex, viewport);
                    }
                } else {
                    // Coming back in.
                    if (-previousDistance < distance) {
                        fresh = interpolate(-previousDistance / denominator, *previous, *vertex, viewport);
                    } else {
                        fresh = interpolate(distance / denominator, *vertex, *previous, viewport);
                    }
                }
                out[count++] = &fresh;
            }
            previous = vertex;
            previousDistance = distance;
        }
        std::swap(in, out);
        n = count;
    }
    for (std::size_t i = 2; i < n; ++i) rasterise(sink, in[i - 1]->window, in[i]->window, in[0]->window);
}

// Snapped to the subpixel grid from the pixel's corner, rounding to nearest
// even; out of range gives the conversion's integer indefinite, as the driver's.
std::int32_t snap(float coordinate)
{
    const float scaled = (coordinate - 0.5f) * subpixelOne;
#if defined(__x86_64__) || defined(__i386__)
    return _mm_cvtss_si32(_mm_set_ss(scaled));  // the driver's own conversion
#else
    if (!(scaled > -2147483648.0f && scaled < 2147483648.0f)) return INT32_MIN;
    return static_cast<std::int32_t>(std::nearbyint(scaled));
#endif
}

std::int64_t floorDivide(std::int64_t numerator, std::int64_t divisor)  // divisor > 0
{
    std::int64_t q = numerator / divisor;
    if (numerator % divisor != 0 && numerator < 0) --q;
    return q;
}

// One edge's bound on the covered columns, row after row: the bound moves by
// a fixed rational step a row, kept exactly as a quotient and a remainder.
struct ColumnBound {
    std::int64_t q = 0;        // the bound on this row
    std::int64_t r = 0;        // 0 <= r < divisor
    std::int64_t divisor = 1;
    std::int64_t stepQ = 0;
    std::int64_t stepR = 0;    // 0 <= stepR < divisor

    // The bound floor(numerator / divisor), numerator growing by step a row.
    ColumnBound() = default;
    ColumnBound(std::int64_t numerator, std::int64_t step, std::int64_t d) : divisor(d)
    {
        q = floorDivide(numerator, divisor);
        r = numerator - q * divisor;
        stepQ = floorDivide(step, divisor);
        stepR = step - stepQ * divisor;
    }

    void nextRow()
    {
        r += stepR;
        const std::int64_t carry = r >= divisor ? 1 : 0;
        q += stepQ + carry;
        r -= divisor & -carry;
    }
};

// The rows a triangle covers and the columns it may cover.
struct Rows {
    std::int64_t first = 0, last = 0, minX = 0, maxX = 0;
};

// Each row's span between its column bounds. With the counts known when
// compiled (Rights, Lefts > 0) the bounds live in registers; 0, 0 takes the
// counts given.
template <int Rights, int Lefts>
void emitSpans(SpanSink& sink, const Rows& rows, const ColumnBound* rightBounds, const ColumnBound* leftBounds,
               int rightCount = Rights, int leftCount = Lefts)
{
    ColumnBound rights[Rights > 0 ? Rights : 3];
    ColumnBound lefts[Lefts > 0 ? Lefts : 3];
    for (int i = 0; i < rightCount; ++i) rights[i] = rightBounds[i];
    for (int i = 0; i < leftCount; ++i) lefts[i] = leftBounds[i];
    for (std::int64_t py = rows.first; py <= rows.last; ++py) {
        std::int64_t from = rows.minX;
        std::int64_t to = rows.maxX;
        for (int i = 0; i < (Rights > 0 ? Rights : rightCount); ++i) {
            to = std::min(to, rights[i].q);
            rights[i].nextRow();
        }
        for (int i = 0; i < (Lefts > 0 ? Lefts : leftCount); ++i) {
            from = std::max(from, lefts[i].q + 1);
            lefts[i].nextRow();
        }
        if (from <= to) sink.span(static_cast<std::int32_t>(py), static_cast<std::int32_t>(from), static_cast<std::int32_t>(to));
    }
}

class FillSink final : public SpanSink {
public:
    FillSink(PictureView picture, std::uint32_t rgba) : SpanSink(picture.width, picture.height), picture(picture), rgba(rgba) {}
    void span(std::int32_t row, std::int32_t from, std::int32_t to) override
    {
        std::uint8_t* line = picture.rgba + (static_cast<std::size_t>(row) * static_cast<std::size_t>(picture.width)) * 4;
        for (std::int32_t x = from; x <= to; ++x) std::memcpy(line + static_cast<std::size_t>(x) * 4, &rgba, 4);
    }

private:
    PictureView picture;
    std::uint32_t rgba;
};

}  // namespace

bool processorFusesMultiplyAdd()
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool fused = __builtin_cpu_supports("fma");
    return fused;
#else
    return true;
#endif
}

CoverageCount::CoverageCount(std::int32_t width, std::int32_t height)
    : SpanSink(width, height), steps(static_cast<std::size_t>(width + 1) * static_cast<std::size_t>(height), 0)
{
}

void CoverageCount::span(std::int32_t y, std::int32_t from, std::int32_t to)
{
    std::int32_t* line = steps.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width + 1);
    ++line[from];
    --line[to + 1];
}

const std::int32_t* CoverageCount::row(std::int32_t y) const
{
    return steps.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width + 1);
}

ViewportTransform viewportTransform(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    const float halfWidth = 0.5f * static_cast<float>(width);
    const float halfHeight = 0.5f * static_cast<float>(height);
    return {halfWidth, halfHeight, halfWidth + static_cast<float>(x), halfHeight + static_cast<float>(y)};
}

std::uint8_t unormByte(float value)
{
    // The driver's conversion: scaled by 255/256 and added to 2^15, where the
    // float's last 8 mantissa bits are the byte, rounded to nearest even.
    const float clamped = std::clamp(value, 0.0f, 1.0f);
    const float biased = clamped * (255.0f / 256.0f) + 32768.0f;
    return static_cast<std::uint8_t>(std::bit_cast<std::uint32_t>(biased) & 0xFFu);
}

std::uint32_t packColour(float red, float green, float blue, float alpha)
{
    return static_cast<std::uint32_t>(unormByte(red)) | static_cast<std::uint32_t>(unormByte(green)) << 8 |
           static_cast<std::uint32_t>(unormByte(blue)) << 16 | static_cast<std::uint32_t>(unormByte(alpha)) << 24;
}

ClipVertex transformVertex(const std::array<float, 16>& m, float x, float y, float z, float w)
{
    ClipVertex v;
    float* out[4] = {&v.x, &v.y, &v.z, &v.w};
    for (int row = 0; row < 4; ++row) {
        float sum = x * m[row];
        sum = y * m[4 + row] + sum;
        sum = z * m[8 + row] + sum;
        *out[row] = w * m[12 + row] + sum;
    }
    return v;
}

WindowPoint windowPoint(const ClipVertex& v, const ViewportTransform& viewport)
{
    const float oneOverW = 1.0f / v.w;
    const float x = v.x * oneOverW;
    const float y = v.y * oneOverW;
    const float z = v.z * oneOverW;
    if (processorFusesMultiplyAdd())
        return {std::fma(x, viewport.scaleX, viewport.translateX), std::fma(y, viewport.scaleY, viewport.translateY),
                std::fma(z, viewport.scaleZ, viewport.translateZ), oneOverW};
    return {x * viewport.scaleX + viewport.translateX, y * viewport.scaleY + viewport.translateY,
            z * viewport.scaleZ + viewport.translateZ, oneOverW};
}

void rasterise(SpanSink& sink, WindowPoint a, WindowPoint b, WindowPoint c)
{
    std::int32_t x[3] = {snap(a.x), snap(b.x), snap(c.x)};
    std::int32_t y[3] = {snap(a.y), snap(b.y), snap(c.y)};
    const std::int64_t dx01 = static_cast<std::int64_t>(x[0]) - x[1];
    const std::int64_t dy01 = static_cast<std::int64_t>(y[0]) - y[1];
    const std::int64_t dx20 = static_cast<std::int64_t>(x[2]) - x[0];
    const std::int64_t dy20 = static_cast<std::int64_t>(y[2]) - y[0];
    const std::int64_t area = dx01 * dy20 - dx20 * dy01;
    if (area == 0) return;
    const WindowPoint* corners[3] = {&a, &b, &c};
    if (area < 0) {
        // Turned round the way the driver turns it: the first two swap.
        std::swap(x[0], x[1]);
        std::swap(y[0], y[1]);
        std::swap(corners[0], corners[1]);
    }

    // Bounding box in pixels, inclusive, cut to the picture.
    const std::int32_t minX = std::max(std::min({x[0], x[1], x[2]}) >> subpixelBits, 0);
    const std::int32_t maxX = std::min((std::max({x[0], x[1], x[2]}) - 1) >> subpixelBits, sink.width - 1);
    const std::int32_t minY = std::max(std::min({y[0], y[1], y[2]}) >> subpixelBits, 0);
    const std::int32_t maxY = std::min((std::max({y[0], y[1], y[2]}) - 1) >> subpixelBits, sink.height - 1);
    if (minX > maxX || minY > maxY) return;

    // Edge i's value at pixel (px, py): constant + 256 dcdy py - 256 dcdx px,
    // positive inside. An edge with dcdx > 0 bounds the columns from the
    // right, dcdx < 0 from the left, dcdx = 0 bounds the rows.
    std::int64_t firstRow = minY;
    std::int64_t lastRow = maxY;
    ColumnBound rights[3];
    ColumnBound lefts[3];
    int rightCount = 0;
    int leftCount = 0;
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        const std::int64_t dcdx = static_cast<std::int64_t>(y[i]) - y[j];
        const std::int64_t dcdy = static_cast<std::int64_t>(x[i]) - x[j];
        std::int64_t constant = dcdx * x[i] - dcdy * y[i];
        if (dcdx < 0 || (dcdx == 0 && dcdy >= 0)) ++constant;  // the fill rule
        const std::int64_t rowStep = dcdy << subpixelBits;
        const std::int64_t value = constant + rowStep * minY;  // at column 0 of the first row
        if (dcdx > 0) {
            // px <= floor((value - 1) / (256 dcdx))
            rights[rightCount++] = ColumnBound(value - 1, rowStep, dcdx << subpixelBits);
        } else if (dcdx < 0) {
            // px >= floor(-value / (256 |dcdx|)) + 1
            lefts[leftCount++] = ColumnBound(-value, -rowStep, (-dcdx) << subpixelBits);
        } else if (dcdy > 0) {
            // value + rowStep k > 0 for k > -value / rowStep
            firstRow = std::max(firstRow, minY + floorDivide(-value, rowStep) + 1);
        } else if (dcdy < 0) {
            // value - |rowStep| k > 0 for k <= (value - 1) / |rowStep|
            lastRow = std::min(lastRow, minY + floorDivide(value - 1, -rowStep));
        } else {
            return;  // a degenerate edge; the area test already excludes it
        }
    }
    sink.triangle(*corners[0], *corners[1], *corners[2]);
    for (int i = 0; i < rightCount; ++i)
        for (std::int64_t row = minY; row < firstRow; ++row) rights[i].nextRow();
    for (int i = 0; i < leftCount; ++i)
        for (std::int64_t row = minY; row < firstRow; ++row) lefts[i].nextRow();

    // Edge values sum to a constant, so a triangle has a bound on each side:
    // one and one (with a horizontal edge), two and one, or one and two.
    const Rows rows{firstRow, lastRow, minX, maxX};
    if (rightCount == 1 && leftCount == 1) {
        emitSpans<1, 1>(sink, rows, rights, lefts);
    } else if (rightCount == 2 && leftCount == 1) {
        emitSpans<2, 1>(sink, rows, rights, lefts);
    } else if (rightCount == 1 && leftCount == 2) {
        emitSpans<1, 2>(sink, rows, rights, lefts);
    } else {
        emitSpans<0, 0>(sink, rows, rights, lefts, rightCount, leftCount);
    }
}

PreparedVertex prepareVertex(const ClipVertex& v, const ViewportTransform& viewport)
{
    PreparedVertex p;
    p.clip = v;
    p.finite = std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w);
    if (!p.finite) return p;
    p.window = windowPoint(v, viewport);
    p.outside = outsideMask(v);
    return p;
}

void drawTriangle(SpanSink& sink, const ViewportTransform& viewport, const PreparedVertex& a, const PreparedVertex& b,
                  const PreparedVertex& c)
{
    if (!a.finite || !b.finite || !c.finite) return;
    const unsigned any = a.outside | b.outside | c.outside;
    if (any == 0) {
        rasterise(sink, a.window, b.window, c.window);
    } else if ((a.outside & b.outside & c.outside) == 0) {
        const Vertex triangle[3] = {a, b, c};
        clipAndRasterise(sink, viewport, triangle, any);
    }
}

void drawTriangle(SpanSink& sink, const ViewportTransform& viewport, const ClipVertex& a, const ClipVertex& b,
                  const ClipVertex& c)
{
    drawTriangle(sink, viewport, prepareVertex(a, viewport), prepareVertex(b, viewport), prepareVertex(c, viewport));
}

void drawTriangle(PictureView picture, const ViewportTransform& viewport, const PreparedVertex& a,
                  const PreparedVertex& b, const PreparedVertex& c, std::uint32_t rgba)
{
    FillSink sink(picture, rgba);
    drawTriangle(sink, viewport, a, b, c);
}

bool outsideViewVolume(const ClipVertex& v) { return outsideMask(v) != 0; }

void drawQuad(SpanSink& sink, const ViewportTransform& viewport, const ClipVertex (&q)[4], bool batchClipped)
{
    const PreparedVertex v[4] = {prepareVertex(q[0], viewport), prepareVertex(q[1], viewport), prepareVertex(q[2], viewport),
                                 prepareVertex(q[3], viewport)};
    if (batchClipped) {
        drawTriangle(sink, viewport, v[0], v[1], v[3]);
        drawTriangle(sink, viewport, v[1], v[2], v[3]);
    } else {
        drawTriangle(sink, viewport, v[0], v[1], v[2]);
        drawTriangle(sink, viewport, v[0], v[2], v[3]);
    }
}

void fillTriangle(PictureView picture, WindowPoint a, WindowPoint b, WindowPoint c, std::uint32_t rgba)
{
    FillSink sink(picture, rgba);
    rasterise(sink, a, b, c);
}

void drawTriangle(PictureView picture, const ViewportTransform& viewport, const ClipVertex& a, const ClipVertex& b,
                  const ClipVertex& c, std::uint32_t rgba)
{
    FillSink sink(picture, rgba);
    drawTriangle(sink, viewport, a, b, c);
}

}  // namespace qelo
