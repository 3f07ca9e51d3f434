#pragma once

#include <stdexcept>
#include <string>

namespace engine {

// An error the run raises itself: a folder that cannot be found, a profile without a default store.
class RunError : public std::runtime_error {
public:
    explicit RunError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace engine
