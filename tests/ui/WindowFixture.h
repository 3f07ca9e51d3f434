#pragma once
// A main window over plain controls, an in-memory mail profile, a hive in a fresh folder and
// message boxes that record what they were asked. The status windows it hands out count the runs.

#include "mapi/memory/MemoryProvider.h"
#include "platform/Hive.h"
#include "support/FakeDialogService.h"
#include "support/TemporaryFolder.h"
#include "ui/ConsoleControls.h"
#include "ui/ConsoleStatus.h"
#include "ui/MainWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace uitest {

class WindowFixture : public ::testing::Test {
protected:
    WindowFixture() {
        auto& store = mail.addStore("Personal Folders", true);
        const auto projects = store.addFolder(store.root(), "Projects");
        store.addFolder(projects, "Inbox");
        store.addFolder(store.root(), "Archive");
        store.setReceiveFolder(store.root());
    }

    // Builds the window and runs the first half of the start-up with `arguments`.
    ui::MainWindow& start(std::vector<std::string> arguments = {}) {
        ui::MainWindowServices services;
        services.mapi = mail.makeSubsystem();
        services.hive = &hive;
        services.dialogs = &dialogs;
        services.createStatusWindow = [this]() -> std::weak_ptr<engine::StatusSink> {
            ++runs;
            status = std::make_shared<ui::ConsoleStatus>(statusText, false);
            return status;
        };
        services.shellOpen = [this](const std::string& target) { opened.push_back(target); };
        window = std::make_unique<ui::MainWindow>(controls, std::move(services));
        window->FormCreate(std::move(arguments));
        return *window;
    }

    // Start-up with both halves, the controls then showing the stored settings.
    ui::MainWindow& startFully(std::vector<std::string> arguments = {}) {
        start(std::move(arguments));
        window->afterCreate();
        return *window;
    }

    // The texts of every box shown, message boxes and information boxes alike.
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> texts;
        for (const auto& dialog : dialogs.dialogs)
            texts.push_back(dialog.text);
        texts.insert(texts.end(), dialogs.infos.begin(), dialogs.infos.end());
        return texts;
    }

    testsupport::TemporaryFolder folder;
    mapi::memory::MemoryMail mail;
    platform::Hive hive{folder / "registry.reg"};
    testsupport::FakeDialogService dialogs;
    ui::ConsoleControls controls;
    std::ostringstream statusText;
    std::shared_ptr<ui::ConsoleStatus> status;
    std::vector<std::string> opened;
    int runs = 0;
    std::unique_ptr<ui::MainWindow> window;
};

} // namespace uitest
