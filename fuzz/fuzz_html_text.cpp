// HTML rendered as text: any bytes, any depth, in bounded time.
#include "FuzzInput.h"
#include "mapi/mime/HtmlText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mapi::mime::htmlToText(fuzz::text(data, size));
    return 0;
}
