#include "core/count_text.h"

#include "platform/errors.h"

#include <gtest/gtest.h>

#include <string>

namespace chaos {
namespace {

struct Accepted { std::string text; std::uint32_t dots; };

TEST(DotCount, AcceptedFormsGiveTheirWholePart) {
    const Accepted table[] = {
        {"10000", 10000}, {"3", 3}, {"0", 0}, {"-5", 0}, {"-0", 0}, {"+5", 5}, {"007", 7},
        {" 42 ", 42}, {"\t42\t", 42}, {"3.7", 3}, {"3.", 3}, {".9", 0}, {"0.5", 0}, {"-3.7", 0},
        {"1e6", 1000000}, {"1E6", 1000000}, {"2.5e3", 2500}, {"2.5E+3", 2500}, {"12345e-2", 123},
        {"1e-400", 0}, {"1e5 ", 100000}, {"-1e309", 0}, {"0e999999999999", 0}, {"0.0001e4", 1}, {"000.00012e4", 1},
        {"2147483647", 2147483647u}, {"2147483647.999999999999", 2147483647u},
        {"2.147483647e9", 2147483647u}, {"+2147483647", 2147483647u},
        {std::string(10000, '0') + "12", 12}, {"0." + std::string(10000, '0') + "1", 0},
    };
    for (const auto& row : table)
        EXPECT_EQ(dotCount(row.text), row.dots) << '"' << row.text.substr(0, 30) << '"';
}

// A view cut from a longer text ends where the view ends: the characters
// after it are never read.
TEST(DotCount, ReadsNoFurtherThanTheView) {
    struct Cut { std::string_view whole; std::size_t length; std::int64_t dots; };  // -1: not a number
    const Cut table[] = {
        {"123456", 3, 123}, {"3.75", 3, 3}, {"12.5", 3, 12}, {"0.0015e4", 5, 0}, {"7   9", 4, 7},
        {"2.5  x", 5, 2}, {"1e61", 3, 1000000}, {"5e1", 2, -1}, {"5.e", 2, 5}, {"  ", 1, -1}, {"-9", 1, -1},
        {"7  x", 2, 7}, {" 12 3", 4, 12},  // a blank right after the view
        {"12.5", 2, 12}, {"9.", 1, 9}, {"4e.", 2, -1},  // a point right after it
    };
    for (const auto& row : table) {
        const std::string_view cut = row.whole.substr(0, row.length);
        if (row.dots >= 0) {
            EXPECT_EQ(dotCount(cut), static_cast<std::uint32_t>(row.dots)) << row.whole << " cut at " << row.length;
        } else {
            EXPECT_THROW(dotCount(cut), ProgramError) << row.whole << " cut at " << row.length;
        }
    }
}

TEST(DotCount, NotANumberIsATypeMismatchThatSaysWhatIsAccepted) {
    const std::string table[] = {
        "", " ", "abc", "12abc", "nan", "inf", "-inf", "1,000", "0x10", "1e", "1e+", "1ex", "1e+x", "e5",
        ".", "+", "-", "+-5", "5 5", "1.2.3", "\xd9\xa3", "\xef\xbc\x95", "1_000", "10000\n",
    };
    for (const auto& text : table) {
        try {
            dotCount(text);
            ADD_FAILURE() << '"' << text << "\" was accepted";
        } catch (const ProgramError& error) {
            EXPECT_EQ(error.kind(), ErrorKind::TypeMismatch) << text;
            EXPECT_EQ(error.problem(), Problem::CountNotANumber) << text;
            EXPECT_EQ(error.value(), text);
        }
    }
}

TEST(DotCount, MoreThanTheMaximumIsAnOverflow) {
    const std::string table[] = {
        "2147483648", "1e10", "1e309", "99999999999", "2147483647.5e1",
        std::string(10000, '9'), "1e99999999999999999999",
    };
    for (const auto& text : table) {
        try {
            dotCount(text);
            ADD_FAILURE() << '"' << text.substr(0, 30) << "\" was accepted";
        } catch (const ProgramError& error) {
            EXPECT_EQ(error.kind(), ErrorKind::Overflow);
            EXPECT_EQ(error.problem(), Problem::CountTooLarge);
            EXPECT_EQ(error.value(), text);
        }
    }
}

} // namespace
} // namespace chaos
