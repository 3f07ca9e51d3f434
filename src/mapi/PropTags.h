#pragma once
// Property tags and value types: the high 16 bits are the property id, the low 16 the type.

#include <cstdint>

namespace mapi {

using PropTag = std::uint32_t;

enum PropType : std::uint16_t {
    PT_UNSPECIFIED = 0x0000,
    PT_LONG = 0x0003,
    PT_ERROR = 0x000A,
    PT_BOOLEAN = 0x000B,
    PT_STRING8 = 0x001E,
    PT_SYSTIME = 0x0040,
    PT_BINARY = 0x0102,
};

constexpr PropType propType(PropTag tag) {
    return static_cast<PropType>(tag & 0xFFFF);
}
constexpr std::uint16_t propId(PropTag tag) {
    return static_cast<std::uint16_t>(tag >> 16);
}
constexpr PropTag changePropType(PropTag tag, PropType type) {
    return (tag & 0xFFFF0000u) | type;
}

constexpr PropTag PR_DISPLAY_NAME_A = 0x3001001E;
constexpr PropTag PR_ENTRYID = 0x0FFF0102;
constexpr PropTag PR_DEFAULT_STORE = 0x3400000B;
constexpr PropTag PR_MDB_PROVIDER = 0x34140102;
constexpr PropTag PR_IPM_SUBTREE_ENTRYID = 0x35E00102;
constexpr PropTag PR_NON_IPM_SUBTREE_ENTRYID = 0x66200102;
constexpr PropTag PR_SUBFOLDERS = 0x360A000B;
constexpr PropTag PR_CLIENT_SUBMIT_TIME = 0x00390040;
constexpr PropTag PR_HASATTACH = 0x0E1B000B;
constexpr PropTag PR_STORE_SUPPORT_MASK = 0x340D0003;
constexpr PropTag PR_DISPLAY_TO_A = 0x0E04001E;
constexpr PropTag PR_DISPLAY_CC_A = 0x0E03001E;
constexpr PropTag PR_DISPLAY_BCC_A = 0x0E02001E;
constexpr PropTag PR_SENDER_EMAIL_ADDRESS_A = 0x0C1F001E;
constexpr PropTag PR_MESSAGE_FLAGS = 0x0E070003;
constexpr PropTag PR_SUBJECT_A = 0x0037001E;
constexpr PropTag PR_MESSAGE_SIZE = 0x0E080003;
constexpr PropTag PR_MESSAGE_DELIVERY_TIME = 0x0E060040;
constexpr PropTag PR_BODY_A = 0x1000001E;
constexpr PropTag PR_RTF_IN_SYNC = 0x0E1F000B;
constexpr PropTag PR_MESSAGE_STATUS = 0x0E170003;
constexpr PropTag PR_ACCESS = 0x0FF40003;
constexpr PropTag PR_MESSAGE_CLASS_A = 0x001A001E;
// Our own, in the provider-defined range: the file holding a message, for stores that keep one
// file per message; the session's ShowForm opens it with the desktop's opener.
constexpr PropTag PR_MESSAGE_FILE_PATH_A = 0x7E01001E;

constexpr std::uint32_t STORE_RTF_OK = 0x800;
constexpr std::uint32_t MSGFLAG_READ = 0x1;

} // namespace mapi
