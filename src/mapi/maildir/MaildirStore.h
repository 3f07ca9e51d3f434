#pragma once
// A Maildir as a message store: the root folder is the Inbox, the receive folder for "IPM" and
// the top of the IPM subtree.

#include "mapi/Interfaces.h"
#include "mapi/maildir/MaildirState.h"

#include <memory>

namespace mapi {

// PR_MDB_PROVIDER of Maildir stores (our own, so no caller takes them for public folders).
extern const Binary kMaildirProviderUid;

class MaildirStore : public IMsgStore {
public:
    explicit MaildirStore(std::shared_ptr<MaildirState> state);

    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override;
    HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t flags,
                     std::vector<PropValue>& values) override;
    HRESULT SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) override;
    HRESULT SaveChanges(std::uint32_t flags) override;
    HRESULT OpenProperty(PropTag tag, Iid iid, std::uint32_t interfaceOptions, std::uint32_t flags,
                         std::shared_ptr<IStream>& stream) override;
    HRESULT OpenEntry(const Binary& entryId, Iid iid, std::uint32_t flags, std::uint32_t& objectType,
                      std::shared_ptr<IMAPIProp>& object) override;
    HRESULT GetReceiveFolder(const std::string& messageClass, std::uint32_t flags, Binary& entryId,
                             std::string& explicitClass) override;
    HRESULT StoreLogoff(std::uint32_t& flags) override;

private:
    std::shared_ptr<MaildirState> m_state;
};

} // namespace mapi
