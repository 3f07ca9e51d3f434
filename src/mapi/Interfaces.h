#pragma once
// The mail subsystem's interfaces, shaped after the Extended MAPI calls the program makes.
// Objects are reference-counted through std::shared_ptr; releasing one is dropping the reference.
// Every call answers an HRESULT; out-parameters are only meaningful when it succeeded (or, for
// GetProps, when it answered MAPI_W_ERRORS_RETURNED with PT_ERROR values).

#include "mapi/PropValue.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mapi {

enum class Iid { IMAPIProp, IMAPIFolder, IMessage, IMsgStore, IStream };

// Object types answered by OpenEntry.
enum ObjectType : std::uint32_t { MAPI_STORE = 1, MAPI_FOLDER = 3, MAPI_MESSAGE = 5 };

// Flags of the calls (the values MAPI uses).
constexpr std::uint32_t MAPI_LOGON_UI = 0x1;
constexpr std::uint32_t MAPI_NEW_SESSION = 0x2;
constexpr std::uint32_t MAPI_EXPLICIT_PROFILE = 0x10;
constexpr std::uint32_t MAPI_EXTENDED = 0x20;
constexpr std::uint32_t MAPI_USE_DEFAULT = 0x40;
constexpr std::uint32_t MAPI_DEFERRED_ERRORS = 0x8;
constexpr std::uint32_t MAPI_BEST_ACCESS = 0x10;
constexpr std::uint32_t MDB_WRITE = 0x4;
constexpr std::uint32_t MDB_NO_MAIL = 0x80;
constexpr std::uint32_t KEEP_OPEN_READWRITE = 0x2;
constexpr std::uint32_t FORCE_SAVE = 0x4;
constexpr std::uint32_t SUPPRESS_RECEIPT = 0x1;
constexpr std::uint32_t MESSAGE_MOVE = 0x1;
constexpr std::uint32_t LOGOFF_NO_WAIT = 0x1;
constexpr std::uint32_t RTF_SYNC_BODY_CHANGED = 0x2;
constexpr std::uint32_t TABLE_SORT_ASCEND = 0x0;
constexpr std::uint32_t TABLE_SORT_DESCEND = 0x1;

enum class Bookmark { Beginning, Current, End };

// What GetLastError delivers: either text may be absent.
struct MapiError {
    std::optional<std::string> error;
    std::optional<std::string> component;
};

class IStream {
public:
    virtual ~IStream() = default;
    // Reads up to `count` bytes; `read` says how many came. 0 bytes with S_OK is the end.
    virtual HRESULT Read(void* buffer, std::uint32_t count, std::uint32_t& read) = 0;
};

class IMAPIProp {
public:
    virtual ~IMAPIProp() = default;
    // Answers S_OK with `error` empty when there is nothing to tell.
    virtual HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) = 0;
    // Values in the order of `tags`; missing ones as PT_ERROR values with MAPI_W_ERRORS_RETURNED.
    virtual HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t flags,
                             std::vector<PropValue>& values) = 0;
    virtual HRESULT SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) = 0;
    virtual HRESULT SaveChanges(std::uint32_t flags) = 0;
    virtual HRESULT OpenProperty(PropTag tag, Iid iid, std::uint32_t interfaceOptions, std::uint32_t flags,
                                 std::shared_ptr<IStream>& stream) = 0;
};

class IMAPITable {
public:
    virtual ~IMAPITable() = default;
    virtual HRESULT SetColumns(const std::vector<PropTag>& columns, std::uint32_t flags) = 0;
    virtual HRESULT SortTable(const SortOrderSet& order, std::uint32_t flags) = 0;
    virtual HRESULT GetRowCount(std::uint32_t flags, std::uint32_t& count) = 0;
    virtual HRESULT SeekRow(Bookmark origin, std::int32_t rowCount, std::int32_t* rowsSought) = 0;
    // Up to `rowCount` rows from the current position, which moves past them.
    virtual HRESULT QueryRows(std::int32_t rowCount, std::uint32_t flags, RowSet& rows) = 0;
};

class IMAPIContainer : public IMAPIProp {
public:
    virtual HRESULT OpenEntry(const Binary& entryId, Iid iid, std::uint32_t flags, std::uint32_t& objectType,
                              std::shared_ptr<IMAPIProp>& object) = 0;
};

class IMAPIFolder : public IMAPIContainer {
public:
    virtual HRESULT GetContentsTable(std::uint32_t flags, std::shared_ptr<IMAPITable>& table) = 0;
    virtual HRESULT GetHierarchyTable(std::uint32_t flags, std::shared_ptr<IMAPITable>& table) = 0;
    // Moves (MESSAGE_MOVE) or copies the listed messages into `destination`.
    virtual HRESULT CopyMessages(const std::vector<Binary>& entryList, Iid iid, IMAPIFolder& destination,
                                 std::uintptr_t uiParam, void* progress, std::uint32_t flags) = 0;
};

class IMessage : public IMAPIProp {
public:
    virtual HRESULT SetReadFlag(std::uint32_t flags) = 0;
};

class IMsgStore : public IMAPIContainer {
public:
    virtual HRESULT GetReceiveFolder(const std::string& messageClass, std::uint32_t flags, Binary& entryId,
                                     std::string& explicitClass) = 0;
    virtual HRESULT StoreLogoff(std::uint32_t& flags) = 0;
};

class IMAPISession {
public:
    virtual ~IMAPISession() = default;
    virtual HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) = 0;
    // Rows with PR_DISPLAY_NAME_A, PR_ENTRYID and PR_DEFAULT_STORE, one per store of the profile.
    virtual HRESULT GetMsgStoresTable(std::uint32_t flags, std::shared_ptr<IMAPITable>& table) = 0;
    virtual HRESULT OpenMsgStore(std::uintptr_t uiParam, const Binary& entryId, Iid iid, std::uint32_t flags,
                                 std::shared_ptr<IMsgStore>& store) = 0;
    virtual HRESULT Logoff(std::uintptr_t uiParam, std::uint32_t flags, std::uint32_t reserved) = 0;
    virtual HRESULT PrepareForm(Iid iid, IMessage& message, std::uint32_t& token) = 0;
    virtual HRESULT ShowForm(std::uintptr_t uiParam, IMsgStore& store, IMAPIFolder& folder, Iid iid,
                             std::uint32_t token, IMessage* sent, std::uint32_t flags, std::uint32_t status,
                             std::uint32_t messageFlags, std::uint32_t access,
                             const std::string& messageClass) = 0;
};

// The subsystem itself: what mapi32's exported functions do.
class IMapi {
public:
    virtual ~IMapi() = default;
    virtual HRESULT Initialize() = 0;
    virtual void Uninitialize() = 0;
    // Why the last LogonEx failed (for example the line of the profiles file that could not be
    // read); empty when there is nothing to tell, as after a cancelled profile prompt.
    virtual HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) = 0;
    // `profile` and `password` absent stand for null pointers.
    virtual HRESULT LogonEx(std::uintptr_t uiParam, const std::optional<std::string>& profile,
                            const std::optional<std::string>& password, std::uint32_t flags,
                            std::shared_ptr<IMAPISession>& session) = 0;
    // Buffer accounting: callers own their storage, but every buffer MAPI would allocate or free
    // is announced here so a failing allocation or free can be injected.
    virtual HRESULT AllocateBuffer(std::size_t bytes) = 0;
    virtual HRESULT FreeBuffer() = 0;
    virtual HRESULT RTFSync(IMessage& message, std::uint32_t flags, bool& updated) = 0;
};

} // namespace mapi
