#pragma once
// The provider of "maildir:PATH" stores (PATH absolute, relative, or starting with "~/").

#include "mapi/StoreProvider.h"

namespace mapi {

void registerMaildirProvider(ProviderRegistry& registry);

} // namespace mapi
