#include "window/texts.h"

#include <iterator>

namespace chaos {

namespace {

// A count of a few, in words, as the help writes it.
std::string inWords(int n) {
    static constexpr const char* kWords[] = {"no", "one", "two", "three", "four", "five",
                                             "six", "seven", "eight", "nine", "ten"};
    return n >= 0 && n < static_cast<int>(std::size(kWords)) ? kWords[n] : std::to_string(n);
}

// A row's text with its values filled in.
std::string filled(const KeyRow& row, const char* text) {
    if (row.does == Does::Move)
        return filledIn(text, inWords(kKeyStep) + (kKeyStep == 1 ? " pixel" : " pixels"), inWords(kShiftKeyStep));
    if (row.does == Does::Run && row.command == Command::Save)
        return filledIn(text, kSaveName);
    return text;
}

} // namespace

std::string ownKeyName(Key key, std::int16_t mods) {
    std::string name;
    for (const auto& [bit, written] : {std::pair<std::int16_t, const char*>{kCtrl, "Ctrl+"}, {kAlt, "Alt+"}, {kShift, "Shift+"}, {kMeta, "Meta+"}})
        if (mods & bit)
            name += written;
    return name + keyWord(key);
}

std::vector<HelpEntry> helpEntries(unsigned offers, const KeyNamer& keyName) {
    const auto nameOf = [&](const KeyRow& row) {
        if (row.name)
            return std::string(row.name);
        std::string name = keyName ? keyName(row.key, row.mods) : "";
        return name.empty() ? ownKeyName(row.key, row.mods) : name;
    };
    std::vector<HelpEntry> entries;
    for (const auto& row : kKeys) {
        if (!offered(row, offers)) {
            if (row.without)
                entries.push_back({HelpEntry::Paragraph, &row, {}, {}, filledIn(row.without, nameOf(row)), ""});
            continue;
        }
        if (row.shown == Shown::Hidden)
            continue;
        if (row.shown == Shown::Or || row.shown == Shown::OrInManual) {
            if (row.shown == Shown::Or)
                entries.back().keys.push_back(nameOf(row));
            entries.back().manualKeys.push_back(nameOf(row));
            continue;
        }
        if (row.does == Does::Nothing && !row.name) {
            entries.push_back({HelpEntry::Heading, &row, {}, {}, row.help, row.manual ? row.manual : ""});
            continue;
        }
        entries.push_back({row.shown == Shown::SameLine ? HelpEntry::SameLine : HelpEntry::Line, &row, {nameOf(row)},
                           {nameOf(row)}, filled(row, row.help), filled(row, row.manual ? row.manual : row.help)});
    }
    return entries;
}

std::string helpText(unsigned offers, const KeyNamer& keyName) {
    std::string text;
    for (const auto& entry : helpEntries(offers, keyName)) {
        if (entry.kind == HelpEntry::Heading || entry.kind == HelpEntry::Paragraph) {
            text += (text.empty() ? "" : "\n\n") + entry.says;
            continue;
        }
        text += entry.kind == HelpEntry::SameLine ? "  " : "\n";
        for (std::size_t i = 0; i < entry.keys.size(); ++i)
            text += (i ? " or " : "") + entry.keys[i];
        text += ": " + entry.says + ".";
    }
    return text;
}

std::string filledIn(std::string text, const std::string& first, const std::string& second) {
    for (const auto& [mark, value] : {std::pair<const char*, const std::string&>{"%1", first}, {"%2", second}})
        if (const auto at = text.find(mark); at != std::string::npos)
            text.replace(at, 2, value);
    return text;
}

} // namespace chaos
