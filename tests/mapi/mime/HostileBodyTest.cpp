// Messages made to exhaust the body reader: each must give a bounded result quickly, never a
// crash, a hang or memory that grows without bound.

#include "mapi/mime/BodyText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

std::string flatParts(int count) {
    std::string text =
        "From: a@example.org\nSubject: Parts\nContent-Type: multipart/mixed; boundary=\"m\"\n\n"
        "--m\nContent-Type: text/plain\n\nFirst part text.\n";
    for (int i = 0; i < count; ++i)
        text += "--m\n\nx\n";
    return text + "--m--\n";
}

std::string nestedParts(int depth) {
    std::string text = "From: a@example.org\nSubject: Nested\n";
    for (int i = 0; i < depth; ++i)
        text += "Content-Type: multipart/mixed; boundary=\"b" + std::to_string(i) + "\"\n\n--b" +
                std::to_string(i) + "\n";
    return text + "Content-Type: text/plain\n\nDeep text.\n";
}

double secondsFor(const std::string& message, std::optional<std::string>& body) {
    const auto start = Clock::now();
    body = mapi::mime::plainTextBody(message);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(HostileBody, AMillionPartsGiveTheFirstTextQuickly) {
    std::optional<std::string> body;
    EXPECT_LT(secondsFor(flatParts(1000000), body), 2.0);
    EXPECT_EQ(body, "First part text.");
}

TEST(HostileBody, MultipartsNestedDeepEndQuickly) {
    std::optional<std::string> body;
    EXPECT_LT(secondsFor(nestedParts(100000), body), 2.0);
    // Nested this deep, the text lies beyond the parts that are read: the body is whatever text
    // came before, here none.
    EXPECT_FALSE(body && body->find("Deep text.") != std::string::npos);
    EXPECT_LT(secondsFor(nestedParts(1000), body), 2.0);
    EXPECT_EQ(body, "Deep text.\r\n");
}

TEST(HostileBody, PlainTextWithManyDashLinesIsKeptWhole) {
    std::string text;
    for (int i = 0; i < 6000; ++i)
        text += "--option" + std::to_string(i) + "\n";
    std::optional<std::string> body;
    secondsFor("From: a@example.org\nContent-Type: text/plain\n\n" + text + "last line\n", body);
    ASSERT_TRUE(body);
    EXPECT_NE(body->find("--option5999\r\nlast line"), std::string::npos);
}

} // namespace
