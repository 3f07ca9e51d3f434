// Output file names from any format and any values: a name never holds a folder part and,
// unless the format's own text is too long, fits in a file name.
#include "FuzzInput.h"
#include "engine/OutputFileName.h"
#include "platform/Format.h"

#include <string>

namespace {

// The values of one message: the input after the format, split between the tokens.
class FuzzedValues : public engine::TokenProvider {
public:
    explicit FuzzedValues(std::string_view values) : m_values(values) {}
    std::string tokenValue(const std::string& token) override {
        const std::size_t take = std::min<std::size_t>(m_values.size(), token.size() * 37);
        std::string value(m_values.substr(0, take));
        m_values.remove_prefix(take);
        return value + std::string(token.size() * 40, 'v');
    }

private:
    std::string_view m_values;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::text(data, size);
    const std::size_t split = input.find('\0');
    const std::string_view format = input.substr(0, split);
    FuzzedValues values(split == std::string_view::npos ? std::string_view() : input.substr(split + 1));
    const std::int32_t number = static_cast<std::int32_t>(size * 7919);
    try {
        const std::string name = engine::fileName(format, values, number);
        fuzz::require(name.find('/') == std::string::npos, "no folder part in a name");
    } catch (const platform::FormatError&) {
    }
    return 0;
}
