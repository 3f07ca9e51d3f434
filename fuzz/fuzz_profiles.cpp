// The profiles file of any bytes: profiles read, or the file refused with its error.
#include "FuzzInput.h"
#include "mapi/Profiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        mapi::parseProfiles(fuzz::text(data, size), "profiles.ini");
    } catch (const mapi::ProfilesError&) {
    }
    return 0;
}
