// Prints the desktop's key tables, as the README writes them (markdown) or
// as the manual page does (roff), from the window's key table.
// scripts/key-docs.py puts them into README.md and data/chaosgame.1.

#include "platform/qt/qt_runtime.h"
#include "window/texts.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace {

using chaos::HelpEntry;

// Text for roff: its hyphens as minus signs, so that they stay hyphens.
std::string roff(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
}

std::string joined(const HelpEntry& entry) {
    std::string keys;
    for (std::size_t i = 0; i < entry.manualKeys.size(); ++i)
        keys += (i ? " or " : "") + entry.manualKeys[i];
    return keys;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::string format = argc == 2 ? argv[1] : "";
    if (format != "markdown" && format != "roff") {
        std::fprintf(stderr, "usage: %s markdown|roff\n", argv[0]);
        return 2;
    }
    const bool md = format == "markdown";
    std::string out, heading;
    bool tableOpen = false;
    for (const auto& entry : chaos::helpEntries(chaos::QtRuntime::kOffers)) {
        if (entry.kind == HelpEntry::Heading) {
            heading = entry.manual;
            tableOpen = false;
            continue;
        }
        if (entry.row->does == chaos::Does::Nothing || entry.kind == HelpEntry::Paragraph)
            continue;  // the mouse's: the manual's own sections tell of it
        if (!tableOpen) {  // a table of keys, after its heading where the manual has one
            if (md) {
                if (!out.empty())
                    out += "\n";
                if (!heading.empty())
                    out += heading + "\n\n";
                out += "| Key | What it does |\n| --- | --- |\n";
            } else if (!heading.empty() || !out.empty()) {
                out += ".PP\n" + roff(heading) + "\n";
            }
            tableOpen = true;
        }
        if (md) {
            out += "| " + joined(entry) + " | " + entry.manual + " |\n";
            continue;
        }
        std::string keys = entry.manualKeys.size() > 1 ? ".BR" : ".B";
        for (std::size_t i = 0; i < entry.manualKeys.size(); ++i) {
            const std::string key = roff(entry.manualKeys[i]);
            keys += (i ? " \" or \" " : " ") + (entry.manualKeys.size() > 1 && key.find(' ') != std::string::npos ? "\"" + key + "\"" : key);
        }
        std::string says = entry.manual;
        says[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(says[0])));
        out += ".TP\n" + keys + "\n" + roff(says) + ".\n";
    }
    std::fputs(out.c_str(), stdout);
}
