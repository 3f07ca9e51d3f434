#include "MailFixture.h"

#include "mailstore/TEmailMessage.h"
#include "platform/DateTime.h"
#include "platform/Locale.h"

namespace mailstore {
namespace {

using mapi::PropValue;
using mapi::fault::FaultRule;
using mapi::fault::ObjectKind;
using testing::errorOf;

// The FILETIME of a local date and time.
mapi::FileTime localTicks(int year, int month, int day, int hour, int minute, int second) {
    const std::timespec utc =
        platform::localDateTimeToUtc(platform::dateTimeFromParts(year, month, day, hour, minute, second));
    return {platform::fileTimeFromUnix(utc.tv_sec, utc.tv_nsec)};
}

class MessageTest : public testing::MailFixture {
protected:
    MessageTest() : personal(mail.addStore("Personal Folders", true)) {
        inbox = personal.addFolder(personal.root(), "Inbox");
        archive = personal.addFolder(personal.root(), "Archive");
        personal.setReceiveFolder(inbox);
        session().setMessageServices(
            {&locale, [] { return platform::dateTimeFromParts(2024, 1, 31, 9, 30); }});
        inboxFolder = std::make_unique<TMapiUserFolder>(session().DefaultStore());
        inboxFolder->FindDefaultInbox();
        faults->clearLog();
    }

    mapi::memory::MessageRef add(std::vector<PropValue> props, std::optional<std::string> body = {}) {
        return personal.addMessage(inbox, std::move(props), std::move(body));
    }
    mapi::memory::MessageRef addPlain(const std::string& subject, std::int32_t flags = 0) {
        return add({PropValue::string(mapi::PR_SUBJECT_A, subject),
                    PropValue::integer(mapi::PR_MESSAGE_FLAGS, flags),
                    PropValue::time(mapi::PR_CLIENT_SUBMIT_TIME, {1})},
                   std::string("text of ") + subject);
    }

    std::vector<std::shared_ptr<TEmailMessage>> list() {
        std::vector<std::shared_ptr<TEmailMessage>> messages;
        inboxFolder->ListMessages(messages);
        return messages;
    }
    // OpenEntry calls asking for `iid`.
    std::size_t opens(const std::string& iid) const {
        std::size_t count = 0;
        for (const auto& call : faults->calls("OpenEntry"))
            count += call.text == iid;
        return count;
    }
    std::shared_ptr<TEmailMessage> only() {
        auto messages = list();
        EXPECT_EQ(messages.size(), 1u);
        return messages.at(0);
    }

    platform::FixedLocale locale{"dd/MM/yyyy", "HH:mm:ss"};
    mapi::memory::MemoryStore& personal;
    mapi::memory::FolderRef inbox, archive;
    std::unique_ptr<TMapiUserFolder> inboxFolder;
};

TEST_F(MessageTest, SixtyMessagesComeInBatchesOfTwentyFiveOldestFirst) {
    for (int i = 0; i < 60; ++i)
        add({PropValue::string(mapi::PR_SUBJECT_A, std::to_string(59 - i)),
             PropValue::time(mapi::PR_CLIENT_SUBMIT_TIME, {static_cast<std::uint64_t>(1000 - i)})});
    const auto messages = list();
    ASSERT_EQ(messages.size(), 60u);
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(messages[i]->subject(), std::to_string(i));
    std::vector<std::pair<std::int64_t, std::int64_t>> batches;
    for (const auto& call : faults->calls("QueryRows"))
        batches.emplace_back(call.asked, call.returned);
    EXPECT_EQ(batches,
              (std::vector<std::pair<std::int64_t, std::int64_t>>{{25, 25}, {25, 25}, {25, 10}, {25, 0}}));
    EXPECT_EQ(faults->calls("SetColumns").at(0).tags, TEmailMessage::listingColumns());
    EXPECT_EQ(faults->calls("SortTable").at(0).tags, std::vector<mapi::PropTag>{mapi::PR_CLIENT_SUBMIT_TIME});
    EXPECT_EQ(messages[0]->folder(), inboxFolder.get());
}

TEST_F(MessageTest, ListingColumnsAreTheNineInOrder) {
    EXPECT_EQ(TEmailMessage::listingColumns(),
              (std::vector<mapi::PropTag>{mapi::PR_HASATTACH, mapi::PR_STORE_SUPPORT_MASK,
                                          mapi::PR_DISPLAY_TO_A, mapi::PR_SENDER_EMAIL_ADDRESS_A,
                                          mapi::PR_MESSAGE_FLAGS, mapi::PR_SUBJECT_A, mapi::PR_MESSAGE_SIZE,
                                          mapi::PR_MESSAGE_DELIVERY_TIME, mapi::PR_ENTRYID}));
}

TEST_F(MessageTest, EmptyFolderGivesAnEmptyListWithoutQueryRows) {
    std::vector<std::shared_ptr<TEmailMessage>> messages{std::make_shared<TEmailMessage>()};
    inboxFolder->ListMessages(messages);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(faults->count("QueryRows"), 0u);
}

TEST_F(MessageTest, RowFillsEveryField) {
    const auto ref = add(
        {PropValue::boolean(mapi::PR_HASATTACH, true), PropValue::integer(mapi::PR_STORE_SUPPORT_MASK, 0x800),
         PropValue::string(mapi::PR_DISPLAY_TO_A, "Ann; Bob"),
         PropValue::string(mapi::PR_SENDER_EMAIL_ADDRESS_A, "carl@example.org"),
         PropValue::integer(mapi::PR_MESSAGE_FLAGS, 1), PropValue::string(mapi::PR_SUBJECT_A, "Hi"),
         PropValue::integer(mapi::PR_MESSAGE_SIZE, 1234),
         PropValue::time(mapi::PR_MESSAGE_DELIVERY_TIME, localTicks(2024, 1, 31, 14, 5, 9))});
    const auto message = only();
    EXPECT_TRUE(message->hasAttachment());
    EXPECT_EQ(message->storeSupportMask(), 0x800u);
    EXPECT_EQ(message->displayTo(), "Ann; Bob");
    EXPECT_EQ(message->senderAddress(), "carl@example.org");
    EXPECT_EQ(message->messageFlags(), 1u);
    EXPECT_EQ(message->subject(), "Hi");
    EXPECT_EQ(message->size(), 1234);
    EXPECT_NEAR(*message->receivedTime(), platform::dateTimeFromParts(2024, 1, 31, 14, 5, 9), 1e-8);
    ASSERT_TRUE(message->entryIdFolder());
    EXPECT_EQ(message->entryIdFolder()->entryId().toBinary(), personal.entryIdOf(ref));
    EXPECT_EQ(message->entryIdFolder()->store(), inboxFolder->store());
}

TEST_F(MessageTest, MissingColumnsLeaveFieldsEmpty) {
    add({PropValue::error(mapi::PR_SUBJECT_A, mapi::MAPI_E_NOT_FOUND)});
    const auto message = only();
    EXPECT_EQ(message->subject(), "");
    EXPECT_EQ(message->senderAddress(), "");
    EXPECT_EQ(message->displayTo(), "");
    EXPECT_FALSE(message->receivedTime());
    EXPECT_EQ(message->receivedTimeValue(), 0.0);
    EXPECT_TRUE(message->entryIdFolder()) << "the entry id is computed by the store";
}

struct SentCase {
    const char* name;
    std::optional<mapi::FileTime> delivered;
    const char* sent;
};

class SentToken : public MessageTest, public ::testing::WithParamInterface<SentCase> {};

TEST_P(SentToken, UsesShortDateAndLongTime) {
    std::vector<PropValue> props;
    if (GetParam().delivered)
        props.push_back(PropValue::time(mapi::PR_MESSAGE_DELIVERY_TIME, *GetParam().delivered));
    add(props);
    EXPECT_EQ(only()->TokenValue("SENT"), GetParam().sent);
}

INSTANTIATE_TEST_SUITE_P(
    Times, SentToken,
    ::testing::Values(SentCase{"Afternoon", localTicks(2024, 1, 31, 14, 5, 9), "31/01/2024 14:05:09"},
                      SentCase{"Midnight", localTicks(2024, 1, 31, 0, 0, 0), "31/01/2024"},
                      SentCase{"Unsent", std::nullopt, "30/12/1899"}),
    [](const ::testing::TestParamInfo<SentCase>& info) { return std::string(info.param.name); });

TEST_F(MessageTest, TokensFromFields) {
    add({PropValue::string(mapi::PR_SUBJECT_A, "Report"),
         PropValue::string(mapi::PR_SENDER_EMAIL_ADDRESS_A, "a@b"),
         PropValue::string(mapi::PR_DISPLAY_TO_A, "Ann"), PropValue::string(mapi::PR_DISPLAY_CC_A, "Cid"),
         PropValue::string(mapi::PR_DISPLAY_BCC_A, "Bea")});
    const auto message = only();
    EXPECT_EQ(message->TokenValue("subject"), "Report");
    EXPECT_EQ(message->TokenValue("SUBJECT"), "Report");
    EXPECT_EQ(message->TokenValue("From"), "a@b");
    EXPECT_EQ(message->TokenValue("TO"), "Ann");
    EXPECT_EQ(message->TokenValue("cc"), "Cid");
    EXPECT_EQ(message->TokenValue("BCC"), "Bea");
    EXPECT_EQ(message->TokenValue("NOW"), "20240131");
    EXPECT_EQ(message->TokenValue("Foo"), "%Foo");
}

TEST_F(MessageTest, EmptyCcIsReadAgainAtEveryUse) {
    add({});
    const auto message = only();
    EXPECT_EQ(message->CC(), "");
    EXPECT_EQ(message->CC(), "");
    EXPECT_EQ(faults->count("GetProps", ObjectKind::Message), 2u);
    EXPECT_EQ(opens("IMessage"), 1u) << "the message is opened once";
}

TEST_F(MessageTest, FilledCcIsReadOnce) {
    add({PropValue::string(mapi::PR_DISPLAY_CC_A, "Cid")});
    const auto message = only();
    message->CC();
    message->CC();
    EXPECT_EQ(faults->count("GetProps", ObjectKind::Message), 1u);
    EXPECT_EQ(opens("IMessage"), 1u);
    EXPECT_EQ(faults->calls("OpenEntry").back().flags, mapi::MAPI_BEST_ACCESS);
}

TEST_F(MessageTest, FailedTokenGivesError) {
    add({PropValue::string(mapi::PR_SUBJECT_A, "Kept")});
    const auto message = only();
    fail({.operation = "GetProps", .kind = ObjectKind::Message, .result = mapi::MAPI_E_NETWORK_ERROR});
    EXPECT_EQ(message->TokenValue("CC"), "Error");
    EXPECT_EQ(message->TokenValue("SUBJECT"), "Kept");
}

TEST_F(MessageTest, StringPropertyWithoutValuesIsError) {
    add({});
    const auto message = only();
    fail({.operation = "GetProps",
          .kind = ObjectKind::Message,
          .result = mapi::S_OK,
          .values = std::vector<PropValue>{}});
    EXPECT_EQ(message->ReadStringProperty(mapi::PR_DISPLAY_BCC_A, "BCC"), "Error");
}

TEST_F(MessageTest, MessageWithoutFolderHasFieldTokensOnly) {
    TEmailMessage preview({&locale, [] { return 0.0; }});
    preview.setSubject("Sample");
    EXPECT_EQ(preview.TokenValue("SUBJECT"), "Sample");
    EXPECT_EQ(preview.TokenValue("CC"), "Error");
    EXPECT_EQ(preview.TokenValue("BCC"), "Error");
    EXPECT_EQ(errorOf([&] { preview.ShowInClient(session()); }), "261: Folder is nil");
}

TEST_F(MessageTest, BodyIsReadIn4095ByteRequests) {
    std::string body(10000, 'x');
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>('a' + i % 26);
    add({}, body);
    EXPECT_EQ(only()->Body(), body);
    std::vector<std::pair<std::int64_t, std::int64_t>> reads;
    for (const auto& call : faults->calls("Read"))
        reads.emplace_back(call.asked, call.returned);
    EXPECT_EQ(reads, (std::vector<std::pair<std::int64_t, std::int64_t>>{
                         {4095, 4095}, {4095, 4095}, {4095, 1810}, {4095, 0}}));
    EXPECT_EQ(faults->calls("OpenProperty").at(0).flags, mapi::MAPI_DEFERRED_ERRORS);
}

TEST_F(MessageTest, APreparedBodyIsOpenedOnceAndReadByTheNextBody) {
    add({}, std::string("prepared text"));
    const auto message = only();
    message->PrepareBody();
    EXPECT_EQ(faults->count("OpenProperty"), 1u);
    EXPECT_EQ(faults->count("Read"), 0u);
    EXPECT_EQ(message->Body(), "prepared text");
    EXPECT_EQ(faults->count("OpenProperty"), 1u);
    // Once read, the body is opened again for the next reader.
    EXPECT_EQ(message->Body(), "prepared text");
    EXPECT_EQ(faults->count("OpenProperty"), 2u);
}

TEST_F(MessageTest, BodyKeepsEveryByte) {
    const std::string body("line one\r\n\0binary\xff\r\n", 20);
    add({PropValue::integer(mapi::PR_STORE_SUPPORT_MASK, 0x800)}, body);
    EXPECT_EQ(only()->Body(), body);
}

TEST_F(MessageTest, MissingBodyIsEmpty) {
    add({});
    EXPECT_EQ(only()->Body(), "");
    EXPECT_EQ(faults->count("Read"), 0u);
}

TEST_F(MessageTest, BodyIsSynchronisedOnlyWithoutRtfSupport) {
    add({}, std::string("a"));
    add({PropValue::integer(mapi::PR_STORE_SUPPORT_MASK, 0x800)}, std::string("b"));
    add({PropValue::boolean(mapi::PR_RTF_IN_SYNC, true)}, std::string("c"));
    const auto messages = list();
    messages[0]->Body();
    EXPECT_EQ(faults->calls("RTFSync").size(), 1u);
    EXPECT_EQ(faults->calls("RTFSync").at(0).flags, mapi::RTF_SYNC_BODY_CHANGED);
    messages[1]->Body();
    messages[2]->Body();
    EXPECT_EQ(faults->count("RTFSync"), 1u);
}

TEST_F(MessageTest, StreamFailuresShowBoxesAndStopTheBody) {
    add({PropValue::integer(mapi::PR_STORE_SUPPORT_MASK, 0x800)}, std::string(5000, 'q'));
    fail({.operation = "Read", .nth = 2, .result = mapi::hresult(0x80030005)});
    EXPECT_EQ(
        errorOf([&] { only()->Body(); }),
        "Position:PlainText200 The caller does not have enough permissions for reading this stream object.");
    EXPECT_EQ(boxes, std::vector<std::string>{"Error: Position:PlainText200 The caller does not have enough "
                                              "permissions for reading this stream object."});
}

TEST_F(MessageTest, FirstReadFailureIsLabelled190) {
    add({PropValue::integer(mapi::PR_STORE_SUPPORT_MASK, 0x800)}, std::string("abc"));
    fail({.operation = "Read", .result = mapi::hresult(0x8003001D)});
    EXPECT_EQ(errorOf([&] { only()->Body(); }).rfind("Position:PlainText190 The write operation", 0), 0u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Error: Position:PlainText190 The write operation", 0), 0u);
}

// A failure without a text of its own shows no box but still stops: no body is ever cut short.
TEST_F(MessageTest, UnknownStreamFailureStopsTheBodyWithoutABox) {
    add({PropValue::integer(mapi::PR_STORE_SUPPORT_MASK, 0x800)}, std::string(5000, 'q'));
    fail({.operation = "Read", .nth = 2, .result = mapi::MAPI_E_NOT_ENOUGH_MEMORY});
    EXPECT_EQ(errorOf([&] { only()->Body(); }).rfind("Position:PlainText200 MAPI_E_NOT_ENOUGH_MEMORY", 0),
              0u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MessageTest, ChangeSubjectSavesKeepingTheMessageOpen) {
    const auto ref = addPlain("Old");
    const auto message = only();
    message->ChangeSubject("[Done] Old");
    EXPECT_EQ(personal.prop(ref, mapi::PR_SUBJECT_A)->getString(), "[Done] Old");
    EXPECT_EQ(faults->calls("SaveChanges").at(0).flags, mapi::KEEP_OPEN_READWRITE);
    EXPECT_EQ(faults->calls("AllocateBuffer").back().asked, 11);
}

TEST_F(MessageTest, ChangedElsewhereForcesTheSaveAndReopens) {
    const auto ref = addPlain("Old");
    const auto message = only();
    message->OpenMessage();
    personal.setProp(ref, PropValue::string(mapi::PR_DISPLAY_TO_A, "changed elsewhere"));
    message->ChangeSubject("[Done] Old");
    const auto saves = faults->calls("SaveChanges");
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[1].flags, mapi::FORCE_SAVE);
    EXPECT_EQ(personal.prop(ref, mapi::PR_SUBJECT_A)->getString(), "[Done] Old");
    message->MarkRead();
    EXPECT_EQ(opens("IMessage"), 2u) << "opened anew after the forced save";
}

TEST_F(MessageTest, FailedForcedSaveNamesTheStep) {
    const auto ref = addPlain("Old");
    const auto message = only();
    message->ChangeSubject("[Done] Old");
    personal.setProp(ref, PropValue::string(mapi::PR_DISPLAY_TO_A, "changed elsewhere"));
    fail({.operation = "SaveChanges", .nth = 2, .result = mapi::MAPI_E_NO_ACCESS});
    EXPECT_EQ(errorOf([&] { message->SaveMessage("changesubj:"); }),
              "Position:changesubj:-352 " + MapiErrorText(mapi::MAPI_E_NO_ACCESS));
}

TEST_F(MessageTest, NoSubjectBufferMeansNoChange) {
    addPlain("Old");
    const auto message = only();
    fail({.operation = "AllocateBuffer", .result = mapi::MAPI_E_NOT_ENOUGH_MEMORY});
    EXPECT_NO_THROW(message->ChangeSubject("new"));
    EXPECT_EQ(faults->count("SetProps"), 0u);
}

TEST_F(MessageTest, MarkReadSetsTheFlagWithoutReceipt) {
    const auto ref = addPlain("Unread", 0);
    only()->MarkRead();
    const auto calls = faults->calls("SetReadFlag");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].flags, mapi::SUPPRESS_RECEIPT);
    EXPECT_EQ(personal.prop(ref, mapi::PR_MESSAGE_FLAGS)->getLong(), 1);
    EXPECT_EQ(faults->count("SaveChanges"), 0u);
}

TEST_F(MessageTest, MarkReadOnAReadMessageMakesNoCall) {
    addPlain("Read", 1);
    only()->MarkRead();
    EXPECT_EQ(faults->count("SetReadFlag"), 0u);
}

TEST_F(MessageTest, MoveMessageToAnotherFolder) {
    const auto ref = addPlain("Moving");
    const auto message = only();
    TMapiUserFolder destination(personal.entryIdOf(archive), inboxFolder->store());
    inboxFolder->MoveMessage(*message, destination);
    EXPECT_EQ(personal.folderOf(ref), archive);
    const auto copies = faults->calls("CopyMessages");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].flags, mapi::MESSAGE_MOVE);
    EXPECT_EQ(copies[0].asked, 1);
}

TEST_F(MessageTest, MoveThatMovedNothingIsAnError) {
    const auto ref = addPlain("Gone");
    const auto message = only();
    TMapiUserFolder destination(personal.entryIdOf(archive), inboxFolder->store());
    personal.move(ref, archive);
    EXPECT_EQ(
        errorOf([&] { inboxFolder->MoveMessage(*message, destination); }),
        "Position:170 MAPI_W_PARTIAL_COMPLETION - The call succeeded, but not all entries were successfully "
        "copied or moved.");
}

TEST_F(MessageTest, ShowInClientOpensTheMessageFile) {
    add({PropValue::string(mapi::PR_MESSAGE_FILE_PATH_A, "/mail/cur/1"),
         PropValue::integer(mapi::PR_MESSAGE_FLAGS, 0),
         PropValue::string(mapi::PR_MESSAGE_CLASS_A, "IPM.Note")});
    std::vector<std::string> opened;
    subsystem->setDesktopOpener([&](const std::string& path) {
        opened.push_back(path);
        return mapi::S_OK;
    });
    const auto message = only();
    message->ShowInClient(session());
    EXPECT_EQ(opened, std::vector<std::string>{"/mail/cur/1"});
    EXPECT_EQ(faults->calls("ShowForm").at(0).text, "IPM.Note");
    EXPECT_EQ(faults->calls("ShowForm").at(0).flags, 1u);
}

TEST_F(MessageTest, ShowInClientCancelledIsNoError) {
    add({});
    fail({.operation = "ShowForm", .result = mapi::MAPI_E_USER_CANCEL});
    EXPECT_NO_THROW(only()->ShowInClient(session()));
}

// The operations whose failing steps are checked below.
enum class Action { List, Open, Cc, Rtf, Body, PreparedBody, ChangeSubject, Save, MarkRead, Move, Show };

struct StepFailure {
    const char* name;
    FaultRule rule;
    Action action;
    std::string message;

    friend void PrintTo(const StepFailure& failure, std::ostream* out) { *out << failure.name; }
};

class StepFailureTable : public MessageTest, public ::testing::WithParamInterface<StepFailure> {};

TEST_P(StepFailureTable, RaisesWithTheStepsContext) {
    addPlain("One");
    std::shared_ptr<TEmailMessage> message;
    if (GetParam().action != Action::List)
        message = only();
    TMapiUserFolder destination(personal.entryIdOf(archive), inboxFolder->store());
    fail(GetParam().rule);
    const std::string text = errorOf([&] {
        switch (GetParam().action) {
        case Action::List:
            list();
            break;
        case Action::Open:
            message->OpenMessage();
            break;
        case Action::Cc:
            message->CC();
            break;
        case Action::Rtf:
            message->RtfInSync();
            break;
        case Action::Body:
            message->Body();
            break;
        case Action::PreparedBody:
            // Opening ahead never raises: the error is the one Body() raises later.
            EXPECT_NO_THROW(message->PrepareBody());
            message->Body();
            break;
        case Action::ChangeSubject:
            message->ChangeSubject("x");
            break;
        case Action::Save:
            message->SaveMessage("changesubj:");
            break;
        case Action::MarkRead:
            message->MarkRead();
            break;
        case Action::Move:
            inboxFolder->MoveMessage(*message, destination);
            break;
        case Action::Show:
            message->ShowInClient(session());
            break;
        }
    });
    EXPECT_EQ(text, GetParam().message);
}

const std::string kCallFailed = "MAPI_E_CALL_FAILED";

INSTANTIATE_TEST_SUITE_P(
    Steps, StepFailureTable,
    ::testing::Values(
        StepFailure{"SortAllocation",
                    {.operation = "AllocateBuffer", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::List,
                    "Position:50 " + kCallFailed},
        StepFailure{"ColumnAllocation",
                    {.operation = "AllocateBuffer", .nth = 2, .result = mapi::MAPI_E_CALL_FAILED},
                    Action::List,
                    "Position:180 " + kCallFailed},
        StepFailure{"ContentsTable",
                    {.operation = "GetContentsTable", .result = mapi::MAPI_E_NO_ACCESS},
                    Action::List,
                    "Position:60 " + MapiErrorText(mapi::MAPI_E_NO_ACCESS)},
        StepFailure{"SetColumns",
                    {.operation = "SetColumns", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::List,
                    "Position:70 " + kCallFailed},
        StepFailure{"ColumnFree",
                    {.operation = "FreeBuffer", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::List,
                    "Position:80 " + kCallFailed},
        StepFailure{"SortTable",
                    {.operation = "SortTable", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::List,
                    "Position:90 " + kCallFailed},
        StepFailure{"SortFree",
                    {.operation = "FreeBuffer", .nth = 2, .result = mapi::MAPI_E_CALL_FAILED},
                    Action::List,
                    "Position:100 " + kCallFailed},
        StepFailure{"RowCount",
                    {.operation = "GetRowCount", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::List,
                    "Position:110 " + kCallFailed},
        StepFailure{"QueryRows",
                    {.operation = "QueryRows", .result = mapi::MAPI_E_NETWORK_ERROR},
                    Action::List,
                    "Position:120 MAPI_E_NETWORK_ERROR"},
        StepFailure{"OpenMessage",
                    {.operation = "OpenEntry",
                     .kind = ObjectKind::Store,
                     .result = mapi::MAPI_E_NOT_FOUND,
                     .lastError = mapi::MapiError{std::string("deleted"), std::nullopt}},
                    Action::Open,
                    "Position:360 " + MapiErrorText(mapi::MAPI_E_NOT_FOUND) +
                        "\r\nDetails:\r\nError: deleted\r\n"},
        StepFailure{"CcAllocation",
                    {.operation = "AllocateBuffer", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::Cc,
                    "Position:CC 170.1 " + kCallFailed},
        StepFailure{"CcRead",
                    {.operation = "GetProps", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::Cc,
                    "Position:CC 170.2 " + kCallFailed},
        StepFailure{"RtfInSync",
                    {.operation = "GetProps", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::Rtf,
                    "Position:185 " + kCallFailed},
        StepFailure{"BodyOpen",
                    {.operation = "OpenProperty", .result = mapi::MAPI_E_NO_ACCESS},
                    Action::Body,
                    "Position:PlainText190.2 " + MapiErrorText(mapi::MAPI_E_NO_ACCESS)},
        StepFailure{"PreparedBodyOpen",
                    {.operation = "OpenProperty", .result = mapi::MAPI_E_NO_ACCESS},
                    Action::PreparedBody,
                    "Position:PlainText190.2 " + MapiErrorText(mapi::MAPI_E_NO_ACCESS)},
        StepFailure{"SubjectSet",
                    {.operation = "SetProps", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::ChangeSubject,
                    "Position:230.5 " + kCallFailed},
        StepFailure{"SubjectSave",
                    {.operation = "SaveChanges", .result = mapi::MAPI_E_NOT_ENOUGH_DISK},
                    Action::ChangeSubject,
                    "Position:231-351 MAPI_E_NOT_ENOUGH_DISK"},
        StepFailure{"SubjectForcedSave",
                    {.operation = "SaveChanges", .nth = 0, .result = mapi::MAPI_E_OBJECT_CHANGED},
                    Action::ChangeSubject,
                    "Position:231-352 " + MapiErrorText(mapi::MAPI_E_OBJECT_CHANGED)},
        StepFailure{"TagSave",
                    {.operation = "SaveChanges", .result = mapi::MAPI_E_NOT_ENOUGH_DISK},
                    Action::Save,
                    "Position:changesubj:-351 MAPI_E_NOT_ENOUGH_DISK"},
        StepFailure{"FlagsRead",
                    {.operation = "GetProps", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::MarkRead,
                    "Position:240 " + kCallFailed},
        StepFailure{"FlagsMissing",
                    {.operation = "GetProps", .result = mapi::MAPI_W_ERRORS_RETURNED},
                    Action::MarkRead,
                    "Position:240 " + MapiErrorText(mapi::MAPI_E_NOT_FOUND)},
        StepFailure{"SetReadFlag",
                    {.operation = "SetReadFlag", .result = mapi::MAPI_E_NO_ACCESS},
                    Action::MarkRead,
                    "Position:250 " + MapiErrorText(mapi::MAPI_E_NO_ACCESS)},
        StepFailure{"FlagsFree",
                    {.operation = "FreeBuffer", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::MarkRead,
                    "Position:250.1 " + kCallFailed},
        StepFailure{"EntryListAllocation",
                    {.operation = "AllocateBuffer", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::Move,
                    "Position:140 " + kCallFailed},
        StepFailure{"BinaryAllocation",
                    {.operation = "AllocateBuffer", .nth = 2, .result = mapi::MAPI_E_CALL_FAILED},
                    Action::Move,
                    "Position:150 " + kCallFailed},
        StepFailure{"EntryIdAllocation",
                    {.operation = "AllocateBuffer", .nth = 3, .result = mapi::MAPI_E_CALL_FAILED},
                    Action::Move,
                    "Position:160 " + kCallFailed},
        StepFailure{"Move",
                    {.operation = "CopyMessages", .result = mapi::MAPI_E_NO_ACCESS},
                    Action::Move,
                    "Position:170 " + MapiErrorText(mapi::MAPI_E_NO_ACCESS)},
        StepFailure{"ShowProps",
                    {.operation = "GetProps", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::Show,
                    "Position:260 " + kCallFailed},
        StepFailure{"PrepareForm",
                    {.operation = "PrepareForm", .result = mapi::MAPI_E_CALL_FAILED},
                    Action::Show,
                    "Position:280 " + kCallFailed},
        StepFailure{"ShowForm",
                    {.operation = "ShowForm", .result = mapi::MAPI_E_NO_ACCESS},
                    Action::Show,
                    "Position:290 " + MapiErrorText(mapi::MAPI_E_NO_ACCESS)}),
    [](const ::testing::TestParamInfo<StepFailure>& info) { return std::string(info.param.name); });

TEST_F(MessageTest, ShowFormOfAStoreWithoutFilesIsNotSupported) {
    add({});
    EXPECT_EQ(errorOf([&] { only()->ShowInClient(session()); }),
              "Position:290 " + MapiErrorText(mapi::MAPI_E_NO_SUPPORT));
}

} // namespace
} // namespace mailstore
