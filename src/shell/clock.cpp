#include "shell/clock.h"

#include <chrono>

namespace qelo {

namespace {

std::uint32_t systemMilliseconds()
{
    using namespace std::chrono;
    auto now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(now.count());
}

struct CounterState {
    MillisecondCounter counter = systemMilliseconds;
    std::uint32_t origin = systemMilliseconds();
};

CounterState& counterState()
{
    static CounterState state;
    return state;
}

// The single-precision constant 0.001 (0.0010000000474974513), used widened.
constexpr double millisecond = static_cast<double>(0.001f);

}  // namespace

void installMillisecondCounter(MillisecondCounter counter)
{
    CounterState& state = counterState();
    state.counter = counter ? counter : systemMilliseconds;
    state.origin = state.counter();
}

std::uint32_t readMilliseconds()
{
    const CounterState& state = counterState();
    return state.counter() - state.origin;
}

double readSeconds() { return static_cast<double>(readMilliseconds()) * millisecond; }

Clock::Clock() { restart(); }

float Clock::restart()
{
    const float sinceSample = static_cast<float>(readSeconds() - lastSample);
    lastSample = static_cast<float>(readSeconds());
    return sinceSample;
}

double Clock::elapsed() const { return readSeconds() - lastSample; }

}  // namespace qelo
