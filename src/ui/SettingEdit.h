#pragma once
// "--set=NAME=VALUE": a setting of the main window changed as the user would change its control,
// so the same change handlers run (modified flag, sample name, login values, enabling).

#include "ui/MainWindow.h"

#include <stdexcept>
#include <string>

namespace ui {

// A command line the program cannot carry out as written.
class CommandLineError : public std::runtime_error {
public:
    explicit CommandLineError(const std::string& message) : std::runtime_error(message) {}
};

// `name` is a registry value name ("Save folder", "First number", ...) or `Profile` or
// `profileName`, letter case ignored; booleans are 0, 1, false or true. Throws CommandLineError
// naming the setting for an unknown name or a value the control cannot take.
void editSetting(MainWindow& window, const std::string& name, const std::string& value);

} // namespace ui
