#include "ui/FolderPaths.h"

#include "mailstore/FolderTree.h"

#include <algorithm>
#include <optional>

namespace ui {

namespace {

// The chooser's tree without a widget: nodes keep their design text, so a store whose walk failed
// part-way still names its folders by the store's name; the error is kept beside it.
class PathTree : public mailstore::IFolderTree {
public:
    struct Node {
        std::string text;
        std::string error;
        std::unique_ptr<mailstore::TMapiUserFolder> folder;
        std::vector<mailstore::FolderNode> children;
    };

    mailstore::FolderNode addTopLevelNode(const std::string& text,
                                          std::unique_ptr<mailstore::TMapiUserFolder> folder) override {
        const mailstore::FolderNode node = addNode(text, std::move(folder));
        if (!m_nodes[node].folder)
            m_nodes[node].error = text;
        m_roots.push_back(node);
        return node;
    }
    void setImageIndex(mailstore::FolderNode, int) override {}
    void setText(mailstore::FolderNode node, const std::string& text) override { m_nodes[node].error = text; }
    void expand(mailstore::FolderNode) override {}

    std::optional<mailstore::FolderNode> addChild(const std::string& name, mailstore::FolderNode parent,
                                                  std::unique_ptr<mailstore::TMapiUserFolder> folder) {
        const mailstore::FolderNode node = addNode(name, std::move(folder));
        m_nodes[parent].children.push_back(node);
        return node;
    }

    void collect(const platform::Locale& locale, std::vector<FolderPathEntry>& out) {
        sortLevel(m_roots, locale);
        for (const mailstore::FolderNode root : m_roots)
            collect(root, "", locale, out);
    }

private:
    mailstore::FolderNode addNode(const std::string& text,
                                  std::unique_ptr<mailstore::TMapiUserFolder> folder) {
        m_nodes.push_back(Node{text, {}, std::move(folder), {}});
        return m_nodes.size() - 1;
    }

    void sortLevel(std::vector<mailstore::FolderNode>& level, const platform::Locale& locale) {
        std::stable_sort(level.begin(), level.end(), [&](mailstore::FolderNode a, mailstore::FolderNode b) {
            return locale.compareTextIgnoreCase(m_nodes[a].text, m_nodes[b].text) < 0;
        });
    }

    void collect(mailstore::FolderNode node, const std::string& prefix, const platform::Locale& locale,
                 std::vector<FolderPathEntry>& out) {
        Node& n = m_nodes[node];
        const std::string path = prefix.empty() ? n.text : prefix + "\\" + n.text;
        out.push_back(FolderPathEntry{path, std::move(n.folder), n.error});
        sortLevel(n.children, locale);
        for (const mailstore::FolderNode child : n.children)
            collect(child, path, locale, out);
    }

    std::vector<Node> m_nodes;
    std::vector<mailstore::FolderNode> m_roots;
};

} // namespace

std::vector<FolderPathEntry> folderPaths(mailstore::TMapiSession& session, const platform::Locale& locale) {
    PathTree tree;
    session.EnumerateFolders(tree, [&tree](const std::string& name, mailstore::FolderNode parent,
                                           std::unique_ptr<mailstore::TMapiUserFolder> folder) {
        return tree.addChild(name, parent, std::move(folder));
    });
    std::vector<FolderPathEntry> entries;
    tree.collect(locale, entries);
    return entries;
}

const FolderPathEntry* findFolderPath(const std::vector<FolderPathEntry>& entries, const std::string& path) {
    const FolderPathEntry* caseless = nullptr;
    int caselessCount = 0;
    const std::string wanted = platform::upperCaseUtf8(path);
    for (const FolderPathEntry& entry : entries) {
        if (!entry.folder)
            continue;
        if (entry.path == path)
            return &entry;
        if (platform::upperCaseUtf8(entry.path) == wanted) {
            caseless = &entry;
            ++caselessCount;
        }
    }
    return caselessCount == 1 ? caseless : nullptr;
}

} // namespace ui
