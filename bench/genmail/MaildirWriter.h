#pragma once
// Writes generated messages straight into cur/ or new/ of a Maildir, with the file's time set to
// the delivery time. A generator needs no crash safety: the folder is scratch that is made anew.

#include <cstdint>
#include <filesystem>
#include <string>

namespace bench {

class MaildirWriter {
public:
    // Creates root/cur, root/new and root/tmp; refuses a folder that already holds messages.
    explicit MaildirWriter(std::filesystem::path root);

    // `flags` are the info letters after ":2,"; `inNew` puts the message in new/ without info.
    void write(const std::string& bytes, std::int64_t deliveryUtc, std::uint64_t sequence,
               const std::string& flags, bool inNew, bool sizeInName);

private:
    std::filesystem::path m_root;
};

} // namespace bench
