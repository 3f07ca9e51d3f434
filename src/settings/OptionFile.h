#pragma once
// Option files (*.lks): the component stream of the settings class, a header naming the class and
// one property "TSettings" whose value is a versioned block of tagged values. Version 17 is
// written; every earlier version is read, with fixed values for what an older file lacks. Errors
// are OptionFileError with the program's texts.

#include "settings/TSettings.h"

#include <cstdint>
#include <istream>
#include <string>

namespace settings {

inline constexpr std::int32_t kOptionFileVersion = 17;

// The bytes of the option file that holds `settings`.
std::string optionFileBytes(const TSettings& settings);

// Reads an option file of `size` bytes from `in` into `settings`. Fields read before a failure
// keep their new values.
void readOptionFile(TSettings& settings, std::istream& in, std::uint64_t size);

// Replaces (or creates) the file durably, so a failed save leaves the old file whole; then sets
// the option file name to `path`.
void saveOptionFile(TSettings& settings, const std::string& path);

// Reads the file into `settings`, then sets the option file name to `path`; after a failure the
// option file name is unchanged.
void loadOptionFile(TSettings& settings, const std::string& path);

} // namespace settings
