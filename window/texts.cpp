#include "window/texts.h"

namespace chaos {

std::string helpText(Front front, const std::function<std::string(Command)>& keyName) {
    std::string text;
    for (const auto& entry : kHelp) {
        if (!(entry.fronts & front))
            continue;
        if (!entry.keys) {
            text += (text.empty() ? "" : "\n\n") + std::string(entry.does);
            continue;
        }
        std::string keys = keyName && entry.command >= 0 ? keyName(static_cast<Command>(entry.command)) : "";
        text += (entry.sameLine ? "  " : "\n") + (keys.empty() ? entry.keys : keys) + ": " + entry.does + ".";
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
