#pragma once
// What the folders of the stores kept in local files (a Maildir tree, mbox files) answer alike:
// their properties, their contents and hierarchy tables and their errors come from the store's
// state, which names each folder by a key. Opening entries and moving messages are each kind's
// own.

#include "mapi/Interfaces.h"
#include "mapi/RowTable.h"
#include "mapi/StoreCommon.h"

#include <memory>
#include <string>
#include <utility>

namespace mapi {

template <typename State> class FileStoreFolder : public IMAPIFolder {
public:
    HRESULT GetLastError(HRESULT result, std::uint32_t, std::optional<MapiError>& error) override {
        return m_state->lastError(result, error);
    }
    HRESULT GetProps(const std::vector<PropTag>& tags, std::uint32_t,
                     std::vector<PropValue>& values) override {
        return answerProps(folderRow(m_key, m_state->tree().displayName(m_key)), tags, values);
    }
    HRESULT SetProps(const std::vector<PropValue>&, std::vector<PropProblem>*) override {
        return MAPI_E_NO_SUPPORT;
    }
    HRESULT SaveChanges(std::uint32_t) override { return S_OK; }
    HRESULT OpenProperty(PropTag, Iid, std::uint32_t, std::uint32_t, std::shared_ptr<IStream>&) override {
        return MAPI_E_NOT_FOUND;
    }
    HRESULT GetContentsTable(std::uint32_t, std::shared_ptr<IMAPITable>& table) override {
        try {
            table = std::make_shared<RowTable>(m_state->listFolder(m_key));
            return S_OK;
        } catch (const std::exception& error) {
            return m_state->fail(error);
        }
    }
    HRESULT GetHierarchyTable(std::uint32_t, std::shared_ptr<IMAPITable>& table) override {
        RowSet rows;
        for (const auto& child : m_state->tree().children(m_key))
            rows.push_back(folderRow(child.key, child.displayName));
        table = std::make_shared<RowTable>(std::move(rows));
        return S_OK;
    }

protected:
    FileStoreFolder(std::shared_ptr<State> state, std::string key)
        : m_state(std::move(state)), m_key(std::move(key)) {}

    std::shared_ptr<State> m_state;
    std::string m_key;

private:
    Row folderRow(const std::string& key, const std::string& displayName) const {
        return {
            PropValue::string(PR_DISPLAY_NAME_A, displayName),
            PropValue::binary(PR_ENTRYID, m_state->folderEntryId(key)),
            PropValue::boolean(PR_SUBFOLDERS, !m_state->tree().children(key).empty()),
        };
    }
};

} // namespace mapi
