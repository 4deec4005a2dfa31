#include "window/texts.h"

#include "window/layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace chaos {
namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// What each front end's runtime offers, and how the page's names keys.
constexpr unsigned kDesktop = kQuitKey, kPage = kTouch | kDownload;
std::string pageName(const std::string& key, std::int16_t) {
    return key == "Enter" ? "Enter" : "";
}

// Each front end's help has its own lines and none of the other's.
TEST(KeysHelp, EachFrontEndListsItsOwnKeys) {
    struct Case { const char* line; bool desktop, page; };
    const Case table[] = {
        {"\nLeft-click: place an anchor point (not with Shift alone).\n", true, true},
        {"\nTap: place an anchor point.\n", false, true},
        {"\nSpace or Return: place an anchor point", true, false},
        {"\nSpace or Enter: place an anchor point", false, true},
        {"\nCtrl+S: save the picture.  Ctrl+C: copy it.  Ctrl+P: print it.\n", true, false},
        {"\nCtrl+S: download the picture (chaos-game.png).  Ctrl+C: copy it.  Ctrl+P: print it.\n", false, true},
        {"Ctrl+Q: quit.", true, false},
        {"\n\nBrowsers keep Ctrl+Q for themselves", false, true},
    };
    const std::string desktop = helpText(kDesktop), page = helpText(kPage, pageName);
    for (const auto& row : table) {
        EXPECT_EQ(has(desktop, row.line), row.desktop) << row.line;
        EXPECT_EQ(has(page, row.line), row.page) << row.line;
    }
}

// The desktop names the commands' keys as its toolkit does; other keys and
// the page keep the table's names.
TEST(KeysHelp, ToolkitNamesReplaceOnlyTheCommandsKeys) {
    const std::map<std::string, std::string> names = {
        {"s", "Strg+S"}, {"c", "Strg+C"}, {"p", "Strg+P"}, {"F1", "Hilfe"}, {"q", "Strg+Q"}};
    const std::string desktop = helpText(kDesktop, [&](const std::string& key, std::int16_t) {
        return names.count(key) ? names.at(key) : std::string();
    });
    EXPECT_TRUE(has(desktop, "\nStrg+S: save the picture.  Strg+C: copy it.  Strg+P: print it.\n"));
    EXPECT_TRUE(has(desktop, "\nEsc: stop a long draw.  Hilfe: this help.  Strg+Q: quit."));
    EXPECT_TRUE(has(desktop, "\nMenu or Shift+F10: draw"));
    EXPECT_EQ(helpText(kDesktop, [](const std::string&, std::int16_t) { return std::string(); }), helpText(kDesktop));
}

// The whole help of the page, and the desktop's as the page's with the
// differences of what each runtime offers (no touch, a save, Return, a
// quit key), with the window's own key names (the page's runtime names
// Return "Enter").
TEST(KeysHelp, EachFrontEndsWholeHelp) {
    const std::string page = R"(Mouse, on the drawing surface:
Left-click: place an anchor point (not with Shift alone).
Right-click: draw the dots around the anchor points, then forget them.

Touch, on the drawing surface:
Tap: place an anchor point.
Long press: draw, as a right-click does.

Keys, on the drawing surface:
Arrow keys: move the keyboard point one pixel (with Shift, ten).
Space or Enter: place an anchor point at the keyboard point.
Menu or Shift+F10: draw, as a right-click does.

Keys, anywhere:
Ctrl+S: download the picture (chaos-game.png).  Ctrl+C: copy it.  Ctrl+P: print it.
Tab: go to the next control.  Enter: press the focused button.
Esc: stop a long draw.  F1: this help.

Browsers keep Ctrl+Q for themselves: close the tab to quit; reloading the page starts again.)";
    const std::pair<std::string, std::string> desktopFromPage[] = {
        {"\n\nTouch, on the drawing surface:\nTap: place an anchor point.\nLong press: draw, as a right-click does.", ""},
        {"Space or Enter:", "Space or Return:"},
        {"download the picture (chaos-game.png)", "save the picture"},
        {"Enter: press", "Return: press"},
        {"F1: this help.\n\nBrowsers keep Ctrl+Q for themselves: close the tab to quit; reloading the page starts again.",
         "F1: this help.  Ctrl+Q: quit."},
    };
    std::string desktop = page;
    for (const auto& [from, to] : desktopFromPage) {
        const auto at = desktop.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        desktop.replace(at, from.size(), to);
    }
    EXPECT_EQ(helpText(kPage, pageName), page);
    EXPECT_EQ(helpText(kDesktop), desktop);
}

// Counts in groups of three digits, in every engine; the progress line with both.
TEST(CountTexts, GroupedByThreesWithCommas) {
    const std::pair<std::uint64_t, const char*> table[] = {
        {0, "0"}, {999, "999"}, {1000, "1,000"}, {10000, "10,000"}, {100000, "100,000"}, {1000000, "1,000,000"},
        {2147483647, "2,147,483,647"}, {18446744073709551615u, "18,446,744,073,709,551,615"},
    };
    for (const auto& [n, text] : table)
        EXPECT_EQ(groupedDigits(n), text);
    EXPECT_EQ(progressLine(1234, 2147483647), filledIn(kProgressText, "1,234", "2,147,483,647"));
}

// The list's rows, in order, and the colour each sets; no row keeps the current one.
TEST(DotColors, ARowSetsItsColorAndNoRowKeepsTheCurrentOne) {
    struct Case { int row; const char* item; Color expected; };
    const Case table[] = {
        {0, "Red", 0x0000FF}, {1, "Blue", 0xFF0000}, {2, "Black", 0x000000}, {3, "White", 0xFFFFFF},
        {4, "Cyan", 0xFFFF00}, {5, "Yellow", 0x00FFFF}, {-1, nullptr, 0x123456},
        {static_cast<int>(std::size(kColorValues)), nullptr, 0x123456},
    };
    std::size_t named = 0;
    for (const auto& row : table) {
        EXPECT_EQ(dotColorOf(row.row, 0x123456), row.expected) << row.row;
        if (row.item) {
            EXPECT_STREQ(kColorItems[row.row], row.item);
            ++named;
        }
    }
    EXPECT_EQ(named, std::size(kColorItems)) << "a row of the table for each colour";
    EXPECT_EQ(kForm2Layout[kCol].itemCount, std::size(kColorItems));
}

// What the user is told of each failure, word for word; a long count box
// text is shortened in its message.
TEST(FailureTexts, EachProblemInItsWords) {
    const std::pair<Failure, std::string> table[] = {
        {{Problem::AnchorOutOfRange, ""},
         "That point lies outside the range an anchor can be kept in (-32768 to 32767 twips from the drawing area's corner)."},
        {{Problem::TooManyAnchors, ""}, "Too many anchor points: at most 32767 can be placed."},
        {{Problem::NoSuchAnchor, "7"}, "There is no anchor point number 7."},
        {{Problem::CountNotANumber, "1,000"},
         "The number of dots must be a number, such as 10000 or 1e6; \"1,000\" is not. Digits with an optional sign, "
         "decimal point and exponent are accepted. Correct it and right-click again: the anchor points are kept."},
        {{Problem::CountTooLarge, "1e10"}, "At most 2147483647 dots can be drawn at once; \"1e10\" is more. The anchor points are kept."},
        {{Problem::CountTooLarge, std::string(41, '9')},
         "At most 2147483647 dots can be drawn at once; \"" + std::string(40, '9') + "...\" is more. The anchor points are kept."},
        {{Problem::AreaNotFinite, ""}, "The drawing area's place or size is not a usable number, so no start point can be chosen."},
        {{Problem::StartTooFar, ""}, "The start point lies too far outside the drawing area to draw from."},
        {{Problem::OutOfMemory, ""}, "There is not enough memory to finish this. What was drawn so far is kept."},
        {{Problem::Unexpected, "disk on fire"}, "Something went wrong: disk on fire. What was drawn so far is kept."},
        {{Problem::Unknown, ""}, "Something went wrong. What was drawn so far is kept."},
    };
    for (const auto& [failure, text] : table)
        EXPECT_EQ(failureText(failure), text);
    EXPECT_LT(failureText({Problem::CountNotANumber, std::string(10000, 'x')}).size(), 400u);
}

} // namespace
} // namespace chaos
