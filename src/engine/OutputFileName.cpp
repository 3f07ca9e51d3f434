#include "engine/OutputFileName.h"

#include "platform/Format.h"

namespace engine {

namespace {

bool isTokenLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string tokenText(const std::string& token, TokenProvider* provider, std::int32_t number) {
    std::string upper = token;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    if (upper == "NUMBER") {
        return std::to_string(number);
    }
    if (provider == nullptr) {
        return "%" + token;
    }
    return provider->tokenValue(token);
}

} // namespace

std::string expandPlaceholders(std::string_view format, TokenProvider* provider, std::int32_t number) {
    enum class State { Copying, AfterPercent, InToken };
    State state = State::Copying;
    std::string out;
    std::string token;
    for (const char c : format) {
        if (state == State::InToken) {
            if (isTokenLetter(c)) {
                token += c;
                continue;
            }
            out += tokenText(token, provider, number);
            state = State::Copying;
            // The "%" that ends a token is consumed; any other character is copied below.
            if (c == '%') {
                continue;
            }
        }
        if (state == State::AfterPercent) {
            state = State::Copying;
            if (isTokenLetter(c)) {
                token.assign(1, c);
                state = State::InToken;
            } else if (c == '%') {
                out += '%';
            } else {
                out += '%';
                out += c;
            }
            continue;
        }
        if (c == '%') {
            state = State::AfterPercent;
        } else {
            out += c;
        }
    }
    if (state == State::AfterPercent) {
        out += '%';
    } else if (state == State::InToken) {
        out += tokenText(token, provider, number);
    }
    return out;
}

std::string formatNumber(std::string_view format, std::int32_t number) {
    return platform::format(format, {number});
}

std::string filterFileName(std::string_view text) {
    static constexpr std::string_view illegal = "\"*/:<>?\\|";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (illegal.find(c) == std::string_view::npos) {
            out += c;
        }
    }
    return out;
}

std::string normaliseFolder(std::string_view folder) {
    if (!folder.empty() && folder.front() == '"') {
        folder.remove_prefix(1);
    }
    if (!folder.empty() && folder.back() == '"') {
        folder.remove_suffix(1);
    }
    std::string out(folder);
    if (out.empty() || out.back() != '/') {
        out += '/';
    }
    return out;
}

std::string outputFileName(std::string_view normalisedFolder, std::string_view numberFormat,
                           TokenProvider& message, std::int32_t number) {
    return std::string(normalisedFolder) + fileName(numberFormat, message, number);
}

std::string fileName(std::string_view format, TokenProvider& message, std::int32_t number) {
    return filterFileName(formatNumber(expandPlaceholders(format, &message, number), number));
}

} // namespace engine
