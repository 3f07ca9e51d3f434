#include "engine/SampleFileName.h"

#include "engine/OutputFileName.h"
#include "mailstore/TEmailMessage.h"

namespace engine {

namespace {

class TestMessageTokens : public TokenProvider {
public:
    explicit TestMessageTokens(mailstore::TEmailMessage& message) : m_message(message) {}
    std::string tokenValue(const std::string& token) override { return m_message.TokenValue(token); }

private:
    mailstore::TEmailMessage& m_message;
};

} // namespace

std::string sampleFileName(std::string_view format, std::int32_t number,
                           const mailstore::MessageServices& services) {
    mailstore::TEmailMessage message(services);
    message.setSubject("Subject");
    message.setSenderAddress("sender@example.com");
    message.setDisplayTo("recipient@example.com");
    message.setReceivedTime(services.now());
    TestMessageTokens tokens(message);
    return fileName(format, tokens, number);
}

} // namespace engine
