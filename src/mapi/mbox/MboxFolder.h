#pragma once
// One folder of an mbox store: its contents table lists the messages of its file, its hierarchy
// table its sub-folders, and it moves messages into other mbox folders.

#include "mapi/Interfaces.h"
#include "mapi/mbox/MboxState.h"

#include <memory>

namespace mapi {

class MboxFolder : public IMAPIFolder {
public:
    MboxFolder(std::shared_ptr<MboxState> state, std::string key);

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
    HRESULT moveOne(const Binary& entryId, MboxFolder& destination);

    std::shared_ptr<MboxState> m_state;
    std::string m_key;
};

// OpenEntry of a store or folder: the store's folders and messages by entry id; an empty entry
// id opens the top folder.
HRESULT openMboxEntry(const std::shared_ptr<MboxState>& state, const Binary& entryId, Iid iid,
                      std::uint32_t& objectType, std::shared_ptr<IMAPIProp>& object);

} // namespace mapi
