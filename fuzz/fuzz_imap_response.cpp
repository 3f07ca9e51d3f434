// An IMAP response of any bytes: parsed into values or refused with an ImapError; any text that
// can be sent quoted reads back as that one string; a mailbox name decodes from modified UTF-7.
#include "FuzzInput.h"
#include "mapi/imap/ImapError.h"
#include "mapi/imap/ImapSyntax.h"
#include "mapi/maildir/MaildirTree.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::text(data, size);
    try {
        mapi::parseImapValues(text);
    } catch (const mapi::ImapError&) {
    }
    if (const std::optional<std::string> quoted = mapi::quotedArgument(text)) {
        const std::vector<mapi::ImapValue> values = mapi::parseImapValues(*quoted);
        fuzz::require(values.size() == 1 && values[0].kind == mapi::ImapValue::Kind::String &&
                          values[0].text == text,
                      "a quoted argument reads back as its text");
    }
    const std::string name(text);
    const std::string decoded = mapi::decodeModifiedUtf7(name);
    fuzz::require(name.find('&') != std::string::npos || decoded == name,
                  "a name without '&' stays as it is");
    mapi::parseInternalDate(text);
    return 0;
}
