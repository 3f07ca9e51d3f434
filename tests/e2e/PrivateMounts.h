#pragma once
// Real fault conditions for end-to-end tests: file systems mounted in a mount namespace of the
// test's own process (the program inherits it), so they vanish with the process and nothing
// outside the test sees them. Needs root; without it the test is skipped, never passed.

#include <filesystem>
#include <string>
#include <vector>

namespace e2e {

class PrivateMounts {
public:
    // Enters a private mount namespace; afterwards unavailable() says why that failed, if it did.
    PrivateMounts();
    ~PrivateMounts();
    PrivateMounts(const PrivateMounts&) = delete;
    PrivateMounts& operator=(const PrivateMounts&) = delete;

    // Empty when mounts can be made, else the reason (for GTEST_SKIP).
    const std::string& unavailable() const { return m_unavailable; }

    // A tmpfs of `options` ("size=64k,nr_inodes=64") over `folder`.
    void tmpfs(const std::filesystem::path& folder, const std::string& options);
    // `source` seen again at `target` (a different mount: renames between them fail with EXDEV).
    void bind(const std::filesystem::path& source, const std::filesystem::path& target);
    void makeReadOnly(const std::filesystem::path& target);

private:
    std::vector<std::filesystem::path> m_mounted;
    std::string m_unavailable;
};

// Fills the file system of `folder` with a file of zeros until it has no room left.
void fillFileSystem(const std::filesystem::path& folder);

// Whether the program can be run as the user nobody (setpriv and a uid to switch to).
std::string nobodyUnavailable();
// The wrapper that runs a command as nobody.
std::vector<std::string> asNobody();

} // namespace e2e
