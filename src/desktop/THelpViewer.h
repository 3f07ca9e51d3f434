#pragma once
// The program's help viewer: the help pages beside the program in a browser window of their own,
// with the contents and the index a click away. One viewer serves every help request.

#include "services/HelpFile.h"

#include <QWidget>

#include <memory>

namespace Ui {
class THelpViewer;
}

namespace desktop {

class THelpViewer : public QWidget, public services::HelpViewer {
    Q_OBJECT
public:
    explicit THelpViewer(const services::HelpFile& help);
    ~THelpViewer() override;

    // The page on screen.
    QUrl source() const;

    void showPage(const std::filesystem::path& page) override;
    void closeAll() override;

private:
    std::unique_ptr<Ui::THelpViewer> m_ui;
};

} // namespace desktop
