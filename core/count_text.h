#pragma once

#include <cstdint>
#include <string_view>

namespace chaos {

// The most dots one draw makes.
inline constexpr std::uint32_t kMaxDots = 2147483647;

// The number of dots a count text asks for. Accepted: blanks around a
// decimal number with an optional sign, an optional fraction and an optional
// exponent ("10000", " +5 ", "3.7", "1e6", "2.5E+3"). The dots are the
// number's whole part; a number at or below zero asks for none.
// Anything else throws a type-mismatch error, and a whole part above
// kMaxDots an overflow error, each carrying the text.
std::uint32_t dotCount(std::string_view text);

} // namespace chaos
