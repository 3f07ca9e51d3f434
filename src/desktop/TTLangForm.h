#pragma once
// The language chooser: the languages that have a file in the program's Languages folder, the
// current one preselected. The main window stores the choice for the next start.

#include "desktop/WindowPlacement.h"
#include "platform/Hive.h"

#include <QDialog>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace Ui {
class TTLangForm;
}

namespace desktop {

class TTLangForm : public QDialog {
    Q_OBJECT
public:
    // `hive` holds its placement (size only); `showError` is the application's error box.
    TTLangForm(platform::Hive* hive, std::function<void(const std::exception&)> showError,
               QWidget* parent = nullptr);
    ~TTLangForm() override;

    void ListLanguages(const std::string& programFolder);
    void SelectLanguage(const std::string& current);
    // Nothing when the list is empty.
    std::optional<std::string> SelectedLanguage() const;

    // Told when "More languages online..." is clicked, with the link; none: the click does nothing.
    std::function<void(QObject* sender)> OnMoreLanguages;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TTLangForm> m_ui;
    std::unique_ptr<WindowPlacement> m_placement;
};

} // namespace desktop
