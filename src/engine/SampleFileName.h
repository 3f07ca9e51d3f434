#pragma once

#include "mailstore/MessageServices.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

// The file name (without folder) that `format` gives for `number` and a test message that no
// mail item backs: subject "Subject", an example sender and recipient, received now. Its CC and
// BCC cannot be read, so they give "Error". Throws platform::FormatError for a bad format.
std::string sampleFileName(std::string_view format, std::int32_t number,
                           const mailstore::MessageServices& services = {});

// The path of the first output file in `normalisedFolder`: the sample name, shortened as the run
// would shorten it there.
std::string sampleFilePath(std::string_view normalisedFolder, std::string_view format, std::int32_t number,
                           const mailstore::MessageServices& services = {});

} // namespace engine
