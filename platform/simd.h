#pragma once

#include <vector>

namespace chaos {

// The instruction sets the fast paths choose from: the baseline that every
// CPU of the build's architecture runs; AVX2 (with BMI2) on x86-64 CPUs that
// offer it, chosen at run time; or WebAssembly's 128-bit SIMD in a build made
// with -msimd128 (every current browser runs it; a browser without it cannot
// load such a build at all).
enum class Simd { Portable, Avx2, Simd128 };

// What this CPU can run, Portable first; tests run every one of them.
std::vector<Simd> simdHere();
// The fastest of them, which the fast paths use unless told otherwise.
Simd bestSimd();
// A short name for messages and benchmarks: "portable", "AVX2", "SIMD128".
const char* simdName(Simd simd);

} // namespace chaos

// AVX2 code is compiled function by function (the rest of the program keeps
// the baseline), and only where the compiler can target it.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define CHAOS_AVX2_CODE 1
#define CHAOS_AVX2 __attribute__((target("avx2,bmi2")))
#else
#define CHAOS_AVX2_CODE 0
#endif

// WebAssembly SIMD is all or nothing for a module, so it is chosen when
// compiling.
#if defined(__wasm_simd128__)
#define CHAOS_SIMD128_CODE 1
#else
#define CHAOS_SIMD128_CODE 0
#endif
