#pragma once

#include "engine/TokenProvider.h"
#include "mailstore/TEmailMessage.h"

namespace engine {

// A message's placeholder values (TokenValue) as the file-name stages ask for them.
class MessageTokens : public TokenProvider {
public:
    explicit MessageTokens(mailstore::TEmailMessage& message) : m_message(message) {}
    std::string tokenValue(const std::string& token) override { return m_message.TokenValue(token); }

private:
    mailstore::TEmailMessage& m_message;
};

} // namespace engine
