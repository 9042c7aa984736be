#include "render/software/software_context.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/software/blend.h"
#include "render/software/fragment_stage.h"
#include "render/software/interleaved_fans.h"
#include "render/software/quad_coverage.h"
#include "render/software/rasteriser.h"

namespace qelo::software {

namespace {

constexpr std::uint32_t farthestDepth = (1u << 24) - 1;

float clamped(float c)
{
    return c > 0 ? (c < 1 ? c : 1) : 0;  // NaN to 0
}

bool powerOfTwo(std::int32_t n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

// Written in place: a vertex returned by value went through a copy on the
// WebAssembly stack whose attribute bytes were read back in other pieces
// than they were written, which stalls the processor's store forwarding.
void toWindow(const ClipVertex& v, std::int32_t width, std::int32_t height, WindowVertex& out)
{
    out.q = 1.0 / v.w;
    out.x = (v.x * out.q + 1) * width * 0.5;
    out.y = (v.y * out.q + 1) * height * 0.5;
    out.z = (v.z * out.q + 1) * 0.5;
    out.attributes = v.attributes;
}

// Whether the triangle shows more texels than it covers pixels.
bool minifies(const WindowVertex& a, const WindowVertex& b, const WindowVertex& c, const TextureImage& image)
{
    const auto cross = [](double x1, double y1, double x2, double y2) { return std::abs(x1 * y2 - x2 * y1); };
    const double pixels = cross(b.x - a.x, b.y - a.y, c.x - a.x, c.y - a.y);
    const double texels = cross(b.attributes[4] - a.attributes[4], b.attributes[5] - a.attributes[5],
                                c.attributes[4] - a.attributes[4], c.attributes[5] - a.attributes[5]) *
                          image.width * image.height;
    return texels > pixels;
}

}  // namespace

SoftwareContext::SoftwareContext(std::int32_t width, std::int32_t height)
    : width_(std::max(1, width)),
      height_(std::max(1, height)),
      picture_(static_cast<std::size_t>(width_) * height_ * 4, 0),
      deferred_(width_, height_),
      depth_(static_cast<std::size_t>(width_) * height_, farthestDepth),
      collected_(maxCollected),
      collectedWindow_(maxCollected)
{
}

const std::uint8_t* SoftwareContext::picture() const
{
    resolveBlends();
    return picture_.data();
}

std::uint8_t* SoftwareContext::picture()
{
    resolveBlends();
    pictureClear_ = false;  // the caller may write
    return picture_.data();
}

void SoftwareContext::alternatePictures()
{
    resolveBlends();
    spare_.resize(picture_.size());  // zeros when first made
    std::swap(picture_, spare_);
    std::swap(pictureClear_, spareClear_);
}

void SoftwareContext::misuse(const char* message)
{
    if (std::find(said_.begin(), said_.end(), message) != said_.end()) return;
    said_.push_back(message);
    std::fprintf(stderr, "qelo: software renderer: %s (ignored)\n", message);
}

void SoftwareContext::matrixMode(MatrixMode mode) { mode_ = mode; }
void SoftwareContext::loadIdentity() { currentStack().top() = identityMatrix(); }

void SoftwareContext::pushMatrix()
{
    if (!currentStack().push()) misuse("push of a full matrix stack");
}

void SoftwareContext::popMatrix()
{
    if (!currentStack().pop()) misuse("pop of a matrix stack's last matrix");
}

void SoftwareContext::multMatrix(const float columnMajor[16])
{
    Matrix4 m;
    for (int k = 0; k < 16; ++k) m[k] = columnMajor[k];
    currentStack().multiplyTop(m);
}

void SoftwareContext::perspective(double fieldOfViewY, double aspect, double zNear, double zFar)
{
    currentStack().multiplyTop(perspectiveMatrix(fieldOfViewY, aspect, zNear, zFar));
}

void SoftwareContext::ortho(double left, double right, double bottom, double top, double zNear, double zFar)
{
    currentStack().multiplyTop(orthoMatrix(left, right, bottom, top, zNear, zFar));
}

void SoftwareContext::lookAt(double eyeX, double eyeY, double eyeZ, double centreX, double centreY, double centreZ,
                             double upX, double upY, double upZ)
{
    currentStack().multiplyTop(lookAtMatrix(eyeX, eyeY, eyeZ, centreX, centreY, centreZ, upX, upY, upZ));
}

// A turn by 0 about a finite axis, a move by 0 and a scale by 1 are the
// identity, whose product changes at most the sign of a zero element, which
// no picture shows; a non-finite element drops every vertex either way.
// Skipped: a mesh drawn in place turns by 0 three times.
void SoftwareContext::rotate(float degrees, float x, float y, float z)
{
    if (degrees == 0 && std::isfinite(x) && std::isfinite(y) && std::isfinite(z)) return;
    currentStack().multiplyTop(rotations_.matrix(degrees, x, y, z));
}

void SoftwareContext::scale(float x, float y, float z)
{
    if (x == 1 && y == 1 && z == 1) return;
    currentStack().multiplyTop(scaleMatrix(x, y, z));
}

void SoftwareContext::translate(float x, float y, float z)
{
    if (x == 0 && y == 0 && z == 0) return;
    currentStack().multiplyTop(translationMatrix(x, y, z));
}

void SoftwareContext::setCapability(Capability capability, bool on)
{
    switch (capability) {
    case Capability::depthTest: depthTest_ = on; break;
    case Capability::blend: blend_ = on; break;
    case Capability::texture2D: texture2D_ = on; break;
    case Capability::cullFace: cullFace_ = on; break;
    }
}

void SoftwareContext::blendFunction(BlendFactor source, BlendFactor destination)
{
    source_ = source;
    destination_ = destination;
}

void SoftwareContext::colour(float red, float green, float blue, float alpha)
{
    colour_ = {clamped(red), clamped(green), clamped(blue), clamped(alpha)};
}

void SoftwareContext::normal(float x, float y, float z) { normal_ = {x, y, z}; }
void SoftwareContext::texCoord(float u, float v) { texCoord_ = {u, v}; }

void SoftwareContext::begin(Primitive primitive)
{
    if (inside_) return misuse("begin inside begin/end");
    inside_ = true;
    verticesPerPrimitive_ = primitive == Primitive::quads ? 4 : 3;
    pendingCount_ = 0;
    collecting_ = primitive == Primitive::triangles && !blend_ && !depthTest_ && !texture2D_ && !cullFace_;
    collectedCount_ = 0;
    clipFromObject_ = multiply(projection_.top(), modelView_.top());
}

void SoftwareContext::vertex(float x, float y, float z)
{
    if (!inside_) return misuse("vertex outside begin/end");
    const Matrix4& m = clipFromObject_;
    // Held back triangles' vertices go straight where they are kept (room
    // made beforehand: no call here, so nothing is saved around one).
    ClipVertex& v = collecting_ ? collected_[collectedCount_++] : pending_[pendingCount_];
    ++pendingCount_;
#if defined(__SSE2__)
    // x and y, then z and w, two lanes at once: the same products and sums
    // in the same order as one coordinate at a time.
    const __m128d px = _mm_set1_pd(x), py = _mm_set1_pd(y), pz = _mm_set1_pd(z);
    const auto row = [&](int k) {
        const __m128d sum = _mm_add_pd(_mm_mul_pd(_mm_loadu_pd(&m[k]), px), _mm_mul_pd(_mm_loadu_pd(&m[k + 4]), py));
        return _mm_add_pd(_mm_add_pd(sum, _mm_mul_pd(_mm_loadu_pd(&m[k + 8]), pz)), _mm_loadu_pd(&m[k + 12]));
    };
    double xy[2], zw[2];
    _mm_storeu_pd(xy, row(0));
    _mm_storeu_pd(zw, row(2));
    v.x = xy[0], v.y = xy[1], v.z = zw[0], v.w = zw[1];
#else
    v.x = m[0] * x + m[4] * y + m[8] * z + m[12];
    v.y = m[1] * x + m[5] * y + m[9] * z + m[13];
    v.z = m[2] * x + m[6] * y + m[10] * z + m[14];
    v.w = m[3] * x + m[7] * y + m[11] * z + m[15];
#endif
    v.attributes = {colour_[0], colour_[1], colour_[2], colour_[3], texCoord_[0], texCoord_[1]};
    if (pendingCount_ < verticesPerPrimitive_) return;
    pendingCount_ = 0;
    if (!collecting_) return drawPolygon(pending_.data(), verticesPerPrimitive_);
    if (collectedCount_ >= maxCollected) {
        drawCollected();  // as many as are held: these, then the rest one by one
        collecting_ = false;
    }
}

void SoftwareContext::end()
{
    if (!inside_) return misuse("end without begin");
    inside_ = false;
    // An unfinished primitive draws nothing.
    if (collecting_) collectedCount_ -= static_cast<std::size_t>(pendingCount_);
    pendingCount_ = 0;
    if (collecting_) drawCollected();
    collecting_ = false;
}

void SoftwareContext::drawCollected()
{
    const auto count = static_cast<std::int32_t>(collectedCount_);
    bool inside = count >= 24;  // four wedges a fan at least
    for (std::int32_t k = 0; inside && k < count; ++k) inside = insideViewVolume(collected_[k]);
    if (inside) {
        for (std::int32_t k = 0; k < count; ++k) toWindow(collected_[k], width_, height_, collectedWindow_[k]);
        // Any of the triangles drawn alone would land the counted blends first.
        resolveBlends();
        lastWasDeferrable_ = false;
        if (drawInterleavedFans(collectedWindow_.data(), count, picture_.data(), width_, height_)) {
            pictureClear_ = false;
            collectedCount_ = 0;
            return;
        }
    }
    for (std::int32_t k = 0; k + 3 <= count; k += 3) drawPolygon(collected_.data() + k, 3);
    collectedCount_ = 0;
}

void SoftwareContext::drawPolygon(const ClipVertex* vertices, std::int32_t count)
{
    // Most primitives lie wholly inside: clipPolygon would hand them back
    // unchanged. Many others lie wholly outside one plane (the ripples beyond
    // the view): clipPolygon would leave nothing.
    bool inside = true;
    unsigned outsideAll = ~0u;
    for (std::int32_t k = 0; k < count; ++k) {
        const unsigned outside = outsidePlanes(vertices[k]);
        inside = inside & (outside == 0) & (vertices[k].w <= 1.7976931348623157e308);  // insideViewVolume
        outsideAll &= outside;
    }
    if (inside) return drawClipped(vertices, count);
    if (outsideAll != 0) return;
    ClippedPolygon clipped;
    const std::int32_t n = clipPolygon(vertices, count, clipped);
    if (n >= 3) drawClipped(clipped.data(), n);
}

void SoftwareContext::drawClipped(const ClipVertex* clipped, std::int32_t n)
{
    const bool wasClear = pictureClear_;
    pictureClear_ = false;
    auto& window = window_;
    bool constantColour = true;
    for (std::int32_t k = 0; k < n; ++k) {
        toWindow(clipped[k], width_, height_, window[k]);
        constantColour = constantColour && sameColour(window[k], window[0]);
    }

    // A colour of alpha 0 or less makes every fragment's alpha 0, textured
    // (modulated) or not; a blend that then weighs the source by 0 and what
    // lies beneath by 1 changes no pixel, and without a depth test nothing
    // else is written (the tree's portraits while their flicker is below 0,
    // a third of the time).
    if (blend_ && constantColour && !depthTest_ && !(window[0].attributes[3] > 0) &&
        factorLine(source_).at(0) == 0 && factorLine(destination_).at(0) == 255)
        return;

    const TextureImage* bound = texture2D_ ? textures_.find(bound_) : nullptr;
    const TextureImage* sampled = bound && bound->complete() ? bound : nullptr;
    // A blend that weighs one colour by 1 and what lies beneath by 0 (alpha 1
    // under sourceAlpha, oneMinusSourceAlpha: the tree) leaves exactly that
    // colour (blend.h): drawn as no blend, without the work.
    bool blend = blend_;
    if (blend && constantColour && !sampled) {
        const std::uint32_t alpha = colourByte(window[0].attributes[3]);
        blend = factorLine(source_).at(alpha) != 255 || factorLine(destination_).at(alpha) != 0;
    }
    if (blend && !depthTest_ && !sampled && constantColour) {
        std::uint8_t bytes[4];
        for (int c = 0; c < 4; ++c) bytes[c] = colourByte(window[0].attributes[c]);
        std::uint32_t source;
        std::memcpy(&source, bytes, 4);
        const bool sameRun = deferred_.holds(source, source_, destination_) && !deferred_.full();
        if (!sameRun || !(deferred_.pending() || lastWasDeferrable_)) {
            // The first primitive of a run is drawn at once: a lone one costs
            // no counting. Over a picture still clear it is counted too: then
            // every pixel the run reaches starts from zero, and the resolve
            // reads none.
            resolveBlends();
            deferred_.start(source, source_, destination_, wasClear);
            lastWasDeferrable_ = true;
            if (!wasClear) {
                drawTriangles(window.data(), n, nullptr, true, true);
                return;
            }
        }
        const auto add = [&](std::int32_t row, std::int32_t from, std::int32_t to) { deferred_.add(row, from, to); };
        if (n == 4) {  // the ring stack's pieces: both triangles' spans at once
            const QuadCoverage quad(window.data(), width_, height_);
            if (quad.usable()) {
                if (!cullFace_ || quad.frontFacing()) quad.forEachSpan(add);
                return;
            }
        }
        for (std::int32_t k = 1; k + 1 < n; ++k) {
            const TriangleSetup triangle(window[0], window[k], window[k + 1], width_, height_, 4, 4, false, false);
            if (triangle.empty() || (cullFace_ && !triangle.frontFacing())) continue;
            triangle.forEachSpan(add);
        }
        return;
    }
    resolveBlends();
    lastWasDeferrable_ = false;
    drawTriangles(window.data(), n, sampled, constantColour, blend);
}

void SoftwareContext::drawTriangles(const WindowVertex* window, std::int32_t n, const TextureImage* sampled,
                                    bool constantColour, bool blend)
{
    FragmentState state;
    state.depthTest = depthTest_;
    depthWritten_ = depthWritten_ || depthTest_;
    state.blend = blend;
    state.source = source_;
    state.destination = destination_;
    state.texture = sampled;
    state.constantColour = constantColour;
    std::copy(window[0].attributes.begin(), window[0].attributes.begin() + 4, state.colour.begin());
    const FragmentTarget target{picture_.data(), depth_.data(), width_, height_};

    if (n == 4 && constantColour && !depthTest_ && !sampled) {  // a swarm's square: one span a row
        const QuadCoverage quad(window, width_, height_);
        if (quad.usable()) {
            if (!cullFace_ || quad.frontFacing()) drawConstantQuad(quad, state, target);
            return;
        }
    }
    // Planes for the colour only when it varies, for s and t only when sampled.
    // Depth for the depth test, 1 / w for attributes varying over the triangle.
    const int firstAttribute = constantColour ? 4 : 0, lastAttribute = state.texture ? 6 : 4;
    const bool oneOverW = firstAttribute < lastAttribute;
    for (std::int32_t k = 1; k + 1 < n; ++k) {
        const TriangleSetup triangle(window[0], window[k], window[k + 1], width_, height_, firstAttribute,
                                     lastAttribute, depthTest_, oneOverW);
        if (triangle.empty() || (cullFace_ && !triangle.frontFacing())) continue;
        if (state.texture)
            state.filter = minifies(window[0], window[k], window[k + 1], *state.texture) ? state.texture->minifying
                                                                                        : state.texture->magnifying;
        drawTriangle(triangle, state, target);
    }
}

void SoftwareContext::clear(ClearMask mask)
{
    const auto bits = static_cast<unsigned>(mask);
    if (bits & static_cast<unsigned>(ClearMask::colour)) {
        deferred_.discard();
        if (!pictureClear_) std::fill(picture_.begin(), picture_.end(), 0);
        pictureClear_ = true;
    }
    if ((bits & static_cast<unsigned>(ClearMask::depth)) && depthWritten_) {
        std::fill(depth_.begin(), depth_.end(), farthestDepth);
        depthWritten_ = false;
    }
}

TextureId SoftwareContext::createTexture()
{
    bound_ = textures_.create();
    return bound_;
}

void SoftwareContext::bindTexture(TextureId texture)
{
    textures_.bind(texture);
    bound_ = texture;
}

void SoftwareContext::textureFilter(TextureFilter minifying, TextureFilter magnifying)
{
    TextureImage* image = textures_.find(bound_);
    if (!image) return misuse("texture filter with no texture bound");
    image->minifying = minifying;
    image->magnifying = magnifying;
}

void SoftwareContext::textureImage(std::int32_t width, std::int32_t height, const std::uint8_t* rgba)
{
    TextureImage* image = textures_.find(bound_);
    if (!image) return misuse("texture image with no texture bound");
    if (!powerOfTwo(width) || !powerOfTwo(height) || width > maxTextureSide || height > maxTextureSide)
        return misuse("texture image whose sides are not powers of two up to 8192");
    image->width = width;
    image->height = height;
    image->rgba.assign(static_cast<std::size_t>(width) * height * 4, 0);
    if (rgba) std::memcpy(image->rgba.data(), rgba, image->rgba.size());
}

void SoftwareContext::textureSubImage(std::int32_t width, std::int32_t height, const std::uint8_t* rgba)
{
    TextureImage* image = textures_.find(bound_);
    if (!image || !rgba) return misuse("texture sub-image with no texture bound or no pixels");
    if (width < 0 || height < 0 || width > image->width || height > image->height)
        return misuse("texture sub-image larger than the texture");
    for (std::int32_t row = 0; row < height; ++row)
        std::memcpy(image->rgba.data() + static_cast<std::size_t>(row) * image->width * 4,
                    rgba + static_cast<std::size_t>(row) * width * 4, static_cast<std::size_t>(width) * 4);
}

void SoftwareContext::readTextureImage(std::uint8_t* rgba)
{
    const TextureImage* image = textures_.find(bound_);
    if (!image || !image->complete() || !rgba) return misuse("reading a texture that has no image");
    std::memcpy(rgba, image->rgba.data(), image->rgba.size());
}

void SoftwareContext::deleteTexture(TextureId texture)
{
    textures_.erase(texture);
    if (bound_ == texture) bound_ = 0;
}

void SoftwareContext::pushAttributes()
{
    if (attributeStack_.size() >= stackDepth) return misuse("push of a full attribute stack");
    attributeStack_.push_back({mode_, depthTest_, blend_, texture2D_, cullFace_, source_, destination_, colour_, normal_,
                               texCoord_, bound_});
}

void SoftwareContext::popAttributes()
{
    if (attributeStack_.empty()) return misuse("pop of an empty attribute stack");
    const Attributes& saved = attributeStack_.back();
    mode_ = saved.mode;
    setCapability(Capability::depthTest, saved.depthTest);
    setCapability(Capability::blend, saved.blend);
    setCapability(Capability::texture2D, saved.texture2D);
    setCapability(Capability::cullFace, saved.cullFace);
    blendFunction(saved.source, saved.destination);
    colour_ = saved.colour;
    normal_ = saved.normal;
    texCoord_ = saved.texCoord;
    bindTexture(saved.bound);
    attributeStack_.pop_back();
}

}  // namespace qelo::software
