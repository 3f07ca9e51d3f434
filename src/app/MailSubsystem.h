#pragma once
// The one place the store providers are registered, shared by the console program and the window
// program.

#include "mapi/PasswordPrompt.h"
#include "mapi/ProfileSubsystem.h"

#include <memory>

namespace app {

std::shared_ptr<mapi::ProfileSubsystem> makeMailSubsystem(mapi::PasswordPrompt passwordPrompt);

} // namespace app
