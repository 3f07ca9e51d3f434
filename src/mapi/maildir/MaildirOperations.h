#pragma once
// The changes made to message files, each one safe at every instant: a move or a flag change is
// one rename, so the message is under its old name or its new one, never both or neither; a
// rewrite goes through the Maildir's tmp/ (write, fsync, rename over the old file). Only a move
// across file systems must copy, and it removes the original only after the copy is on disk.
// Every call that changes a file is a durable step, so crash tests can stop at each one.

#include "mapi/maildir/MessageFile.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace mapi {

// Moves `from` into `destinationFolder`/cur/ as `fileName`. Throws std::system_error.
void moveMessageFile(const std::filesystem::path& from, const std::filesystem::path& destinationFolder,
                     const std::string& fileName);

// Renames `current` (a file of `folder`) to `finalName` in the same subfolder, then replaces it
// with `content`, keeping the modification time of `original`. Throws std::system_error.
void rewriteMessageFile(const std::filesystem::path& current, const std::filesystem::path& folder,
                        std::string_view content, const FileIdentity& original, const std::string& finalName);

} // namespace mapi
