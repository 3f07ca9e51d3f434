#pragma once
// Builds Maildirs for tests: folders with cur/, new/ and tmp/, and message files with chosen
// names, flags and modification times.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace testsupport {

struct MessageFileOptions {
    bool inNew = false;       // new/ (no info part) instead of cur/
    std::string flags;        // the letters after ":2," in cur/
    std::string unique;       // the unique part; empty: a fresh one
    std::int64_t mtime = 0;   // seconds since 1970; 0 leaves the file's own time
    bool sizeMarkers = false; // ",S=<size>,W=<size with CR LF>" after the unique part
};

class MaildirBuilder {
public:
    // Creates `root` as a Maildir (the Inbox).
    explicit MaildirBuilder(std::filesystem::path root);

    const std::filesystem::path& root() const { return m_root; }
    // Creates the folder `key` ("" the root, ".A.B" Maildir++, "X/Y" nested) with cur/, new/, tmp/.
    std::filesystem::path addFolder(const std::string& key);
    // Writes a message file into folder `key` and answers its path.
    std::filesystem::path addMessage(const std::string& key, std::string_view content,
                                     const MessageFileOptions& options = {});

private:
    std::filesystem::path m_root;
    int m_counter = 0;
};

// Every message file (new/ and cur/ of every folder, tmp/ left out) by path relative to the
// root, with its content.
std::map<std::string, std::string> messageFilesBelow(const std::filesystem::path& root);

std::string readFileText(const std::filesystem::path& path);
void writeFileText(const std::filesystem::path& path, std::string_view text);

} // namespace testsupport
