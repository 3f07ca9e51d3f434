#pragma once
// What the IMAP store tests share: one private Dovecot per test suite (skipped, saying why, only
// where Dovecot cannot be installed), stores opened on it as a profile would open them, and
// messages put on the server by a client independent of the code under test.

#include "DovecotServer.h"
#include "mapi/Interfaces.h"
#include "mapi/imap/ImapProvider.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace imaptest {

struct StoreOptions {
    std::string scheme = "imaps";
    std::string host = "localhost";
    std::string password = DovecotServer::password;
    std::string passwordCommand;
    bool trustTestCa = true;
    mapi::ImapServices services;
    std::shared_ptr<mapi::PromptedPasswords> prompted;
};

std::shared_ptr<mapi::IMsgStore> openStore(const DovecotServer& server, const StoreOptions& options = {});

// A suite's server, started before its first test.
class ServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { startServer({}); }
    static void TearDownTestSuite() { s_server.reset(); }
    static void startServer(DovecotOptions options);
    void SetUp() override;

    DovecotServer& server() { return *s_server; }
    // A mailbox of its own for each test, created empty.
    std::string freshMailbox(const std::string& name);

    static std::unique_ptr<DovecotServer> s_server;
    static std::string s_unavailable;
};

// The message of the store's folder `mailbox` (its entry id from the hierarchy below INBOX).
std::shared_ptr<mapi::IMAPIFolder> openMailbox(mapi::IMsgStore& store, const std::string& displayName);

} // namespace imaptest
