#pragma once
// Entry ids of every provider, stable across program runs because they are kept in the hive and
// in option files. Layout: 4 bytes magic "LKSP", 4 bytes naming the store kind (a hash of the URL
// scheme), 16 bytes derived from the store's URL; that is the store's own entry id. An object's
// entry id is the store's entry id followed by the provider's key for the object.

#include "mapi/PropValue.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mapi {

constexpr std::size_t kStoreEntryIdSize = 24;

// The entry id of the store at `url` ("maildir:/home/me/Maildir").
Binary makeStoreEntryId(std::string_view url);

// `storeEntryId` followed by `key`.
Binary makeObjectEntryId(const Binary& storeEntryId, const Binary& key);
Binary makeObjectEntryId(const Binary& storeEntryId, std::string_view key);

// True when `entryId` has the layout of our entry ids.
bool isOurEntryId(const Binary& entryId);

// True when `entryId` is the store's own id or names an object of that store.
bool belongsToStore(const Binary& entryId, const Binary& storeEntryId);

// The object key of an entry id of `storeEntryId`'s store; none for another store's ids.
// The store's own entry id has an empty key.
std::optional<Binary> objectKey(const Binary& entryId, const Binary& storeEntryId);
std::optional<std::string> objectKeyString(const Binary& entryId, const Binary& storeEntryId);

} // namespace mapi
