#pragma once
// The local request channel that stands in for DDE: a Unix domain socket named after the service
// and the topic, in a folder only its user can enter. A request is the command text ended by one
// NUL byte; the server answers one ACK byte once the request has arrived, whatever its text.

#include <filesystem>
#include <string>
#include <string_view>

namespace ui {

inline constexpr std::string_view kRequestTopic = "AppDDE";
inline constexpr char kRequestEnd = '\0';
inline constexpr char kRequestAcknowledged = '\x06';

// The service name: the program file's name up to its first ".".
std::string requestService(const std::string& programPath);

// The folder the socket lives in: $XDG_RUNTIME_DIR when it is ours alone, else a folder of mode
// 0700 under /tmp made for this user. Throws when the folder is not private.
std::filesystem::path requestFolder();
// Creates `folder` with mode 0700 if missing, then checks it is a directory of ours that no other
// user can enter; throws otherwise.
void ensurePrivateFolder(const std::filesystem::path& folder);

// "<folder>/<service>.<topic>".
std::filesystem::path requestSocketPath(const std::filesystem::path& folder, const std::string& service);

// Sends one request and waits for its acknowledgement; false when nobody listens on the socket.
// Throws when the text holds a NUL byte or the server dropped the request unanswered.
bool sendRequest(const std::filesystem::path& socket, std::string_view text);

} // namespace ui
