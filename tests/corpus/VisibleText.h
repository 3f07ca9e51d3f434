#pragma once
// Whether a mail client would show any text for a message, judged without the program's own body
// code: GMime's own walk and decoding of the inline text parts, and, for a file without a header
// block, its bytes. It errs towards "no text" where GMime itself loses the text: the classes GMime
// cannot read are rows of the body table instead.

#include <string_view>

namespace corpus {

bool hasVisibleText(std::string_view message);

// Any letter or digit outside markup.
bool hasWords(std::string_view text, bool html);

} // namespace corpus
