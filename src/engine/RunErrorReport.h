#pragma once
// The text of the box a failed run shows: the error's class, the program's file name, a fixed
// address and the message, as "Exception %s in module %s at %p.\n%s%s".

#include <exception>
#include <string>
#include <string_view>

namespace engine {

inline constexpr std::string_view kProgramFileName = "larkspire";
inline constexpr std::string_view kApplicationErrorTitle = "Application Error";

// The readable class name an error is reported under: "EMapiError" for failed mail calls,
// "EFormatError" for number formats, "ESystemError" for file and system failures, "ERunError"
// for the run's own errors, else "Exception".
std::string errorClassName(const std::exception& error);

// The box text; a full stop ends a message that is not empty and does not end with one.
std::string applicationErrorText(std::string_view className, std::string_view message);
std::string applicationErrorText(const std::exception& error);

} // namespace engine
