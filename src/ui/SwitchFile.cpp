#include "ui/SwitchFile.h"

#include "ui/TextLines.h"

namespace ui {

std::vector<std::string> switchFileSwitches(std::string_view text) {
    std::vector<std::string> switches;
    for (std::string& line : splitLines(text))
        if (!line.empty())
            switches.push_back(std::move(line));
    return switches;
}

} // namespace ui
