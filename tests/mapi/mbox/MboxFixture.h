#pragma once
// Opening mbox stores through the provider registry, as the session does; the calls every mbox
// test shares beyond those of the Maildir tests (StoreFixture.h).

#include "mapi/Interfaces.h"
#include "mapi/maildir/StoreFixture.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace mboxtest {

// The store at `path`; changes wait `lockWait` for other programs' locks.
std::shared_ptr<mapi::IMsgStore>
openMbox(const std::filesystem::path& path,
         std::chrono::milliseconds lockWait = std::chrono::milliseconds(2000));

// The receive folder of the store.
std::shared_ptr<mapi::IMAPIFolder> openInbox(mapi::IMsgStore& store);

// Every folder below `folder`, depth first, as "Parent/Child" display paths.
std::vector<std::string> folderPaths(mapi::IMAPIFolder& folder);

// Subject and message flags of each row, in order.
std::vector<std::string> subjects(const mapi::RowSet& rows);

void check(mapi::HRESULT hr, const char* what);
void markRead(mapi::IMessage& message);
void setSubject(mapi::IMessage& message, const std::string& subject);

} // namespace mboxtest
