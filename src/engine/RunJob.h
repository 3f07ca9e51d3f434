#pragma once
// The settings one run reads, handed over by the main window's Go from a validated TSettings
// (the settings layer sits above this one, so the run takes its own plain copy). Field comments
// give the setting names.

#include "mailstore/TMapiUserFolder.h"

#include <cstdint>
#include <memory>
#include <string>

namespace engine {

// Values of "move messages".
enum PostAction : std::int32_t { LeaveInFolder = 0, MoveToDestination = 1, TagSubjectLine = 2 };

struct RunJob {
    std::string saveFolder;                    // "Save folder" as typed; the run normalises it
    std::int32_t firstNumber = 0;              // "First number"
    std::string numberFormat;                  // "Number format"
    std::int32_t moveMessages = LeaveInFolder; // "move messages"
    std::string msgDestination;                // "msgDestination", named in the 8281 text
    bool getFromDefaultFolder = false;         // "get from default folder"
    std::string fromFolderName;                // "from folder name", named in the 8261 text
    std::int32_t sortOrder = 0;                // "sort order"
    bool sortDescending = false;               // "sort descending"
    bool readStatus = false;                   // "readStatus"
    std::string tagText;                       // "tag text"
    // The chosen folder identities (entry id and store); null counts as a folder never chosen.
    std::unique_ptr<mailstore::TMapiUserFolder> sourceFolder;
    std::unique_ptr<mailstore::TMapiUserFolder> destinationFolder;
};

} // namespace engine
