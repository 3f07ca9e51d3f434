#pragma once
// One message of an mbox folder opened as a message. It is found by its uid in the folder's
// entries each time it is used, so it follows rewrites by this program and others. Its changes
// wait in the store for one rewrite of the file (see MboxState.h); what it answers already shows
// them. A message another program changed since it was opened answers MAPI_E_OBJECT_CHANGED on
// save, unless forced.

#include "mapi/Interfaces.h"
#include "mapi/mbox/MboxState.h"

#include <memory>
#include <optional>

namespace mapi {

class MboxMessage : public IMessage {
public:
    static HRESULT open(const std::shared_ptr<MboxState>& state, const ParsedMboxEntryId& id,
                        std::shared_ptr<IMAPIProp>& message);
    MboxMessage(std::shared_ptr<MboxState> state, MboxMessageRef message, std::uint32_t revision,
                Row properties);
    ~MboxMessage() override;
    MboxMessage(const MboxMessage&) = delete;
    MboxMessage& operator=(const MboxMessage&) = delete;

    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override;
    HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t flags,
                     std::vector<PropValue>& values) override;
    HRESULT SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) override;
    HRESULT SaveChanges(std::uint32_t flags) override;
    HRESULT OpenProperty(PropTag tag, Iid iid, std::uint32_t interfaceOptions, std::uint32_t flags,
                         std::shared_ptr<IStream>& stream) override;
    HRESULT SetReadFlag(std::uint32_t flags) override;

private:
    // The message's entry as the file is now; MAPI_E_OBJECT_DELETED once it left the folder.
    HRESULT current(std::optional<MboxEntry>& entry);
    void setProperty(PropValue value);

    std::shared_ptr<MboxState> m_state;
    MboxMessageRef m_message;
    std::uint32_t m_revision = 0;
    Row m_properties;
    std::optional<std::string> m_newSubject;
};

} // namespace mapi
