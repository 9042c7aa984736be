#pragma once
// Seconds timer of the show. Every Clock reads one process-wide millisecond
// counter, so live play, tests and frame-exact capture differ only in which
// counter is installed.
#include <cstdint>

namespace qelo {

// A source of unsigned 32-bit milliseconds that may wrap.
using MillisecondCounter = std::uint32_t (*)();

// Installs the counter every Clock reads and takes its current value as the
// origin: readings are milliseconds since installation, so their float
// resolution does not depend on how long the machine has been up. Installing
// nullptr restores the system's monotonic counter.
void installMillisecondCounter(MillisecondCounter counter);

// Milliseconds since the counter was installed (wrap-safe unsigned difference).
std::uint32_t readMilliseconds();

// readMilliseconds() in seconds: the unsigned count times the single-precision
// 0.001, in double.
double readSeconds();

struct Clock {
    float lastSample = 0.0f;  // seconds at the last restart, single precision

    Clock();

    // Seconds since the last sample, rounded to float; then samples again with
    // a separate reading.
    float restart();

    // Seconds since the last sample, not rounded to float.
    double elapsed() const;
};

}  // namespace qelo
