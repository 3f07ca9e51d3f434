#include "mapi/fault/FaultMapi.h"

#include <algorithm>
#include <functional>

namespace mapi::fault {
namespace {

// One wrapped object's identity and the GetLastError answer its last injected fault left.
struct Tracker {
    std::shared_ptr<FaultInjector> injector;
    ObjectKind kind;
    Binary entryId;
    // Set after an injected fault: what GetLastError answers instead of asking the provider.
    std::optional<std::optional<MapiError>> injectedError;
};

// One call on a wrapped object: the rule that fires for it and the record that logs it.
class Call {
public:
    Call(Tracker& tracker, const char* operation, std::uint32_t flags = 0)
        : m_tracker(tracker), m_rule(tracker.injector->match(operation, tracker.kind, tracker.entryId)) {
        m_record.operation = operation;
        m_record.kind = tracker.kind;
        m_record.entryId = tracker.entryId;
        m_record.flags = flags;
    }

    const FaultRule* rule() const { return m_rule; }
    // A failing rule answers without the provider being called.
    bool injectedFailure() const { return m_rule && failed(m_rule->result); }
    CallRecord& record() { return m_record; }

    // Logs the call and answers the rule's result if one fired, else the provider's.
    HRESULT finish(HRESULT providerResult) {
        const HRESULT hr = m_rule ? m_rule->result : providerResult;
        m_record.result = hr;
        m_record.injected = m_rule != nullptr;
        if (m_rule)
            m_tracker.injectedError = m_rule->lastError;
        else
            m_tracker.injectedError.reset();
        m_tracker.injector->record(std::move(m_record));
        return hr;
    }

private:
    Tracker& m_tracker;
    const FaultRule* m_rule;
    CallRecord m_record;
};

HRESULT lastErrorCall(Tracker& tracker, const std::function<HRESULT(std::optional<MapiError>&)>& inner,
                      std::optional<MapiError>& error) {
    // Not through Call: asking for the error must not forget the fault that left it.
    const FaultRule* rule = tracker.injector->match("GetLastError", tracker.kind, tracker.entryId);
    CallRecord record;
    record.operation = "GetLastError";
    record.kind = tracker.kind;
    record.entryId = tracker.entryId;
    HRESULT hr = S_OK;
    if (rule) {
        error = rule->lastError;
        hr = rule->result;
        record.injected = true;
    } else if (tracker.injectedError) {
        error = *tracker.injectedError;
    } else {
        hr = inner(error);
    }
    record.result = hr;
    tracker.injector->record(std::move(record));
    return hr;
}

const char* iidName(Iid iid) {
    switch (iid) {
    case Iid::IMAPIProp:
        return "IMAPIProp";
    case Iid::IMAPIFolder:
        return "IMAPIFolder";
    case Iid::IMessage:
        return "IMessage";
    case Iid::IMsgStore:
        return "IMsgStore";
    case Iid::IStream:
        return "IStream";
    }
    return "";
}

class FaultStream : public IStream {
public:
    FaultStream(std::shared_ptr<IStream> inner, Tracker tracker)
        : m_inner(std::move(inner)), m_tracker(std::move(tracker)) {}

    HRESULT Read(void* buffer, std::uint32_t count, std::uint32_t& read) override {
        Call call(m_tracker, "Read");
        call.record().asked = count;
        read = 0;
        HRESULT hr = S_OK;
        if (!call.injectedFailure())
            hr = m_inner->Read(buffer, count, read);
        call.record().returned = read;
        return call.finish(hr);
    }

private:
    std::shared_ptr<IStream> m_inner;
    Tracker m_tracker;
};

class FaultTable : public IMAPITable {
public:
    FaultTable(std::shared_ptr<IMAPITable> inner, Tracker tracker)
        : m_inner(std::move(inner)), m_tracker(std::move(tracker)) {}

    HRESULT SetColumns(const std::vector<PropTag>& columns, std::uint32_t flags) override {
        Call call(m_tracker, "SetColumns", flags);
        call.record().tags = columns;
        return call.finish(call.injectedFailure() ? S_OK : m_inner->SetColumns(columns, flags));
    }
    HRESULT SortTable(const SortOrderSet& order, std::uint32_t flags) override {
        Call call(m_tracker, "SortTable", flags);
        for (const auto& key : order)
            call.record().tags.push_back(key.tag);
        return call.finish(call.injectedFailure() ? S_OK : m_inner->SortTable(order, flags));
    }
    HRESULT GetRowCount(std::uint32_t flags, std::uint32_t& count) override {
        Call call(m_tracker, "GetRowCount", flags);
        count = 0;
        const HRESULT hr = call.injectedFailure() ? S_OK : m_inner->GetRowCount(flags, count);
        call.record().returned = count;
        return call.finish(hr);
    }
    HRESULT SeekRow(Bookmark origin, std::int32_t rowCount, std::int32_t* rowsSought) override {
        Call call(m_tracker, "SeekRow");
        call.record().asked = rowCount;
        return call.finish(call.injectedFailure() ? S_OK : m_inner->SeekRow(origin, rowCount, rowsSought));
    }
    HRESULT QueryRows(std::int32_t rowCount, std::uint32_t flags, RowSet& rows) override {
        Call call(m_tracker, "QueryRows", flags);
        call.record().asked = rowCount;
        rows.clear();
        const HRESULT hr = call.injectedFailure() ? S_OK : m_inner->QueryRows(rowCount, flags, rows);
        if (call.rule() && call.rule()->rows && !call.injectedFailure())
            rows = *call.rule()->rows;
        call.record().returned = static_cast<std::int64_t>(rows.size());
        return call.finish(hr);
    }

private:
    std::shared_ptr<IMAPITable> m_inner;
    Tracker m_tracker;
};

std::shared_ptr<IMAPIProp> wrapProp(std::shared_ptr<IMAPIProp> inner,
                                    const std::shared_ptr<FaultInjector>& injector, const Binary& entryId);

// The IMAPIProp methods, shared by every wrapper of a property object.
template <class Interface> class PropWrapper : public Interface {
public:
    PropWrapper(std::shared_ptr<Interface> inner, Tracker tracker)
        : m_inner(std::move(inner)), m_tracker(std::move(tracker)) {}

    const std::shared_ptr<Interface>& inner() const { return m_inner; }

    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override {
        return lastErrorCall(
            m_tracker,
            [&](std::optional<MapiError>& out) { return m_inner->GetLastError(result, flags, out); }, error);
    }
    HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t flags,
                     std::vector<PropValue>& values) override {
        Call call(m_tracker, "GetProps", flags);
        call.record().tags = tags;
        values.clear();
        if (call.injectedFailure())
            return call.finish(S_OK);
        const HRESULT hr = m_inner->GetProps(tags, flags, values);
        if (const FaultRule* rule = call.rule()) {
            if (rule->values) {
                values = *rule->values;
            } else if (rule->result == MAPI_W_ERRORS_RETURNED) {
                for (auto& value : values)
                    if (rule->errorTags.empty() || std::find(rule->errorTags.begin(), rule->errorTags.end(),
                                                             value.tag) != rule->errorTags.end())
                        value = PropValue::error(value.tag, rule->errorCode);
            }
        }
        return call.finish(hr);
    }
    HRESULT SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) override {
        Call call(m_tracker, "SetProps");
        for (const auto& value : values)
            call.record().tags.push_back(value.tag);
        return call.finish(call.injectedFailure() ? S_OK : m_inner->SetProps(values, problems));
    }
    HRESULT SaveChanges(std::uint32_t flags) override {
        Call call(m_tracker, "SaveChanges", flags);
        return call.finish(call.injectedFailure() ? S_OK : m_inner->SaveChanges(flags));
    }
    HRESULT OpenProperty(PropTag tag, Iid iid, std::uint32_t interfaceOptions, std::uint32_t flags,
                         std::shared_ptr<IStream>& stream) override {
        Call call(m_tracker, "OpenProperty", flags);
        call.record().tags = {tag};
        stream.reset();
        HRESULT hr = S_OK;
        if (!call.injectedFailure()) {
            hr = m_inner->OpenProperty(tag, iid, interfaceOptions, flags, stream);
            if (stream)
                stream = std::make_shared<FaultStream>(
                    stream, Tracker{m_tracker.injector, ObjectKind::Stream, m_tracker.entryId, {}});
        }
        return call.finish(hr);
    }

protected:
    std::shared_ptr<Interface> m_inner;
    Tracker m_tracker;
};

template <class Interface> class ContainerWrapper : public PropWrapper<Interface> {
public:
    using PropWrapper<Interface>::PropWrapper;

    HRESULT OpenEntry(const Binary& entryId, Iid iid, std::uint32_t flags, std::uint32_t& objectType,
                      std::shared_ptr<IMAPIProp>& object) override {
        Call call(this->m_tracker, "OpenEntry", flags);
        call.record().text = iidName(iid);
        object.reset();
        HRESULT hr = S_OK;
        if (!call.injectedFailure()) {
            hr = this->m_inner->OpenEntry(entryId, iid, flags, objectType, object);
            if (object)
                object = wrapProp(object, this->m_tracker.injector, entryId);
        }
        return call.finish(hr);
    }
};

class FaultProp : public PropWrapper<IMAPIProp> {
public:
    using PropWrapper::PropWrapper;
};

class FaultMessage : public PropWrapper<IMessage> {
public:
    using PropWrapper::PropWrapper;

    HRESULT SetReadFlag(std::uint32_t flags) override {
        Call call(m_tracker, "SetReadFlag", flags);
        return call.finish(call.injectedFailure() ? S_OK : m_inner->SetReadFlag(flags));
    }
};

class FaultFolder : public ContainerWrapper<IMAPIFolder> {
public:
    using ContainerWrapper::ContainerWrapper;

    HRESULT GetContentsTable(std::uint32_t flags, std::shared_ptr<IMAPITable>& table) override {
        return tableCall("GetContentsTable", flags, table, [&](std::shared_ptr<IMAPITable>& out) {
            return m_inner->GetContentsTable(flags, out);
        });
    }
    HRESULT GetHierarchyTable(std::uint32_t flags, std::shared_ptr<IMAPITable>& table) override {
        return tableCall("GetHierarchyTable", flags, table, [&](std::shared_ptr<IMAPITable>& out) {
            return m_inner->GetHierarchyTable(flags, out);
        });
    }
    HRESULT CopyMessages(const std::vector<Binary>& entryList, Iid iid, IMAPIFolder& destination,
                         std::uintptr_t uiParam, void* progress, std::uint32_t flags) override {
        Call call(m_tracker, "CopyMessages", flags);
        call.record().asked = static_cast<std::int64_t>(entryList.size());
        if (call.injectedFailure())
            return call.finish(S_OK);
        auto* wrapped = dynamic_cast<FaultFolder*>(&destination);
        IMAPIFolder& target = wrapped ? *wrapped->inner() : destination;
        return call.finish(m_inner->CopyMessages(entryList, iid, target, uiParam, progress, flags));
    }

private:
    template <class F>
    HRESULT tableCall(const char* operation, std::uint32_t flags, std::shared_ptr<IMAPITable>& table,
                      F&& open) {
        Call call(m_tracker, operation, flags);
        table.reset();
        HRESULT hr = S_OK;
        if (!call.injectedFailure()) {
            hr = open(table);
            if (table)
                table = std::make_shared<FaultTable>(
                    table, Tracker{m_tracker.injector, ObjectKind::Table, m_tracker.entryId, {}});
        }
        return call.finish(hr);
    }
};

class FaultStore : public ContainerWrapper<IMsgStore> {
public:
    using ContainerWrapper::ContainerWrapper;

    HRESULT GetReceiveFolder(const std::string& messageClass, std::uint32_t flags, Binary& entryId,
                             std::string& explicitClass) override {
        Call call(m_tracker, "GetReceiveFolder", flags);
        call.record().text = messageClass;
        entryId.clear();
        explicitClass.clear();
        return call.finish(call.injectedFailure()
                               ? S_OK
                               : m_inner->GetReceiveFolder(messageClass, flags, entryId, explicitClass));
    }
    HRESULT StoreLogoff(std::uint32_t& flags) override {
        Call call(m_tracker, "StoreLogoff", flags);
        return call.finish(call.injectedFailure() ? S_OK : m_inner->StoreLogoff(flags));
    }
};

std::shared_ptr<IMAPIProp> wrapProp(std::shared_ptr<IMAPIProp> inner,
                                    const std::shared_ptr<FaultInjector>& injector, const Binary& entryId) {
    if (auto folder = std::dynamic_pointer_cast<IMAPIFolder>(inner))
        return std::make_shared<FaultFolder>(folder, Tracker{injector, ObjectKind::Folder, entryId, {}});
    if (auto message = std::dynamic_pointer_cast<IMessage>(inner))
        return std::make_shared<FaultMessage>(message, Tracker{injector, ObjectKind::Message, entryId, {}});
    if (auto store = std::dynamic_pointer_cast<IMsgStore>(inner))
        return std::make_shared<FaultStore>(store, Tracker{injector, ObjectKind::Store, entryId, {}});
    return std::make_shared<FaultProp>(inner, Tracker{injector, ObjectKind::Prop, entryId, {}});
}

IMessage& unwrapMessage(IMessage& message) {
    auto* wrapped = dynamic_cast<FaultMessage*>(&message);
    return wrapped ? *wrapped->inner() : message;
}

class FaultSession : public IMAPISession {
public:
    FaultSession(std::shared_ptr<IMAPISession> inner, std::shared_ptr<FaultInjector> injector)
        : m_inner(std::move(inner)), m_tracker{std::move(injector), ObjectKind::Session, {}, {}} {}

    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override {
        return lastErrorCall(
            m_tracker,
            [&](std::optional<MapiError>& out) { return m_inner->GetLastError(result, flags, out); }, error);
    }
    HRESULT GetMsgStoresTable(std::uint32_t flags, std::shared_ptr<IMAPITable>& table) override {
        Call call(m_tracker, "GetMsgStoresTable", flags);
        table.reset();
        HRESULT hr = S_OK;
        if (!call.injectedFailure()) {
            hr = m_inner->GetMsgStoresTable(flags, table);
            if (table)
                table = std::make_shared<FaultTable>(table,
                                                     Tracker{m_tracker.injector, ObjectKind::Table, {}, {}});
        }
        return call.finish(hr);
    }
    HRESULT OpenMsgStore(std::uintptr_t uiParam, const Binary& entryId, Iid iid, std::uint32_t flags,
                         std::shared_ptr<IMsgStore>& store) override {
        Call call(m_tracker, "OpenMsgStore", flags);
        call.record().text = iidName(iid);
        store.reset();
        HRESULT hr = S_OK;
        if (!call.injectedFailure()) {
            hr = m_inner->OpenMsgStore(uiParam, entryId, iid, flags, store);
            if (store)
                store = std::make_shared<FaultStore>(
                    store, Tracker{m_tracker.injector, ObjectKind::Store, entryId, {}});
        }
        return call.finish(hr);
    }
    HRESULT Logoff(std::uintptr_t uiParam, std::uint32_t flags, std::uint32_t reserved) override {
        Call call(m_tracker, "Logoff", flags);
        return call.finish(call.injectedFailure() ? S_OK : m_inner->Logoff(uiParam, flags, reserved));
    }
    HRESULT PrepareForm(Iid iid, IMessage& message, std::uint32_t& token) override {
        Call call(m_tracker, "PrepareForm");
        return call.finish(call.injectedFailure() ? S_OK
                                                  : m_inner->PrepareForm(iid, unwrapMessage(message), token));
    }
    HRESULT ShowForm(std::uintptr_t uiParam, IMsgStore& store, IMAPIFolder& folder, Iid iid,
                     std::uint32_t token, IMessage* sent, std::uint32_t flags, std::uint32_t status,
                     std::uint32_t messageFlags, std::uint32_t access,
                     const std::string& messageClass) override {
        Call call(m_tracker, "ShowForm", flags);
        call.record().text = messageClass;
        if (call.injectedFailure())
            return call.finish(S_OK);
        auto* wrappedStore = dynamic_cast<FaultStore*>(&store);
        auto* wrappedFolder = dynamic_cast<FaultFolder*>(&folder);
        return call.finish(m_inner->ShowForm(uiParam, wrappedStore ? *wrappedStore->inner() : store,
                                             wrappedFolder ? *wrappedFolder->inner() : folder, iid, token,
                                             sent ? &unwrapMessage(*sent) : nullptr, flags, status,
                                             messageFlags, access, messageClass));
    }

private:
    std::shared_ptr<IMAPISession> m_inner;
    Tracker m_tracker;
};

} // namespace

FaultMapi::FaultMapi(std::shared_ptr<IMapi> inner, std::shared_ptr<FaultInjector> injector)
    : m_inner(std::move(inner)), m_injector(std::move(injector)) {}

namespace {
Tracker mapiTracker(const std::shared_ptr<FaultInjector>& injector) {
    return Tracker{injector, ObjectKind::Mapi, {}, {}};
}
} // namespace

HRESULT FaultMapi::Initialize() {
    Tracker tracker = mapiTracker(m_injector);
    Call call(tracker, "Initialize");
    return call.finish(call.injectedFailure() ? S_OK : m_inner->Initialize());
}

void FaultMapi::Uninitialize() {
    Tracker tracker = mapiTracker(m_injector);
    Call call(tracker, "Uninitialize");
    m_inner->Uninitialize();
    call.finish(S_OK);
}

HRESULT FaultMapi::GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) {
    Tracker tracker = mapiTracker(m_injector);
    tracker.injectedError = m_injectedError;
    return lastErrorCall(
        tracker, [&](std::optional<MapiError>& out) { return m_inner->GetLastError(result, flags, out); },
        error);
}

HRESULT FaultMapi::LogonEx(std::uintptr_t uiParam, const std::optional<std::string>& profile,
                           const std::optional<std::string>& password, std::uint32_t flags,
                           std::shared_ptr<IMAPISession>& session) {
    Tracker tracker = mapiTracker(m_injector);
    Call call(tracker, "LogonEx", flags);
    call.record().text = profile.value_or("(null)");
    session.reset();
    HRESULT hr = S_OK;
    if (!call.injectedFailure()) {
        hr = m_inner->LogonEx(uiParam, profile, password, flags, session);
        if (session)
            session = std::make_shared<FaultSession>(session, m_injector);
    }
    hr = call.finish(hr);
    m_injectedError = tracker.injectedError;
    return hr;
}

HRESULT FaultMapi::AllocateBuffer(std::size_t bytes) {
    Tracker tracker = mapiTracker(m_injector);
    Call call(tracker, "AllocateBuffer");
    call.record().asked = static_cast<std::int64_t>(bytes);
    return call.finish(call.injectedFailure() ? S_OK : m_inner->AllocateBuffer(bytes));
}

HRESULT FaultMapi::FreeBuffer() {
    Tracker tracker = mapiTracker(m_injector);
    Call call(tracker, "FreeBuffer");
    return call.finish(call.injectedFailure() ? S_OK : m_inner->FreeBuffer());
}

HRESULT FaultMapi::RTFSync(IMessage& message, std::uint32_t flags, bool& updated) {
    Tracker tracker = mapiTracker(m_injector);
    Call call(tracker, "RTFSync", flags);
    updated = false;
    return call.finish(call.injectedFailure() ? S_OK
                                              : m_inner->RTFSync(unwrapMessage(message), flags, updated));
}

} // namespace mapi::fault
