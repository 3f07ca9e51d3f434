#include "i18n/TranslateForm.h"

#include "FakeComponent.h"
#include "i18n/Escapes.h"
#include "i18n/TStringLoader.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using i18n::ComponentKind;
using i18n::TextProperty;
using i18ntest::FakeComponent;
using testsupport::TemporaryFolder;

using Items = std::vector<std::string>;

// A small status-window-like dialog: a label, a panel owning a button, a radio group, a menu
// item, an action owning a button, a file dialog, a tool button and a grid.
struct Dialog {
    FakeComponent form{ComponentKind::Other, "TstatusForm"};

    Dialog() {
        form.with(TextProperty::Caption, "Processing emails...");
        form.own(ComponentKind::Label, "Label1")
            .with(TextProperty::Caption, "Email:")
            .with(TextProperty::Hint, "label hint");
        form.own(ComponentKind::Other, "Panel1")
            .own(ComponentKind::Other, "cancelButton")
            .with(TextProperty::Caption, "&Cancel")
            .with(TextProperty::Hint, "");
        form.own(ComponentKind::RadioGroup, "Profile")
            .with(TextProperty::Caption, " Login Profile ")
            .withItems({"Default", "Prompt", "Username:"});
        form.own(ComponentKind::MenuItem, "Exit1")
            .with(TextProperty::Caption, "E&xit")
            .with(TextProperty::Hint, "Close this program");
        form.own(ComponentKind::Action, "FileOpen1")
            .with(TextProperty::Caption, "Open")
            .own(ComponentKind::Other, "hidden")
            .with(TextProperty::Caption, "Hidden");
        form.own(ComponentKind::Other, "OpenDialog1")
            .with(TextProperty::Title, "Load Larkspire settings")
            .with(TextProperty::Filter, "Larkspire Files (*.lks)|*.lks");
        form.own(ComponentKind::ToolButton, "openToolButton")
            .with(TextProperty::Caption, "")
            .with(TextProperty::Hint, "Open a settings file");
        form.own(ComponentKind::Grid, "Exceptions").withCells({{"Emails requiring manual intervention"}});
    }
    FakeComponent& operator[](const std::string& name) { return form.child(name); }
};

class TranslateFormTest : public testing::Test {
protected:
    fs::path install(std::string_view content) {
        const fs::path path = m_folder.writeFile("Languages/Test.ini", content);
        i18n::SetLoader(std::make_unique<i18n::TStringLoader>(path));
        return path;
    }
    void TearDown() override { i18n::SetLoader(nullptr); }

    TemporaryFolder m_folder;
};

TEST_F(TranslateFormTest, ReplacesEveryKindOfTextByComponentName) {
    const fs::path path = install("[TTstatusForm]\r\n"
                                  "TstatusForm.Caption=E-Mails werden verarbeitet...\r\n"
                                  "Label1.Caption=E-Mail:\r\n"
                                  "Label1.Hint=never shown\r\n"
                                  "cancelButton.Caption=&Abbrechen\r\n"
                                  "cancelButton.Hint=Verarbeitung anhalten\r\n"
                                  "Profile.Caption= Anmeldeprofil \r\n"
                                  "Profile.items=Standard\\r\\nNachfragen\\r\\nBenutzername:\r\n"
                                  "Exit1.Caption=&Beenden\r\n"
                                  "Exit1.Hint=Dieses Programm schlie\\303\\237en\r\n"
                                  "FileOpen1.Caption=Aktion\r\n"
                                  "hidden.Caption=Versteckt\r\n"
                                  "OpenDialog1.Title=Einstellungen laden\r\n"
                                  "OpenDialog1.Filter=Larkspire-Dateien (*.lks)|*.lks\r\n"
                                  "openToolButton.Caption=never, the design caption is empty\r\n"
                                  "openToolButton.Hint=Eine Einstellungsdatei \\303\\266ffnen\r\n"
                                  "Exceptions.col_1.row_0=Manuell zu bearbeitende E-Mails\r\n");
    const std::string before = TemporaryFolder::readFile(path);
    Dialog dialog;
    i18n::TranslateForm(dialog.form, "TTstatusForm");

    EXPECT_EQ(dialog.form.fontChanges(), 1);
    EXPECT_EQ(dialog.form.get(TextProperty::Caption), "E-Mails werden verarbeitet...");
    EXPECT_EQ(dialog["Label1"].get(TextProperty::Caption), "E-Mail:");
    EXPECT_EQ(dialog["Label1"].get(TextProperty::Hint), "label hint");
    EXPECT_EQ(dialog["Panel1"].child("cancelButton").get(TextProperty::Caption), "&Abbrechen");
    EXPECT_EQ(dialog["Panel1"].child("cancelButton").get(TextProperty::Hint), "Verarbeitung anhalten");
    EXPECT_EQ(dialog["Profile"].get(TextProperty::Caption), " Anmeldeprofil ");
    EXPECT_EQ(dialog["Profile"].items(), (Items{"Standard", "Nachfragen", "Benutzername:"}));
    EXPECT_EQ(dialog["Exit1"].get(TextProperty::Caption), "&Beenden");
    EXPECT_EQ(dialog["Exit1"].get(TextProperty::Hint), "Dieses Programm schließen");
    EXPECT_EQ(dialog["FileOpen1"].get(TextProperty::Caption), "Open");
    EXPECT_EQ(dialog["FileOpen1"].child("hidden").get(TextProperty::Caption), "Hidden");
    EXPECT_EQ(dialog["OpenDialog1"].get(TextProperty::Title), "Einstellungen laden");
    EXPECT_EQ(dialog["OpenDialog1"].get(TextProperty::Filter), "Larkspire-Dateien (*.lks)|*.lks");
    EXPECT_EQ(dialog["openToolButton"].get(TextProperty::Caption), "");
    EXPECT_EQ(dialog["openToolButton"].get(TextProperty::Hint), "Eine Einstellungsdatei öffnen");
    EXPECT_EQ(dialog["Exceptions"].cell(1, 0), "Manuell zu bearbeitende E-Mails");
    // Every key was present, so nothing was written back.
    EXPECT_EQ(TemporaryFolder::readFile(path), before);
}

TEST_F(TranslateFormTest, EmptyDesignTextsTakeOnlyHintsAndEmptyOrEqualValuesChangeNothing) {
    install("[TForm1]\r\n"
            "a.Caption=Titel\r\na.Hint=Tipp\r\n"
            "b.Caption=\r\nb.Hint=Same\r\n"
            "c.Hint=Tipp ohne Eigenschaft\r\n"
            "d.Caption=same\r\n");
    FakeComponent form(ComponentKind::Other, "Form1");
    form.own(ComponentKind::Other, "a").with(TextProperty::Caption, "").with(TextProperty::Hint, "");
    form.own(ComponentKind::Other, "b")
        .with(TextProperty::Caption, "Design")
        .with(TextProperty::Hint, "Same");
    form.own(ComponentKind::Other, "c").with(TextProperty::Caption, "C");
    form.own(ComponentKind::Other, "d").with(TextProperty::Caption, "Same");
    i18n::TranslateForm(form, "TForm1");

    EXPECT_EQ(form.child("a").get(TextProperty::Caption), "");
    EXPECT_EQ(form.child("a").get(TextProperty::Hint), "Tipp");
    EXPECT_EQ(form.child("b").get(TextProperty::Caption), "Design");
    EXPECT_EQ(form.child("b").get(TextProperty::Hint), "Same");
    EXPECT_EQ(form.child("c").get(TextProperty::Hint), "<none>");
    // The comparison is case-sensitive: a change of case is a translation.
    EXPECT_EQ(form.child("d").get(TextProperty::Caption), "same");
}

// The items are login choices by position: a translation never changes their number.
TEST_F(TranslateFormTest, RadioGroupItemsTakeTheValuesLinesButKeepTheirNumber) {
    struct Case {
        const char* value;
        Items items;
    };
    const Case cases[] = {
        {"A\\r\\nB\\r\\nC", {"A", "B", "C"}},
        {"A\\nB\\rC\\r\\n", {"A", "B", "C"}},
        {"A\\r\\rC", {"A", "", "C"}},
        {"A\\nB", {"A", "B", "Three"}},
        {"", {"One", "Two", "Three"}},
        {"A\\nB\\nC\\nD", {"A", "B", "C"}},
        {"One\\r\\nTwo\\r\\nThree\\r\\n", {"One", "Two", "Three"}},
    };
    for (const Case& c : cases) {
        const fs::path path = install(std::string("[TForm1]\r\nProfile.items=") + c.value + "\r\n");
        const std::string before = TemporaryFolder::readFile(path);
        FakeComponent form(ComponentKind::Other, "Form1");
        form.own(ComponentKind::RadioGroup, "Profile").withItems({"One", "Two", "Three"});
        i18n::TranslateForm(form, "TForm1");
        EXPECT_EQ(form.child("Profile").items(), c.items) << c.value;
        EXPECT_EQ(TemporaryFolder::readFile(path), before) << c.value;
    }
}

TEST_F(TranslateFormTest, ShortSortOrderTranslationIsCompletedAndWrittenBack) {
    const fs::path path =
        install("; comment\r\n[TForm1]\r\nsortOrder.items=Nicht\\r\\nDatum\\r\\nBetreff\r\n");
    FakeComponent sortOrder(ComponentKind::DropDownList, "sortOrder");
    sortOrder.withItems(
        {"Do not sort", "Date received", "Subject line", "Subject (ignoring Re: and Fw:)", "From address"});
    i18n::TranslateComboItems(sortOrder, "TForm1");

    EXPECT_EQ(sortOrder.items(),
              (Items{"Nicht", "Datum", "Betreff", "Subject (ignoring Re: and Fw:)", "From address"}));
    EXPECT_EQ(TemporaryFolder::readFile(path),
              "[TForm1]\r\nsortOrder.items=Nicht\\r\\nDatum\\r\\nBetreff\\r\\n"
              "Subject (ignoring Re: and Fw:)\\r\\nFrom address\\r\\n\r\n\r\n");
}

TEST_F(TranslateFormTest, LongSortOrderTranslationIsCutToTheDesignsItems) {
    install("[TForm1]\r\nsortOrder.items=A\\nB\\nC\\nD\\nE\\nF\r\n");
    FakeComponent sortOrder(ComponentKind::DropDownList, "sortOrder");
    sortOrder.withItems({"1", "2", "3", "4", "5"});
    i18n::TranslateComboItems(sortOrder, "TForm1");
    EXPECT_EQ(sortOrder.items(), (Items{"A", "B", "C", "D", "E"}));
}

TEST_F(TranslateFormTest, DropDownListsItemsAreLeftToTranslateComboItems) {
    const fs::path path = install("[TForm1]\r\nsortOrder.items=A\\r\\nB\\r\\nC\r\n");
    FakeComponent form(ComponentKind::Other, "Form1");
    form.own(ComponentKind::DropDownList, "sortOrder").withItems({"1", "2", "3"});
    i18n::TranslateForm(form, "TForm1");
    EXPECT_EQ(form.child("sortOrder").items(), (Items{"1", "2", "3"}));
    i18n::TranslateComboItems(form.child("sortOrder"), "TForm1");
    EXPECT_EQ(form.child("sortOrder").items(), (Items{"A", "B", "C"}));
    // A complete translation is not written back.
    EXPECT_EQ(TemporaryFolder::readFile(path), "[TForm1]\r\nsortOrder.items=A\\r\\nB\\r\\nC\r\n");
}

TEST_F(TranslateFormTest, MissingGridHeadingIsWrittenBackWithItsDesignText) {
    const fs::path path = install("[TTstatusForm]\r\nExceptions.col_2.row_0=Zweite\r\n");
    FakeComponent form(ComponentKind::Other, "TstatusForm");
    form.own(ComponentKind::Grid, "Exceptions").withCells({{"Emails\trequiring", "cell"}, {"Second", ""}});
    i18n::TranslateForm(form, "TTstatusForm");

    FakeComponent& grid = form.child("Exceptions");
    EXPECT_EQ(grid.cell(1, 0), "Emails\trequiring");
    EXPECT_EQ(grid.cell(2, 0), "Zweite");
    EXPECT_EQ(TemporaryFolder::readFile(path), "[TTstatusForm]\r\nExceptions.col_2.row_0=Zweite\r\n"
                                               "Exceptions.col_1.row_0=Emails\\trequiring\r\n"
                                               "Exceptions.col_1.row_1=cell\r\n"
                                               "Exceptions.col_2.row_1=\r\n\r\n");
}

TEST_F(TranslateFormTest, FailedWriteBackTurnsTheRestAndLaterDialogsEnglish) {
    install("[TTstatusForm]\r\n"
            "TstatusForm.Caption=Vorher\r\n"
            "cancelButton.Caption=&Abbrechen\r\n");
    // The language folder becomes a file: the write-back of the missing heading fails.
    fs::remove_all(m_folder / "Languages");
    m_folder.writeFile("Languages", "not a folder");

    Dialog dialog;
    i18n::TranslateForm(dialog.form, "TTstatusForm");
    EXPECT_TRUE(i18n::GetLoader().disabled());
    EXPECT_EQ(dialog.form.get(TextProperty::Caption), "Vorher");
    EXPECT_EQ(dialog["Panel1"].child("cancelButton").get(TextProperty::Caption), "&Abbrechen");

    Dialog later;
    i18n::TranslateForm(later.form, "TTstatusForm");
    EXPECT_EQ(later.form.get(TextProperty::Caption), "Processing emails...");
    EXPECT_EQ(later.form.fontChanges(), 1);
}

TEST_F(TranslateFormTest, ComponentsAfterAFailedWriteBackKeepTheirDesignTexts) {
    install("[TForm1]\r\nafter.Caption=Danach\r\n");
    fs::remove_all(m_folder / "Languages");
    m_folder.writeFile("Languages", "not a folder");
    FakeComponent form(ComponentKind::Other, "Form1");
    form.own(ComponentKind::Grid, "Exceptions").withCells({{"Heading"}});
    form.own(ComponentKind::Other, "after").with(TextProperty::Caption, "After");
    i18n::TranslateForm(form, "TForm1");
    EXPECT_EQ(form.child("after").get(TextProperty::Caption), "After");
}

TEST_F(TranslateFormTest, MalformedEscapeChangesNothingAndIsReported) {
    const fs::path path = install("[TTstatusForm]\r\n"
                                  "TstatusForm.Caption=Vorher\r\n"
                                  "cancelButton.Caption=Ab\\18x\r\n");
    const std::string before = TemporaryFolder::readFile(path);
    Dialog dialog;
    try {
        i18n::TranslateForm(dialog.form, "TTstatusForm");
        FAIL() << "no error";
    } catch (const i18n::EscapeError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "\\OOO You must specify all 3 octal digits (Leading zeros are required)\r\n\r\nAb\\18x");
        EXPECT_EQ(error.helpContext(), 530);
    }
    EXPECT_EQ(dialog.form.fontChanges(), 1);
    EXPECT_EQ(dialog.form.get(TextProperty::Caption), "Processing emails...");
    EXPECT_EQ(dialog["Exceptions"].cell(1, 0), "Emails requiring manual intervention");
    // Not even the missing grid heading reached the file.
    EXPECT_EQ(TemporaryFolder::readFile(path), before);
    EXPECT_FALSE(i18n::GetLoader().disabled());
}

TEST_F(TranslateFormTest, DisabledLoaderOnlyAppliesTheFont) {
    i18n::SetLoader(std::make_unique<i18n::TStringLoader>());
    Dialog dialog;
    i18n::TranslateForm(dialog.form, "TTstatusForm");
    EXPECT_EQ(dialog.form.fontChanges(), 1);
    EXPECT_EQ(dialog.form.get(TextProperty::Caption), "Processing emails...");
    EXPECT_EQ(dialog["Exceptions"].cell(1, 0), "Emails requiring manual intervention");
}

} // namespace
