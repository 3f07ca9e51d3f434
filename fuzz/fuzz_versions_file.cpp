// The versions file of any bytes: the product's line found, its fields split and read, and the
// fields joined at commas give the line back.
#include "FuzzInput.h"
#include "services/VersionsFile.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string> line = services::findProductLine(fuzz::text(data, size), "Larkspire");
    if (!line)
        return 0;
    fuzz::require(line->find_first_of("\r\n") == std::string::npos, "a found line holds no line end");
    fuzz::require(line->find(',') != std::string::npos, "a found line holds a comma");
    const std::vector<std::string> fields = services::splitVersionFields(*line);
    std::string joined;
    for (std::size_t i = 0; i < fields.size(); ++i)
        joined += (i == 0 ? "" : ",") + fields[i];
    fuzz::require(joined == *line || joined + "," == *line, "the fields joined at commas give the line");
    const services::VersionLine parsed = services::parseVersionLine(*line);
    services::compareRelease(parsed, 1.7e9);
    return 0;
}
