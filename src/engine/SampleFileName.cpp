#include "engine/SampleFileName.h"

#include "engine/MessageTokens.h"
#include "engine/OutputFileName.h"
#include "mailstore/TEmailMessage.h"

namespace engine {

namespace {

// The test message no mail item backs.
void makeSample(mailstore::TEmailMessage& message, const mailstore::MessageServices& services) {
    message.setSubject("Subject");
    message.setSenderAddress("sender@example.com");
    message.setDisplayTo("recipient@example.com");
    message.setReceivedTime(services.now());
}

} // namespace

std::string sampleFileName(std::string_view format, std::int32_t number,
                           const mailstore::MessageServices& services) {
    mailstore::TEmailMessage message(services);
    makeSample(message, services);
    MessageTokens tokens(message);
    return fileName(format, tokens, number);
}

std::string sampleFilePath(std::string_view normalisedFolder, std::string_view format, std::int32_t number,
                           const mailstore::MessageServices& services) {
    mailstore::TEmailMessage message(services);
    makeSample(message, services);
    MessageTokens tokens(message);
    return outputFileName(normalisedFolder, format, tokens, number);
}

} // namespace engine
