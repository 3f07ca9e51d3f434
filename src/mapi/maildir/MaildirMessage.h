#pragma once
// One message file opened as a message. It is found by its key each time it is used, so it
// follows renames and moves; its file identity at opening tells SaveChanges whether someone
// else rewrote the file meanwhile (MAPI_E_OBJECT_CHANGED). A body opened with
// MAPI_DEFERRED_ERRORS is decoded in the background (see BodyStream.h).

#include "mapi/Interfaces.h"
#include "mapi/maildir/BodyStream.h"
#include "mapi/maildir/MaildirState.h"
#include "mapi/maildir/MessageFile.h"

#include <memory>
#include <optional>

namespace mapi {

// SetReadFlag flags beyond SUPPRESS_RECEIPT.
constexpr std::uint32_t CLEAR_READ_FLAG = 0x4;
constexpr std::uint32_t GENERATE_RECEIPT_ONLY = 0x10;

class MaildirMessage : public IMessage {
public:
    static HRESULT open(const std::shared_ptr<MaildirState>& state, const std::string& key,
                        std::shared_ptr<IMAPIProp>& message);

    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override;
    HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t flags,
                     std::vector<PropValue>& values) override;
    HRESULT SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) override;
    HRESULT SaveChanges(std::uint32_t flags) override;
    HRESULT OpenProperty(PropTag tag, Iid iid, std::uint32_t interfaceOptions, std::uint32_t flags,
                         std::shared_ptr<IStream>& stream) override;
    HRESULT SetReadFlag(std::uint32_t flags) override;

    MaildirMessage(std::shared_ptr<MaildirState> state, std::string key, MessageLocation location);

private:
    // The file as it is now; fails with MAPI_E_OBJECT_DELETED once it left the store.
    HRESULT current(MessageLocation& location);
    void saveSubject(const MessageLocation& location, bool force, HRESULT& result);
    void refresh(const MessageLocation& location, const MessageFileContent& header);
    std::shared_ptr<OpenedMessageFile> openWhereKnown();
    std::shared_ptr<PreparedBody> prepareBody(std::shared_ptr<OpenedMessageFile> file);

    std::shared_ptr<MaildirState> m_state;
    std::string m_key;
    MessageLocation m_location;
    FileIdentity m_identity;
    Row m_properties;
    std::optional<std::string> m_newSubject;
};

} // namespace mapi
