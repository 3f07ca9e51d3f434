#include "engine/RunError.h"
#include "engine/RunErrorReport.h"
#include "engine/TEmailThread.h"
#include "mailstore/MapiException.h"
#include "platform/Format.h"

#include <gtest/gtest.h>

#include <functional>
#include <system_error>

namespace {

struct ErrorCase {
    const char* name;
    std::function<void()> raise;
    const char* expected;
};

class EmailThreadErrorText : public testing::TestWithParam<ErrorCase> {};

TEST_P(EmailThreadErrorText, NamesClassModuleAndMessage) {
    try {
        GetParam().raise();
        FAIL() << "nothing was raised";
    } catch (const std::exception& error) {
        EXPECT_EQ(engine::applicationErrorText(error), GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Errors, EmailThreadErrorText,
    testing::Values(
        ErrorCase{"MailCall", [] { throw mailstore::MapiException("Position:170 Call failed"); },
                  "Exception EMapiError in module larkspire at 00000000.\nPosition:170 Call failed."},
        ErrorCase{"FormatEndingInFullStop", [] { throw platform::FormatError("Bad format."); },
                  "Exception EFormatError in module larkspire at 00000000.\nBad format."},
        ErrorCase{
            "File",
            [] { throw std::system_error(ENOENT, std::generic_category(), "Cannot create '/x/1.txt'"); },
            "Exception ESystemError in module larkspire at 00000000.\nCannot create '/x/1.txt': "
            "No such file or directory."},
        ErrorCase{"RunOwn", [] { throw engine::RunError("Folder gone\r\nre-select it"); },
                  "Exception ERunError in module larkspire at 00000000.\nFolder gone\r\nre-select it."},
        ErrorCase{"EmptyMessage", [] { throw std::runtime_error(""); },
                  "Exception Exception in module larkspire at 00000000.\n"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

} // namespace
