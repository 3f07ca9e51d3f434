#pragma once
// HTML as readable plain text: paragraphs and line breaks kept, script and style dropped,
// entities decoded, runs of blanks collapsed as a browser does. libxml2's HTML parser recovers
// from broken markup; its events are laid out as they come, without a tree, and the open elements
// sit on a heap stack, so deep nesting cannot exhaust the call stack.

#include <string>
#include <string_view>

namespace mapi::mime {

// `html` is UTF-8 (any <meta charset> in it is ignored); the text's lines end in LF.
std::string htmlToText(std::string_view html);

} // namespace mapi::mime
