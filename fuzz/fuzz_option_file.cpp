// An option file (*.lks) of any bytes: read, or refused with the reader's error.
#include "FuzzInput.h"
#include "settings/OptionFile.h"
#include "settings/OptionFileStream.h"
#include "settings/TSettings.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    settings::TSettings values(nullptr);
    std::istringstream in{std::string(fuzz::text(data, size))};
    try {
        settings::readOptionFile(values, in, size);
    } catch (const settings::OptionFileError&) {
    }
    return 0;
}
