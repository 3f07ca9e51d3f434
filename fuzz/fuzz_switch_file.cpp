// The switch file of any bytes: split into switches that are never empty and hold no line end,
// and that, joined with line ends, split the same again.
#include "FuzzInput.h"
#include "ui/SwitchFile.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::string> switches = ui::switchFileSwitches(fuzz::text(data, size));
    std::string joined;
    for (const std::string& line : switches) {
        fuzz::require(!line.empty(), "no switch is empty");
        fuzz::require(line.find_first_of("\r\n") == std::string::npos, "no switch holds a line end");
        joined += line + "\n";
    }
    fuzz::require(ui::switchFileSwitches(joined) == switches, "the switches joined split the same");
    return 0;
}
