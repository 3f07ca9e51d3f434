#pragma once
// Replaces a dialog's design texts from its section of the language file, keyed by component
// names: <name>.Caption, .Title, .Filter, .Hint, .Text, .items and <grid>.col_<c>.row_<r>.
// The walk first works out every change, reading and decoding the values, and only then makes
// them. A malformed escape anywhere raises EscapeError before any text has changed or anything
// has been written back, so the dialog keeps all its design texts and its caller can finish
// setting it up before it reports the error.

#include "i18n/TranslatableComponent.h"

#include <string_view>

namespace i18n {

// Translates the dialog and everything it owns from `section` (the dialog's class name, such as
// "TForm1") with the installed loader. The dialog takes the standard dialog font even when the
// loader is disabled. Design grid headings missing from the file are written back to it. A radio
// group keeps its number of items, since they are setting values by position.
void TranslateForm(TranslatableComponent& dialog, std::string_view section);

// Translates a drop-down list's items from "<name>.items". A translation with fewer lines than
// the design is completed with the remaining design items, and the completed list is written
// back to the language file; extra lines are dropped.
void TranslateComboItems(TranslatableComponent& list, std::string_view section);

} // namespace i18n
