#include "mapi/memory/MemoryObjects.h"

#include "mapi/EntryIds.h"
#include "mapi/RowTable.h"

#include <algorithm>
#include <cstring>

namespace mapi::memory {

constexpr HRESULT MAPI_E_COMPUTED = hresult(0x8004011A);

HRESULT selectProps(const std::vector<PropValue>& props, const std::vector<PropTag>& tags,
                    std::vector<PropValue>& values) {
    values.clear();
    if (tags.empty()) {
        values = props;
        return S_OK;
    }
    HRESULT hr = S_OK;
    for (const PropTag tag : tags) {
        const PropValue* found = findProp(props, tag);
        if (found) {
            values.push_back(*found);
        } else {
            values.push_back(PropValue::error(tag, MAPI_E_NOT_FOUND));
            hr = MAPI_W_ERRORS_RETURNED;
        }
    }
    return hr;
}

namespace {

class MemoryStream : public IStream {
public:
    explicit MemoryStream(std::string bytes) : m_bytes(std::move(bytes)) {}

    HRESULT Read(void* buffer, std::uint32_t count, std::uint32_t& read) override {
        read = static_cast<std::uint32_t>(std::min<std::size_t>(count, m_bytes.size() - m_position));
        std::memcpy(buffer, m_bytes.data() + m_position, read);
        m_position += read;
        return S_OK;
    }

private:
    std::string m_bytes;
    std::size_t m_position = 0;
};

// What every memory object shares: the store data, the store's entry id, the last error.
class MemoryObjectBase {
protected:
    MemoryObjectBase(std::shared_ptr<MemoryStore> data, Binary storeEntryId)
        : m_data(std::move(data)), m_storeEntryId(std::move(storeEntryId)) {}

    HRESULT fail(HRESULT code, std::string text) {
        m_lastError = MapiError{std::move(text), std::string("memory store ") + m_data->name()};
        return code;
    }
    HRESULT lastError(std::optional<MapiError>& error) const {
        error = m_lastError;
        return S_OK;
    }

    std::shared_ptr<MemoryStore> m_data;
    Binary m_storeEntryId;
    std::optional<MapiError> m_lastError;
};

// The entry ids the data computes for itself use its own store id; objects answer with the
// id the profile gave the store, so that both agree on every id they hand out.
Binary localEntryId(const Binary& storeEntryId, std::uint64_t key) {
    return makeObjectEntryId(storeEntryId, MemoryStore::keyBytes(key));
}

std::vector<PropValue> withEntryId(std::vector<PropValue> props, const Binary& storeEntryId,
                                   std::uint64_t key) {
    putProp(props, PropValue::binary(PR_ENTRYID, localEntryId(storeEntryId, key)));
    return props;
}

class MemoryFolder : public IMAPIFolder, private MemoryObjectBase {
public:
    MemoryFolder(std::shared_ptr<MemoryStore> data, Binary storeEntryId, FolderRef folder)
        : MemoryObjectBase(std::move(data), std::move(storeEntryId)), m_folder(folder) {}

    FolderRef folder() const { return m_folder; }
    const std::shared_ptr<MemoryStore>& data() const { return m_data; }

    HRESULT GetLastError(HRESULT, std::uint32_t, std::optional<MapiError>& error) override {
        return lastError(error);
    }
    HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t,
                     std::vector<PropValue>& values) override {
        return selectProps(withEntryId(m_data->props(m_folder), m_storeEntryId, m_folder.key), tags, values);
    }
    HRESULT SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) override {
        if (problems)
            problems->clear();
        for (std::uint32_t i = 0; i < values.size(); ++i) {
            if (values[i].tag == PR_ENTRYID) {
                if (problems)
                    problems->push_back({i, values[i].tag, MAPI_E_COMPUTED});
                continue;
            }
            m_data->setProp(m_folder, values[i]);
        }
        return S_OK;
    }
    HRESULT SaveChanges(std::uint32_t) override { return S_OK; }
    HRESULT OpenProperty(PropTag tag, Iid, std::uint32_t, std::uint32_t,
                         std::shared_ptr<IStream>& stream) override {
        stream.reset();
        return fail(MAPI_E_NOT_FOUND, "folders have no streamed properties");
    }
    HRESULT OpenEntry(const Binary& entryId, Iid iid, std::uint32_t, std::uint32_t& objectType,
                      std::shared_ptr<IMAPIProp>& object) override {
        const HRESULT hr = openMemoryEntry(m_data, m_storeEntryId, entryId, iid, objectType, object);
        return failed(hr) ? fail(hr, "no object of the wanted kind has this entry id") : hr;
    }
    HRESULT GetContentsTable(std::uint32_t, std::shared_ptr<IMAPITable>& table) override {
        RowSet rows;
        for (const auto message : m_data->messages(m_folder))
            rows.push_back(withEntryId(m_data->props(message), m_storeEntryId, message.key));
        table = std::make_shared<RowTable>(std::move(rows));
        return S_OK;
    }
    HRESULT GetHierarchyTable(std::uint32_t, std::shared_ptr<IMAPITable>& table) override {
        RowSet rows;
        for (const auto folder : m_data->subfolders(m_folder))
            rows.push_back(withEntryId(m_data->props(folder), m_storeEntryId, folder.key));
        table = std::make_shared<RowTable>(std::move(rows));
        return S_OK;
    }
    HRESULT CopyMessages(const std::vector<Binary>& entryList, Iid, IMAPIFolder& destination, std::uintptr_t,
                         void*, std::uint32_t flags) override {
        auto* target = dynamic_cast<MemoryFolder*>(&destination);
        if (!target || target->data() != m_data)
            return fail(MAPI_E_INVALID_PARAMETER, "the destination is not a folder of this memory store");
        HRESULT hr = S_OK;
        for (const auto& entryId : entryList) {
            const auto key = objectKey(entryId, m_storeEntryId);
            const auto found = key ? m_data->find(*key) : std::nullopt;
            if (!found || found->isFolder || !(m_data->folderOf(MessageRef{found->key}) == m_folder)) {
                hr = MAPI_W_PARTIAL_COMPLETION;
                continue;
            }
            if (flags & MESSAGE_MOVE)
                m_data->move(MessageRef{found->key}, target->folder());
            else
                m_data->copy(MessageRef{found->key}, target->folder());
        }
        return hr;
    }

private:
    FolderRef m_folder;
};

class MemoryMessage : public IMessage, private MemoryObjectBase {
public:
    MemoryMessage(std::shared_ptr<MemoryStore> data, Binary storeEntryId, MessageRef message)
        : MemoryObjectBase(std::move(data), std::move(storeEntryId)), m_message(message),
          m_props(m_data->props(message)), m_version(m_data->version(message)) {
        std::erase_if(m_props, [](const PropValue& value) { return value.tag == PR_ENTRYID; });
    }

    HRESULT GetLastError(HRESULT, std::uint32_t, std::optional<MapiError>& error) override {
        return lastError(error);
    }
    HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t,
                     std::vector<PropValue>& values) override {
        return selectProps(withEntryId(m_props, m_storeEntryId, m_message.key), tags, values);
    }
    HRESULT SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) override {
        if (problems)
            problems->clear();
        for (std::uint32_t i = 0; i < values.size(); ++i) {
            if (values[i].tag == PR_ENTRYID) {
                if (problems)
                    problems->push_back({i, values[i].tag, MAPI_E_COMPUTED});
                continue;
            }
            putProp(m_props, values[i]);
        }
        return S_OK;
    }
    HRESULT SaveChanges(std::uint32_t flags) override {
        if (!m_data->exists(m_message))
            return fail(MAPI_E_OBJECT_DELETED, "the message was deleted since it was opened");
        if (m_data->version(m_message) != m_version && !(flags & FORCE_SAVE))
            return fail(MAPI_E_OBJECT_CHANGED, "the message changed since it was opened");
        m_data->commit(m_message, m_props);
        m_version = m_data->version(m_message);
        return S_OK;
    }
    HRESULT OpenProperty(PropTag tag, Iid iid, std::uint32_t, std::uint32_t,
                         std::shared_ptr<IStream>& stream) override {
        stream.reset();
        if (iid != Iid::IStream)
            return fail(MAPI_E_INTERFACE_NOT_SUPPORTED, "properties open only as streams");
        if (tag == PR_BODY_A) {
            const auto body = m_data->body(m_message);
            if (!body)
                return fail(MAPI_E_NOT_FOUND, "the message has no plain-text body");
            stream = std::make_shared<MemoryStream>(*body);
            return S_OK;
        }
        const PropValue* value = findProp(m_props, tag);
        const auto* text = value ? std::get_if<std::string>(&value->value) : nullptr;
        if (!text)
            return fail(MAPI_E_NOT_FOUND, "the message has no such text property");
        stream = std::make_shared<MemoryStream>(*text);
        return S_OK;
    }
    HRESULT SetReadFlag(std::uint32_t) override {
        if (!m_data->exists(m_message))
            return fail(MAPI_E_OBJECT_DELETED, "the message was deleted since it was opened");
        // The read flag is written at once, as MAPI does, without SaveChanges.
        const auto stored = m_data->prop(m_message, PR_MESSAGE_FLAGS);
        const auto* storedFlags = stored ? std::get_if<std::int32_t>(&stored->value) : nullptr;
        const std::int32_t flags = storedFlags ? *storedFlags : 0;
        const auto value =
            PropValue::integer(PR_MESSAGE_FLAGS, flags | static_cast<std::int32_t>(MSGFLAG_READ));
        const bool current = m_data->version(m_message) == m_version;
        m_data->setProp(m_message, value);
        putProp(m_props, value);
        if (current)
            m_version = m_data->version(m_message);
        return S_OK;
    }

private:
    MessageRef m_message;
    std::vector<PropValue> m_props;
    std::uint64_t m_version;
};

} // namespace

HRESULT openMemoryEntry(const std::shared_ptr<MemoryStore>& data, const Binary& storeEntryId,
                        const Binary& entryId, Iid iid, std::uint32_t& objectType,
                        std::shared_ptr<IMAPIProp>& object) {
    object.reset();
    const auto key = objectKey(entryId, storeEntryId);
    if (!key)
        return MAPI_E_INVALID_ENTRYID;
    const auto found = data->find(*key);
    if (!found)
        return MAPI_E_NOT_FOUND;
    if (found->isFolder) {
        if (iid != Iid::IMAPIFolder && iid != Iid::IMAPIProp)
            return MAPI_E_INTERFACE_NOT_SUPPORTED;
        objectType = MAPI_FOLDER;
        object = std::make_shared<MemoryFolder>(data, storeEntryId, FolderRef{found->key});
        return S_OK;
    }
    if (iid != Iid::IMessage && iid != Iid::IMAPIProp)
        return MAPI_E_INTERFACE_NOT_SUPPORTED;
    objectType = MAPI_MESSAGE;
    object = std::make_shared<MemoryMessage>(data, storeEntryId, MessageRef{found->key});
    return S_OK;
}

MemoryMsgStore::MemoryMsgStore(std::shared_ptr<MemoryStore> data, Binary entryId)
    : m_data(std::move(data)), m_entryId(std::move(entryId)) {}

HRESULT MemoryMsgStore::GetLastError(HRESULT, std::uint32_t, std::optional<MapiError>& error) {
    error = m_lastError;
    return S_OK;
}

HRESULT MemoryMsgStore::GetProps(const std::vector<PropTag>& tags, std::uint32_t,
                                 std::vector<PropValue>& values) {
    auto props = m_data->storeProps();
    putProp(props, PropValue::binary(PR_ENTRYID, m_entryId));
    // The IPM subtree answers with the id the profile gave the store, like every other id.
    for (auto& value : props)
        if (const auto* bytes = std::get_if<Binary>(&value.value))
            if (const auto key = objectKey(*bytes, m_data->entryId()); key && !key->empty())
                value = PropValue::binary(value.tag, makeObjectEntryId(m_entryId, *key));
    return selectProps(props, tags, values);
}

HRESULT MemoryMsgStore::SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) {
    if (problems)
        problems->clear();
    for (const auto& value : values)
        m_data->setStoreProp(value);
    return S_OK;
}

HRESULT MemoryMsgStore::SaveChanges(std::uint32_t) {
    return S_OK;
}

HRESULT MemoryMsgStore::OpenProperty(PropTag, Iid, std::uint32_t, std::uint32_t,
                                     std::shared_ptr<IStream>& stream) {
    stream.reset();
    return MAPI_E_NOT_FOUND;
}

HRESULT MemoryMsgStore::OpenEntry(const Binary& entryId, Iid iid, std::uint32_t, std::uint32_t& objectType,
                                  std::shared_ptr<IMAPIProp>& object) {
    const HRESULT hr = openMemoryEntry(m_data, m_entryId, entryId, iid, objectType, object);
    if (failed(hr))
        m_lastError = MapiError{std::string("no object of the wanted kind has this entry id"),
                                "memory store " + m_data->name()};
    return hr;
}

HRESULT MemoryMsgStore::GetReceiveFolder(const std::string&, std::uint32_t, Binary& entryId,
                                         std::string& explicitClass) {
    const auto folder = m_data->receiveFolder();
    if (!folder) {
        m_lastError =
            MapiError{std::string("the store has no receive folder"), "memory store " + m_data->name()};
        return MAPI_E_NOT_FOUND;
    }
    entryId = makeObjectEntryId(m_entryId, MemoryStore::keyBytes(folder->key));
    explicitClass = "IPM";
    return S_OK;
}

HRESULT MemoryMsgStore::StoreLogoff(std::uint32_t&) {
    return S_OK;
}

} // namespace mapi::memory
