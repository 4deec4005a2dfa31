#include "core/count_text.h"

#include "platform/errors.h"

#include <string>

namespace chaos {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void notANumber(std::string_view text) {
    throw ProgramError(ErrorKind::TypeMismatch, Problem::CountNotANumber, std::string(text));
}

[[noreturn]] void tooMany(std::string_view text) {
    throw ProgramError(ErrorKind::Overflow, Problem::CountTooLarge, std::string(text));
}

} // namespace

// Works on the digits themselves, so that any length and any exponent give
// the exact whole part with no rounding and no overflow.
std::uint32_t dotCount(std::string_view text) {
    std::size_t i = 0;
    const std::size_t end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    std::string digits;  // every mantissa digit, leading zeros dropped
    long long pointAt = 0;  // digits of `digits` before the decimal point
    bool anyDigit = false;
    for (; i < end && isDigit(text[i]); ++i) {
        anyDigit = true;
        if (!digits.empty() || text[i] != '0') {
            digits += text[i];
            ++pointAt;
        }
    }
    if (i < end && text[i] == '.') {
        for (++i; i < end && isDigit(text[i]); ++i) {
            anyDigit = true;
            if (!digits.empty() || text[i] != '0')
                digits += text[i];
            else
                --pointAt;  // a leading zero of the fraction moves the point left
        }
    }
    if (!anyDigit)
        notANumber(text);

    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < end && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        if (i == end || !isDigit(text[i]))
            notANumber(text);
        long long exponent = 0;
        for (; i < end && isDigit(text[i]); ++i)
            exponent = exponent < 1'000'000'000 ? exponent * 10 + (text[i] - '0') : exponent;
        pointAt += negativeExponent ? -exponent : exponent;
    }
    while (i < end && isBlank(text[i]))
        ++i;
    if (i != end)
        notANumber(text);

    // The whole part is the first pointAt digits, with zeros after them
    // when pointAt runs past the digits.
    if (digits.empty() || pointAt <= 0)
        return 0;
    if (negative)
        return 0;
    if (pointAt > 10)
        tooMany(text);
    std::uint64_t whole = 0;
    for (long long d = 0; d < pointAt; ++d)
        whole = whole * 10 + (d < static_cast<long long>(digits.size()) ? digits[static_cast<std::size_t>(d)] - '0' : 0);
    if (whole > kMaxDots)
        tooMany(text);
    return static_cast<std::uint32_t>(whole);
}

} // namespace chaos
