#include "mapi/Profiles.h"

#include "platform/Locale.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace mapi {
namespace {

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    return platform::upperCaseUtf8(a) == platform::upperCaseUtf8(b);
}

class Parser {
public:
    explicit Parser(const std::string& fileName) : m_fileName(fileName) {}

    std::vector<Profile> parse(std::string_view text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            auto end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            ++m_line;
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            parseLine(trim(line));
            start = end + 1;
        }
        for (auto& profile : m_profiles)
            for (auto& store : profile.stores) {
                store.passwordCommand = profile.passwordCommand;
                store.caFile = profile.caFile;
                store.insecure = profile.insecure;
            }
        return std::move(m_profiles);
    }

private:
    [[noreturn]] void fail(const std::string& message) const {
        throw ProfilesError(m_fileName + ":" + std::to_string(m_line) + ": " + message);
    }

    void parseLine(std::string_view line) {
        if (line.empty() || line.front() == ';' || line.front() == '#')
            return;
        if (line.front() == '[') {
            if (line.back() != ']')
                fail("a section line must end with ']'");
            const std::string name(trim(line.substr(1, line.size() - 2)));
            if (name.empty())
                fail("a profile needs a name between '[' and ']'");
            for (const auto& profile : m_profiles)
                if (sameName(profile.name, name))
                    fail("profile \"" + name + "\" is defined twice");
            m_profiles.push_back(Profile{name, false, {}, {}, {}, false});
            return;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            fail("expected \"[profile]\", \"key = value\" or a comment");
        const std::string key(trim(line.substr(0, equals)));
        const std::string_view value = trim(line.substr(equals + 1));
        if (m_profiles.empty())
            fail("\"" + key + "\" comes before the first [profile] section");
        Profile& profile = m_profiles.back();
        if (sameName(key, "default"))
            setDefault(profile, value);
        else if (sameName(key, "store"))
            profile.stores.push_back(parseStore(profile, value));
        else if (sameName(key, "password-command"))
            profile.passwordCommand = nonEmpty(key, value);
        else if (sameName(key, "ca-file"))
            profile.caFile = nonEmpty(key, value);
        else if (sameName(key, "insecure"))
            profile.insecure = truth(key, value);
        else
            fail("unknown key \"" + key +
                 "\" (expected default, store, password-command, ca-file or insecure)");
    }

    std::string nonEmpty(const std::string& key, std::string_view value) const {
        if (value.empty())
            fail(key + " needs a value");
        return std::string(value);
    }

    bool truth(const std::string& key, std::string_view value) const {
        if (sameName(value, "true") || value == "1" || sameName(value, "yes"))
            return true;
        if (sameName(value, "false") || value == "0" || sameName(value, "no"))
            return false;
        fail(key + " must be true or false, not \"" + std::string(value) + "\"");
    }

    void setDefault(Profile& profile, std::string_view value) {
        profile.isDefault = truth("default", value);
        if (!profile.isDefault)
            return;
        for (const auto& other : m_profiles)
            if (&other != &profile && other.isDefault)
                fail("profile \"" + other.name + "\" is already the default profile");
    }

    StoreLocation parseStore(const Profile& profile, std::string_view value) {
        const auto comma = value.find(',');
        if (comma == std::string_view::npos)
            fail("expected \"store = <display name>, <url>[, default]\"");
        StoreLocation store;
        store.displayName = std::string(trim(value.substr(0, comma)));
        std::string_view url = trim(value.substr(comma + 1));
        const auto lastComma = url.rfind(',');
        if (lastComma != std::string_view::npos && sameName(trim(url.substr(lastComma + 1)), "default")) {
            store.isDefault = true;
            url = trim(url.substr(0, lastComma));
        }
        store.url = std::string(url);
        if (store.displayName.empty())
            fail("a store needs a display name before the first ','");
        const auto colon = store.url.find(':');
        if (colon == std::string::npos || colon == 0)
            fail("store URL \"" + store.url + "\" does not start with its kind, as in maildir:/path");
        if (store.isDefault)
            for (const auto& other : profile.stores)
                if (other.isDefault)
                    fail("store \"" + other.displayName + "\" is already the default store of \"" +
                         profile.name + "\"");
        return store;
    }

    std::string m_fileName;
    std::size_t m_line = 0;
    std::vector<Profile> m_profiles;
};

bool isMaildir(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path / "cur", error) &&
           std::filesystem::is_directory(path / "new", error);
}

} // namespace

EnvironmentLookup processEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (!value || !*value)
            return std::nullopt;
        return std::string(value);
    };
}

std::vector<Profile> parseProfiles(std::string_view text, const std::string& fileName) {
    return Parser(fileName).parse(text);
}

std::optional<std::filesystem::path> profilesFilePath(const EnvironmentLookup& environment) {
    if (auto explicitPath = environment("LARKSPIRE_PROFILES"))
        return std::filesystem::path(*explicitPath);
    if (auto config = environment("XDG_CONFIG_HOME"))
        return std::filesystem::path(*config) / "larkspire" / "profiles.ini";
    if (auto home = environment("HOME"))
        return std::filesystem::path(*home) / ".config" / "larkspire" / "profiles.ini";
    return std::nullopt;
}

std::optional<Profile> localMailProfile(const EnvironmentLookup& environment) {
    std::vector<std::filesystem::path> maildirs;
    if (auto maildir = environment("MAILDIR"))
        maildirs.emplace_back(*maildir);
    if (auto home = environment("HOME"))
        maildirs.push_back(std::filesystem::path(*home) / "Maildir");
    std::string url;
    for (const auto& path : maildirs)
        if (isMaildir(path)) {
            url = "maildir:" + path.string();
            break;
        }
    if (url.empty())
        if (auto mbox = environment("MAIL"))
            url = "mbox:" + *mbox;
    if (url.empty())
        return std::nullopt;
    StoreLocation store;
    store.displayName = "Local Mail";
    store.url = url;
    store.isDefault = true;
    return Profile{"Default", true, {store}};
}

std::vector<Profile> loadProfiles(const EnvironmentLookup& environment) {
    const auto path = profilesFilePath(environment);
    std::error_code error;
    if (!path || !std::filesystem::exists(*path, error)) {
        if (path && environment("LARKSPIRE_PROFILES"))
            throw ProfilesError(path->string() +
                                ": the profiles file named by LARKSPIRE_PROFILES does not exist");
        if (auto local = localMailProfile(environment))
            return {*local};
        throw ProfilesError(
            "no mail profile: " + (path ? path->string() + " does not exist" : "HOME is not set") +
            ", no Maildir is at $MAILDIR or ~/Maildir, and $MAIL is not set");
    }
    if (std::filesystem::is_directory(*path, error))
        throw ProfilesError(path->string() + ": this is a folder, not a profiles file");
    std::ifstream file(*path, std::ios::binary);
    if (!file.is_open())
        throw ProfilesError(path->string() + ": the profiles file cannot be opened: " + std::strerror(errno));
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad())
        throw ProfilesError(path->string() + ": the profiles file cannot be read: " + std::strerror(errno));
    return parseProfiles(text.str(), path->string());
}

const Profile* findProfile(const std::vector<Profile>& profiles, const std::string& name) {
    for (const auto& profile : profiles)
        if (sameName(profile.name, name))
            return &profile;
    return nullptr;
}

const Profile* defaultProfile(const std::vector<Profile>& profiles) {
    for (const auto& profile : profiles)
        if (profile.isDefault)
            return &profile;
    return profiles.empty() ? nullptr : &profiles.front();
}

} // namespace mapi
