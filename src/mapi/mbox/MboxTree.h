#pragma once
// The folders of an mbox store, named by keys. A store on one file has that one folder, key "".
// A store on a directory has the desktop clients' layout: key "" is the directory itself (the top
// of the tree, holding no messages), "Inbox" the folder of the file Inbox, "Archives.sbd/2024"
// a sub-folder of Archives (its directory Archives.sbd may exist without a file Archives, and a
// plain directory, as mutt users keep them, is a folder without messages). Dot files, index and
// summary files (*.msf and the like) and lock files are no folders; links are not followed.

#include <filesystem>
#include <string>
#include <vector>

namespace mapi {

struct MboxFolderInfo {
    std::string key;
    std::string displayName;
};

class MboxTree {
public:
    explicit MboxTree(std::filesystem::path root);

    const std::filesystem::path& root() const { return m_root; }
    bool singleFile() const { return m_singleFile; }
    // The folder's mbox file; it exists only for folders that hold messages.
    std::filesystem::path file(const std::string& key) const;
    bool holdsMessages(const std::string& key) const;
    bool exists(const std::string& key) const;
    std::string displayName(const std::string& key) const;
    // The direct sub-folders, ordered by name.
    std::vector<MboxFolderInfo> children(const std::string& key) const;
    // The folder the "IPM" class is delivered to: the top-level "Inbox" in any letter case, else
    // the first folder with messages, else the top.
    std::string receiveFolder() const;

private:
    std::filesystem::path childDirectory(const std::string& key) const;

    std::filesystem::path m_root;
    bool m_singleFile = false;
};

// A regular file or a directory at `path`: what an mbox store can be opened on.
bool isMboxPath(const std::filesystem::path& path);

} // namespace mapi
