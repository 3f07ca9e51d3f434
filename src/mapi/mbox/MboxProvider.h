#pragma once
// The provider of "mbox:PATH" stores (PATH absolute, relative, or starting with "~/"): one mbox
// file, or a directory of them in the desktop clients' layout.

#include "mapi/StoreProvider.h"
#include "mapi/mbox/MboxLock.h"

namespace mapi {

// `lockTimes`: how long a change waits for another program's locks, and when a lock is stale.
void registerMboxProvider(ProviderRegistry& registry, MboxLockTimes lockTimes = {});

} // namespace mapi
