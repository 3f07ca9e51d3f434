#pragma once
// What one listing of a Maildir folder found, held compactly: each message's row of properties
// (packed, shared with the contents table) and, beside it, where its file is and the identity the
// file had. A message's key is not stored again: it is the tail of the entry id in its row, and a
// file name that begins with the key keeps only what follows it (flags, size markers).

#include "mapi/PackedRows.h"
#include "mapi/maildir/MessageFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapi {

struct MessageLocation {
    std::string folderKey;
    std::string subfolder; // "cur" or "new"
    std::string fileName;
    friend bool operator==(const MessageLocation&, const MessageLocation&) = default;
};

class FolderListing {
public:
    // `keyPrefix`: what the entry id of every message of the store has before the message's key.
    FolderListing(std::string folderKey, Binary keyPrefix);

    void add(const std::string& key, const std::string& subfolder, const std::string& fileName,
             const FileIdentity& identity, const Row& properties);

    const std::string& folderKey() const { return m_folderKey; }
    const std::shared_ptr<PackedRows>& rows() const { return m_rows; }
    // The number of the row listed for `key`; nothing when this listing has none.
    std::optional<std::size_t> find(std::string_view key) const;
    struct Listed {
        MessageLocation location;
        FileIdentity identity;
    };
    Listed listed(std::size_t row) const;
    // True the first time only: a listed row is handed to one opened message.
    bool take(std::size_t row);

private:
    struct Extra {
        FileIdentity identity;
        bool inCur;
        bool nameIsTail;
        std::string_view name;
    };
    Extra extra(std::size_t row) const;
    std::string_view keyOf(std::size_t row) const;
    void grow();
    void place(std::size_t row, std::string_view key);

    std::string m_folderKey;
    std::shared_ptr<PackedRows> m_rows;
    std::vector<bool> m_taken;
    std::string m_extra;                // kept between rows: one buffer for all
    std::vector<std::uint32_t> m_slots; // open addressing by key hash: row number + 1, 0 for free
};

} // namespace mapi
