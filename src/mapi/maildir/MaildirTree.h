#pragma once
// The folders of a Maildir store, named by keys: "" is the root (the Inbox), ".A.B" a Maildir++
// folder B below A (A may exist only as the parent in the name), and "X/Y" or ".A/X" plain
// Maildirs nested in a folder's directory. Reading the tree creates nothing; symbolic links to
// directories are not followed, so a link cannot make the tree endless.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace mapi {

struct MaildirFolderInfo {
    std::string key;
    std::string displayName;
};

class MaildirTree {
public:
    explicit MaildirTree(std::filesystem::path root);

    const std::filesystem::path& root() const { return m_root; }
    // The directory of a folder; it need not exist for a Maildir++ parent named only in a child.
    std::filesystem::path directory(const std::string& key) const;
    // Whether `key` names a folder of this store.
    bool exists(const std::string& key) const;
    std::string displayName(const std::string& key) const;
    // The direct sub-folders, ordered by display name.
    std::vector<MaildirFolderInfo> children(const std::string& key) const;
    // Every folder key, the root first, parents before children.
    std::vector<std::string> allFolders() const;

private:
    std::filesystem::path m_root;
};

// A directory with cur/ or new/.
bool isMaildir(const std::filesystem::path& directory);

// Maildir++ folder names are IMAP's modified UTF-7 ("Entw&APw-rfe"); names that do not decode stay.
std::string decodeModifiedUtf7(const std::string& name);

} // namespace mapi
