#include "mapi/maildir/StoreFixture.h"

#include "mapi/EntryIds.h"
#include "mapi/RowTable.h"
#include "mapi/maildir/MaildirProvider.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace maildirtest {

using namespace mapi;

std::shared_ptr<IMsgStore> openStore(const std::filesystem::path& root) {
    ProviderRegistry registry;
    registerMaildirProvider(registry);
    const std::string url = "maildir:" + root.string();
    StoreLocation location{"Test Maildir", url, true, makeStoreEntryId(url), ""};
    std::shared_ptr<IMsgStore> store;
    const HRESULT hr = registry.open(location, store);
    if (failed(hr) || !store)
        throw std::runtime_error("Cannot open the Maildir store " + root.string());
    return store;
}

std::shared_ptr<IMAPIFolder> openFolder(IMsgStore& store, const Binary& entryId) {
    std::uint32_t type = 0;
    std::shared_ptr<IMAPIProp> object;
    if (failed(store.OpenEntry(entryId, Iid::IMAPIFolder, MAPI_BEST_ACCESS | MAPI_DEFERRED_ERRORS, type,
                               object)))
        throw std::runtime_error("Cannot open a folder");
    return std::dynamic_pointer_cast<IMAPIFolder>(object);
}

std::shared_ptr<IMAPIFolder> openRoot(IMsgStore& store) {
    Binary id;
    std::string explicitClass;
    if (failed(store.GetReceiveFolder("IPM", 0, id, explicitClass)))
        throw std::runtime_error("No receive folder");
    return openFolder(store, id);
}

std::shared_ptr<IMessage> openMessage(IMsgStore& store, const Binary& entryId) {
    std::uint32_t type = 0;
    std::shared_ptr<IMAPIProp> object;
    if (failed(store.OpenEntry(entryId, Iid::IMessage, MAPI_BEST_ACCESS, type, object)))
        throw std::runtime_error("Cannot open a message");
    return std::dynamic_pointer_cast<IMessage>(object);
}

namespace {

RowSet allRows(IMAPITable& table) {
    RowSet all;
    while (true) {
        RowSet batch;
        if (failed(table.QueryRows(25, 0, batch)))
            throw std::runtime_error("QueryRows failed");
        if (batch.empty())
            return all;
        all.insert(all.end(), batch.begin(), batch.end());
    }
}

} // namespace

RowSet contents(IMAPIFolder& folder) {
    std::shared_ptr<IMAPITable> table;
    if (failed(folder.GetContentsTable(0, table)))
        throw std::runtime_error("GetContentsTable failed");
    return allRows(*table);
}

RowSet hierarchy(IMAPIFolder& folder) {
    std::shared_ptr<IMAPITable> table;
    if (failed(folder.GetHierarchyTable(0, table)))
        throw std::runtime_error("GetHierarchyTable failed");
    return allRows(*table);
}

const PropValue& prop(const Row& row, PropTag tag) {
    const PropValue* value = findProp(row, tag);
    if (!value)
        throw std::runtime_error("Row without property " + std::to_string(tag));
    return *value;
}

std::string stringProp(const Row& row, PropTag tag) {
    const PropValue* value = findProp(row, tag);
    return value ? value->getString() : std::string();
}

BodyRead readBody(IMessage& message, std::uint32_t flags) {
    BodyRead read;
    std::shared_ptr<IStream> stream;
    read.result = message.OpenProperty(PR_BODY_A, Iid::IStream, 0, flags, stream);
    if (failed(read.result))
        return read;
    char buffer[4096] = {};
    while (true) {
        std::uint32_t got = 0;
        if (failed(stream->Read(buffer, 4095, got)))
            throw std::runtime_error("Read failed");
        if (got == 0)
            return read;
        read.text.append(buffer, got);
    }
}

Binary childFolderId(IMAPIFolder& parent, const std::string& displayName) {
    for (const auto& row : hierarchy(parent))
        if (stringProp(row, PR_DISPLAY_NAME_A) == displayName)
            return prop(row, PR_ENTRYID).getBinary();
    throw std::runtime_error("No sub-folder " + displayName);
}

std::string lastErrorText(IMAPIProp& object, HRESULT result) {
    std::optional<MapiError> error;
    object.GetLastError(result, 0, error);
    return error && error->error ? *error->error : std::string();
}

} // namespace maildirtest
