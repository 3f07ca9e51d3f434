#pragma once
// A mail store held in memory, built in code: folders with properties, messages with properties
// and a plain-text body. Tests build what they need and reach it through the provider of kind
// "memory" (MemoryProvider.h); the objects it hands out read and change this data.

#include "mapi/PropValue.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mapi::memory {

struct FolderRef {
    std::uint64_t key = 0;
    friend bool operator==(const FolderRef&, const FolderRef&) = default;
};
struct MessageRef {
    std::uint64_t key = 0;
    friend bool operator==(const MessageRef&, const MessageRef&) = default;
};

class MemoryStore {
public:
    // A store at URL "memory:<name>" with an empty root folder as its IPM subtree.
    explicit MemoryStore(std::string name);

    const std::string& name() const { return m_name; }
    std::string url() const { return "memory:" + m_name; }
    // The store's entry id as a profile naming url() gives it.
    const Binary& entryId() const { return m_entryId; }

    FolderRef root() const { return FolderRef{m_rootKey}; }
    FolderRef addFolder(FolderRef parent, const std::string& displayName);
    MessageRef addMessage(FolderRef folder, std::vector<PropValue> props,
                          std::optional<std::string> body = {});
    // The folder GetReceiveFolder("IPM") answers; none answers MAPI_E_NOT_FOUND.
    void setReceiveFolder(std::optional<FolderRef> folder) { m_receiveFolder = folder; }
    std::optional<FolderRef> receiveFolder() const { return m_receiveFolder; }

    // Store properties: PR_DISPLAY_NAME_A, PR_IPM_SUBTREE_ENTRYID (the root) and
    // PR_STORE_SUPPORT_MASK (0) are set at creation; any can be replaced or removed.
    void setStoreProp(PropValue value);
    void removeStoreProp(PropTag tag);
    std::vector<PropValue> storeProps() const;

    // Folder and message properties. PR_ENTRYID is computed; a folder's PR_SUBFOLDERS is
    // computed from its children unless set here.
    void setProp(FolderRef folder, PropValue value);
    void setProp(MessageRef message, PropValue value);
    void removeProp(FolderRef folder, PropTag tag);
    void removeProp(MessageRef message, PropTag tag);
    std::optional<PropValue> prop(FolderRef folder, PropTag tag) const;
    std::optional<PropValue> prop(MessageRef message, PropTag tag) const;
    std::vector<PropValue> props(FolderRef folder) const;
    std::vector<PropValue> props(MessageRef message) const;

    void setBody(MessageRef message, std::optional<std::string> body);
    std::optional<std::string> body(MessageRef message) const;

    Binary entryIdOf(FolderRef folder) const;
    Binary entryIdOf(MessageRef message) const;
    std::vector<FolderRef> subfolders(FolderRef folder) const;
    std::vector<MessageRef> messages(FolderRef folder) const;
    FolderRef folderOf(MessageRef message) const;
    bool exists(MessageRef message) const;
    // Grows with every change of the message, so an opened copy can tell it is stale.
    std::uint64_t version(MessageRef message) const;

    // For the provider's objects: the object named by an entry id key, if any.
    struct Lookup {
        bool isFolder = false;
        std::uint64_t key = 0;
    };
    std::optional<Lookup> find(const Binary& key) const;
    static Binary keyBytes(std::uint64_t key);
    // Replaces the message's properties as a save does, and moves a message between folders.
    void commit(MessageRef message, std::vector<PropValue> props);
    void move(MessageRef message, FolderRef destination);
    MessageRef copy(MessageRef message, FolderRef destination);

private:
    struct Node {
        bool isFolder = false;
        std::uint64_t parent = 0;
        std::vector<PropValue> props;
        std::optional<std::string> body;
        std::uint64_t version = 1;
        std::vector<std::uint64_t> folders;
        std::vector<std::uint64_t> messages;
    };

    Node& node(std::uint64_t key);
    const Node& node(std::uint64_t key) const;
    std::uint64_t addNode(Node node);

    std::string m_name;
    Binary m_entryId;
    std::map<std::uint64_t, Node> m_nodes;
    std::uint64_t m_nextKey = 1;
    std::uint64_t m_rootKey = 0;
    std::optional<FolderRef> m_receiveFolder;
    std::vector<PropValue> m_storeProps;
};

// Sets `value` in `props`, replacing a value of the same tag.
void putProp(std::vector<PropValue>& props, PropValue value);

} // namespace mapi::memory
