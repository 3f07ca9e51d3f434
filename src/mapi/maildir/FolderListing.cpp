#include "mapi/maildir/FolderListing.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>

namespace mapi {
namespace {

constexpr char kInCur = 1;
constexpr char kNameIsTail = 2;

std::uint32_t hashOf(std::string_view key) {
    return static_cast<std::uint32_t>(std::hash<std::string_view>{}(key));
}

} // namespace

FolderListing::FolderListing(std::string folderKey, Binary keyPrefix)
    : m_folderKey(std::move(folderKey)), m_rows(std::make_shared<PackedRows>(std::move(keyPrefix))) {}

void FolderListing::add(const std::string& key, const std::string& subfolder, const std::string& fileName,
                        const FileIdentity& identity, const Row& properties) {
    const bool nameIsTail = fileName.starts_with(key);
    std::string& extra = m_extra;
    extra.clear();
    extra.push_back(static_cast<char>((subfolder == "cur" ? kInCur : 0) | (nameIsTail ? kNameIsTail : 0)));
    appendPackedNumber(extra, identity.device);
    appendPackedNumber(extra, identity.inode);
    appendPackedNumber(extra, identity.size);
    appendPackedNumber(extra, static_cast<std::uint64_t>(identity.modifiedSeconds));
    appendPackedNumber(extra, static_cast<std::uint64_t>(identity.modifiedNanoseconds));
    extra.append(nameIsTail ? std::string_view(fileName).substr(key.size()) : std::string_view(fileName));
    m_rows->append(properties, extra);
    m_taken.push_back(false);
    if (4 * m_taken.size() > 3 * m_slots.size())
        grow();
    else
        place(m_taken.size() - 1, key);
}

void FolderListing::place(std::size_t row, std::string_view key) {
    std::size_t slot = hashOf(key) & (m_slots.size() - 1);
    while (m_slots[slot] != 0)
        slot = (slot + 1) & (m_slots.size() - 1);
    m_slots[slot] = static_cast<std::uint32_t>(row + 1);
}

// Slots for twice the rows, every row placed again: at most three quarters are ever in use.
void FolderListing::grow() {
    m_slots.assign(std::bit_ceil(std::max<std::size_t>(64, 2 * m_taken.size())), 0);
    for (std::size_t row = 0; row < m_taken.size(); ++row)
        place(row, keyOf(row));
}

std::optional<std::size_t> FolderListing::find(std::string_view key) const {
    if (m_slots.empty())
        return std::nullopt;
    const std::uint32_t hash = hashOf(key);
    // The last row listed under a key wins, as a later entry of an index would.
    std::optional<std::size_t> found;
    for (std::size_t slot = hash & (m_slots.size() - 1); m_slots[slot] != 0;
         slot = (slot + 1) & (m_slots.size() - 1)) {
        const std::size_t row = m_slots[slot] - 1;
        if ((!found || row > *found) && keyOf(row) == key)
            found = row;
    }
    return found;
}

std::string_view FolderListing::keyOf(std::size_t row) const {
    return m_rows->bytesAfterPrefix(row, PR_ENTRYID).value_or(std::string_view());
}

FolderListing::Extra FolderListing::extra(std::size_t row) const {
    std::string_view bytes = m_rows->extra(row);
    Extra extra{};
    const char flags = bytes[0];
    bytes.remove_prefix(1);
    extra.inCur = (flags & kInCur) != 0;
    extra.nameIsTail = (flags & kNameIsTail) != 0;
    extra.identity.device = readPackedNumber(bytes);
    extra.identity.inode = readPackedNumber(bytes);
    extra.identity.size = readPackedNumber(bytes);
    extra.identity.modifiedSeconds = static_cast<std::int64_t>(readPackedNumber(bytes));
    extra.identity.modifiedNanoseconds = static_cast<std::int64_t>(readPackedNumber(bytes));
    extra.name = bytes;
    return extra;
}

FolderListing::Listed FolderListing::listed(std::size_t row) const {
    const Extra listed = extra(row);
    std::string fileName(listed.nameIsTail ? keyOf(row) : std::string_view());
    fileName += listed.name;
    return {{m_folderKey, listed.inCur ? "cur" : "new", std::move(fileName)}, listed.identity};
}

bool FolderListing::take(std::size_t row) {
    if (m_taken[row])
        return false;
    m_taken[row] = true;
    return true;
}

} // namespace mapi
