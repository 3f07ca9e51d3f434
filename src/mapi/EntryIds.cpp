#include "mapi/EntryIds.h"

#include <algorithm>

namespace mapi {
namespace {

constexpr std::uint8_t kMagic[4] = {'L', 'K', 'S', 'P'};

// FNV-1a: a fixed, documented hash, so ids never change between builds or machines.
std::uint64_t fnv1a64(std::string_view text, std::uint64_t basis) {
    std::uint64_t hash = basis;
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

std::uint32_t fnv1a32(std::string_view text) {
    std::uint32_t hash = 0x811C9DC5u;
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 0x01000193u;
    }
    return hash;
}

void appendLittleEndian(Binary& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

Binary makeStoreEntryId(std::string_view url) {
    Binary id(std::begin(kMagic), std::end(kMagic));
    const auto colon = url.find(':');
    appendLittleEndian(id, fnv1a32(url.substr(0, colon == std::string_view::npos ? 0 : colon)), 4);
    // Two independent halves, the second from a different offset basis.
    appendLittleEndian(id, fnv1a64(url, 0xCBF29CE484222325ull), 8);
    appendLittleEndian(id, fnv1a64(url, 0x84222325CBF29CE4ull), 8);
    return id;
}

Binary makeObjectEntryId(const Binary& storeEntryId, const Binary& key) {
    Binary id = storeEntryId;
    id.insert(id.end(), key.begin(), key.end());
    return id;
}

Binary makeObjectEntryId(const Binary& storeEntryId, std::string_view key) {
    Binary id = storeEntryId;
    id.insert(id.end(), key.begin(), key.end());
    return id;
}

bool isOurEntryId(const Binary& entryId) {
    return entryId.size() >= kStoreEntryIdSize &&
           std::equal(std::begin(kMagic), std::end(kMagic), entryId.begin());
}

bool belongsToStore(const Binary& entryId, const Binary& storeEntryId) {
    return isOurEntryId(entryId) && storeEntryId.size() == kStoreEntryIdSize &&
           std::equal(storeEntryId.begin(), storeEntryId.end(), entryId.begin());
}

std::optional<Binary> objectKey(const Binary& entryId, const Binary& storeEntryId) {
    if (!belongsToStore(entryId, storeEntryId))
        return std::nullopt;
    return Binary(entryId.begin() + kStoreEntryIdSize, entryId.end());
}

std::optional<std::string> objectKeyString(const Binary& entryId, const Binary& storeEntryId) {
    if (!belongsToStore(entryId, storeEntryId))
        return std::nullopt;
    return std::string(entryId.begin() + kStoreEntryIdSize, entryId.end());
}

} // namespace mapi
