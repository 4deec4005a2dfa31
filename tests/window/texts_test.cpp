#include "window/texts.h"

#include "window/layout.h"

#include <gtest/gtest.h>

#include <string>

namespace chaos {
namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
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
    const std::string desktop = helpText(kDesktop), page = helpText(kPage);
    for (const auto& row : table) {
        EXPECT_EQ(has(desktop, row.line), row.desktop) << row.line;
        EXPECT_EQ(has(page, row.line), row.page) << row.line;
    }
}

// The desktop names the commands' keys as its toolkit does; other keys and
// the page keep the table's names.
TEST(KeysHelp, ToolkitNamesReplaceOnlyTheCommandsKeys) {
    const char* names[] = {"Strg+S", "Strg+C", "Strg+P", "Hilfe", "Strg+Q"};
    const std::string desktop = helpText(kDesktop, [&](Command command) { return std::string(names[static_cast<int>(command)]); });
    EXPECT_TRUE(has(desktop, "\nStrg+S: save the picture.  Strg+C: copy it.  Strg+P: print it.\n"));
    EXPECT_TRUE(has(desktop, "\nEsc: stop a long draw.  Hilfe: this help.  Strg+Q: quit."));
    EXPECT_TRUE(has(desktop, "\nMenu or Shift+F10: draw"));
    EXPECT_EQ(helpText(kDesktop, [](Command) { return std::string(); }), helpText(kDesktop));
}

// The list's rows, in order, and the colour each sets; no row keeps the current one.
TEST(DotColours, ARowSetsItsColourAndNoRowKeepsTheCurrentOne) {
    struct Case { int row; const char* item; Color expected; };
    const Case table[] = {
        {0, "Red", 0x0000FF}, {1, "Blue", 0xFF0000}, {2, "Black", 0x000000}, {3, "White", 0xFFFFFF},
        {4, "Cyan", 0xFFFF00}, {5, "Yellow", 0x00FFFF}, {-1, nullptr, 0x123456}, {6, nullptr, 0x123456},
    };
    for (const auto& row : table) {
        EXPECT_EQ(dotColourOf(row.row, 0x123456), row.expected) << row.row;
        if (row.item) {
            EXPECT_STREQ(kColourItems[row.row], row.item);
        }
    }
    EXPECT_EQ(kForm2Layout[kCol].itemCount, std::size(kColourItems));
}

} // namespace
} // namespace chaos
