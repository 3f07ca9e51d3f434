// Logging on to the test server: where the password comes from, what a refusal says, and when TLS
// refuses a server (no trusted CA, another host's certificate).

#include "ImapFixture.h"
#include "mapi/maildir/StoreFixture.h"

#include <fstream>

namespace imaptest {
namespace {

using namespace mapi;

class ImapLogonTest : public ServerTest {
protected:
    // The code and GetLastError text of opening INBOX's contents, the first call that needs the server.
    std::pair<HRESULT, std::string> firstUse(IMsgStore& store) {
        Binary inbox;
        std::string explicitClass;
        EXPECT_EQ(store.GetReceiveFolder("IPM", 0, inbox, explicitClass), S_OK);
        std::uint32_t type = 0;
        std::shared_ptr<IMAPIProp> object;
        const HRESULT hr = store.OpenEntry(inbox, Iid::IMAPIFolder, MAPI_BEST_ACCESS, type, object);
        return {hr, maildirtest::lastErrorText(store, hr)};
    }
};

TEST_F(ImapLogonTest, ImapsAndStarttlsLogOnWithTheTestCa) {
    for (const char* scheme : {"imaps", "imap"}) {
        StoreOptions options;
        options.scheme = scheme;
        const auto store = openStore(server(), options);
        const auto [hr, text] = firstUse(*store);
        EXPECT_EQ(hr, S_OK) << scheme << ": " << text;
    }
}

TEST_F(ImapLogonTest, WrongPasswordIsLogonFailedWithTheServersText) {
    StoreOptions options;
    options.password = "not the password";
    const auto store = openStore(server(), options);
    const auto [hr, text] = firstUse(*store);
    EXPECT_EQ(hr, MAPI_E_LOGON_FAILED);
    EXPECT_NE(text.find("refused the logon of me"), std::string::npos) << text;
    EXPECT_NE(text.find("Authentication failed"), std::string::npos) << text;
    EXPECT_EQ(text.find("not the password"), std::string::npos) << text;
}

TEST_F(ImapLogonTest, PasswordCommandGivesThePasswordWhenTheLogonGaveNone) {
    const auto script = server().folder() / "password.sh";
    std::ofstream(script) << "printf '%s\\nsecond line\\n' '" << DovecotServer::password << "'\n";
    StoreOptions options;
    options.password.clear();
    options.passwordCommand = "sh " + script.string();
    EXPECT_EQ(firstUse(*openStore(server(), options)).first, S_OK);

    options.passwordCommand = "exit 3";
    const auto [hr, text] = firstUse(*openStore(server(), options));
    EXPECT_EQ(hr, MAPI_E_LOGON_FAILED);
    EXPECT_NE(text.find("'exit 3' failed with exit status 3"), std::string::npos) << text;
}

TEST_F(ImapLogonTest, PromptIsAskedOncePerAccountAgainAfterARefusalAndItsCancelIsTheUsers) {
    StoreOptions options;
    options.password.clear();
    options.prompted = std::make_shared<PromptedPasswords>();
    std::vector<std::string> answers{"typed wrong", DovecotServer::password};
    std::vector<std::string> askedFor;
    options.services.prompt = [&](const std::string& account) -> std::optional<std::string> {
        askedFor.push_back(account);
        const std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    };
    const auto store = openStore(server(), options);
    EXPECT_EQ(firstUse(*store).first, MAPI_E_LOGON_FAILED);
    EXPECT_EQ(firstUse(*store).first, S_OK);
    EXPECT_EQ(firstUse(*openStore(server(), options)).first, S_OK); // another opening, not asked
    EXPECT_EQ(askedFor, (std::vector<std::string>{"me@localhost", "me@localhost"}));

    options.prompted.reset();
    options.services.prompt = [](const std::string&) { return std::optional<std::string>(); };
    EXPECT_EQ(firstUse(*openStore(server(), options)).first, MAPI_E_USER_CANCEL);
}

struct TlsFailure {
    const char* name;
    const char* scheme;
    const char* host;
    bool trustTestCa;
    const char* reason;
};

class ImapTlsTest : public ImapLogonTest, public ::testing::WithParamInterface<TlsFailure> {};

TEST_P(ImapTlsTest, UntrustedServerIsRefusedNamingHostAndReason) {
    StoreOptions options;
    options.scheme = GetParam().scheme;
    options.host = GetParam().host;
    options.trustTestCa = GetParam().trustTestCa;
    const auto [hr, text] = firstUse(*openStore(server(), options));
    EXPECT_EQ(hr, MAPI_E_NETWORK_ERROR);
    EXPECT_NE(text.find(std::string("The certificate of ") + GetParam().host + " cannot be trusted"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(GetParam().reason), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Certificates, ImapTlsTest,
                         ::testing::Values(TlsFailure{"ImapsWithoutCaFile", "imaps", "localhost", false,
                                                      "unable to get local issuer"},
                                           TlsFailure{"StarttlsWithoutCaFile", "imap", "localhost", false,
                                                      "unable to get local issuer"},
                                           TlsFailure{"OtherHostName", "imaps", "127.0.0.1", true,
                                                      "IP address mismatch"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImapLogonTest, ConnectionRefusedNamesHostAndReason) {
    const auto store = openStore(server());
    server().stop();
    const auto [hr, text] = firstUse(*store);
    server().start();
    EXPECT_EQ(hr, MAPI_E_NETWORK_ERROR);
    EXPECT_NE(text.find("Cannot connect to localhost:"), std::string::npos) << text;
    EXPECT_NE(text.find("Connection refused"), std::string::npos) << text;
}

// A server without TLS: the password may go in clear text to this machine only.
class ImapClearTextTest : public ImapLogonTest {
protected:
    static void SetUpTestSuite() { startServer(DovecotOptions{true, true, false}); }
};

TEST_F(ImapClearTextTest, LoopbackServerWithoutStarttlsGetsTheLogon) {
    ASSERT_EQ(ImapProbe(server()).command("CAPABILITY").find("STARTTLS"), std::string::npos);
    for (const char* host : {"localhost", "127.0.0.1"}) {
        StoreOptions options;
        options.scheme = "imap";
        options.host = host;
        const auto [hr, text] = firstUse(*openStore(server(), options));
        EXPECT_EQ(hr, S_OK) << host << ": " << text;
    }
}

} // namespace
} // namespace imaptest
