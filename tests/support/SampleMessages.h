#pragma once
// Messages written for the tests, one per kind of mail the store must read, each with what a
// mail client shows for it. Texts are written with LF line ends; withCrLf gives the CR LF file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

struct SampleMessage {
    std::string name;                // a test row name: letters, digits and underscores
    std::string text;                // the file, LF line ends
    std::optional<std::string> body; // the message text as shown (LF line ends); none: no body
    std::string subject;             // decoded
    std::string sender;              // bare address of From:
    std::string displayTo;           // names, else addresses, joined by "; "
};

const std::vector<SampleMessage>& sampleMessages();
const SampleMessage& sampleMessage(std::string_view name);

std::string withCrLf(std::string_view text);

// A simple text/plain message.
std::string simpleMessage(std::string_view subject, std::string_view body, std::string_view date = "");

} // namespace testsupport
