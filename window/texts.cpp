#include "window/texts.h"

#include "core/anchor_store.h"
#include "core/count_text.h"

#include <cctype>
#include <cstdint>
#include <iterator>
#include <limits>

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

// A text as a message quotes it: its first 40 characters.
std::string quoted(const std::string& text) {
    constexpr std::size_t kShown = 40;
    std::string shown(1, '"');
    shown.append(text, 0, kShown).append(text.size() > kShown ? "...\"" : "\"");
    return shown;
}

} // namespace

std::string failureText(const Failure& failure) {
    const std::string& value = failure.value;
    switch (failure.problem) {
    case Problem::AnchorOutOfRange:
        return "That point lies outside the range an anchor can be kept in (" +
               std::to_string(std::numeric_limits<std::int16_t>::min()) + " to " +
               std::to_string(std::numeric_limits<std::int16_t>::max()) + " twips from the drawing area's corner).";
    case Problem::TooManyAnchors:
        return "Too many anchor points: at most " + std::to_string(AnchorStore::kMaxAnchors) + " can be placed.";
    case Problem::NoSuchAnchor: return "There is no anchor point number " + value + ".";
    case Problem::CountNotANumber:
        return "The number of dots must be a number, such as 10000 or 1e6; " + quoted(value) +
               " is not. Digits with an optional sign, decimal point and exponent are "
               "accepted. Correct it and right-click again: the anchor points are kept.";
    case Problem::CountTooLarge:
        return "At most " + std::to_string(kMaxDots) + " dots can be drawn at once; " + quoted(value) +
               " is more. The anchor points are kept.";
    case Problem::AreaNotFinite:
        return "The drawing area's place or size is not a usable number, so no start point can be chosen.";
    case Problem::StartTooFar: return "The start point lies too far outside the drawing area to draw from.";
    case Problem::OutOfMemory: return "There is not enough memory to finish this. What was drawn so far is kept.";
    case Problem::Unexpected: return "Something went wrong: " + value + ". What was drawn so far is kept.";
    case Problem::Unknown: return "Something went wrong. What was drawn so far is kept.";
    }
    return "";
}

std::string ownKeyName(const std::string& key, std::int16_t shift) {
    std::string name;
    for (const auto& [bit, written] : {std::pair<std::int16_t, const char*>{kCtrl, "Ctrl+"}, {kAlt, "Alt+"}, {kShift, "Shift+"}, {kMeta, "Meta+"}})
        if (shift & bit)
            name += written;
    for (const auto& [named, word] : kKeyWords)
        if (key == named)
            return name + word;
    return name + (key.size() == 1 ? std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])))) : key);
}

std::vector<HelpEntry> helpEntries(unsigned offers, const KeyNamer& keyName) {
    const auto nameOf = [&](const KeyRow& row) {
        if (row.name)
            return std::string(row.name);
        std::string name = keyName ? keyName(row.key, row.shift) : "";
        return name.empty() ? ownKeyName(row.key, row.shift) : name;
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

std::string groupedDigits(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (auto at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

std::string progressLine(std::uint64_t done, std::uint64_t total) {
    return filledIn(kProgressText, groupedDigits(done), groupedDigits(total));
}

} // namespace chaos
