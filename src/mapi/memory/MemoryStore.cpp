#include "mapi/memory/MemoryStore.h"

#include "mapi/EntryIds.h"

#include <algorithm>
#include <stdexcept>

namespace mapi::memory {

void putProp(std::vector<PropValue>& props, PropValue value) {
    for (auto& existing : props)
        if (existing.tag == value.tag) {
            existing = std::move(value);
            return;
        }
    props.push_back(std::move(value));
}

namespace {

void eraseProp(std::vector<PropValue>& props, PropTag tag) {
    std::erase_if(props, [tag](const PropValue& value) { return value.tag == tag; });
}

std::optional<PropValue> findIn(const std::vector<PropValue>& props, PropTag tag) {
    for (const auto& value : props)
        if (value.tag == tag)
            return value;
    return std::nullopt;
}

} // namespace

MemoryStore::MemoryStore(std::string name) : m_name(std::move(name)), m_entryId(makeStoreEntryId(url())) {
    Node root;
    root.isFolder = true;
    root.props.push_back(PropValue::string(PR_DISPLAY_NAME_A, "Top of Information Store"));
    m_rootKey = addNode(std::move(root));
    m_storeProps = {PropValue::string(PR_DISPLAY_NAME_A, m_name),
                    PropValue::binary(PR_IPM_SUBTREE_ENTRYID, entryIdOf(this->root())),
                    PropValue::integer(PR_STORE_SUPPORT_MASK, 0)};
}

MemoryStore::Node& MemoryStore::node(std::uint64_t key) {
    const auto found = m_nodes.find(key);
    if (found == m_nodes.end())
        throw std::out_of_range("no object " + std::to_string(key) + " in memory store " + m_name);
    return found->second;
}

const MemoryStore::Node& MemoryStore::node(std::uint64_t key) const {
    return const_cast<MemoryStore*>(this)->node(key);
}

std::uint64_t MemoryStore::addNode(Node node) {
    const std::uint64_t key = m_nextKey++;
    m_nodes.emplace(key, std::move(node));
    return key;
}

FolderRef MemoryStore::addFolder(FolderRef parent, const std::string& displayName) {
    Node folder;
    folder.isFolder = true;
    folder.parent = parent.key;
    folder.props.push_back(PropValue::string(PR_DISPLAY_NAME_A, displayName));
    Node& parentNode = node(parent.key);
    const std::uint64_t key = addNode(std::move(folder));
    parentNode.folders.push_back(key);
    return FolderRef{key};
}

MessageRef MemoryStore::addMessage(FolderRef folder, std::vector<PropValue> props,
                                   std::optional<std::string> body) {
    Node message;
    message.parent = folder.key;
    message.props = std::move(props);
    message.body = std::move(body);
    Node& folderNode = node(folder.key);
    const std::uint64_t key = addNode(std::move(message));
    folderNode.messages.push_back(key);
    return MessageRef{key};
}

void MemoryStore::setStoreProp(PropValue value) {
    putProp(m_storeProps, std::move(value));
}

void MemoryStore::removeStoreProp(PropTag tag) {
    eraseProp(m_storeProps, tag);
}

std::vector<PropValue> MemoryStore::storeProps() const {
    auto props = m_storeProps;
    putProp(props, PropValue::binary(PR_ENTRYID, m_entryId));
    return props;
}

void MemoryStore::setProp(FolderRef folder, PropValue value) {
    putProp(node(folder.key).props, std::move(value));
}

void MemoryStore::setProp(MessageRef message, PropValue value) {
    Node& n = node(message.key);
    putProp(n.props, std::move(value));
    ++n.version;
}

void MemoryStore::removeProp(FolderRef folder, PropTag tag) {
    eraseProp(node(folder.key).props, tag);
}

void MemoryStore::removeProp(MessageRef message, PropTag tag) {
    Node& n = node(message.key);
    eraseProp(n.props, tag);
    ++n.version;
}

std::vector<PropValue> MemoryStore::props(FolderRef folder) const {
    const Node& n = node(folder.key);
    auto props = n.props;
    putProp(props, PropValue::binary(PR_ENTRYID, entryIdOf(folder)));
    if (!findIn(n.props, PR_SUBFOLDERS))
        putProp(props, PropValue::boolean(PR_SUBFOLDERS, !n.folders.empty()));
    return props;
}

std::vector<PropValue> MemoryStore::props(MessageRef message) const {
    auto props = node(message.key).props;
    putProp(props, PropValue::binary(PR_ENTRYID, entryIdOf(message)));
    return props;
}

std::optional<PropValue> MemoryStore::prop(FolderRef folder, PropTag tag) const {
    return findIn(props(folder), tag);
}

std::optional<PropValue> MemoryStore::prop(MessageRef message, PropTag tag) const {
    return findIn(props(message), tag);
}

void MemoryStore::setBody(MessageRef message, std::optional<std::string> body) {
    Node& n = node(message.key);
    n.body = std::move(body);
    ++n.version;
}

std::optional<std::string> MemoryStore::body(MessageRef message) const {
    return node(message.key).body;
}

Binary MemoryStore::keyBytes(std::uint64_t key) {
    Binary bytes;
    for (int i = 0; i < 8; ++i)
        bytes.push_back(static_cast<std::uint8_t>(key >> (8 * i)));
    return bytes;
}

Binary MemoryStore::entryIdOf(FolderRef folder) const {
    return makeObjectEntryId(m_entryId, keyBytes(folder.key));
}

Binary MemoryStore::entryIdOf(MessageRef message) const {
    return makeObjectEntryId(m_entryId, keyBytes(message.key));
}

std::vector<FolderRef> MemoryStore::subfolders(FolderRef folder) const {
    std::vector<FolderRef> result;
    for (const auto key : node(folder.key).folders)
        result.push_back(FolderRef{key});
    return result;
}

std::vector<MessageRef> MemoryStore::messages(FolderRef folder) const {
    std::vector<MessageRef> result;
    for (const auto key : node(folder.key).messages)
        result.push_back(MessageRef{key});
    return result;
}

FolderRef MemoryStore::folderOf(MessageRef message) const {
    return FolderRef{node(message.key).parent};
}

bool MemoryStore::exists(MessageRef message) const {
    const auto found = m_nodes.find(message.key);
    return found != m_nodes.end() && !found->second.isFolder;
}

std::uint64_t MemoryStore::version(MessageRef message) const {
    return node(message.key).version;
}

std::optional<MemoryStore::Lookup> MemoryStore::find(const Binary& key) const {
    if (key.size() != 8)
        return std::nullopt;
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | key[i];
    const auto found = m_nodes.find(value);
    if (found == m_nodes.end())
        return std::nullopt;
    return Lookup{found->second.isFolder, value};
}

void MemoryStore::commit(MessageRef message, std::vector<PropValue> props) {
    Node& n = node(message.key);
    n.props = std::move(props);
    ++n.version;
}

void MemoryStore::move(MessageRef message, FolderRef destination) {
    Node& n = node(message.key);
    Node& target = node(destination.key);
    std::erase(node(n.parent).messages, message.key);
    target.messages.push_back(message.key);
    n.parent = destination.key;
}

MessageRef MemoryStore::copy(MessageRef message, FolderRef destination) {
    const Node& n = node(message.key);
    return addMessage(destination, n.props, n.body);
}

} // namespace mapi::memory
