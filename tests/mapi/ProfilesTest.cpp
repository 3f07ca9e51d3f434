#include "mapi/Profiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include <unistd.h>

namespace mapi {
namespace {

TEST(ParseProfiles, SectionsDefaultsAndStores) {
    const auto profiles = parseProfiles("; mail profiles\r\n"
                                        "[Work]\r\n"
                                        "default = true\r\n"
                                        "store = Personal Folders, maildir:/home/me/Maildir, default\r\n"
                                        "store = Archive, mbox:/home/me/mail\r\n"
                                        "\r\n"
                                        "# second\r\n"
                                        "[Home]\n"
                                        "store = Office, imap://me@imap.example.org:143/\n",
                                        "profiles.ini");
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[0].name, "Work");
    EXPECT_TRUE(profiles[0].isDefault);
    ASSERT_EQ(profiles[0].stores.size(), 2u);
    EXPECT_EQ(profiles[0].stores[0].displayName, "Personal Folders");
    EXPECT_EQ(profiles[0].stores[0].url, "maildir:/home/me/Maildir");
    EXPECT_TRUE(profiles[0].stores[0].isDefault);
    EXPECT_FALSE(profiles[0].stores[1].isDefault);
    EXPECT_FALSE(profiles[1].isDefault);
    EXPECT_EQ(profiles[1].stores[0].url, "imap://me@imap.example.org:143/");
}

struct BadFile {
    const char* name;
    const char* text;
    const char* error;
};

// The keys for server stores reach every store of their profile, written before or after them.
TEST(ParseProfiles, ServerKeysReachEveryStoreOfTheirProfile) {
    const auto profiles =
        parseProfiles("[Office]\nstore = Mail, imaps://me@host/\npassword-command = pass show mail\n"
                      "ca-file = /etc/office-ca.pem\ninsecure = yes\nstore = Old, imap://me@old/\n"
                      "[Home]\nstore = Local, maildir:/m\n",
                      "p");
    ASSERT_EQ(profiles.size(), 2u);
    for (const auto& store : profiles[0].stores) {
        EXPECT_EQ(store.passwordCommand, "pass show mail");
        EXPECT_EQ(store.caFile, "/etc/office-ca.pem");
        EXPECT_TRUE(store.insecure);
    }
    const StoreLocation& home = profiles[1].stores.at(0);
    EXPECT_TRUE(home.passwordCommand.empty() && home.caFile.empty() && !home.insecure);
}

class ProfilesFileErrors : public ::testing::TestWithParam<BadFile> {};

TEST_P(ProfilesFileErrors, NameFileAndLine) {
    try {
        parseProfiles(GetParam().text, "/etc/p.ini");
        FAIL() << "accepted";
    } catch (const ProfilesError& error) {
        EXPECT_EQ(std::string(error.what()), GetParam().error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ProfilesFileErrors,
    ::testing::Values(
        BadFile{"KeyBeforeSection", "store = A, maildir:/a\n",
                "/etc/p.ini:1: \"store\" comes before the first [profile] section"},
        BadFile{"UnclosedSection", "[Work\n", "/etc/p.ini:1: a section line must end with ']'"},
        BadFile{"EmptyName", "[Work]\n[ ]\n", "/etc/p.ini:2: a profile needs a name between '[' and ']'"},
        BadFile{"TwiceIgnoringCase", "[Work]\n[WORK]\n", "/etc/p.ini:2: profile \"WORK\" is defined twice"},
        BadFile{"NoEquals", "[Work]\nstore maildir:/a\n",
                "/etc/p.ini:2: expected \"[profile]\", \"key = value\" or a comment"},
        BadFile{"UnknownKey", "[W]\n\npassword = x\n",
                "/etc/p.ini:3: unknown key \"password\" (expected default, store, password-command, ca-file "
                "or insecure)"},
        BadFile{"BadBoolean", "[W]\ndefault = maybe\n",
                "/etc/p.ini:2: default must be true or false, not \"maybe\""},
        BadFile{"BadInsecure", "[W]\ninsecure = sometimes\n",
                "/etc/p.ini:2: insecure must be true or false, not \"sometimes\""},
        BadFile{"EmptyPasswordCommand", "[W]\npassword-command =\n",
                "/etc/p.ini:2: password-command needs a value"},
        BadFile{"TwoDefaultProfiles", "[A]\ndefault = true\n[B]\ndefault = yes\n",
                "/etc/p.ini:4: profile \"A\" is already the default profile"},
        BadFile{"StoreWithoutUrl", "[W]\nstore = Personal\n",
                "/etc/p.ini:2: expected \"store = <display name>, <url>[, default]\""},
        BadFile{"StoreWithoutName", "[W]\nstore = , maildir:/a\n",
                "/etc/p.ini:2: a store needs a display name before the first ','"},
        BadFile{
            "UrlWithoutKind", "[W]\nstore = A, /home/me/Maildir\n",
            "/etc/p.ini:2: store URL \"/home/me/Maildir\" does not start with its kind, as in maildir:/path"},
        BadFile{"TwoDefaultStores", "[W]\nstore = A, maildir:/a, default\nstore = B, maildir:/b, DEFAULT\n",
                "/etc/p.ini:3: store \"A\" is already the default store of \"W\""}),
    [](const ::testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

TEST(FindProfile, ByNameIgnoringCaseAndTheDefault) {
    const auto profiles = parseProfiles("[Work]\n[Home]\ndefault = true\n", "p");
    EXPECT_EQ(findProfile(profiles, "hOmE"), &profiles[1]);
    EXPECT_EQ(findProfile(profiles, "Nobody"), nullptr);
    EXPECT_EQ(defaultProfile(profiles), &profiles[1]);
    const auto plain = parseProfiles("[Work]\n[Home]\n", "p");
    EXPECT_EQ(defaultProfile(plain), &plain[0]) << "without a flag the first one";
}

// An environment of fixed variables over a temporary home folder.
class ProfilesEnvironment : public ::testing::Test {
protected:
    ProfilesEnvironment()
        : home(std::filesystem::temp_directory_path() / ("lks-profiles-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(home);
        std::filesystem::create_directories(home);
        variables["HOME"] = home.string();
    }
    ~ProfilesEnvironment() override { std::filesystem::remove_all(home); }

    EnvironmentLookup environment() const {
        return [this](const std::string& name) -> std::optional<std::string> {
            const auto found = variables.find(name);
            return found == variables.end() ? std::nullopt : std::optional<std::string>(found->second);
        };
    }
    void write(const std::filesystem::path& path, const std::string& text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
    }
    void makeMaildir(const std::filesystem::path& path) {
        for (const char* sub : {"cur", "new", "tmp"})
            std::filesystem::create_directories(path / sub);
    }

    std::filesystem::path home;
    std::map<std::string, std::string> variables;
};

TEST_F(ProfilesEnvironment, FileLocationFollowsTheVariables) {
    EXPECT_EQ(profilesFilePath(environment()), home / ".config/larkspire/profiles.ini");
    variables["XDG_CONFIG_HOME"] = "/cfg";
    EXPECT_EQ(profilesFilePath(environment()), std::filesystem::path("/cfg/larkspire/profiles.ini"));
    variables["LARKSPIRE_PROFILES"] = "/x/p.ini";
    EXPECT_EQ(profilesFilePath(environment()), std::filesystem::path("/x/p.ini"));
}

TEST_F(ProfilesEnvironment, FileIsReadWithItsPathInErrors) {
    const auto path = home / ".config/larkspire/profiles.ini";
    write(path, "[Work]\nstore = A, maildir:/a\nbogus\n");
    try {
        loadProfiles(environment());
        FAIL() << "accepted";
    } catch (const ProfilesError& error) {
        EXPECT_EQ(std::string(error.what()),
                  path.string() + ":3: expected \"[profile]\", \"key = value\" or a comment");
    }
}

TEST_F(ProfilesEnvironment, NamedFileMustExist) {
    variables["LARKSPIRE_PROFILES"] = (home / "missing.ini").string();
    EXPECT_THROW(loadProfiles(environment()), ProfilesError);
}

TEST_F(ProfilesEnvironment, WithoutFileTheLocalMaildir) {
    makeMaildir(home / "Maildir");
    const auto profiles = loadProfiles(environment());
    ASSERT_EQ(profiles.size(), 1u);
    ASSERT_EQ(profiles[0].stores.size(), 1u);
    EXPECT_EQ(profiles[0].stores[0].url, "maildir:" + (home / "Maildir").string());
    EXPECT_TRUE(profiles[0].stores[0].isDefault);

    makeMaildir(home / "Other");
    variables["MAILDIR"] = (home / "Other").string();
    EXPECT_EQ(loadProfiles(environment())[0].stores[0].url, "maildir:" + (home / "Other").string());
}

TEST_F(ProfilesEnvironment, WithoutMaildirTheMbox) {
    variables["MAILDIR"] = (home / "not-a-maildir").string();
    variables["MAIL"] = "/var/mail/me";
    EXPECT_EQ(loadProfiles(environment())[0].stores[0].url, "mbox:/var/mail/me");
}

TEST_F(ProfilesEnvironment, NoMailAtAllIsAnError) {
    try {
        loadProfiles(environment());
        FAIL() << "accepted";
    } catch (const ProfilesError& error) {
        EXPECT_NE(std::string(error.what())
                      .find("no mail profile: " + (home / ".config/larkspire/profiles.ini").string()),
                  std::string::npos);
    }
}

} // namespace
} // namespace mapi
