#include "assets/jpeg/bit_reader.h"

#include <bit>
#include <cstring>

namespace qelo::jpeg {

bool BitReader::takeRestart()
{
    const std::int64_t used = consumed();
    while (pendingRestarts > 0 && restartAt[firstRestart] < used) {
        restartSeen = true;
        firstRestart = (firstRestart + 1) % static_cast<int>(restartAt.size());
        --pendingRestarts;
    }
    const bool seen = restartSeen;
    restartSeen = false;
    return seen;
}

void BitReader::noteRestart()
{
    const std::int64_t used = consumed();
    const int capacity = static_cast<int>(restartAt.size());
    while (pendingRestarts > 0 && restartAt[firstRestart] < used) {
        restartSeen = true;
        firstRestart = (firstRestart + 1) % capacity;
        --pendingRestarts;
    }
    if (pendingRestarts > 0 && restartAt[(firstRestart + pendingRestarts - 1) % capacity] == filled) return;
    restartAt[(firstRestart + pendingRestarts) % capacity] = filled;
    ++pendingRestarts;
}

namespace {

// The eight bytes at `p`, first byte in the top bits.
inline std::uint64_t bigEndian64(const std::uint8_t* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    return word;
}

inline bool hasByteFF(std::uint64_t word)
{
    const std::uint64_t inverted = ~word;
    return ((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) != 0;
}

}  // namespace

void BitReader::fill()
{
    // Plain bytes, as many as fit, eight at a time.
    if (position <= size - 8) {
        const std::uint64_t word = bigEndian64(bytes + position);
        if (!hasByteFF(word)) {
            const int taken = (64 - bitCount) / 8;
            const int total = bitCount + 8 * taken;
            buffer |= (word >> bitCount) & (~std::uint64_t{0} << (64 - total));
            bitCount = total;
            filled += 8 * taken;
            position += taken;
            return;
        }
    }
    while (bitCount <= 56) {
        std::uint32_t byte = 0;
        while (!atEnd) {
            if (position >= size) {
                atEnd = true;
                dataBits = filled;
                break;
            }
            byte = bytes[position++];
            if (byte != 0xFF) break;
            while (position < size && bytes[position] == 0xFF) ++position;
            if (position >= size) {
                // The data ends inside a marker.
                atEnd = true;
                dataBits = filled;
                byte = 0;
                break;
            }
            const std::uint8_t marker = bytes[position++];
            if (marker == 0x00) break;  // stuffed: the data byte 0xFF
            if (marker >= 0xD0 && marker <= 0xD7) noteRestart();
            byte = 0;
        }
        buffer |= std::uint64_t{byte} << (56 - bitCount);
        bitCount += 8;
        filled += 8;
    }
}

}  // namespace qelo::jpeg
