// The hive file of any bytes: parsed as far as it is valid, and what was read is written and
// read back the same.
#include "FuzzInput.h"
#include "platform/HiveText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const platform::HiveParseResult parsed = platform::parseHiveText(fuzz::text(data, size));
    const std::string written = platform::formatHiveText(parsed.document);
    const platform::HiveParseResult again = platform::parseHiveText(written);
    fuzz::require(!again.problem, "a written hive reads back without problems");
    fuzz::require(platform::formatHiveText(again.document) == written, "a written hive reads back the same");
    return 0;
}
