#pragma once
// The objects the memory provider hands out: the store, its folders, messages and body streams,
// all reading and changing one MemoryStore. A message is transacted as in MAPI: SetProps changes
// the opened copy, SaveChanges writes it back and answers MAPI_E_OBJECT_CHANGED when the stored
// message changed since it was opened (FORCE_SAVE writes anyway).

#include "mapi/Interfaces.h"
#include "mapi/memory/MemoryStore.h"

#include <memory>
#include <optional>
#include <string>

namespace mapi::memory {

class MemoryMsgStore : public IMsgStore {
public:
    MemoryMsgStore(std::shared_ptr<MemoryStore> data, Binary entryId);

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
    std::shared_ptr<MemoryStore> m_data;
    Binary m_entryId;
    std::optional<MapiError> m_lastError;
};

// Opens the object an entry id of the store at `storeEntryId` names.
HRESULT openMemoryEntry(const std::shared_ptr<MemoryStore>& data, const Binary& storeEntryId,
                        const Binary& entryId, Iid iid, std::uint32_t& objectType,
                        std::shared_ptr<IMAPIProp>& object);

// Properties in the order asked, missing ones as PT_ERROR values; MAPI_W_ERRORS_RETURNED when any is.
HRESULT selectProps(const std::vector<PropValue>& props, const std::vector<PropTag>& tags,
                    std::vector<PropValue>& values);

} // namespace mapi::memory
