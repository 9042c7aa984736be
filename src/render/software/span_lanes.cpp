#include "render/software/span_lanes.h"

#include <algorithm>
#include <atomic>

namespace qelo::software {

namespace {

SpanLanes processorLanes()
{
#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
    if (__builtin_cpu_supports("avx2")) return SpanLanes::eight;
#endif
#if defined(__SSE2__)
    return SpanLanes::four;
#else
    return SpanLanes::one;
#endif
}

const SpanLanes available = processorLanes();
std::atomic<SpanLanes> limit{SpanLanes::eight};

}  // namespace

SpanLanes spanLanes()
{
    return std::min(available, limit.load(std::memory_order_relaxed));
}

void limitSpanLanes(SpanLanes widest)
{
    limit = widest;
}

}  // namespace qelo::software
