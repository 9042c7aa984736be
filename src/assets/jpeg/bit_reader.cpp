#include "assets/jpeg/bit_reader.h"

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

void BitReader::fill()
{
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
