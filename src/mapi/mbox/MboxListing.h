#pragma once
// The rows of a listing, built while the file is scanned: the scan hands header blocks over in
// runs, and the store's workers decode them (and this thread too, when it would wait), so one
// pass over the file costs little more than reading it. Only a few runs wait at any time, so the
// header data held stays small however long the file is.

#include "mapi/RowTable.h"
#include "mapi/maildir/MessageFile.h"
#include "mapi/mbox/MboxState.h"
#include "platform/SharedWork.h"
#include "platform/WorkerPool.h"

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mapi {

// The listing row of a message; nothing for one a desktop client expunged. Safe on any thread.
std::optional<Row> mboxMessageRow(std::string_view fromLine, std::string_view header,
                                  const MboxRecord& record, const FileIdentity& file, const Binary& entryId);

// What starts the object key of a message's entry id (see MboxState.h).
constexpr char kMboxMessageTag = 'M';

// The entry id of a message listed from `file`.
Binary mboxMessageEntryId(const Binary& storeEntryId, const std::string& folderKey, const MboxRecord& record,
                          const FileIdentity& file);

class MboxListing {
public:
    using Listed = std::vector<std::pair<MboxEntry, std::shared_ptr<const Row>>>;

    MboxListing(platform::WorkerPool& workers, Binary storeEntryId, std::string folderKey, FileIdentity file);

    void add(const MboxEntry& entry, std::string_view fromLine, std::string_view header);
    // Forgets what was added: the scan starts again over `file`.
    void restart(const FileIdentity& file);
    // Every listed message in file order, expunged ones left out.
    Listed finish();

private:
    struct Header {
        MboxEntry entry;
        std::string fromLine;
        std::string header;
    };
    using Run = platform::SharedWork<Listed>;

    void post();
    void collectOldest();

    platform::WorkerPool& m_workers;
    Binary m_storeEntryId;
    std::string m_folderKey;
    FileIdentity m_file;
    std::vector<Header> m_filling;
    std::deque<std::shared_ptr<Run>> m_waiting;
    Listed m_listed;
};

} // namespace mapi
