#include "mapi/fault/FaultInjector.h"

namespace mapi::fault {

void FaultInjector::add(FaultRule rule) {
    m_rules.push_back(Armed{std::move(rule), 0});
}

void FaultInjector::clearRules() {
    m_rules.clear();
}

std::vector<CallRecord> FaultInjector::calls(std::string_view operation) const {
    std::vector<CallRecord> result;
    for (const auto& call : m_calls)
        if (operation.empty() || call.operation == operation)
            result.push_back(call);
    return result;
}

std::size_t FaultInjector::count(std::string_view operation, ObjectKind kind,
                                 const std::optional<Binary>& entryId) const {
    std::size_t total = 0;
    for (const auto& call : m_calls)
        if (call.operation == operation && (kind == ObjectKind::Any || call.kind == kind) &&
            (!entryId || call.entryId == *entryId))
            ++total;
    return total;
}

void FaultInjector::clearLog() {
    m_calls.clear();
}

const FaultRule* FaultInjector::match(std::string_view operation, ObjectKind kind, const Binary& entryId) {
    const FaultRule* firing = nullptr;
    for (auto& armed : m_rules) {
        const FaultRule& rule = armed.rule;
        if (rule.operation != operation || (rule.kind != ObjectKind::Any && rule.kind != kind) ||
            (rule.entryId && *rule.entryId != entryId))
            continue;
        ++armed.seen;
        if (!firing && (rule.nth == 0 || armed.seen == rule.nth))
            firing = &rule;
    }
    return firing;
}

void FaultInjector::record(CallRecord call) {
    m_calls.push_back(std::move(call));
}

} // namespace mapi::fault
