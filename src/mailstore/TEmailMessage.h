#pragma once
// One message of a folder listing: header fields filled from one contents-table row, everything
// else read from or written to the message on demand, opening it once and keeping it open.
// A listing holds one of these per message of the folder, so the fields are kept small: the
// texts back to back in one buffer, and what only an opened message needs apart, made on demand.

#include "mailstore/MessageServices.h"
#include "mailstore/TMapiUserFolder.h"
#include "mapi/Interfaces.h"

#include <array>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mailstore {

class TMapiSession;

class TEmailMessage {
public:
    // A message without a folder (the test message of the file-name preview) until a listing
    // sets one.
    explicit TEmailMessage(MessageServices services = {});
    // What the messages of one listing share: their services, their folder, and the folder whose
    // rows gave their entry ids with its store's entry id, which begins each message's own and
    // is kept once.
    struct Listing {
        MessageServices services;
        TMapiUserFolder* folder = nullptr;
        TMapiUserFolder* listedFolder = nullptr;
        mapi::Binary entryIdPrefix;
    };
    static std::shared_ptr<const Listing> listing(MessageServices services, TMapiUserFolder& folder);
    explicit TEmailMessage(std::shared_ptr<const Listing> listing);
    TEmailMessage(const TEmailMessage&) = delete;
    TEmailMessage& operator=(const TEmailMessage&) = delete;

    std::string_view subject() const { return text(Subject); }
    void setSubject(std::string_view subject) { setText(Subject, subject); }
    // A listed message reads these from the opened message when first asked, so a listing of a
    // large folder keeps only what sorting and opening need.
    std::string_view senderAddress();
    void setSenderAddress(std::string_view address) { setText(SenderAddress, address); }
    std::string_view displayTo();
    void setDisplayTo(std::string_view displayTo) { setText(DisplayTo, displayTo); }
    // Local date-time value; unset when the store gave none.
    std::optional<double> receivedTime() const {
        return m_hasReceivedTime ? std::optional<double>(m_receivedTime) : std::nullopt;
    }
    // As a number an unset time is 0 (30 December 1899).
    double receivedTimeValue() const { return m_hasReceivedTime ? m_receivedTime : 0.0; }
    void setReceivedTime(std::optional<double> time) {
        m_hasReceivedTime = time.has_value();
        m_receivedTime = time.value_or(0.0);
    }
    std::uint32_t storeSupportMask() const { return m_storeSupportMask; }
    bool hasAttachment() const { return m_hasAttachment; }
    std::uint32_t messageFlags() const { return m_messageFlags; }
    std::int32_t size() const { return m_size; }
    // The message's own entry id with its store; null until a listing row gave one.
    TMapiUserFolder* entryIdFolder() const;
    // The folder listed from; not owned, it must outlive the message.
    TMapiUserFolder* folder() const { return m_listing->folder; }
    void setFolder(TMapiUserFolder* folder);

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
    // The texts kept in m_text, in this order.
    enum TextField { Subject, SenderAddress, DisplayTo, EntryIdBytes, TextFields };
    // What an opened message needs beyond the listing's fields.
    struct Opened {
        std::string cc;
        std::string bcc;
        std::optional<std::string> senderAddress;
        std::optional<std::string> displayTo;
        std::unique_ptr<TMapiUserFolder> entryIdFolder;
        std::shared_ptr<mapi::IMessage> message;
        struct PreparedBody {
            std::shared_ptr<mapi::IStream> stream; // null when the message has no body
            std::exception_ptr error;
        };
        std::optional<PreparedBody> preparedBody;
    };

    using Texts = std::array<std::string_view, TextFields>;
    std::string_view text(TextField field) const;
    std::string_view openedText(TextField field, std::optional<std::string> Opened::*kept, mapi::PropTag tag,
                                const std::string& name);
    Texts currentTexts() const;
    void storeTexts(const Texts& texts);
    void setText(TextField field, std::string_view value);
    Opened& opened() const;
    mapi::Binary entryIdBytes() const;
    std::string tokenValue(const std::string& upperName, const std::string& name);
    std::shared_ptr<mapi::IStream> openTextProperty(mapi::PropTag tag, const std::string& label);
    std::string readTextStream(const std::shared_ptr<mapi::IStream>& stream, const std::string& label);
    DetailsSource details() const;
    mapi::IMapi* mapi() const;

    std::shared_ptr<const Listing> m_listing;
    std::unique_ptr<char[]> m_text;
    std::uint32_t m_textEnd[TextFields] = {};
    double m_receivedTime = 0.0;
    std::uint32_t m_storeSupportMask = 0;
    std::uint32_t m_messageFlags = 0;
    std::int32_t m_size = 0;
    bool m_hasReceivedTime = false;
    bool m_hasAttachment = false;
    bool m_hasEntryId = false;
    bool m_entryIdAfterPrefix = false; // the listing's prefix comes before the bytes kept
    mutable std::unique_ptr<Opened> m_opened;
};

} // namespace mailstore
