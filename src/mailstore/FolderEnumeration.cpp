// The walk over one store's folders for the folder chooser: the store's root under a top-level
// node, then every sub-folder depth first in hierarchy-table order. Errors stay inside the store.

#include "mailstore/MapiBuffers.h"
#include "mailstore/MapiException.h"
#include "mailstore/TMapiSession.h"
#include "mailstore/TMapiUserFolder.h"

#include <algorithm>
#include <array>

namespace mailstore {
namespace {

// The provider id of public-folder stores.
constexpr std::array<std::uint8_t, 16> kPublicStoreProvider{0x78, 0xB2, 0xFA, 0x70, 0xAF, 0xF7, 0x11, 0xCD,
                                                            0x9B, 0xC8, 0x00, 0xAA, 0x00, 0x2F, 0xC4, 0x5A};

bool isPublicFolderStore(mapi::IMsgStore& store) {
    std::vector<mapi::PropValue> values;
    if (store.GetProps({mapi::PR_MDB_PROVIDER}, 0, values) != mapi::S_OK || values.empty())
        return false;
    const auto* bytes = std::get_if<mapi::Binary>(&values.front().value);
    return values.front().tag == mapi::PR_MDB_PROVIDER && bytes &&
           std::equal(bytes->begin(), bytes->end(), kPublicStoreProvider.begin(), kPublicStoreProvider.end());
}

// Reads the root folder's entry id from one store property, copied into a MAPI buffer held by
// `buffer`. The read fails with MAPI_E_NOT_FOUND when the store lacks the property and with
// MAPI_E_CALL_FAILED for any other failed or unexpected answer.
mapi::Binary readRootEntryId(TStore& store, mapi::IMsgStore& opened, mapi::PropTag tag,
                             const std::string& context, ScopedBuffer& buffer) {
    std::vector<mapi::PropValue> values;
    const mapi::HRESULT hr = opened.GetProps({tag}, 0, values);
    mapi::HRESULT result = mapi::S_OK;
    if (hr == mapi::MAPI_W_ERRORS_RETURNED) {
        const bool notFound = !values.empty() && mapi::propType(values.front().tag) == mapi::PT_ERROR &&
                              std::get_if<mapi::ErrorValue>(&values.front().value) &&
                              values.front().getError() == mapi::MAPI_E_NOT_FOUND;
        result = notFound ? mapi::MAPI_E_NOT_FOUND : mapi::MAPI_E_CALL_FAILED;
    } else if (mapi::failed(hr)) {
        result = mapi::MAPI_E_CALL_FAILED;
    } else if (values.empty()) {
        throw MapiException("ZERO cValues variable");
    }
    const mapi::Binary* bytes = nullptr;
    if (mapi::succeeded(result)) {
        bytes = std::get_if<mapi::Binary>(&values.front().value);
        if (values.front().tag != tag || !bytes)
            result = mapi::MAPI_E_CALL_FAILED;
        else if (mapi::failed(buffer.allocate(bytes->size())))
            result = mapi::MAPI_E_NOT_ENOUGH_MEMORY;
    }
    CheckMapiResult(store.details(), context, result);
    return *bytes;
}

std::string stringValue(const std::vector<mapi::PropValue>& values, std::size_t index, mapi::PropTag tag) {
    if (index >= values.size() || values[index].tag != tag)
        return {};
    const auto* text = std::get_if<std::string>(&values[index].value);
    return text ? *text : std::string();
}

void walk(const std::shared_ptr<mapi::IMAPIFolder>& folder, FolderNode parent,
          const std::shared_ptr<TStore>& store, const AddNodeCallback& addNode) {
    if (!folder)
        return;
    const DetailsSource details = store->details();
    mapi::IMapi* mapi = store->mapi();

    std::shared_ptr<mapi::IMAPITable> table;
    CheckMapiResult(details, "550", folder->GetHierarchyTable(0, table));
    std::uint32_t count = 0;
    CheckMapiResult(details, "560", table->GetRowCount(0, count));
    if (count == 0)
        return;

    ScopedBuffer columns(mapi);
    CheckMapiResult(details, "570", columns.allocate(tagArraySize(1)));
    CheckMapiResult(details, "580", table->SetColumns({mapi::PR_ENTRYID}, 0));
    CheckMapiResult(details, "590", columns.release());
    mapi::RowSet rows;
    // Every sub-folder in one batch.
    CheckMapiResult(details, "600", table->QueryRows(static_cast<std::int32_t>(count), 0, rows));
    if (rows.empty())
        return;

    const std::vector<mapi::PropTag> tags{mapi::PR_DISPLAY_NAME_A, mapi::PR_ENTRYID, mapi::PR_SUBFOLDERS};
    ScopedBuffer tagArray(mapi);
    CheckMapiResult(details, "610", tagArray.allocate(tagArraySize(tags.size())));
    for (const auto& row : rows) {
        mapi::Binary rowEntryId;
        if (!row.empty() && row[0].tag == mapi::PR_ENTRYID)
            if (const auto* bytes = std::get_if<mapi::Binary>(&row[0].value))
                rowEntryId = *bytes;
        std::uint32_t objectType = 0;
        std::shared_ptr<mapi::IMAPIProp> child;
        CheckMapiResult(details, "620",
                        folder->OpenEntry(rowEntryId, mapi::Iid::IMAPIProp, mapi::MAPI_DEFERRED_ERRORS,
                                          objectType, child));
        std::vector<mapi::PropValue> values;
        CheckMapiResult(details, "630", child->GetProps(tags, 0, values));

        auto childFolder = std::make_unique<TMapiUserFolder>(store);
        if (values.size() > 1 && values[1].tag == mapi::PR_ENTRYID)
            if (const auto* bytes = std::get_if<mapi::Binary>(&values[1].value))
                childFolder->entryId().assign(*bytes);
        const mapi::Binary childEntryId = childFolder->entryId().toBinary();
        const bool hasSubfolders = values.size() > 2 && values[2].tag == mapi::PR_SUBFOLDERS &&
                                   std::get_if<bool>(&values[2].value) && values[2].getBool();

        const auto node =
            addNode(stringValue(values, 0, mapi::PR_DISPLAY_NAME_A), parent, std::move(childFolder));
        if (node && hasSubfolders) {
            std::shared_ptr<mapi::IMAPIProp> opened;
            // A sub-folder that cannot be opened is simply not looked into.
            folder->OpenEntry(childEntryId, mapi::Iid::IMAPIFolder, mapi::MAPI_DEFERRED_ERRORS, objectType,
                              opened);
            walk(std::dynamic_pointer_cast<mapi::IMAPIFolder>(opened), *node, store, addNode);
        }
    }
}

} // namespace

void getFolderRoot(const std::shared_ptr<TStore>& store, IFolderTree& tree, const AddNodeCallback& addNode) {
    std::optional<FolderNode> node;
    ScopedBuffer rootBuffer(store->mapi());
    try {
        const auto opened = store->OpenStore();
        const bool isPublic = isPublicFolderStore(*opened);
        const mapi::Binary rootEntryId =
            isPublic ? readRootEntryId(*store, *opened, mapi::PR_NON_IPM_SUBTREE_ENTRYID, "getFolderRoot.1",
                                       rootBuffer)
                     : readRootEntryId(*store, *opened, mapi::PR_IPM_SUBTREE_ENTRYID, "getFolderRoot.3",
                                       rootBuffer);

        std::uint32_t objectType = 0;
        std::shared_ptr<mapi::IMAPIProp> root;
        CheckMapiResult(store->details(), isPublic ? "getFolderRoot.2" : "getFolderRoot.4",
                        opened->OpenEntry(rootEntryId, mapi::Iid::IMAPIFolder, mapi::MAPI_DEFERRED_ERRORS,
                                          objectType, root));

        node =
            tree.addTopLevelNode(store->displayName(), std::make_unique<TMapiUserFolder>(rootEntryId, store));
        tree.setImageIndex(*node, 0);
        walk(std::dynamic_pointer_cast<mapi::IMAPIFolder>(root), *node, store, addNode);
        tree.expand(*node);
    } catch (const std::exception& error) {
        if (node)
            tree.setText(*node, error.what());
        else
            tree.addTopLevelNode(error.what(), nullptr);
    }
}

} // namespace mailstore
