#pragma once
// An mbox file or a tree of them as a message store. The receive folder for "IPM" is the Inbox
// file (see MboxTree.h); the top of the IPM subtree is the store's own path.

#include "mapi/Interfaces.h"
#include "mapi/mbox/MboxState.h"

#include <memory>

namespace mapi {

// PR_MDB_PROVIDER of mbox stores (our own, so no caller takes them for public folders).
extern const Binary kMboxProviderUid;

class MboxStore : public IMsgStore {
public:
    explicit MboxStore(std::shared_ptr<MboxState> state);

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
    // Writes the changes still waiting, so a failure is told to the caller.
    HRESULT StoreLogoff(std::uint32_t& flags) override;

    // How many times this store wrote a folder file anew.
    std::uint64_t rewrites() const { return m_state->rewrites(); }

private:
    std::shared_ptr<MboxState> m_state;
};

} // namespace mapi
