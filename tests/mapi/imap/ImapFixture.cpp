#include "ImapFixture.h"

#include "mapi/EntryIds.h"
#include "mapi/maildir/StoreFixture.h"

namespace imaptest {

std::unique_ptr<DovecotServer> ServerTest::s_server;
std::string ServerTest::s_unavailable;

void ServerTest::startServer(DovecotOptions options) {
    s_server.reset();
    if (const auto reason = DovecotServer::unavailableReason()) {
        s_unavailable = *reason;
        return;
    }
    s_server = std::make_unique<DovecotServer>(options);
}

void ServerTest::SetUp() {
    if (!s_server)
        GTEST_SKIP() << "No IMAP test server: " << s_unavailable;
}

std::string ServerTest::freshMailbox(const std::string& name) {
    ImapProbe probe(server());
    probe.command("CREATE \"" + name + "\"");
    return name;
}

std::shared_ptr<mapi::IMsgStore> openStore(const DovecotServer& server, const StoreOptions& options) {
    const std::string url = server.url(options.scheme, options.host);
    mapi::StoreLocation location;
    location.displayName = "Office";
    location.url = url;
    location.isDefault = true;
    location.entryId = mapi::makeStoreEntryId(url);
    location.password = options.password;
    location.passwordCommand = options.passwordCommand;
    if (options.trustTestCa)
        location.caFile = server.caFile().string();
    std::shared_ptr<mapi::IMsgStore> store;
    if (mapi::failed(mapi::openImapStore(location, options.services, store, options.prompted)) || !store)
        throw std::runtime_error("Cannot open the IMAP store " + url);
    return store;
}

std::shared_ptr<mapi::IMAPIFolder> openMailbox(mapi::IMsgStore& store, const std::string& displayName) {
    const auto inbox = maildirtest::openRoot(store);
    if (displayName == "Inbox")
        return inbox;
    return maildirtest::openFolder(store, maildirtest::childFolderId(*inbox, displayName));
}

} // namespace imaptest
