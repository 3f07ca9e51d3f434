// A language file and the escapes of its texts: parsed without a crash, and encoding any text
// then decoding it gives the text back.
#include "FuzzInput.h"
#include "i18n/Escapes.h"
#include "i18n/LanguageFile.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::text(data, size);
    i18n::LanguageFile::parse(input);
    try {
        i18n::DecodeEscapes(input);
    } catch (const i18n::EscapeError&) {
    }
    fuzz::require(i18n::DecodeEscapes(i18n::EncodeEscapes(input)) == input, "escapes round-trip");
    return 0;
}
