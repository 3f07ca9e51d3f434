#include "desktop/TchooseFolder.h"

#include "desktop/QtText.h"
#include "desktop/WindowTranslation.h"
#include "i18n/TextLookup.h"
#include "ui_TchooseFolder.h"

#include <QApplication>
#include <QStyle>
#include <QTreeWidgetItem>

namespace desktop {

namespace {

enum MailboxImage : int { StoreImage = 0, FolderImage = 1 };

// A node owns its folder object and sorts by the locale's comparison, at every level.
class FolderItem : public QTreeWidgetItem {
public:
    FolderItem(std::unique_ptr<mailstore::TMapiUserFolder> folder, const platform::Locale& locale)
        : m_folder(std::move(folder)), m_locale(locale) {}

    const mailstore::TMapiUserFolder* folder() const { return m_folder.get(); }

    bool operator<(const QTreeWidgetItem& other) const override {
        return m_locale.compareTextIgnoreCase(fromQt(text(0)), fromQt(other.text(0))) < 0;
    }

private:
    std::unique_ptr<mailstore::TMapiUserFolder> m_folder;
    const platform::Locale& m_locale;
};

FolderItem* itemOf(mailstore::FolderNode node) {
    return reinterpret_cast<FolderItem*>(node);
}

mailstore::FolderNode nodeOf(FolderItem* item) {
    return reinterpret_cast<mailstore::FolderNode>(item);
}

// Restores the dialog however the load ends.
class LoadingState {
public:
    LoadingState(Ui::TchooseFolder& ui) : m_ui(ui) {
        m_ui.refreshButton->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_ui.TreeView->setUpdatesEnabled(false);
    }
    ~LoadingState() {
        m_ui.TreeView->setUpdatesEnabled(true);
        m_ui.refreshButton->setEnabled(true);
        QApplication::restoreOverrideCursor();
    }
    LoadingState(const LoadingState&) = delete;
    LoadingState& operator=(const LoadingState&) = delete;

private:
    Ui::TchooseFolder& m_ui;
};

} // namespace

TchooseFolder::TchooseFolder(mailstore::TMapiSession& session,
                             std::function<void(const std::exception&)> showError,
                             const platform::Locale& locale, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TchooseFolder>()), m_session(session),
      m_showError(std::move(showError)), m_locale(locale),
      m_selectedFolder(mailstore::TMapiUserFolder::makeEmpty(nullptr)) {
    m_ui->setupUi(this);
    m_translationError = translateWindow(*this, "TchooseFolder");
    // The selection stays visible when the tree has no focus.
    QPalette palette = m_ui->TreeView->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    m_ui->TreeView->setPalette(palette);
    connect(m_ui->refreshButton, &QPushButton::clicked, this, &TchooseFolder::refreshButtonClick);
    connect(m_ui->TreeView, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { TreeViewChange(current); });
}

TchooseFolder::~TchooseFolder() = default;

void TchooseFolder::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_loaded)
        return;
    m_loaded = true;
    refreshButtonClick();
}

void TchooseFolder::refreshButtonClick() {
    std::optional<std::runtime_error> failure;
    {
        LoadingState loading(*m_ui);
        QTreeWidget& tree = *m_ui->TreeView;
        tree.setSortingEnabled(false);
        {
            const QSignalBlocker quiet(tree);
            tree.clear();
        }
        try {
            m_session.EnumerateFolders(*this, [this](const std::string& name, mailstore::FolderNode parent,
                                                     std::unique_ptr<mailstore::TMapiUserFolder> folder) {
                return AddFolderNode(name, parent, std::move(folder));
            });
        } catch (const std::exception& error) {
            failure.emplace(error.what());
        }
        tree.sortItems(0, Qt::AscendingOrder);
        if (QTreeWidgetItem* first = tree.topLevelItem(0)) {
            if (QTreeWidgetItem* child = first->child(0))
                child->setExpanded(true);
            tree.setCurrentItem(first);
            tree.setFocus();
        }
    }
    setWindowTitle(toQt(i18n::LoadText(3020, "Choose an email folder")));
    if (failure && m_showError)
        m_showError(*failure);
}

void TchooseFolder::TreeViewChange(QTreeWidgetItem* node) {
    const auto* item = static_cast<FolderItem*>(node);
    if (!item || !item->folder())
        return;
    mailstore::copyFolderIdentity(*m_selectedFolder, *item->folder());
    std::string path = fromQt(item->text(0));
    for (const QTreeWidgetItem* up = item->parent(); up; up = up->parent())
        path = fromQt(up->text(0)) + "\\" + path;
    m_path = path;
}

mailstore::FolderNode TchooseFolder::addTopLevelNode(const std::string& text,
                                                     std::unique_ptr<mailstore::TMapiUserFolder> folder) {
    auto* item = new FolderItem(std::move(folder), m_locale);
    item->setText(0, toQt(text));
    item->setIcon(0, style()->standardIcon(QStyle::SP_DriveHDIcon));
    m_ui->TreeView->addTopLevelItem(item);
    return nodeOf(item);
}

void TchooseFolder::setImageIndex(mailstore::FolderNode node, int index) {
    itemOf(node)->setIcon(
        0, style()->standardIcon(index == StoreImage ? QStyle::SP_DriveHDIcon : QStyle::SP_DirIcon));
}

void TchooseFolder::setText(mailstore::FolderNode node, const std::string& text) {
    itemOf(node)->setText(0, toQt(text));
}

void TchooseFolder::expand(mailstore::FolderNode node) {
    itemOf(node)->setExpanded(true);
}

std::optional<mailstore::FolderNode>
TchooseFolder::AddFolderNode(const std::string& name, mailstore::FolderNode parent,
                             std::unique_ptr<mailstore::TMapiUserFolder> folder) {
    auto* item = new FolderItem(std::move(folder), m_locale);
    item->setText(0, toQt(name));
    setImageIndex(nodeOf(item), FolderImage);
    itemOf(parent)->addChild(item);
    return nodeOf(item);
}

} // namespace desktop
