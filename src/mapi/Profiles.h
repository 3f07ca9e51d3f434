#pragma once
// Mail profiles: which stores a logon opens. They come from the profiles file
// ($LARKSPIRE_PROFILES, else $XDG_CONFIG_HOME/larkspire/profiles.ini), an INI text with one
// section per profile:
//   [Work]
//   default = true
//   store = Personal Folders, maildir:/home/me/Maildir, default
//   password-command = pass show mail/work
//   ca-file = /etc/ssl/work-ca.pem
//   insecure = false
// The last three serve the profile's stores that log on to a server (IMAP), which get them in
// their StoreLocation. Without the file the one profile is the user's local mail ($MAILDIR or ~/Maildir, else
// $MAIL).

#include "mapi/StoreProvider.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mapi {

struct Profile {
    std::string name;
    bool isDefault = false;
    std::vector<StoreLocation> stores;
    std::string passwordCommand;
    std::string caFile;
    bool insecure = false;
};

// A profiles file that cannot be used; the text names the file and, for a bad line, the line.
class ProfilesError : public std::runtime_error {
public:
    explicit ProfilesError(const std::string& message) : std::runtime_error(message) {}
};

// Reads environment variables; absent ones answer none.
using EnvironmentLookup = std::function<std::optional<std::string>(const std::string& name)>;
EnvironmentLookup processEnvironment();

// Parses the text of a profiles file; `fileName` is used in error texts.
std::vector<Profile> parseProfiles(std::string_view text, const std::string& fileName);

// Where the profiles file is looked for; none when no variable gives a folder.
std::optional<std::filesystem::path> profilesFilePath(const EnvironmentLookup& environment);

// The profile of the user's local mail, used when there is no profiles file; none when the
// environment names no mail store.
std::optional<Profile> localMailProfile(const EnvironmentLookup& environment);

// The profiles of the file, or the local mail profile when the file does not exist; throws
// ProfilesError when the file cannot be used or there is no mail at all.
std::vector<Profile> loadProfiles(const EnvironmentLookup& environment);

// The profile a logon chooses: by name ignoring letter case, or the default (the one flagged
// default, else the first); null when there is none.
const Profile* findProfile(const std::vector<Profile>& profiles, const std::string& name);
const Profile* defaultProfile(const std::vector<Profile>& profiles);

} // namespace mapi
