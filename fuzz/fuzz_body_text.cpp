// The plain-text body of any bytes read as a message file: never a crash, its lines end in CR LF
// only, and the shortcut for plain structures reads exactly what GMime's reading gives.
#include "FuzzInput.h"
#include "mapi/mime/BodyText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto body = mapi::mime::plainTextBody(fuzz::text(data, size));
    fuzz::require(body == mapi::mime::plainTextBodyByLibrary(fuzz::text(data, size)),
                  "the shortcut reads as GMime does");
    if (body) {
        for (std::size_t i = 0; i < body->size(); ++i) {
            const char c = (*body)[i];
            fuzz::require(c != '\0', "no NUL in a body");
            fuzz::require(c != '\r' || (i + 1 < body->size() && (*body)[i + 1] == '\n'), "CR only before LF");
            fuzz::require(c != '\n' || (i > 0 && (*body)[i - 1] == '\r'), "LF only after CR");
        }
    }
    return 0;
}
