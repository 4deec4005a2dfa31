#include "window/texts.h"

namespace chaos {

std::string helpText(Front front, const std::function<std::string(KeyCommand)>& keyName) {
    std::string text;
    for (const auto& entry : kHelp) {
        if (!(entry.fronts & front))
            continue;
        if (!entry.keys) {
            text += (text.empty() ? "" : "\n\n") + std::string(entry.does);
            continue;
        }
        std::string keys = keyName && entry.command != KeyCommand::None ? keyName(entry.command) : "";
        text += (entry.sameLine ? "  " : "\n") + (keys.empty() ? entry.keys : keys) + ": " + entry.does + ".";
    }
    return text;
}

} // namespace chaos
