#pragma once
// One message of a folder listing: header fields filled from one contents-table row, everything
// else read from or written to the message on demand, opening it once and keeping it open.

#include "mailstore/MessageServices.h"
#include "mailstore/TMapiUserFolder.h"
#include "mapi/Interfaces.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mailstore {

class TMapiSession;

class TEmailMessage {
public:
    // A message without a folder (the test message of the file-name preview) until a listing
    // sets one.
    explicit TEmailMessage(MessageServices services = {});
    TEmailMessage(const TEmailMessage&) = delete;
    TEmailMessage& operator=(const TEmailMessage&) = delete;

    const std::string& subject() const { return m_subject; }
    void setSubject(std::string subject) { m_subject = std::move(subject); }
    const std::string& senderAddress() const { return m_senderAddress; }
    void setSenderAddress(std::string address) { m_senderAddress = std::move(address); }
    const std::string& displayTo() const { return m_displayTo; }
    void setDisplayTo(std::string displayTo) { m_displayTo = std::move(displayTo); }
    // Local date-time value; unset when the store gave none.
    const std::optional<double>& receivedTime() const { return m_receivedTime; }
    // As a number an unset time is 0 (30 December 1899).
    double receivedTimeValue() const { return m_receivedTime.value_or(0.0); }
    void setReceivedTime(std::optional<double> time) { m_receivedTime = time; }
    std::uint32_t storeSupportMask() const { return m_storeSupportMask; }
    bool hasAttachment() const { return m_hasAttachment; }
    std::uint32_t messageFlags() const { return m_messageFlags; }
    std::int32_t size() const { return m_size; }
    // The message's own entry id with its store; null until a listing row gave one.
    TMapiUserFolder* entryIdFolder() const { return m_entryId.get(); }
    // The folder listed from; not owned, it must outlive the message.
    TMapiUserFolder* folder() const { return m_folder; }
    void setFolder(TMapiUserFolder* folder) { m_folder = folder; }

    // The nine columns a folder listing reads, in this order.
    static const std::vector<mapi::PropTag>& listingColumns();
    // Fills the header fields from a row of the listing columns; a value counts only when its tag
    // is the column's, so PT_ERROR values leave their field as it was.
    void fillFromRow(const mapi::Row& row, TMapiUserFolder& listedFolder);

    std::shared_ptr<mapi::IMessage> OpenMessage();
    // One text property; "Error" when GetProps answered no values.
    std::string ReadStringProperty(mapi::PropTag tag, const std::string& name);
    // Read on first use, and again while the list is empty.
    std::string CC();
    std::string BCC();
    bool RtfInSync();
    // A streamed text property byte for byte; empty when the message lacks it.
    std::string ReadTextProperty(mapi::PropTag tag, const std::string& label);
    // Opens the body now, so the store can decode it while other work goes on; the next Body()
    // reads it. An error opening it is raised by that Body(), as if it had opened it.
    void PrepareBody();
    std::string Body();
    // The value of a file-name placeholder; never raises (a failure gives "Error").
    std::string TokenValue(const std::string& token);
    void ChangeSubject(const std::string& subject);
    // Saves changes, forcing the save over a change made elsewhere meanwhile.
    void SaveMessage(const std::string& context);
    // Sets the read flag, without a read receipt, unless it is set already.
    void MarkRead();
    // Opens the message in the mail client's own window.
    void ShowInClient(TMapiSession& session);

private:
    std::string tokenValue(const std::string& upperName, const std::string& name);
    std::shared_ptr<mapi::IStream> openTextProperty(mapi::PropTag tag, const std::string& label);
    std::string readTextStream(const std::shared_ptr<mapi::IStream>& stream, const std::string& label);
    DetailsSource details() const;
    mapi::IMapi* mapi() const;

    MessageServices m_services;
    std::string m_subject;
    std::string m_senderAddress;
    std::string m_displayTo;
    std::string m_cc;
    std::string m_bcc;
    std::optional<double> m_receivedTime;
    std::uint32_t m_storeSupportMask = 0;
    bool m_hasAttachment = false;
    std::uint32_t m_messageFlags = 0;
    std::int32_t m_size = 0;
    std::unique_ptr<TMapiUserFolder> m_entryId;
    TMapiUserFolder* m_folder = nullptr;
    std::shared_ptr<mapi::IMessage> m_opened;
    struct PreparedBody {
        std::shared_ptr<mapi::IStream> stream; // null when the message has no body
        std::exception_ptr error;
    };
    std::optional<PreparedBody> m_preparedBody;
};

} // namespace mailstore
