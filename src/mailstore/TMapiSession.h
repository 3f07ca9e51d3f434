#pragma once
// The program's one mail session: logs on lazily with the Login page's choice, keeps the list of
// store objects it made, and walks every store's folders for the folder chooser.

#include "mailstore/FolderTree.h"
#include "mailstore/MapiErrors.h"
#include "mailstore/MessageServices.h"
#include "mailstore/TStore.h"
#include "mapi/Interfaces.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mailstore {

enum LoginChoice : int { LoginDefault = 0, LoginPrompt = 1, LoginUserName = 2 };

class TMapiSession {
public:
    using StoreList = std::vector<std::pair<std::string, std::shared_ptr<TStore>>>;

    // Initialises the subsystem (error context "30"); does not log on. `messageBox` shows the
    // boxes of stream read failures.
    explicit TMapiSession(std::shared_ptr<mapi::IMapi> mapi, MessageBoxHook messageBox = {});
    ~TMapiSession();
    TMapiSession(const TMapiSession&) = delete;
    TMapiSession& operator=(const TMapiSession&) = delete;

    // Stores the logon values; a change while logged on logs off first.
    void SetLogonParameters(int loginChoice, const std::string& profileName, const std::string& password);
    // The MAPI session, logging on when there is none.
    std::shared_ptr<mapi::IMAPISession> GetSession();
    // A fresh logon with the stored values, even when a session exists (error context "40").
    void Logon();
    void Logoff();
    // The default store, opened and appended to the store list; none when the store table gave
    // no entry id.
    std::shared_ptr<TStore> DefaultStore();
    // Refills the store list with one unopened store object per store of the profile.
    void ListStores();
    // ListStores, then one top-level node per store with its folders below it.
    void EnumerateFolders(IFolderTree& tree, const AddNodeCallback& addNode);

    const StoreList& stores() const { return m_stores; }
    bool loggedOn() const { return m_loggedOn; }
    int loginChoice() const { return m_loginChoice; }
    const std::string& profileName() const { return m_profileName; }
    const std::string& password() const { return m_password; }
    std::uintptr_t parentWindow() const { return 0; }
    mapi::IMapi& mapi() const { return *m_mapi; }
    const MessageBoxHook& messageBox() const { return m_messageBox; }
    // The locale and clock the messages of folder listings use.
    const MessageServices& messageServices() const { return m_messageServices; }
    void setMessageServices(MessageServices services) { m_messageServices = std::move(services); }
    // Details of failures come from the MAPI session.
    DetailsSource details() const { return DetailsSource(m_session.get(), m_mapi.get()); }

private:
    void releaseStores();

    std::shared_ptr<mapi::IMapi> m_mapi;
    MessageBoxHook m_messageBox;
    MessageServices m_messageServices;
    std::shared_ptr<mapi::IMAPISession> m_session;
    int m_loginChoice = LoginDefault;
    std::string m_profileName;
    std::string m_password;
    StoreList m_stores;
    bool m_loggedOn = false;
};

// One store's part of EnumerateFolders: its root node and the folders below; an error becomes
// the text of the store's node.
void getFolderRoot(const std::shared_ptr<TStore>& store, IFolderTree& tree, const AddNodeCallback& addNode);

} // namespace mailstore
