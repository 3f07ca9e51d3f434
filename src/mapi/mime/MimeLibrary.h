#pragma once
// GMime and libxml2 are initialised once per process, and every parse uses our own lenient
// options: mail in the wild breaks the rules for encoded words, addresses and parameters, and raw
// 8-bit headers are common, so they fall back to UTF-8 and then windows-1252.

#include <gmime/gmime.h>

namespace mapi::mime {

// Both libraries must be initialised before a second thread uses them; calling this first on the
// thread that starts the workers does that. Later calls do nothing.
void initialiseLibraries();

// Initialises the libraries on first use; the options live for the life of the process.
GMimeParserOptions* parserOptions();

} // namespace mapi::mime
