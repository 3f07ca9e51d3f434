// A folder's message operations: the listing that fills message objects from the contents table,
// and the move of one message to another folder.

#include "mailstore/MapiBuffers.h"
#include "mailstore/MapiErrors.h"
#include "mailstore/TEmailMessage.h"
#include "mailstore/TMapiSession.h"
#include "mailstore/TMapiUserFolder.h"
#include "mapi/Helpers.h"

#include <algorithm>

namespace mailstore {
namespace {

constexpr std::int32_t kListingBatch = 25;

// The size of an SSortOrderSet with one key, and of an ENTRYLIST and SBinary, as MAPI lays them out.
constexpr std::size_t kSortOrderSize = 3 * sizeof(std::uint32_t) + 2 * sizeof(std::uint32_t);
constexpr std::size_t kEntryListSize = sizeof(std::uint32_t) + sizeof(void*);
constexpr std::size_t kBinarySize = sizeof(std::uint32_t) + sizeof(void*);

MessageServices servicesOf(const TStore& store) {
    const TMapiSession* session = store.session();
    return session ? session->messageServices() : MessageServices();
}

} // namespace

void TMapiUserFolder::ListMessages(std::vector<std::shared_ptr<TEmailMessage>>& list) {
    const auto folder = OpenFolder(m_store->OpenStore());
    list.clear();
    const DetailsSource details = m_store->details();
    mapi::IMapi* mapi = m_store->mapi();

    ScopedBuffer sortBuffer(mapi);
    CheckMapiResult(details, "50", sortBuffer.allocate(kSortOrderSize));
    const mapi::SortOrderSet sortOrder{{mapi::PR_CLIENT_SUBMIT_TIME, false}};
    const auto& columns = TEmailMessage::listingColumns();
    ScopedBuffer columnBuffer(mapi);
    CheckMapiResult(details, "180", columnBuffer.allocate(tagArraySize(columns.size())));

    std::shared_ptr<mapi::IMAPITable> table;
    CheckMapiResult(details, "60", folder->GetContentsTable(0, table));
    CheckMapiResult(details, "70", table->SetColumns(columns, 0));
    CheckMapiResult(details, "80", columnBuffer.release());
    CheckMapiResult(details, "90", table->SortTable(sortOrder, 0));
    CheckMapiResult(details, "100", sortBuffer.release());
    std::uint32_t count = 0;
    CheckMapiResult(details, "110", table->GetRowCount(0, count));
    if (count == 0)
        return;

    const auto listing = TEmailMessage::listing(servicesOf(*m_store), *this);
    // The count only sizes the list: a table's word is not trusted with the memory of millions.
    list.reserve(std::min<std::uint32_t>(count, 1u << 22));
    for (;;) {
        mapi::RowSet rows;
        CheckMapiResult(details, "120", table->QueryRows(kListingBatch, 0, rows));
        if (rows.empty())
            break;
        for (const auto& row : rows) {
            auto message = std::make_shared<TEmailMessage>(listing);
            message->setFolder(this);
            message->fillFromRow(row, *this);
            list.push_back(std::move(message));
        }
        mapi::FreeProws(rows);
    }
}

void TMapiUserFolder::MoveMessage(TEmailMessage& message, TMapiUserFolder& destination) {
    const auto store = m_store->OpenStore();
    const auto source = OpenFolder(store);
    const auto target = destination.OpenFolder(store);
    const DetailsSource details = m_store->details();
    mapi::IMapi* mapi = m_store->mapi();

    const mapi::Binary entryId =
        message.entryIdFolder() ? message.entryIdFolder()->entryId().toBinary() : EntryId().toBinary();
    // Declared outermost first, so they are freed innermost first, also after an error.
    ScopedBuffer entryList(mapi);
    CheckMapiResult(details, "140", entryList.allocate(kEntryListSize));
    ScopedBuffer binary(mapi);
    CheckMapiResult(details, "150", binary.allocate(kBinarySize));
    ScopedBuffer bytes(mapi);
    CheckMapiResult(details, "160", bytes.allocate(entryId.size()));

    const mapi::HRESULT hr =
        source->CopyMessages({entryId}, mapi::Iid::IMAPIFolder, *target, 0, nullptr, mapi::MESSAGE_MOVE);
    // For a list of one message a partial completion means that message was not moved.
    if (hr == mapi::MAPI_W_PARTIAL_COMPLETION)
        RaiseMapiError(details, "170", hr);
    CheckMapiResult(details, "170", hr);
}

} // namespace mailstore
