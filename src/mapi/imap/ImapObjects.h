#pragma once
// The MAPI objects of an IMAP store: the store (whose root and receive folder is INBOX), its
// folders (contents from the server's listing, children from LIST) and its messages.

#include "mapi/Interfaces.h"
#include "mapi/imap/ImapState.h"

#include <memory>
#include <optional>
#include <string>

namespace mapi {

// PR_MDB_PROVIDER of IMAP stores (our own, so no caller takes them for public folders).
extern const Binary kImapProviderUid;

class ImapStore : public IMsgStore {
public:
    explicit ImapStore(std::shared_ptr<ImapState> state) : m_state(std::move(state)) {}

    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override;
    HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t flags,
                     std::vector<PropValue>& values) override;
    HRESULT SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) override;
    HRESULT SaveChanges(std::uint32_t flags) override;
    HRESULT OpenProperty(PropTag tag, Iid iid, std::uint32_t interfaceOptions, std::uint32_t flags,
                         std::shared_ptr<IStream>& stream) override;
    HRESULT OpenEntry(const Binary& entryId, Iid iid, std::uint32_t flags, std::uint32_t& objectType,
                      std::shared_ptr<IMAPIProp>& object) override;
    HRESULT GetReceiveFolder(const std::string& messageClass, std::uint32_t flags, Binary& entryId,
                             std::string& explicitClass) override;
    HRESULT StoreLogoff(std::uint32_t& flags) override;

private:
    std::shared_ptr<ImapState> m_state;
};

class ImapFolder : public IMAPIFolder {
public:
    ImapFolder(std::shared_ptr<ImapState> state, std::string mailbox)
        : m_state(std::move(state)), m_mailbox(std::move(mailbox)) {}

    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override;
    HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t flags,
                     std::vector<PropValue>& values) override;
    HRESULT SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) override;
    HRESULT SaveChanges(std::uint32_t flags) override;
    HRESULT OpenProperty(PropTag tag, Iid iid, std::uint32_t interfaceOptions, std::uint32_t flags,
                         std::shared_ptr<IStream>& stream) override;
    HRESULT OpenEntry(const Binary& entryId, Iid iid, std::uint32_t flags, std::uint32_t& objectType,
                      std::shared_ptr<IMAPIProp>& object) override;
    HRESULT GetContentsTable(std::uint32_t flags, std::shared_ptr<IMAPITable>& table) override;
    HRESULT GetHierarchyTable(std::uint32_t flags, std::shared_ptr<IMAPITable>& table) override;
    // Moves within the store: UID MOVE where the server has it, else UID COPY, \Deleted and UID
    // EXPUNGE of those messages only (without UIDPLUS the originals stay, flagged \Deleted).
    HRESULT CopyMessages(const std::vector<Binary>& entryList, Iid iid, IMAPIFolder& destination,
                         std::uintptr_t uiParam, void* progress, std::uint32_t flags) override;

private:
    Row folderRow(const std::string& mailbox);

    std::shared_ptr<ImapState> m_state;
    std::string m_mailbox;
};

class ImapMessage : public IMessage {
public:
    ImapMessage(std::shared_ptr<ImapState> state, ImapMessageRef reference, ImapListedRow listed);

    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override;
    HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t flags,
                     std::vector<PropValue>& values) override;
    HRESULT SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) override;
    // A subject change APPENDs the edited message with the old one's flags and INTERNALDATE, then
    // removes the old one by UID: a cut connection leaves at most both, never neither.
    HRESULT SaveChanges(std::uint32_t flags) override;
    HRESULT OpenProperty(PropTag tag, Iid iid, std::uint32_t interfaceOptions, std::uint32_t flags,
                         std::shared_ptr<IStream>& stream) override;
    HRESULT SetReadFlag(std::uint32_t flags) override;

private:
    void saveSubject();
    void setRow(const Row& row);

    std::shared_ptr<ImapState> m_state;
    ImapMessageRef m_reference;
    Row m_properties;
    std::vector<std::string> m_flags;
    std::int64_t m_internalDate = 0;
    std::optional<std::string> m_newSubject;
};

// OpenEntry of a store or folder: the store's folders and messages by entry id; an empty entry
// id opens INBOX.
HRESULT openImapEntry(const std::shared_ptr<ImapState>& state, const Binary& entryId, Iid iid,
                      std::uint32_t& objectType, std::shared_ptr<IMAPIProp>& object);

} // namespace mapi
