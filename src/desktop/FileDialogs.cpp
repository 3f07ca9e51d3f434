#include "desktop/FileDialogs.h"

#include "desktop/WindowTranslation.h"

#include <QFileDialog>

namespace desktop {

namespace {

const QString kOptionFilter = QStringLiteral("Larkspire Files (*.lks);;All files (*.*)");

std::optional<QString> chosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> QtFileDialogs::openOptionFile(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent,
                       fileDialogTitle(parent, "OpenDialog1", QStringLiteral("Load Larkspire settings")),
                       folder, fileDialogFilter(parent, "OpenDialog1", kOptionFilter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return chosenFile(dialog);
}

std::optional<QString> QtFileDialogs::saveOptionFile(QWidget* parent, const QString& folder) {
    QFileDialog dialog(parent,
                       fileDialogTitle(parent, "SaveDialog1", QStringLiteral("Save Larkspire settings")),
                       folder, fileDialogFilter(parent, "SaveDialog1", kOptionFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("lks"));
    return chosenFile(dialog);
}

std::optional<QString> QtFileDialogs::chooseFolder(QWidget* parent, const QString& start) {
    const QString folder = QFileDialog::getExistingDirectory(
        parent, fileDialogTitle(parent, "Directory", QStringLiteral("Choose a folder")), start);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

} // namespace desktop
