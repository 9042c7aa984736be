#pragma once
// The entropy-coded bits of a scan, most significant bit of each byte first.
// Markers inside the data are transparent: a stuffed FF 00 is the data byte
// 0xFF, fill bytes FF before a marker are passed over, and every other marker
// is consumed and reading goes on with the byte after it. Passing a restart
// marker (RST0..RST7) restarts the DC predictors at the moment the first bit
// after it is read. Past the end of the buffer the bits are zeros.
#include <array>
#include <cstdint>

namespace qelo::jpeg {

class BitReader {
public:
    BitReader(const std::uint8_t* bytes, std::int32_t size, std::int32_t position)
        : bytes(bytes), size(size), position(position)
    {
    }

    // Afterwards at least 57 bits are buffered.
    void fill();
    void ensure(int bits)
    {
        if (bitCount < bits) fill();
    }
    // The next n bits (1 <= n <= 32), without consuming them; ensure(n) first.
    std::uint32_t peek(int n) const { return static_cast<std::uint32_t>(buffer >> (64 - n)); }
    void skip(int n)
    {
        buffer <<= n;
        bitCount -= n;
    }
    // Drops the unread bits of the current byte.
    void alignToByte() { skip(bitCount & 7); }

    // True, once, when a restart marker has been passed since the last call:
    // the bits read so far reach past it.
    bool restartPassed()
    {
        if (pendingRestarts == 0 && !restartSeen) return false;
        return takeRestart();
    }
    // True when more bits were read than the data holds.
    bool overran() const { return atEnd && consumed() > dataBits; }

private:
    std::int64_t consumed() const { return filled - bitCount; }
    bool takeRestart();
    void noteRestart();

    const std::uint8_t* bytes;
    std::int32_t size;
    std::int32_t position;
    std::uint64_t buffer = 0;  // next bit in the top bit
    int bitCount = 0;
    std::int64_t filled = 0;   // bits that have entered the buffer
    bool atEnd = false;
    std::int64_t dataBits = 0; // bits the data holds, known once atEnd

    // Bit positions (counted as `filled`) of the first bit after each restart
    // marker that is not yet read past: never more than the buffer's 8 bytes
    // plus one, since positions that were read past fold into restartSeen.
    std::array<std::int64_t, 16> restartAt{};
    int firstRestart = 0;
    int pendingRestarts = 0;
    bool restartSeen = false;
};

}  // namespace qelo::jpeg
