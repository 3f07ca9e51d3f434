#pragma once
// The mail folder chooser: the stores of the profile and their folders as a tree, loaded at the
// first showing and again on Refresh. It hands back a folder identity and the path text; the
// dialog lives as long as the program, so the choice stays across showings and across Cancel.
// Each node owns the folder object the enumeration made for it; those hold their stores, so they
// stay valid after the session logs off.

#include "mailstore/FolderTree.h"
#include "mailstore/TMapiSession.h"
#include "mailstore/TMapiUserFolder.h"
#include "platform/Locale.h"

#include <QDialog>

#include <exception>
#include <functional>
#include <memory>

class QTreeWidgetItem;

namespace Ui {
class TchooseFolder;
}

namespace desktop {

class TchooseFolder : public QDialog, private mailstore::IFolderTree {
    Q_OBJECT
public:
    // `session` is the main window's; `showError` is the application's error box.
    TchooseFolder(mailstore::TMapiSession& session, std::function<void(const std::exception&)> showError,
                  const platform::Locale& locale = platform::systemLocale(), QWidget* parent = nullptr);
    ~TchooseFolder() override;

    // The language file's malformed escape met while the window was translated, for its owner to show.
    std::exception_ptr translationError() const { return m_translationError; }

    const std::string& path() const { return m_path; }
    const mailstore::TMapiUserFolder& selectedFolder() const { return *m_selectedFolder; }
    bool loaded() const { return m_loaded; }

public slots:
    void refreshButtonClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void TreeViewChange(QTreeWidgetItem* node);
    mailstore::FolderNode addTopLevelNode(const std::string& text,
                                          std::unique_ptr<mailstore::TMapiUserFolder> folder) override;
    void setImageIndex(mailstore::FolderNode node, int index) override;
    void setText(mailstore::FolderNode node, const std::string& text) override;
    void expand(mailstore::FolderNode node) override;
    std::optional<mailstore::FolderNode> AddFolderNode(const std::string& name, mailstore::FolderNode parent,
                                                       std::unique_ptr<mailstore::TMapiUserFolder> folder);

    std::unique_ptr<Ui::TchooseFolder> m_ui;
    std::exception_ptr m_translationError;
    mailstore::TMapiSession& m_session;
    std::function<void(const std::exception&)> m_showError;
    const platform::Locale& m_locale;
    std::unique_ptr<mailstore::TMapiUserFolder> m_selectedFolder;
    std::string m_path;
    bool m_loaded = false;
};

} // namespace desktop
