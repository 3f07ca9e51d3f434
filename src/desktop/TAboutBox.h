#pragma once
// The About dialog: product name, version and copyright.

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}

namespace desktop {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox(const QString& version, QWidget* parent = nullptr);
    ~TAboutBox() override;

private:
    std::unique_ptr<Ui::TAboutBox> m_ui;
};

} // namespace desktop
