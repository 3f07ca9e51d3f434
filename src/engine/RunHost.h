#pragma once
// What a run needs of the main window: the one mail session, the First number control the run
// hands its number back to, the option-file update, and the message boxes.

#include "platform/DialogService.h"
#include "platform/Locale.h"

#include <cstdint>

namespace mailstore {
class TMapiSession;
}

namespace engine {

class RunHost {
public:
    virtual ~RunHost() = default;

    // The program's single mail session; it logs on by itself when first needed.
    virtual mailstore::TMapiSession& session() = 0;
    // Puts the next file number into the First number control, as a user edit would.
    virtual void setFirstNumber(std::int32_t number) = 0;
    // Saves First number into the loaded option file when the command line asked for it.
    virtual void saveUpdatedCount() = 0;
    // Where the run's error box is shown.
    virtual platform::DialogService& dialogs() = 0;
    // The locale the message order compares subjects with.
    virtual const platform::Locale& locale() const { return platform::systemLocale(); }
};

} // namespace engine
