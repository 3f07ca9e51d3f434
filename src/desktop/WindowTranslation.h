#pragma once
// The Qt side of the translation walk: a window's widgets, found by their objectName from the
// window's table in FormDesigns (the window itself is the table's first entry), handed to
// TranslateForm as one flat list, and the desktop's standard dialog font. A malformed escape is
// handed back rather than thrown, so the window finishes setting itself up before it reports it.

#include <QComboBox>
#include <QWidget>

#include <exception>
#include <functional>
#include <string_view>

namespace desktop {

// Translates `window` from `section` of the installed language file. The error returned, if any,
// is the language file's EscapeError, raised before anything changed.
[[nodiscard]] std::exception_ptr translateWindow(QWidget& window, std::string_view section);

// The items of the main window's sort-order list; a short translation is completed and written back.
[[nodiscard]] std::exception_ptr translateComboItems(QComboBox& list, std::string_view section);

// Shows the error of a translation through `show` once the event loop turns, so it comes after the
// window's set-up; nothing for no error. `context` going first cancels it.
void reportLater(QObject& context, std::exception_ptr error, std::function<void(const std::exception&)> show);

// A file dialog's texts ("Title", and "Filter" as "Name|pattern|Name|pattern") are held by the
// window under the dialog's name (or the edit that opens it), where the walk translates them like
// a widget's. These give the texts a dialog of `window` opens with, the filter in Qt's form.
QString fileDialogTitle(const QObject* window, const char* name, const QString& fallback);
QString fileDialogFilter(const QObject* window, const char* name, const QString& fallback);

} // namespace desktop
