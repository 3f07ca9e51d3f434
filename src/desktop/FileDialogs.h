#pragma once
// The file dialogs of the main window behind one interface, so tests answer them in advance.

#include <QString>
#include <QWidget>

#include <optional>

namespace desktop {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // "Load Larkspire settings": an existing option file.
    virtual std::optional<QString> openOptionFile(QWidget* parent, const QString& folder) = 0;
    // "Save Larkspire settings": asks before overwriting; ".lks" added to a name without one.
    virtual std::optional<QString> saveOptionFile(QWidget* parent, const QString& folder) = 0;
    // "Choose a folder": the output folder, which may be created in the dialog.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& start) = 0;
};

// The system's dialogs.
class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> openOptionFile(QWidget* parent, const QString& folder) override;
    std::optional<QString> saveOptionFile(QWidget* parent, const QString& folder) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& start) override;
};

} // namespace desktop
