#pragma once
// Opening Maildir stores through the provider registry, as the session does, and the few calls
// every Maildir test repeats.

#include "mapi/Interfaces.h"

#include <filesystem>
#include <memory>
#include <string>

namespace maildirtest {

// The store at `root`, with the entry id the session would give it.
std::shared_ptr<mapi::IMsgStore> openStore(const std::filesystem::path& root);

std::shared_ptr<mapi::IMAPIFolder> openFolder(mapi::IMsgStore& store, const mapi::Binary& entryId);
std::shared_ptr<mapi::IMAPIFolder> openRoot(mapi::IMsgStore& store);
std::shared_ptr<mapi::IMessage> openMessage(mapi::IMsgStore& store, const mapi::Binary& entryId);

// Every row of the folder's contents table, all properties.
mapi::RowSet contents(mapi::IMAPIFolder& folder);
// The rows of the folder's hierarchy table.
mapi::RowSet hierarchy(mapi::IMAPIFolder& folder);

const mapi::PropValue& prop(const mapi::Row& row, mapi::PropTag tag);
std::string stringProp(const mapi::Row& row, mapi::PropTag tag);

// The PR_BODY_A stream read in 4095-byte requests; the HRESULT of OpenProperty when it failed.
struct BodyRead {
    mapi::HRESULT result = 0;
    std::string text;
};
// Opened with MAPI_DEFERRED_ERRORS (as the program opens bodies) the body is decoded in the
// background, and a message without one reads as empty; opened without, it is MAPI_E_NOT_FOUND.
BodyRead readBody(mapi::IMessage& message, std::uint32_t flags = mapi::MAPI_DEFERRED_ERRORS);

// The folder whose hierarchy row has this display name, below `parent`.
mapi::Binary childFolderId(mapi::IMAPIFolder& parent, const std::string& displayName);

std::string lastErrorText(mapi::IMAPIProp& object, mapi::HRESULT result);

} // namespace maildirtest
