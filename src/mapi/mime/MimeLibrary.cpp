#include "mapi/mime/MimeLibrary.h"

#include <libxml/parser.h>
#include <mutex>

namespace mapi::mime {

void initialiseLibraries() {
    parserOptions();
}

GMimeParserOptions* parserOptions() {
    static std::once_flag once;
    static GMimeParserOptions* options = nullptr;
    std::call_once(once, [] {
        g_mime_init();
        xmlInitParser();
        options = g_mime_parser_options_new();
        g_mime_parser_options_set_rfc2047_compliance_mode(options, GMIME_RFC_COMPLIANCE_LOOSE);
        g_mime_parser_options_set_address_compliance_mode(options, GMIME_RFC_COMPLIANCE_LOOSE);
        g_mime_parser_options_set_parameter_compliance_mode(options, GMIME_RFC_COMPLIANCE_LOOSE);
        static const char* fallback[] = {"utf-8", "windows-1252", nullptr};
        g_mime_parser_options_set_fallback_charsets(options, fallback);
    });
    return options;
}

} // namespace mapi::mime
