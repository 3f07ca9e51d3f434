#pragma once
// The one error kind of the mail store layer: a failed step, carrying the text the user sees.

#include <stdexcept>
#include <string>

namespace mailstore {

class MapiException : public std::runtime_error {
public:
    explicit MapiException(const std::string& message) : std::runtime_error(message) {}
};

} // namespace mailstore
