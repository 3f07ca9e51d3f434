#include "engine/SampleFileName.h"

#include "engine/MessageTokens.h"
#include "engine/OutputFileName.h"
#include "mailstore/TEmailMessage.h"

namespace engine {

std::string sampleFileName(std::string_view format, std::int32_t number,
                           const mailstore::MessageServices& services) {
    mailstore::TEmailMessage message(services);
    message.setSubject("Subject");
    message.setSenderAddress("sender@example.com");
    message.setDisplayTo("recipient@example.com");
    message.setReceivedTime(services.now());
    MessageTokens tokens(message);
    return fileName(format, tokens, number);
}

} // namespace engine
