#pragma once
// The two registry values only the main window keeps, beside the settings and the window values
// that the settings layer stores: the first-start flag and the program folder.

#include "platform/Hive.h"

namespace ui {

// "isFirstDay": on when the product key or the value is missing.
bool readFirstStart(platform::Hive& hive);

// "rootDir" := the program folder, "isFirstDay" := off. Throws settings::RegistryError.
void writeStartValues(platform::Hive& hive);

} // namespace ui
