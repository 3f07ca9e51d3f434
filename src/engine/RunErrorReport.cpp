#include "engine/RunErrorReport.h"

#include "engine/RunError.h"
#include "mailstore/MapiException.h"
#include "platform/Format.h"

#include <system_error>

namespace engine {

std::string errorClassName(const std::exception& error) {
    if (dynamic_cast<const mailstore::MapiException*>(&error))
        return "EMapiError";
    if (dynamic_cast<const platform::FormatError*>(&error))
        return "EFormatError";
    if (dynamic_cast<const std::system_error*>(&error))
        return "ESystemError";
    if (dynamic_cast<const RunError*>(&error))
        return "ERunError";
    return "Exception";
}

std::string applicationErrorText(std::string_view className, std::string_view message) {
    std::string text = "Exception ";
    text += className;
    text += " in module ";
    text += kProgramFileName;
    text += " at 00000000.\n";
    text += message;
    if (!message.empty() && message.back() != '.')
        text += '.';
    return text;
}

std::string applicationErrorText(const std::exception& error) {
    return applicationErrorText(errorClassName(error), error.what());
}

} // namespace engine
