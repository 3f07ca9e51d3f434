#include "settings/SettingsValidation.h"

#include "engine/SampleFileName.h"
#include "i18n/TextLookup.h"

#include <filesystem>
#include <stdexcept>

namespace settings {

namespace {

void check(bool failed, int textId, std::string_view text) {
    if (failed) {
        throw std::runtime_error(i18n::LoadText(textId, text));
    }
}

} // namespace

bool validateSettings(const TSettings& settings, platform::DialogService& dialogs) {
    check(settings.saveFolder.empty(), 8000, "The folder to save emails to is blank");
    // The folder as typed: a quoted folder fails here although the run would strip the quotes.
    std::error_code error;
    check(!std::filesystem::is_directory(settings.saveFolder, error), 8004,
          "The folder to save emails to does not exist");
    check(settings.numberFormat.empty(), 8002, "The filename format is blank");
    check(!settings.getFromDefaultFolder && settings.fromFolderName.empty(), 8010,
          "The folder to get emails from is blank");
    check(settings.moveMessages == MoveToFolder && settings.msgDestination.empty(), 8020,
          "The folder to move processed emails to is blank");
    check(settings.moveMessages == TagSubject && settings.tagText.empty(), 8030, "The tag text is blank");

    const std::string firstFile = engine::sampleFilePath(normaliseFolder(settings.saveFolder),
                                                         settings.numberFormat, settings.firstNumber);
    // A dangling link counts as an existing file: the run would replace it.
    if (!std::filesystem::exists(std::filesystem::symlink_status(firstFile, error))) {
        return true;
    }
    const std::string question =
        i18n::LoadTextFmt(8040, "The output file %s already exists. Continue?", {firstFile});
    return dialogs.MessageDialog(question, platform::DialogKind::Confirmation,
                                 platform::DialogButton::Yes | platform::DialogButton::No,
                                 0) == platform::DialogButton::Yes;
}

} // namespace settings
