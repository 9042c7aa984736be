#include "assets/jpeg/vector_path.h"

#include <atomic>

namespace qelo::jpeg {
namespace {

std::atomic<VectorPath> limit{VectorPath::avx2};

bool processorHasAvx2()
{
#ifdef QELO_JPEG_HAS_AVX2
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}

}  // namespace

VectorPath vectorPath()
{
    return limit.load(std::memory_order_relaxed) == VectorPath::avx2 && processorHasAvx2() ? VectorPath::avx2 : VectorPath::sse2;
}

VectorPath limitVectorPath(VectorPath widest) { return limit.exchange(widest); }

}  // namespace qelo::jpeg
