// Header fields as the listing and the subject change read them: decoded values are one line,
// and a rewritten Subject never lets a raw CR or LF into the header.
#include "FuzzInput.h"
#include "mapi/mime/HeaderBlock.h"
#include "mapi/mime/HeaderText.h"
#include "mapi/mime/MimeLibrary.h"
#include "mapi/mime/SubjectRewrite.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mapi::mime;
    parserOptions();
    const std::string_view input = fuzz::text(data, size);
    const std::string decoded = decodeHeaderText(input);
    fuzz::require(decoded.find_first_of("\r\n") == std::string::npos, "a decoded value is one line");
    displayList(input);
    firstAddress(input);
    parseDate(input);
    const HeaderBlock block = parseHeaderBlock(input);
    fuzz::require(block.headerEnd <= block.bodyOffset && block.bodyOffset <= input.size(),
                  "offsets inside the text");
    for (const HeaderField& field : block.fields)
        unfoldValue(field.value);
    // The input split in two: a message and a subject to give it.
    const std::size_t half = input.size() / 2;
    const std::string rewritten = withSubject(input.substr(0, half), input.substr(half));
    const HeaderBlock after = parseHeaderBlock(rewritten);
    if (const HeaderField* subject = findField(after, "Subject")) {
        const std::string_view value = subject->value;
        for (std::size_t i = 0; i < value.size(); ++i)
            if (value[i] == '\r' || value[i] == '\n')
                fuzz::require(i + 1 < value.size() && (value[i + 1] == ' ' || value[i + 1] == '\t' ||
                                                       (value[i] == '\r' && value[i + 1] == '\n')),
                              "a line end in the Subject only folds it");
    }
    return 0;
}
