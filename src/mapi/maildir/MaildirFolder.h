#pragma once
// One folder of a Maildir store: its contents table lists the message files of new/ and cur/,
// its hierarchy table its direct sub-folders, and it moves messages to other Maildir folders.

#include "mapi/Interfaces.h"
#include "mapi/maildir/MaildirState.h"

#include <memory>

namespace mapi {

class MaildirFolder : public IMAPIFolder {
public:
    MaildirFolder(std::shared_ptr<MaildirState> state, std::string key);

    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override;
    HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t flags,
                     std::vector<PropValue>& values) override;
    HRESULT SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) override;
    HRESULT SaveChanges(std::uint32_t flags) override;
    HRESULT OpenProperty(PropTag tag, Iid iid, std::uint32_t interfaceOptions, std::uint32_t flags,
                         std::shared_ptr<IStream>& stream) override;
    HRESULT OpenEntry(const Binary& entryId, Iid iid, std::uint32_t flags, std::uint32_t& objectType,
                      std::shared_ptr<IMAPIProp>& object) override;
    HRESULT GetContentsTable(std::uint32_t flags, std::shared_ptr<IMAPITable>& table) override;
    HRESULT GetHierarchyTable(std::uint32_t flags, std::shared_ptr<IMAPITable>& table) override;
    HRESULT CopyMessages(const std::vector<Binary>& entryList, Iid iid, IMAPIFolder& destination,
                         std::uintptr_t uiParam, void* progress, std::uint32_t flags) override;

private:
    HRESULT moveOne(const Binary& entryId, MaildirFolder& destination);

    std::shared_ptr<MaildirState> m_state;
    std::string m_key;
};

// OpenEntry of a store or folder: the store's folders and messages by entry id; an empty
// entry id opens the root folder.
HRESULT openMaildirEntry(const std::shared_ptr<MaildirState>& state, const Binary& entryId, Iid iid,
                         std::uint32_t& objectType, std::shared_ptr<IMAPIProp>& object);

} // namespace mapi
