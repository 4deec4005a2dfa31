#include "platform/simd.h"

namespace chaos {

std::vector<Simd> simdHere() {
#if CHAOS_AVX2_CODE
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2"))
        return {Simd::Portable, Simd::Avx2};
#endif
    return {Simd::Portable};
}

Simd bestSimd() {
    static const Simd best = simdHere().back();
    return best;
}

} // namespace chaos
