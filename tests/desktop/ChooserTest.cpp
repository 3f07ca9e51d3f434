// The folder chooser over a real Maildir profile: order, first selection, path text, Cancel,
// Refresh, and the main window's browse action.

#include "DesktopFixture.h"
#include "DesktopTests.h"
#include "support/MaildirBuilder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace desktoptest {
namespace {

QStringList topLevelTexts(QTreeWidget* tree) {
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

QTreeWidgetItem* child(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    return nullptr;
}

// Answers the chooser shown modally next: selects `select` (if any), then presses `button`.
void answerChooser(desktop::TchooseFolder* chooser, std::function<void(QTreeWidget*)> select,
                   const char* button) {
    QTimer::singleShot(0, chooser, [=] {
        QTRY_VERIFY(chooser->isVisible() && chooser->loaded());
        if (select)
            select(chooser->findChild<QTreeWidget*>(QStringLiteral("TreeView")));
        QTest::mouseClick(chooser->findChild<QAbstractButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    });
}

class ChooserTest : public QObject {
    Q_OBJECT
private slots:
    void firstShowingLoadsSortedTree() {
        DesktopFixture f;
        auto& form = f.start();
        desktop::TchooseFolder* chooser = form.chooser();
        QVERIFY(chooser && !chooser->isVisible() && !chooser->loaded());
        QCOMPARE(chooser->windowTitle(), QStringLiteral("Please wait...loading folder information"));
        chooser->show();
        QVERIFY(chooser->loaded());
        QCOMPARE(chooser->windowTitle(), QStringLiteral("Choose an email folder"));
        auto* tree = chooser->findChild<QTreeWidget*>(QStringLiteral("TreeView"));
        QCOMPARE(topLevelTexts(tree), (QStringList{"Archive", "Personal Folders"}));
        QTreeWidgetItem* archive = tree->topLevelItem(0);
        QCOMPARE(tree->currentItem(), archive);
        QVERIFY(archive->child(0)->isExpanded());
        QCOMPARE(chooser->path(), std::string("Archive"));
        QTreeWidgetItem* personal = tree->topLevelItem(1);
        QCOMPARE(personal->child(0)->text(0), QStringLiteral("Projects"));
        QCOMPARE(personal->child(1)->text(0), QStringLiteral("Receipts"));
        tree->setCurrentItem(child(child(personal, "Projects"), "Inbox"));
        QCOMPARE(chooser->path(), std::string("Personal Folders\\Projects\\Inbox"));
        chooser->reject();
    }

    void brokenStoreIsAnErrorNodeThatCannotBeChosen() {
        DesktopFixture f;
        mapi::StoreLocation broken;
        broken.displayName = "Broken";
        broken.url = "maildir:" + (f.folder / "missing").string();
        f.extraStores = {broken};
        auto& form = f.start();
        desktop::TchooseFolder* chooser = form.chooser();
        chooser->show();
        auto* tree = chooser->findChild<QTreeWidget*>(QStringLiteral("TreeView"));
        QCOMPARE(tree->topLevelItemCount(), 3);
        QTreeWidgetItem* error = nullptr;
        for (int i = 0; i < 3; ++i)
            if (!QStringList{"Archive", "Personal Folders"}.contains(tree->topLevelItem(i)->text(0)))
                error = tree->topLevelItem(i);
        QVERIFY(error);
        QCOMPARE(error->childCount(), 0);
        tree->setCurrentItem(error);
        QCOMPARE(chooser->path(), std::string("Archive"));
        // The session logging off leaves the chosen identity usable.
        tree->setCurrentItem(child(tree->topLevelItem(1), "Receipts"));
        form.window().session().Logoff();
        chooser->accept();
        form.window().folderChosen(false, chooser->path(), chooser->selectedFolder());
        QCOMPARE(form.window().destinationFolder().store()->displayName(), std::string("Personal Folders"));
        QVERIFY(form.window().destinationFolder().entryId() == chooser->selectedFolder().entryId());
    }

    void browseCancelAndRefresh() {
        DesktopFixture f;
        auto& form = f.start();
        auto* chooser = form.chooser();
        form.setEmailsTo(1);
        form.window().emailsToClick();
        form.window().setModified(false);
        // OK at once yields the first store.
        answerChooser(chooser, {}, "BitBtn1");
        QTest::mouseClick(f.find<QAbstractButton>("browseToFolder"), Qt::LeftButton);
        QCOMPARE(form.messageDestination(), std::string("Archive"));
        QVERIFY(form.window().modified());
        const auto archiveId = form.window().destinationFolder().entryId();
        // Cancel after selecting changes nothing, yet the selection stays for the next showing.
        answerChooser(
            chooser,
            [](QTreeWidget* tree) { tree->setCurrentItem(child(tree->topLevelItem(1), "Receipts")); },
            "BitBtn2");
        QTest::mouseClick(f.find<QAbstractButton>("browseToFolder"), Qt::LeftButton);
        QCOMPARE(form.messageDestination(), std::string("Archive"));
        QVERIFY(form.window().destinationFolder().entryId() == archiveId);
        answerChooser(chooser, {}, "BitBtn1");
        QTest::mouseClick(f.find<QLineEdit>("messageDestination"), Qt::LeftButton);
        QCOMPARE(form.messageDestination(), std::string("Personal Folders\\Receipts"));
        // Refresh shows folders made since and selects the first store again.
        testsupport::MaildirBuilder(f.mailRoot).addFolder(".Alpha");
        answerChooser(
            chooser,
            [chooser](QTreeWidget* tree) {
                QTest::mouseClick(chooser->findChild<QAbstractButton*>(QStringLiteral("refreshButton")),
                                  Qt::LeftButton);
                QCOMPARE(tree->topLevelItem(1)->child(0)->text(0), QStringLiteral("Alpha"));
                QCOMPARE(tree->currentItem(), tree->topLevelItem(0));
            },
            "BitBtn1");
        QTest::mouseClick(f.find<QAbstractButton>("browseToFolder"), Qt::LeftButton);
        QCOMPARE(form.messageDestination(), std::string("Archive"));
    }
};

} // namespace

std::unique_ptr<QObject> makeChooserTest() {
    return std::make_unique<ChooserTest>();
}

} // namespace desktoptest

#include "ChooserTest.moc"
