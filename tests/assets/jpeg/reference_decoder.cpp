#include "reference_decoder.h"

#include <algorithm>
#include <array>
#include <string>

namespace qelo::jpegtest {
namespace {

struct Table {
    std::array<std::uint8_t, 16> counts{};
    std::array<std::uint8_t, 256> values{};
    std::array<std::uint8_t, 256> lengths{};
    std::array<std::uint16_t, 256> codes{};
};

struct Component {
    int id = 0, h = 0, v = 0, quantTable = 0, dcTable = 0, acTable = 0;
};

struct Model {
    explicit Model(const std::vector<std::uint8_t>& bytes) : data(bytes) {}
    const std::vector<std::uint8_t>& data;
    std::size_t position = 0;
    int width = 0, height = 0, componentCount = 0, restartInterval = 0;
    std::array<Component, 3> components{};
    std::array<Table, 4> acTables{}, dcTables{};
    std::array<std::array<int, 64>, 4> quantTables{};
    std::array<int, 3> dcPredictors{};
    int bitIndex = 0;
    std::uint8_t currentByte = 0;
    std::array<float, 64> block{};
    std::array<float, 64> coefficients{};
    std::vector<std::uint8_t> pixels;
    bool failed = false;
    bool jfif = false;
    int adobeTransform = -1;  // -1: no Adobe segment

    int byte()
    {
        if (position >= data.size()) {
            failed = true;
            return 0;
        }
        currentByte = data[position++];
        bitIndex = 0;
        return currentByte;
    }
    int word()
    {
        const int high = byte();
        return high << 8 | byte();
    }
};

const std::array<int, 64> zigZag = {0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42, 3,  8,  12, 17, 25, 30,
                                    41, 43, 9,  11, 18, 24, 31, 40, 44, 53, 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38,
                                    46, 51, 55, 60, 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63};
const std::array<float, 8> scale = {1.0f, 1.3870399f, 1.306563f, 1.1758755f, 1.0f, 0.78569496f, 0.5411961f, 0.27589938f};

bool parse(Model& m)
{
    if (m.byte() != 0xFF) return false;
    for (;;) {
        const int marker = m.byte();
        if (marker == 0xD9 || m.failed) return false;
        if (marker != 0xD8) {
            const int length = m.word();
            if (marker == 0xC0) {
                m.byte();
                m.height = m.word();
                m.width = m.word();
                m.componentCount = m.byte();
                if (length != 8 + 3 * m.componentCount || m.componentCount > 3) return false;
                for (int c = 0; c < m.componentCount; ++c) {
                    m.components[c].id = m.byte();
                    const int factors = m.byte();
                    m.components[c].h = factors >> 4;
                    m.components[c].v = factors & 15;
                    m.components[c].quantTable = m.byte();
                }
            } else if (marker == 0xC4) {
                for (int remaining = length - 2; remaining > 0 && !m.failed;) {
                    const int kind = m.byte();
                    Table& t = (kind & 0x10) ? m.acTables[kind & 15] : m.dcTables[kind & 15];
                    t = Table{};
                    int total = 0;
                    for (auto& n : t.counts) total += n = static_cast<std::uint8_t>(m.byte());
                    for (int i = 0; i < total; ++i) t.values[i] = static_cast<std::uint8_t>(m.byte());
                    remaining -= 17 + total;
                    int code = 0, i = 0;
                    for (int length = 1; length <= 16; ++length) {
                        for (int n = 0; n < t.counts[length - 1]; ++n, ++i, ++code) {
                            t.lengths[i] = static_cast<std::uint8_t>(length);
                            t.codes[i] = static_cast<std::uint16_t>(code);
                        }
                        code *= 2;
                    }
                }
            } else if (marker == 0xDB) {
                for (int remaining = length - 2; remaining > 0 && !m.failed;) {
                    const int kind = m.byte();
                    for (int& q : m.quantTables[kind & 15]) q = (kind >> 4) ? m.word() : m.byte();
                    remaining -= (kind >> 4) ? 129 : 65;
                }
            } else if (marker == 0xDD) {
                m.restartInterval = m.word();
            } else if (marker == 0xDA) {
                const int count = m.byte();
                for (int j = 0; j < count; ++j) {
                    const int id = m.byte();
                    const int tables = m.byte();
                    for (int c = 0; c < m.componentCount; ++c) {
                        if (m.components[c].id != id) continue;
                        m.components[c].dcTable = tables >> 4;
                        m.components[c].acTable = tables & 15;
                    }
                }
                m.byte();
                m.byte();
                m.byte();
                return !m.failed;
            } else if ((marker >= 0xC1 && marker <= 0xCB) || (marker >= 0xCD && marker <= 0xCF)) {
                return false;
            } else {
                // JFIF: APP0 of 14 bytes or more opening "JFIF\0". Adobe:
                // APP14 of 12 or more opening "Adobe"; byte 11 the transform.
                const auto opens = [&](const std::string& tag, int least) {
                    return length - 2 >= least && m.position + static_cast<std::size_t>(least) <= m.data.size() &&
                           std::equal(tag.begin(), tag.end(), m.data.begin() + static_cast<std::ptrdiff_t>(m.position));
                };
                if (marker == 0xE0 && opens(std::string("JFIF", 5), 14)) m.jfif = true;
                if (marker == 0xEE && opens("Adobe", 12)) m.adobeTransform = m.data[m.position + 11];
                m.position += static_cast<std::size_t>(length - 2);
            }
        }
        if (m.byte() != 0xFF) return false;
    }
}

int readBit(Model& m)
{
    if (m.bitIndex == 0) {
        int b = 0;
        for (;;) {
            if (m.position >= m.data.size()) break;  // past the end: zeros
            b = m.data[m.position++];
            if (b != 0xFF) break;
            while (m.position < m.data.size() && m.data[m.position] == 0xFF) ++m.position;
            if (m.position >= m.data.size()) {
                b = 0;
                break;
            }
            const int marker = m.data[m.position++];
            if (marker >= 0xD0 && marker <= 0xD7) m.dcPredictors = {0, 0, 0};
            if (marker == 0x00) break;
        }
        m.currentByte = static_cast<std::uint8_t>(b);
    }
    const int bit = (m.currentByte >> (7 - m.bitIndex)) & 1;
    m.bitIndex = (m.bitIndex + 1) % 8;
    return bit;
}

int decodeHuffman(Model& m, const Table& t)
{
    int code = 0, i = 0;
    for (int length = 1; length <= 16; ++length) {
        code = code * 2 + readBit(m);
        while (i < 256 && t.lengths[i] <= length) {
            if (t.codes[i] == code) return t.values[i];
            ++i;
        }
        if (i >= 256) break;
    }
    m.failed = true;
    return 0;
}

int receiveExtend(Model& m, int s)
{
    int v = 0;
    for (int i = 0; i < s; ++i) v = v * 2 + readBit(m);
    if (s == 0) return 0;
    return (v & (1 << (s - 1))) ? v : v - ((1 << s) - 1);
}

void transform(float* p, int stride)
{
    float i[8];
    for (int k = 0; k < 8; ++k) i[k] = p[k * stride];
    const float t10 = i[0] + i[4], t11 = i[0] - i[4], t13 = i[2] + i[6];
    const float t12 = (i[2] - i[6]) * 1.4142135f - t13;
    const float e0 = t10 + t13, e3 = t10 - t13, e1 = t11 + t12, e2 = t11 - t12;
    const float z13 = i[5] + i[3], z10 = i[5] - i[3], z11 = i[1] + i[7], z12 = i[1] - i[7];
    const float o7 = z11 + z13;
    const float q11 = (z11 - z13) * 1.4142135f;
    const float z5 = (z10 + z12) * 1.847759f;
    const float q10 = z12 * 1.0823922f - z5;
    const float q12 = z5 - z10 * 2.613126f;
    const float o6 = q12 - o7, o5 = q11 - o6, o4 = q10 + o5;
    const float out[8] = {e0 + o7, e1 + o6, e2 + o5, e3 - o4, e3 + o4, e2 - o5, e1 - o6, e0 - o7};
    for (int k = 0; k < 8; ++k) p[k * stride] = out[k];
}

void reconstruct(Model& m, int c, int x0, int y0, int br, int bc, int hr, int vr)
{
    const auto& q = m.quantTables[m.components[c].quantTable];
    for (int p = 0; p < 64; ++p) m.block[p] = static_cast<float>(q[zigZag[p]]) * m.coefficients[zigZag[p]] * scale[p / 8] * scale[p % 8];
    for (int column = 0; column < 8; ++column) transform(m.block.data() + column, 8);
    for (int row = 0; row < 8; ++row) transform(m.block.data() + 8 * row, 1);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            float f = m.block[8 * y + x];
            f = f < -65536.0f ? -65536.0f : (f > 65536.0f ? 65536.0f : f);
            int n = (static_cast<int>(f) >> 3) + 128;
            n = n < 0 ? 0 : (n > 255 ? 255 : n);
            for (int i = 0; i < vr; ++i) {
                for (int j = 0; j < hr; ++j) {
                    const int px = x0 + (8 * bc + x) * hr + j;
                    const int py = y0 + (8 * br + y) * vr + i;
                    if (px < m.width && py < m.height) m.pixels[(static_cast<std::size_t>(py) * m.width + px) * 4 + c] = static_cast<std::uint8_t>(n);
                }
            }
        }
    }
}

bool decodeBlock(Model& m, int c)
{
    const Component& component = m.components[c];
    const int s = decodeHuffman(m, m.dcTables[component.dcTable]) & 15;
    const int difference = receiveExtend(m, s);
    m.dcPredictors[c] += difference;
    m.coefficients[0] = static_cast<float>(m.dcPredictors[c]);
    for (int k = 1; k < 64;) {
        const int rs = decodeHuffman(m, m.acTables[component.acTable]);
        if (rs == 0) {
            for (; k < 64; ++k) m.coefficients[k] = 0;
            break;
        }
        for (int r = 0; r < (rs >> 4); ++r) {
            if (k > 63) return false;
            m.coefficients[k++] = 0;
        }
        if (k > 63) return false;
        m.coefficients[k++] = static_cast<float>(receiveExtend(m, rs & 15));
    }
    return !m.failed;
}

}  // namespace

bool referenceDecode(const std::vector<std::uint8_t>& jpeg, ReferencePicture& out)
{
    Model m(jpeg);
    if (!parse(m) || (m.componentCount != 1 && m.componentCount != 3)) return false;
    m.pixels.assign(static_cast<std::size_t>(m.width) * m.height * 4, 0);
    // One block per MCU for a single component, whatever its factors.
    if (m.componentCount == 1) m.components[0].h = m.components[0].v = 1;
    const int hf = m.components[0].h, vf = m.components[0].v;
    int mcus = 0;
    for (int y0 = 0; y0 < m.height; y0 += 8 * vf) {
        for (int x0 = 0; x0 < m.width; x0 += 8 * hf) {
            for (int c = 0; c < m.componentCount; ++c) {
                const Component& component = m.components[c];
                const int hr = c == 0 ? 1 : hf / component.h, vr = c == 0 ? 1 : vf / component.v;
                for (int br = 0; br < component.v; ++br) {
                    for (int bc = 0; bc < component.h; ++bc) {
                        if (!decodeBlock(m, c)) return false;
                        reconstruct(m, c, x0, y0, br, bc, hr, vr);
                    }
                }
            }
            // The end of every restart interval is byte-aligned.
            if (m.restartInterval > 0 && ++mcus % m.restartInterval == 0) m.bitIndex = 0;
        }
    }
    // Three components are R, G, B unless JFIF says YCbCr; without JFIF an
    // Adobe segment decides (transform 0 is RGB), and without either the
    // ids 'R', 'G', 'B' do.
    const auto& c = m.components;
    const bool rgb = m.componentCount == 3 && !m.jfif &&
                     (m.adobeTransform >= 0 ? m.adobeTransform == 0 : c[0].id == 'R' && c[1].id == 'G' && c[2].id == 'B');
    for (std::size_t i = 0; i < m.pixels.size(); i += 4) {
        std::uint8_t* p = &m.pixels[i];
        if (m.componentCount == 1) {
            p[1] = p[2] = p[0];
        } else if (!rgb) {
            const int y = p[0], cb = p[1] - 128, cr = p[2] - 128;
            const auto clamp = [](float v) {
                const int n = static_cast<int>(v);
                return static_cast<std::uint8_t>(n < 0 ? 0 : (n > 255 ? 255 : n));
            };
            p[0] = clamp(static_cast<float>(y) + 1.402f * static_cast<float>(cr));
            p[1] = clamp(static_cast<float>(y) - 0.34414f * static_cast<float>(cb) - 0.71414f * static_cast<float>(cr));
            p[2] = clamp(static_cast<float>(y) + 1.772f * static_cast<float>(cb));
        }
        p[3] = 255;
    }
    out.width = m.width;
    out.height = m.height;
    out.rgba = std::move(m.pixels);
    return true;
}

}  // namespace qelo::jpegtest
