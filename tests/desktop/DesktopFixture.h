#pragma once
// A main window over a real Maildir profile (two stores, sub-folders, seven messages in the
// Inbox), a hive in a fresh folder, message boxes and file dialogs answered in advance.

#include "desktop/FileDialogs.h"
#include "desktop/TForm1.h"
#include "mapi/StoreProvider.h"
#include "platform/Hive.h"
#include "support/FakeDialogService.h"
#include "support/TemporaryFolder.h"

#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace desktoptest {

// File dialogs that give the answers set in advance, in order; an empty answer or none left
// means Cancel.
class FakeFileDialogs : public desktop::FileDialogs {
public:
    std::deque<QString> answers;
    int asked = 0;

    std::optional<QString> openOptionFile(QWidget*, const QString&) override { return next(); }
    std::optional<QString> saveOptionFile(QWidget*, const QString&) override { return next(); }
    std::optional<QString> chooseFolder(QWidget*, const QString&) override { return next(); }

private:
    std::optional<QString> next() {
        ++asked;
        const QString answer = answers.empty() ? QString() : answers.front();
        if (!answers.empty())
            answers.pop_front();
        if (answer.isEmpty())
            return std::nullopt;
        return answer;
    }
};

class DesktopFixture {
public:
    static constexpr int kInboxMessages = 7;

    DesktopFixture();

    // The window after both halves of the start-up.
    desktop::TForm1& start(std::vector<std::string> arguments = {});

    // A job that saves the Inbox into the output folder from First number 1.
    void setUpJob();

    template <class T> T* find(const char* name) const {
        return form->findChild<T*>(QString::fromLatin1(name));
    }

    // The window's job saved as the option file `name` in the test's folder.
    std::filesystem::path saveJob(const std::string& name);

    std::vector<std::string> boxTexts() const;
    // Sends `text` over the request channel at `socket` while this thread serves events.
    static bool sendServed(const std::filesystem::path& socket, const std::string& text);
    // Text files written into the output folder.
    std::vector<std::string> outputFiles() const;

    testsupport::TemporaryFolder folder;
    // Stores added to the profile "Work" after its two, before start().
    std::vector<mapi::StoreLocation> extraStores;
    // The help contents or the tip of the day as the start-up ends, from the shipped data files.
    bool greet = false;
    std::filesystem::path mailRoot;
    std::filesystem::path archiveRoot;
    std::filesystem::path output;
    platform::Hive hive;
    testsupport::FakeDialogService dialogs;
    FakeFileDialogs files;
    std::vector<std::string> opened;
    std::unique_ptr<desktop::TForm1> form;
};

} // namespace desktoptest
