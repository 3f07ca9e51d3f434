#include "desktop/THelpViewer.h"

#include "desktop/QtText.h"
#include "ui_THelpViewer.h"

#include <QUrl>

namespace desktop {

THelpViewer::THelpViewer(const services::HelpFile& help) : m_ui(std::make_unique<Ui::THelpViewer>()) {
    m_ui->setupUi(this);
    m_ui->helpText->setSearchPaths({toQt(help.folder().string())});
    // Pages that are missing show their error where the page would be.
    const auto showOrExplain = [this](auto page) {
        try {
            showPage(page());
        } catch (const services::HelpError& error) {
            m_ui->helpText->setPlainText(toQt(error.what()));
        }
    };
    connect(m_ui->contentsButton, &QPushButton::clicked, this,
            [&help, showOrExplain] { showOrExplain([&help] { return help.contentsPage(); }); });
    connect(m_ui->indexButton, &QPushButton::clicked, this,
            [&help, showOrExplain] { showOrExplain([&help] { return help.indexPage(); }); });
}

THelpViewer::~THelpViewer() = default;

QUrl THelpViewer::source() const {
    return m_ui->helpText->source();
}

void THelpViewer::showPage(const std::filesystem::path& page) {
    m_ui->helpText->setSource(QUrl::fromLocalFile(toQt(page.string())));
    show();
    raise();
    activateWindow();
}

void THelpViewer::closeAll() {
    close();
}

} // namespace desktop
