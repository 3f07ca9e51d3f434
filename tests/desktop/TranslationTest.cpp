// Every window in the user's language: each designed component found by name, the shipped German
// file shown at start-up, the Qt side of the translation rules, and a bad escape reported after
// the window is set up.

#include "DesktopFixture.h"
#include "DesktopTests.h"
#include "LanguageFixture.h"
#include "desktop/TTLangForm.h"
#include "desktop/TTstatusForm.h"
#include "desktop/WindowTranslation.h"
#include "i18n/FormDesigns.h"

#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

namespace desktoptest {
namespace {

QString tabText(QWidget* page) {
    auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget()->parentWidget());
    return tabs->tabText(tabs->indexOf(page));
}

QStringList radioTexts(QWidget* group) {
    QStringList texts;
    for (QRadioButton* button : group->findChildren<QRadioButton*>())
        texts << button->text();
    return texts;
}

QStringList comboItems(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// The designed names of `section` that `window` lacks; the window itself is the table's first entry.
QStringList missingComponents(QWidget& window, std::string_view section) {
    QStringList missing;
    for (const i18n::FormDesign& design : i18n::formDesigns()) {
        if (design.section != section)
            continue;
        for (std::size_t i = 1; i < design.components.size(); ++i) {
            const QString name = QString::fromUtf8(design.components[i].name.data(),
                                                   static_cast<qsizetype>(design.components[i].name.size()));
            if (!window.findChild<QObject*>(name))
                missing << name;
        }
    }
    return missing;
}

class TranslationTest : public QObject {
    Q_OBJECT
private slots:
    void everyDesignedComponentIsFoundByName() {
        DesktopFixture f;
        auto& form = f.start();
        QCOMPARE(missingComponents(form, "TForm1"), QStringList());
        QCOMPARE(missingComponents(*form.chooser(), "TchooseFolder"), QStringList());
        desktop::TTstatusForm status;
        QCOMPARE(missingComponents(status, "TTstatusForm"), QStringList());
        desktop::TTLangForm languages(nullptr, [](const std::exception&) {});
        QCOMPARE(missingComponents(languages, "TTLangForm"), QStringList());
    }

    void aStartInGermanShowsTheWindowsInGerman() {
        DesktopFixture f;
        TestLanguage german(f.hive, TestLanguage::deutsch());
        auto& form = f.start();
        QCOMPARE(tabText(f.find<QWidget>("loginPage")), QStringLiteral("&1 Anmeldung"));
        QCOMPARE(tabText(f.find<QWidget>("goPage")), QStringLiteral("&4 Los!"));
        QCOMPARE(f.find<QAction>("openButton")->text(), QStringLiteral("Öffnen"));
        QCOMPARE(f.find<QAction>("openButton")->toolTip(), QStringLiteral("Eine Einstellungsdatei öffnen"));
        QCOMPARE(f.find<QMenu>("File1")->title(), QStringLiteral("&Datei"));
        QCOMPARE(radioTexts(f.find<QWidget>("Profile")),
                 QStringList({"Standard", "Nachfragen", "Benutzername:"}));
        QCOMPARE(f.find<QComboBox>("sortOrder")->itemText(0), QStringLiteral("Nicht sortieren"));
        QCOMPARE(f.find<QGroupBox>("sortingGroup")->title(), QStringLiteral(" Sortierung "));
        QCOMPARE(f.find<QLabel>("passwordLabel")->text(), QStringLiteral("Kennwort:"));
        QCOMPARE(f.find<QLineEdit>("profileName")->statusTip(),
                 QStringLiteral("Der Name des Profils, mit dem die Anmeldung erfolgt"));
        QCOMPARE(desktop::fileDialogTitle(&form, "OpenDialog1", {}),
                 QStringLiteral("Larkspire-Einstellungen laden"));
        QCOMPARE(desktop::fileDialogTitle(&form, "Directory", {}), QStringLiteral("Ordner auswählen"));
        QCOMPARE(form.chooser()->findChild<QPushButton*>("BitBtn2")->text(), QStringLiteral("Abbrechen"));
        desktop::TTstatusForm status;
        QCOMPARE(status.windowTitle(), QStringLiteral("E-Mails werden verarbeitet..."));
        QCOMPARE(status.findChild<QTableWidget*>("Exceptions")->horizontalHeaderItem(0)->text(),
                 QStringLiteral("E-Mails, die von Hand bearbeitet werden müssen"));
        desktop::TTLangForm languages(nullptr, [](const std::exception&) {});
        QCOMPARE(languages.windowTitle(), QStringLiteral("Optionen"));
        QVERIFY(f.boxTexts().empty());

        // The dialog font for the window; the fixed-pitch format and sample keep theirs.
        const QFont dialogFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        QCOMPARE(form.font().family(), dialogFont.family());
        QCOMPARE(f.find<QLabel>("sampleName")->font().family(), fixed.family());
        QCOMPARE(f.find<QComboBox>("FileNameFormat")->font().family(), fixed.family());
    }

    void theRulesOnTheWidgets() {
        DesktopFixture f;
        TestLanguage language(f.hive, "[TForm1]\r\n"
                                      "testLogin.Caption=Probe\r\n"
                                      "testLogin.Hint=Die Anmeldung probieren\r\n"
                                      "goPicture.Caption=never: the picture has no caption\r\n"
                                      "descending.Caption=\r\n"
                                      "emailsFrom.items=Eingang\\nOrdner:\r\n"
                                      "sortOrder.items=Keine\\nDatum\\nBetreff\r\n");
        f.start();
        QCOMPARE(f.find<QPushButton>("testLogin")->text(), QStringLiteral("Probe"));
        QCOMPARE(f.find<QPushButton>("testLogin")->toolTip(), QStringLiteral("Die Anmeldung probieren"));
        QVERIFY(f.find<QLabel>("goPicture")->text().isEmpty());
        QCOMPARE(f.find<QWidget>("descending")->property("text").toString(),
                 QStringLiteral("&Descending order"));
        QCOMPARE(radioTexts(f.find<QWidget>("emailsFrom")), QStringList({"Eingang", "Ordner:"}));
        const QStringList sortItems = {"Keine", "Datum", "Betreff", "Subject (ignoring Re: and Fw:)",
                                       "From address"};
        QCOMPARE(comboItems(f.find<QComboBox>("sortOrder")), sortItems);
        QVERIFY(
            language.read().find("sortOrder.items=Keine\\r\\nDatum\\r\\nBetreff\\r\\nSubject (ignoring Re: "
                                 "and Fw:)\\r\\nFrom address\\r\\n") != std::string::npos);

        // A grid heading missing from the file is written back with its design text.
        desktop::TTstatusForm status;
        QVERIFY(language.read().find("[TTstatusForm]\r\nExceptions.col_1.row_0=Emails requiring manual "
                                     "intervention\r\n") != std::string::npos);
    }

    void aBadEscapeIsShownOnceTheWindowIsSetUp() {
        DesktopFixture f;
        TestLanguage language(f.hive, "[TForm1]\r\n"
                                      "nextButton.Caption=&Weiter\r\n"
                                      "testLogin.Caption=Probe\\18x\r\n");
        f.dialogs.answers.push_back(platform::DialogButton::OK);
        f.start();
        QCOMPARE(f.find<QPushButton>("nextButton")->text(), QStringLiteral("&Next >"));
        QCOMPARE(f.find<QPushButton>("testLogin")->text(), QStringLiteral("Test Login"));
        QTRY_COMPARE(f.boxTexts().size(), std::size_t(1));
        QVERIFY(f.boxTexts().front().starts_with("\\OOO You must specify all 3 octal digits"));
        QVERIFY(f.boxTexts().front().ends_with("\r\n\r\nProbe\\18x"));
    }
};

} // namespace

std::unique_ptr<QObject> makeTranslationTest() {
    return std::make_unique<TranslationTest>();
}

} // namespace desktoptest

#include "TranslationTest.moc"
