#pragma once
// The tree the folder enumeration fills: an interface of our own, so the chooser's widget (or a
// test) decides how nodes are shown. Nodes are named by handles the tree hands out.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace mailstore {

class TMapiUserFolder;

using FolderNode = std::uint64_t;

class IFolderTree {
public:
    virtual ~IFolderTree() = default;
    // A new top-level node; the tree owns `folder`, which may be null (a node without data).
    virtual FolderNode addTopLevelNode(const std::string& text, std::unique_ptr<TMapiUserFolder> folder) = 0;
    virtual void setImageIndex(FolderNode node, int index) = 0;
    virtual void setText(FolderNode node, const std::string& text) = 0;
    // Expands the node by one level.
    virtual void expand(FolderNode node) = 0;
};

// Adds a sub-folder under `parent` and takes the folder object; none when it added no node.
using AddNodeCallback = std::function<std::optional<FolderNode>(const std::string& name, FolderNode parent,
                                                                std::unique_ptr<TMapiUserFolder> folder)>;

} // namespace mailstore
