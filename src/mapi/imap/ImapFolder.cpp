#include "mapi/imap/ImapObjects.h"

#include "mapi/RowTable.h"

#include <map>

namespace mapi {

HRESULT openImapEntry(const std::shared_ptr<ImapState>& state, const Binary& entryId, Iid iid,
                      std::uint32_t& objectType, std::shared_ptr<IMAPIProp>& object) {
    const auto parsed =
        entryId.empty() ? std::optional(ParsedImapId{true, kInbox, {}}) : state->parseEntryId(entryId);
    if (!parsed)
        return state->fail(MAPI_E_INVALID_ENTRYID,
                           "The entry id names nothing on " + state->session().account());
    try {
        if (parsed->isFolder) {
            if (iid != Iid::IMAPIFolder && iid != Iid::IMAPIProp)
                return MAPI_E_INTERFACE_NOT_SUPPORTED;
            // A folder made since the tree was read is found by reading it again.
            if (!state->tree().exists(parsed->mailbox) && !state->tree(true).exists(parsed->mailbox))
                return state->fail(MAPI_E_NOT_FOUND,
                                   "No folder '" + parsed->mailbox + "' on " + state->session().account());
            object = std::make_shared<ImapFolder>(state, parsed->mailbox);
            objectType = MAPI_FOLDER;
            return S_OK;
        }
        if (iid != Iid::IMessage && iid != Iid::IMAPIProp)
            return MAPI_E_INTERFACE_NOT_SUPPORTED;
        auto listed = state->takeListed(parsed->message);
        object = std::make_shared<ImapMessage>(
            state, parsed->message, listed ? std::move(*listed) : state->fetchRow(parsed->message));
        objectType = MAPI_MESSAGE;
        return S_OK;
    } catch (const std::exception& error) {
        return state->fail(error);
    }
}

HRESULT ImapFolder::GetLastError(HRESULT result, std::uint32_t, std::optional<MapiError>& error) {
    return m_state->lastError(result, error);
}

Row ImapFolder::folderRow(const std::string& mailbox) {
    const ImapFolderTree& tree = m_state->tree();
    return {
        PropValue::string(PR_DISPLAY_NAME_A, tree.displayName(mailbox)),
        PropValue::binary(PR_ENTRYID, m_state->folderEntryId(mailbox)),
        PropValue::boolean(PR_SUBFOLDERS, !tree.children(mailbox).empty()),
    };
}

HRESULT ImapFolder::GetProps(const std::vector<PropTag>& tags, std::uint32_t,
                             std::vector<PropValue>& values) {
    try {
        return answerImapProps(folderRow(m_mailbox), tags, values);
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

HRESULT ImapFolder::SetProps(const std::vector<PropValue>&, std::vector<PropProblem>*) {
    return MAPI_E_NO_SUPPORT;
}

HRESULT ImapFolder::SaveChanges(std::uint32_t) {
    return S_OK;
}

HRESULT ImapFolder::OpenProperty(PropTag, Iid, std::uint32_t, std::uint32_t, std::shared_ptr<IStream>&) {
    return MAPI_E_NOT_FOUND;
}

HRESULT ImapFolder::OpenEntry(const Binary& entryId, Iid iid, std::uint32_t, std::uint32_t& objectType,
                              std::shared_ptr<IMAPIProp>& object) {
    return openImapEntry(m_state, entryId, iid, objectType, object);
}

HRESULT ImapFolder::GetContentsTable(std::uint32_t, std::shared_ptr<IMAPITable>& table) {
    try {
        if (!m_state->tree().selectable(m_mailbox))
            return m_state->fail(MAPI_E_NOT_FOUND, "The folder '" + m_state->tree().displayName(m_mailbox) +
                                                       "' on " + m_state->session().account() +
                                                       " holds no messages (the server cannot open it)");
        table = std::make_shared<RowTable>(m_state->listFolder(m_mailbox));
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

HRESULT ImapFolder::GetHierarchyTable(std::uint32_t, std::shared_ptr<IMAPITable>& table) {
    try {
        RowSet rows;
        for (const auto& child : m_state->tree().children(m_mailbox))
            rows.push_back(folderRow(child));
        table = std::make_shared<RowTable>(std::move(rows));
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

HRESULT ImapFolder::CopyMessages(const std::vector<Binary>& entryList, Iid, IMAPIFolder& destination,
                                 std::uintptr_t, void*, std::uint32_t flags) {
    if ((flags & MESSAGE_MOVE) == 0)
        return m_state->fail(MAPI_E_NO_SUPPORT, "Messages of an IMAP store can be moved, not copied");
    auto* target = dynamic_cast<ImapFolder*>(&destination);
    // The destination may come from another opening of the same store: its mailbox is all it takes.
    if (!target || target->m_state->location().entryId != m_state->location().entryId)
        return m_state->fail(MAPI_E_NO_SUPPORT,
                             "Messages can be moved only into folders of the same IMAP account");
    // Grouped by the UIDVALIDITY their ids were made under, so one command moves each group.
    std::map<std::uint32_t, std::vector<std::uint32_t>> groups;
    for (const auto& entryId : entryList) {
        const auto parsed = m_state->parseEntryId(entryId);
        if (!parsed || parsed->isFolder || parsed->message.mailbox != m_mailbox)
            return m_state->fail(MAPI_E_INVALID_ENTRYID,
                                 "The entry id names no message of folder '" + m_mailbox + "'");
        groups[parsed->message.uidValidity].push_back(parsed->message.uid);
    }
    if (target->m_mailbox == m_mailbox)
        return S_OK;
    try {
        for (const auto& [validity, uids] : groups) {
            // The steps done survive a reconnection, so the second try goes on where the cut came.
            int done = 0;
            // clang 14 cannot capture structured bindings, so these are init-captures of them.
            m_state->session().run([&, &validity = validity, &uids = uids](ImapConnection& connection) {
                m_state->selectFor(connection, ImapMessageRef{m_mailbox, validity, 0});
                if (connection.has("MOVE")) {
                    connection.move(uids, target->m_mailbox);
                    return;
                }
                if (done < 1) {
                    connection.copy(uids, target->m_mailbox);
                    done = 1;
                }
                if (done < 2) {
                    connection.storeFlag(uids, "Deleted", true);
                    done = 2;
                }
                if (connection.has("UIDPLUS"))
                    connection.expunge(uids);
            });
        }
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

} // namespace mapi
