#pragma once

#include "platform/DialogService.h"
#include "settings/TSettings.h"

namespace settings {

// Checks a job before a run, in a fixed order: the save folder is given and exists as typed, the
// name format is given, a chosen source folder and a move destination and a tag text are named.
// The first failed check throws std::runtime_error with its text (in the current language); a
// bad name format throws its platform::FormatError. When the first output file exists already,
// the user is asked whether to go on: No returns false. Otherwise returns true.
bool validateSettings(const TSettings& settings, platform::DialogService& dialogs);

} // namespace settings
