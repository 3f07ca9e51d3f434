#pragma once
// One folder of a Maildir store: its contents table lists the message files of new/ and cur/,
// its hierarchy table its direct sub-folders, and it moves messages to other Maildir folders.

#include "mapi/FileStoreFolder.h"
#include "mapi/Interfaces.h"
#include "mapi/maildir/MaildirState.h"

#include <memory>

namespace mapi {

class MaildirFolder : public FileStoreFolder<MaildirState> {
public:
    MaildirFolder(std::shared_ptr<MaildirState> state, std::string key);

    HRESULT OpenEntry(const Binary& entryId, Iid iid, std::uint32_t flags, std::uint32_t& objectType,
                      std::shared_ptr<IMAPIProp>& object) override;
    HRESULT CopyMessages(const std::vector<Binary>& entryList, Iid iid, IMAPIFolder& destination,
                         std::uintptr_t uiParam, void* progress, std::uint32_t flags) override;

private:
    HRESULT moveOne(const Binary& entryId, MaildirFolder& destination);
};

// OpenEntry of a store or folder: the store's folders and messages by entry id; an empty
// entry id opens the root folder.
HRESULT openMaildirEntry(const std::shared_ptr<MaildirState>& state, const Binary& entryId, Iid iid,
                         std::uint32_t& objectType, std::shared_ptr<IMAPIProp>& object);

} // namespace mapi
