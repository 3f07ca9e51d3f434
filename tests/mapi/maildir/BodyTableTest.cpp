// Every sample message, as an LF and as a CR LF file, read through the store: the listing's
// decoded header columns and the body stream must be what a mail client shows, whether the body
// is decoded at once or in the background.

#include "mapi/maildir/StoreFixture.h"
#include "support/MaildirBuilder.h"
#include "support/SampleMessages.h"
#include "support/TemporaryFolder.h"

#include "mapi/mime/TransferDecoding.h"

#include <gtest/gtest.h>

namespace {

using namespace mapi;
using namespace maildirtest;

struct BodyCase {
    const testsupport::SampleMessage* sample;
    bool crlf;
};

class BodyTable : public ::testing::TestWithParam<BodyCase> {};

TEST_P(BodyTable, ListingAndBodyShowWhatAMailClientShows) {
    const auto& [sample, crlf] = GetParam();
    testsupport::TemporaryFolder temporary;
    testsupport::MaildirBuilder builder(temporary.path() / "Maildir");
    builder.addMessage("", crlf ? testsupport::withCrLf(sample->text) : sample->text);

    auto store = openStore(builder.root());
    auto root = openRoot(*store);
    const RowSet rows = contents(*root);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(stringProp(rows[0], PR_SUBJECT_A), sample->subject);
    EXPECT_EQ(stringProp(rows[0], PR_SENDER_EMAIL_ADDRESS_A), sample->sender);
    EXPECT_EQ(stringProp(rows[0], PR_DISPLAY_TO_A), sample->displayTo);

    auto message = openMessage(*store, prop(rows[0], PR_ENTRYID).getBinary());
    const BodyRead now = readBody(*message, 0);
    const BodyRead deferred = readBody(*message, MAPI_DEFERRED_ERRORS);
    ASSERT_EQ(deferred.result, S_OK);
    if (!sample->body) {
        EXPECT_EQ(now.result, MAPI_E_NOT_FOUND);
        EXPECT_EQ(deferred.text, "");
        return;
    }
    ASSERT_EQ(now.result, S_OK);
    EXPECT_EQ(now.text, mime::toCrLf(*sample->body));
    EXPECT_EQ(deferred.text, now.text);
}

std::vector<BodyCase> allCases() {
    std::vector<BodyCase> cases;
    for (const auto& sample : testsupport::sampleMessages())
        for (const bool crlf : {false, true})
            cases.push_back({&sample, crlf});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Samples, BodyTable, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<BodyCase>& info) {
                             return info.param.sample->name + (info.param.crlf ? "_CrLf" : "_Lf");
                         });

} // namespace
