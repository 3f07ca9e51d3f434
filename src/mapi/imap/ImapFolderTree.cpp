#include "mapi/imap/ImapFolderTree.h"

#include "mapi/maildir/MaildirTree.h"

#include <algorithm>
#include <strings.h>

namespace mapi {
namespace {

bool isInbox(const std::string& name) {
    return strcasecmp(name.c_str(), kInbox) == 0;
}

} // namespace

ImapFolderTree::ImapFolderTree(const std::vector<ImapMailbox>& mailboxes) {
    m_folders[kInbox] = Folder{"Inbox", true, {}};
    for (const auto& mailbox : mailboxes)
        if (!isInbox(mailbox.name))
            add(mailbox.name, mailbox.delimiter, mailbox.selectable);
    for (auto& [name, folder] : m_folders)
        std::stable_sort(folder.children.begin(), folder.children.end(),
                         [this](const auto& a, const auto& b) {
                             return strcasecmp(m_folders.at(a).displayName.c_str(),
                                               m_folders.at(b).displayName.c_str()) < 0;
                         });
}

void ImapFolderTree::add(const std::string& name, char delimiter, bool selectable) {
    if (auto found = m_folders.find(name); found != m_folders.end()) {
        found->second.selectable = found->second.selectable || selectable;
        return;
    }
    const auto split = delimiter ? name.rfind(delimiter) : std::string::npos;
    std::string parent = split == std::string::npos ? std::string(kInbox) : name.substr(0, split);
    if (isInbox(parent))
        parent = kInbox;
    else
        add(parent, delimiter, false);
    const std::string leaf = split == std::string::npos ? name : name.substr(split + 1);
    m_folders[name] = Folder{decodeModifiedUtf7(leaf), selectable, {}};
    m_folders[parent].children.push_back(name);
}

bool ImapFolderTree::selectable(const std::string& name) const {
    const auto found = m_folders.find(name);
    return found != m_folders.end() && found->second.selectable;
}

std::string ImapFolderTree::displayName(const std::string& name) const {
    const auto found = m_folders.find(name);
    return found == m_folders.end() ? std::string() : found->second.displayName;
}

std::vector<std::string> ImapFolderTree::children(const std::string& name) const {
    const auto found = m_folders.find(name);
    return found == m_folders.end() ? std::vector<std::string>() : found->second.children;
}

} // namespace mapi
