#include "MailSubsystem.h"

#include "mapi/Profiles.h"
#include "mapi/StoreProvider.h"
#include "mapi/imap/ImapProvider.h"
#include "mapi/maildir/MaildirProvider.h"
#include "mapi/mbox/MboxProvider.h"

namespace app {

std::shared_ptr<mapi::ProfileSubsystem> makeMailSubsystem(mapi::PasswordPrompt passwordPrompt) {
    auto registry = std::make_shared<mapi::ProviderRegistry>();
    mapi::registerMaildirProvider(*registry);
    mapi::registerMboxProvider(*registry);
    mapi::registerImapProvider(*registry, {.prompt = std::move(passwordPrompt), .beforeCommand = {}});
    return std::make_shared<mapi::ProfileSubsystem>(mapi::profilesFromEnvironment(mapi::processEnvironment()),
                                                    registry);
}

} // namespace app
