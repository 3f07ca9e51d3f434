#pragma once
// The folders of an IMAP account as LIST "" "*" gives them, arranged as the Maildir store arranges
// its folders: INBOX is the root (the receive folder and the top of the tree), every other
// top-level mailbox and INBOX's own sub-folders are its children. Names are split at the server's
// delimiter and shown decoded from modified UTF-7. A parent the server does not list, and a
// \Noselect mailbox, is a folder that holds no messages.

#include "mapi/imap/ImapConnection.h"

#include <map>
#include <string>
#include <vector>

namespace mapi {

constexpr const char* kInbox = "INBOX";

class ImapFolderTree {
public:
    ImapFolderTree() = default;
    explicit ImapFolderTree(const std::vector<ImapMailbox>& mailboxes);

    bool exists(const std::string& name) const { return m_folders.count(name) != 0; }
    bool selectable(const std::string& name) const;
    std::string displayName(const std::string& name) const;
    // The mailbox names of the folder's children, ordered by display name.
    std::vector<std::string> children(const std::string& name) const;

private:
    struct Folder {
        std::string displayName;
        bool selectable = false;
        std::vector<std::string> children;
    };
    void add(const std::string& name, char delimiter, bool selectable);

    std::map<std::string, Folder> m_folders;
};

} // namespace mapi
