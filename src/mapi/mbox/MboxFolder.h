#pragma once
// One folder of an mbox store: its contents table lists the messages of its file, its hierarchy
// table its sub-folders, and it moves messages into other mbox folders.

#include "mapi/FileStoreFolder.h"
#include "mapi/Interfaces.h"
#include "mapi/mbox/MboxState.h"

#include <memory>

namespace mapi {

class MboxFolder : public FileStoreFolder<MboxState> {
public:
    MboxFolder(std::shared_ptr<MboxState> state, std::string key);

    HRESULT OpenEntry(const Binary& entryId, Iid iid, std::uint32_t flags, std::uint32_t& objectType,
                      std::shared_ptr<IMAPIProp>& object) override;
    HRESULT CopyMessages(const std::vector<Binary>& entryList, Iid iid, IMAPIFolder& destination,
                         std::uintptr_t uiParam, void* progress, std::uint32_t flags) override;

private:
    HRESULT moveOne(const Binary& entryId, MboxFolder& destination);
};

// OpenEntry of a store or folder: the store's folders and messages by entry id; an empty entry
// id opens the top folder.
HRESULT openMboxEntry(const std::shared_ptr<MboxState>& state, const Binary& entryId, Iid iid,
                      std::uint32_t& objectType, std::shared_ptr<IMAPIProp>& object);

} // namespace mapi
