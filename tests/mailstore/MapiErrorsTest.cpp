#include "mailstore/MapiErrors.h"
#include "mailstore/MapiException.h"

#include "MailFixture.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace mailstore {
namespace {

struct CodeText {
    std::uint32_t code;
    const char* text;
};

// Every code with its text, and codes outside the table in the "Unexpected" form.
const CodeText kCases[] = {
    {0x00000008, "The user had too many sessions open simultaneously. No session handle was returned."},
    {0x00040203, "MAPI_W_NO_SERVICE"},
    {0x00040380, "MAPI_W_ERRORS_RETURNED - The call succeeded overall, but one or more properties could not "
                 "be accessed."},
    {0x00040481, "MAPI_W_POSITION_CHANGED"},
    {0x00040482, "MAPI_W_APPROX_COUNT"},
    {0x00040680, "MAPI_W_PARTIAL_COMPLETION - The call succeeded, but not all entries were successfully "
                 "copied or moved."},
    {0x80004002, "MAPI_E_INTERFACE_NOT_SUPPORTED"},
    {0x80004005, "MAPI_E_CALL_FAILED"},
    {0x80040102,
     "MAPI_E_NO_SUPPORT - The container has no child containers and cannot provide a hierarchy table. "},
    {0x80040103,
     "MAPI_E_BAD_CHARWIDTH - Either the MAPI_UNICODE flag was set and the implementation does not support "
     "Unicode, or MAPI_UNICODE was not set and the implementation only supports Unicode"},
    {0x80040105, "MAPI_E_STRING_TOO_LONG"},
    {0x80040106, "Invalid flag!"},
    {0x80040107,
     "MAPI_E_INVALID_ENTRYID - The entry identifier does not belong to the address book provider. "},
    {0x80040108, "May fail if system resources are exhausted."},
    {0x80040109, "MAPI_E_OBJECT_CHANGED - The object has changed since it was opened."},
    {0x8004010A, "MAPI_E_OBJECT_DELETED - The object has been deleted since it was opened."},
    {0x8004010B, "MAPI_E_BUSY"},
    {0x8004010D, "MAPI_E_NOT_ENOUGH_DISK"},
    {0x8004010E, "Not enough system resources were available to complete the operation."},
    {0x8004010F,
     "MAPI_E_NOT_FOUND - The entry identifier specified by lpEntryID does not represent an object"},
    {0x80040110,
     "The version of OLE installed on the workstation is not compatible with this version of MAPI."},
    {0x80040111, "The logon did not succeed, either because one or more of the parameters to Profile were "
                 "invalid or because there were too many sessions open already."},
    {0x80040112,
     "MAPI sets up context specific to the current process.\rFailures may occur on Win16 if the number of "
     "processes exceeds a certain number,\ror on any system if available memory is exhausted."},
    {0x80040113, "The user canceled the operation, typically by choosing the Cancel button in a dialog box."},
    {0x80040114, "MAPI_E_UNABLE_TO_ABORT"},
    {0x80040115, "MAPI_E_NETWORK_ERROR"},
    {0x80040116, "MAPI_E_DISK_ERROR"},
    {0x80040117, "The keys required by MAPI could not be initialized."},
    {0x80040118, "MAPI_E_BAD_COLUMN"},
    {0x80040119, "MAPI_E_EXTENDED_ERROR"},
    {0x8004011A, "MAPI_E_COMPUTED"},
    {0x8004011B, "MAPI_E_CORRUPT_DATA"},
    {0x8004011C, "A service provider has not been configured, and therefore the operation did not complete."},
    {0x8004011D, "MAPI_E_FAILONEPROVIDER"},
    {0x8004011E, "MAPI_E_UNKNOWN_CPID - The server is not configured to support the client's code page."},
    {0x8004011F,
     "MAPI_E_UNKNOWN_LCID - The server is not configured to support the client's locale information."},
    {0x80040120, "MAPI_E_PASSWORD_CHANGE_REQUIRED"},
    {0x80040121, "MAPI_E_PASSWORD_EXPIRED"},
    {0x80040122, "MAPI_E_INVALID_WORKSTATION_ACCOUNT"},
    {0x80040123, "MAPI_E_INVALID_ACCESS_TIME"},
    {0x80040124, "MAPI_E_ACCOUNT_DISABLED"},
    {0x80040200, "MAPI_E_END_OF_SESSION"},
    {0x80040201, "MAPI_E_UNKNOWN_ENTRYID - The entry identifier in the lpEntryID parameter is not of a "
                 "format recognized by the address book provider"},
    {0x80040202, "MAPI_E_MISSING_REQUIRED_COLUMN"},
    {0x80040301, "MAPI_E_BAD_VALUE"},
    {0x80040302, "MAPI_E_INVALID_TYPE"},
    {0x80040303, "MAPI_E_TYPE_NO_SUPPORT"},
    {0x80040304, "MAPI_E_UNEXPECTED_TYPE"},
    {0x80040305, "MAPI_E_TOO_BIG"},
    {0x80040306, "MAPI_E_DECLINE_COPY"},
    {0x80040307, "MAPI_E_UNEXPECTED_ID"},
    {0x80040400, "MAPI_E_UNABLE_TO_COMPLETE"},
    {0x80040401,
     "MAPI serializes all logons through a mutex. This is returned if the another thread held the mutex."},
    {0x80040402, "MAPI_E_TABLE_EMPTY"},
    {0x80040403, "MAPI_E_TABLE_TOO_BIG"},
    {0x80040405, "MAPI_E_INVALID_BOOKMARK"},
    {0x80040500, "MAPI_E_WAIT"},
    {0x80040501, "MAPI_E_CANCEL"},
    {0x80040502, "MAPI_E_NOT_ME"},
    {0x80040605, "The MAPI profile provider has encountered an error."},
    {0x80070005, "MAPI_E_NO_ACCESS - Either the user has insufficient permissions to open the object or an "
                 "attempt was made to open a read-only object with read/write access"},
    {0x8007000E, "MAPI_E_NOT_ENOUGH_MEMORY"},
    {0x80070057, "Invalid parameter!"},
    {0x80070157, "Invalid parameter or flag!"},
    {0x80040600, "Unexpected MAPI Error $80040600"},
    {0x8004FFFF, "Unexpected MAPI Error $8004FFFF"},
    {0x00000001, "Unexpected MAPI Error $00000001"},
};

class MapiErrorTextTable : public ::testing::TestWithParam<CodeText> {};

TEST_P(MapiErrorTextTable, GivesTheFixedText) {
    EXPECT_EQ(MapiErrorText(static_cast<mapi::HRESULT>(GetParam().code)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(AllCodes, MapiErrorTextTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CodeText>& info) {
                             char name[16];
                             std::snprintf(name, sizeof name, "x%08X",
                                           static_cast<unsigned>(info.param.code));
                             return std::string(name);
                         });

// A details source answering a fixed MAPIERROR.
class FixedError : public mapi::IMAPIProp {
public:
    explicit FixedError(std::optional<mapi::MapiError> error) : m_error(std::move(error)) {}
    mapi::HRESULT GetLastError(mapi::HRESULT result, std::uint32_t,
                               std::optional<mapi::MapiError>& error) override {
        asked = result;
        error = m_error;
        return mapi::MAPI_E_CALL_FAILED; // not looked at
    }
    mapi::HRESULT GetProps(const std::vector<mapi::PropTag>&, std::uint32_t,
                           std::vector<mapi::PropValue>&) override {
        return mapi::MAPI_E_NO_SUPPORT;
    }
    mapi::HRESULT SetProps(const std::vector<mapi::PropValue>&, std::vector<mapi::PropProblem>*) override {
        return mapi::MAPI_E_NO_SUPPORT;
    }
    mapi::HRESULT SaveChanges(std::uint32_t) override { return mapi::MAPI_E_NO_SUPPORT; }
    mapi::HRESULT OpenProperty(mapi::PropTag, mapi::Iid, std::uint32_t, std::uint32_t,
                               std::shared_ptr<mapi::IStream>&) override {
        return mapi::MAPI_E_NO_SUPPORT;
    }
    mapi::HRESULT asked = 0;

private:
    std::optional<mapi::MapiError> m_error;
};

TEST(CheckMapiResult, WarningsAndSuccessPass) {
    EXPECT_NO_THROW(CheckMapiResult(DetailsSource(), "1", mapi::S_OK));
    EXPECT_NO_THROW(CheckMapiResult(DetailsSource(), "1", mapi::MAPI_W_ERRORS_RETURNED));
}

TEST(CheckMapiResult, FailureNamesPositionAndText) {
    const auto text =
        testing::errorOf([] { CheckMapiResult(DetailsSource(), "40", mapi::MAPI_E_USER_CANCEL); });
    EXPECT_EQ(text,
              "Position:40 The user canceled the operation, typically by choosing the Cancel button in a "
              "dialog box.");
}

TEST(CheckMapiResult, DetailsBlockFromGetLastError) {
    FixedError source(mapi::MapiError{std::string("disk gone"), std::string("store.dll")});
    const auto text = testing::errorOf(
        [&] { CheckMapiResult(DetailsSource(&source, nullptr), "130", mapi::MAPI_E_NO_ACCESS); });
    EXPECT_EQ(source.asked, mapi::MAPI_E_NO_ACCESS);
    EXPECT_EQ(text,
              "Position:130 MAPI_E_NO_ACCESS - Either the user has insufficient permissions to open the "
              "object or an attempt was made to open a read-only object with read/write access"
              "\r\nDetails:\r\nError: disk gone\r\nComponent: store.dll\r\n");
}

TEST(CheckMapiResult, DetailsBlockLeavesOutAbsentTexts) {
    FixedError onlyComponent(mapi::MapiError{std::nullopt, std::string("spooler")});
    EXPECT_EQ(testing::errorOf([&] {
                  CheckMapiResult(DetailsSource(&onlyComponent, nullptr), "7", mapi::MAPI_E_CALL_FAILED);
              }),
              "Position:7 MAPI_E_CALL_FAILED\r\nDetails:\r\nComponent: spooler\r\n");
    FixedError nothing(std::nullopt);
    EXPECT_EQ(testing::errorOf(
                  [&] { CheckMapiResult(DetailsSource(&nothing, nullptr), "7", mapi::MAPI_E_CALL_FAILED); }),
              "Position:7 MAPI_E_CALL_FAILED");
}

TEST(CheckMapiResult, ErrorIsAMapiException) {
    EXPECT_THROW(CheckMapiResult(DetailsSource(), "x", mapi::MAPI_E_CALL_FAILED), MapiException);
}

struct StreamCase {
    const char* name;
    std::uint32_t code;
    const char* box; // nullptr: no box
};

class CheckStreamResultTable : public ::testing::TestWithParam<StreamCase> {};

TEST_P(CheckStreamResultTable, ShowsABoxOnlyForKnownFailures) {
    std::vector<std::string> boxes;
    EXPECT_NO_THROW(CheckStreamResult([&](const std::string& text) { boxes.push_back(text); }, "PlainText190",
                                      static_cast<mapi::HRESULT>(GetParam().code)));
    if (GetParam().box)
        EXPECT_EQ(boxes, std::vector<std::string>{GetParam().box});
    else
        EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CheckStreamResultTable,
    ::testing::Values(
        StreamCase{"Success", 0, nullptr}, StreamCase{"Warning", 0x00040380, nullptr},
        StreamCase{"UnknownFailure", 0x80004005, nullptr},
        StreamCase{
            "Pending", 0x8000000A,
            "Error: Position:PlainText190 Asynchronous storage only: Part or all of the data to be read is "
            "currently unavailable."},
        StreamCase{
            "AccessDenied", 0x80030005,
            "Error: Position:PlainText190 The caller does not have enough permissions for reading this "
            "stream object."},
        StreamCase{
            "Reverted", 0x80030102,
            "Error: Position:PlainText190 The object has been invalidated by a revert operation above it in "
            "the transaction tree."}),
    [](const ::testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

TEST(StreamErrorText, KnowsTheEightCodes) {
    int known = 0;
    for (std::uint32_t code : {0x8000000Au, 0x80030001u, 0x80030005u, 0x80030009u, 0x8003001Du, 0x80030070u,
                               0x80030102u, 0x80030103u})
        known += StreamErrorText(static_cast<mapi::HRESULT>(code)).has_value();
    EXPECT_EQ(known, 8);
}

} // namespace
} // namespace mailstore
