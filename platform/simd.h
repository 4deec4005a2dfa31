#pragma once

#include <vector>

namespace chaos {

// The instruction sets the fast paths choose from at run time: the baseline
// that every CPU of the build's architecture runs, or AVX2 (with BMI2) on
// x86-64 CPUs that offer it.
enum class Simd { Portable, Avx2 };

// What this CPU can run, Portable first; tests run every one of them.
std::vector<Simd> simdHere();
// The fastest of them, which the fast paths use unless told otherwise.
Simd bestSimd();

} // namespace chaos

// AVX2 code is compiled function by function (the rest of the program keeps
// the baseline), and only where the compiler can target it.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define CHAOS_AVX2_CODE 1
#define CHAOS_AVX2 __attribute__((target("avx2,bmi2")))
#else
#define CHAOS_AVX2_CODE 0
#endif
