#pragma once
// Mbox files for tests, written the way mail delivery agents write them: a separator line, the
// message with its separator-like lines quoted (mboxrd), and an empty line after it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// The separator line (without its line end) for a message from `sender` delivered at `seconds`.
std::string fromLine(std::int64_t seconds, std::string_view sender = "sender@example.org");

// One message as it stands in an mbox file.
std::string mboxRecord(std::string_view message, std::int64_t seconds = 1700000000,
                       std::string_view sender = "sender@example.org");

// The messages of an mbox file, each with its own separator and the quoting undone, split the
// simple way a test can trust: on separator lines after an empty line.
std::vector<std::string> mboxMessages(std::string_view file);

} // namespace testsupport
