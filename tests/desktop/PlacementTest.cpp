// Windows reopen where they were left, and the language chooser: its list, its preselection and
// the choice stored for the next start.

#include "DesktopFixture.h"
#include "DesktopTests.h"
#include "LanguageFixture.h"
#include "desktop/TTLangForm.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>

namespace desktoptest {
namespace {

constexpr const char* kMainKey = "Software\\Quenby Software\\Larkspire\\main";

std::uint32_t stored(platform::Hive& hive, const char* key, const char* name) {
    const auto opened = hive.openKey(key);
    return opened ? opened->readDword(name, 0xffffffff) : 0xffffffff;
}

QStringList entries(const desktop::TTLangForm& chooser) {
    QStringList texts;
    const auto* list = chooser.findChild<QListWidget*>("languages");
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

class PlacementTest : public QObject {
    Q_OBJECT
private slots:
    void theMainWindowReopensWhereItWasLeft() {
        DesktopFixture f;
        f.start();
        f.form->move(100, 50);
        f.form->resize(700, 520);
        f.form.reset();
        QCOMPARE(stored(f.hive, kMainKey, "WindowState"), 1u);
        QCOMPARE(stored(f.hive, kMainKey, "Left"), 100u);
        QCOMPARE(stored(f.hive, kMainKey, "Width"), 700u);
        f.start();
        QCOMPARE(f.form->pos(), QPoint(100, 50));
        QCOMPARE(f.form->size(), QSize(700, 520));

        // Maximised, it reopens maximised; the rectangle of the last normal close is not read.
        f.form->showMaximized();
        f.form.reset();
        QCOMPARE(stored(f.hive, kMainKey, "WindowState"), 0u);
        f.start();
        QVERIFY(f.form->windowState() & Qt::WindowMaximized);
    }

    void aRectangleOffTheScreenIsIgnored() {
        DesktopFixture f;
        auto key = f.hive.createKey(kMainKey);
        key.writeDword("WindowState", 1);
        key.writeDword("Left", 1800);
        key.writeDword("Top", 10);
        key.writeDword("Width", 700);
        key.writeDword("Height", 520);
        f.start();
        QVERIFY(f.form->pos() != QPoint(1800, 10));
        QVERIFY(f.form->size() != QSize(700, 520));
    }

    void theLanguageChooserKeepsItsSizeButNotItsPosition() {
        DesktopFixture f;
        const auto ignore = [](const std::exception&) {};
        {
            desktop::TTLangForm chooser(&f.hive, ignore);
            chooser.move(300, 200);
            chooser.resize(400, 300);
        }
        desktop::TTLangForm chooser(&f.hive, ignore);
        QCOMPARE(chooser.size(), QSize(400, 300));
        QVERIFY(chooser.pos() != QPoint(300, 200));
    }

    void theListAndItsPreselection() {
        DesktopFixture f;
        std::filesystem::create_directories(f.folder / "Languages");
        for (const char* file : {"deutsch.ini", "ENGLISH2.ini", "English.ini"})
            std::ofstream(f.folder / "Languages" / file) << "";
        desktop::TTLangForm chooser(nullptr, [](const std::exception&) {});
        chooser.ListLanguages((f.folder / "").string());
        QCOMPARE(entries(chooser), QStringList({"Deutsch", "English", "ENGLISH2"}));
        const std::vector<std::pair<std::string, std::string>> cases = {
            {"english", "English"}, {"Klingon", "English"}, {"DEUTSCH", "Deutsch"}};
        for (const auto& [current, selected] : cases) {
            chooser.SelectLanguage(current);
            QCOMPARE(chooser.SelectedLanguage().value_or("none"), selected);
        }
        std::filesystem::remove(f.folder / "Languages" / "English.ini");
        chooser.ListLanguages((f.folder / "").string());
        chooser.SelectLanguage("Klingon");
        QCOMPARE(chooser.SelectedLanguage().value_or("none"), "Deutsch");
    }

    void aChosenLanguageIsStoredForTheNextStart() {
        DesktopFixture f;
        TestLanguage first(f.hive, "");
        TestLanguage second(f.hive, "[global]\r\n4440=Beenden Sie %s, damit die neue Sprache gilt\r\n");
        auto key = f.hive.createKey("SOFTWARE\\Tamberlock\\Larkspire");
        key.writeString("language", first.name());
        f.start();
        QTimer::singleShot(0, [&] {
            auto* chooser = qobject_cast<desktop::TTLangForm*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            QCOMPARE(chooser->SelectedLanguage().value_or("none"), first.name());
            auto* list = chooser->findChild<QListWidget*>("languages");
            list->setCurrentItem(
                list->findItems(QString::fromStdString(second.name()), Qt::MatchExactly).at(0));
            chooser->findChild<QPushButton*>("OKBtn")->click();
        });
        f.find<QAction>("Changelanguage1")->trigger();
        QCOMPARE(f.dialogs.infos, std::vector<std::string>(
                                      {"You must exit Larkspire before the new language will take effect"}));
        QCOMPARE(f.form->window().language(), second.name());
        f.form.reset();
        QCOMPARE(key.readString("language", ""), second.name());
    }
};

} // namespace

std::unique_ptr<QObject> makePlacementTest() {
    return std::make_unique<PlacementTest>();
}

} // namespace desktoptest

#include "PlacementTest.moc"
