#include "platform/simd.h"

namespace chaos {

std::vector<Simd> simdHere() {
#if CHAOS_AVX2_CODE
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2"))
        return {Simd::Portable, Simd::Avx2};
#endif
#if CHAOS_SIMD128_CODE
    return {Simd::Portable, Simd::Simd128};
#else
    return {Simd::Portable};
#endif
}

Simd bestSimd() {
    static const Simd best = simdHere().back();
    return best;
}

const char* simdName(Simd simd) {
    switch (simd) {
    case Simd::Avx2:
        return "AVX2";
    case Simd::Simd128:
        return "SIMD128";
    case Simd::Portable:
        break;
    }
    return "portable";
}

} // namespace chaos
