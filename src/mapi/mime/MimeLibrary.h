#pragma once
// GMime is initialised once per process, and every parse uses our own lenient options: mail in
// the wild breaks the rules for encoded words, addresses and parameters, and raw 8-bit headers are
// common, so they fall back to UTF-8 and then windows-1252.

#include <gmime/gmime.h>

namespace mapi::mime {

// g_mime_init on first use; the options live for the life of the process.
GMimeParserOptions* parserOptions();

} // namespace mapi::mime
