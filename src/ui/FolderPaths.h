#pragma once
// Mail folders by the path the folder chooser shows: the store's name and the folder names from
// the top down, joined by "\". The walk is the chooser's own (the session's folder enumeration),
// and every level is sorted by name as the chooser sorts it.

#include "mailstore/TMapiSession.h"
#include "mailstore/TMapiUserFolder.h"
#include "platform/Locale.h"

#include <memory>
#include <string>
#include <vector>

namespace ui {

struct FolderPathEntry {
    std::string path;
    // The folder's identity as the chooser hands it back; null for a store that failed.
    std::unique_ptr<mailstore::TMapiUserFolder> folder;
    // Why the store could not be read; empty when it could.
    std::string error;
};

// Every node of the profile's folder tree, depth first; logs the session on if needed.
std::vector<FolderPathEntry> folderPaths(mailstore::TMapiSession& session, const platform::Locale& locale);

// The entry whose path is `path`: spelled exactly, else the one entry that differs only in letter
// case; null when there is none.
const FolderPathEntry* findFolderPath(const std::vector<FolderPathEntry>& entries, const std::string& path);

} // namespace ui
