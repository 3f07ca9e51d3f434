#pragma once
// What a test tells the fault-injecting wrapper, and what the wrapper tells the test: rules that
// make the n-th call of a named operation on chosen objects answer a chosen HRESULT, and a log of
// every call with its flags and sizes (rows asked and returned, bytes asked and read).

#include "mapi/Interfaces.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapi::fault {

enum class ObjectKind { Any, Mapi, Session, Store, Folder, Message, Prop, Table, Stream };

struct FaultRule {
    // The method name: "QueryRows", "GetProps", "OpenEntry", "AllocateBuffer", "LogonEx", ...
    std::string operation;
    ObjectKind kind = ObjectKind::Any;
    // The object's entry id: for stores, folders and messages the id they were opened with; for
    // tables and streams the id of the object that gave them. None matches any object.
    std::optional<Binary> entryId = std::nullopt;
    // The n-th matching call, counting from 1; 0 makes every matching call answer `result`.
    int nth = 1;
    HRESULT result = MAPI_E_CALL_FAILED;
    // A failure is answered without calling the provider. A warning or S_OK calls it and then
    // answers `result`; GetProps answers `values` instead of the provider's when given, and with
    // MAPI_W_ERRORS_RETURNED turns these tags' values (every value when empty) into PT_ERROR
    // values of `errorCode`.
    std::vector<PropTag> errorTags = {};
    HRESULT errorCode = MAPI_E_NOT_FOUND;
    std::optional<std::vector<PropValue>> values = std::nullopt;
    // QueryRows with a warning or S_OK: the rows to deliver instead of the provider's.
    std::optional<RowSet> rows = std::nullopt;
    // What the object's GetLastError answers after this fault (for the rule of "GetLastError"
    // itself: what it answers). None: nothing to tell.
    std::optional<MapiError> lastError = std::nullopt;
};

struct CallRecord {
    std::string operation;
    ObjectKind kind = ObjectKind::Any;
    Binary entryId;
    std::uint32_t flags = 0;
    // QueryRows: rows asked and returned; Read: bytes asked and read; AllocateBuffer: bytes asked.
    std::int64_t asked = 0;
    std::int64_t returned = 0;
    // SetColumns and GetProps: the tags; SortTable: the sort keys' tags; OpenProperty: the tag.
    std::vector<PropTag> tags;
    // LogonEx: the profile name ("(null)" when none); GetReceiveFolder: the message class;
    // OpenEntry: the interface asked for.
    std::string text;
    HRESULT result = S_OK;
    bool injected = false;
};

class FaultInjector {
public:
    void add(FaultRule rule);
    void clearRules();

    // The calls of `operation` (every call when empty), oldest first.
    std::vector<CallRecord> calls(std::string_view operation = {}) const;
    std::size_t count(std::string_view operation, ObjectKind kind = ObjectKind::Any,
                      const std::optional<Binary>& entryId = std::nullopt) const;
    void clearLog();

    // For the wrapper: counts the call against every matching rule and answers the rule that
    // fires, if any.
    const FaultRule* match(std::string_view operation, ObjectKind kind, const Binary& entryId);
    void record(CallRecord call);

private:
    struct Armed {
        FaultRule rule;
        int seen = 0;
    };
    std::vector<Armed> m_rules;
    std::vector<CallRecord> m_calls;
};

} // namespace mapi::fault
