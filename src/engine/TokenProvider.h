#pragma once
// Per-message values for file-name placeholders. The message class lives below this layer, so
// the engine asks for values through this interface and adapts the message to it.

#include <string>

namespace engine {

class TokenProvider {
public:
    virtual ~TokenProvider() = default;
    // The text for a token (the letters after "%", as written); "%" and the token when unknown.
    virtual std::string tokenValue(const std::string& token) = 0;
};

} // namespace engine
