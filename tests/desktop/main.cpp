// Runs the window tests under one QApplication; the first argument names one test class to run
// (CTest runs each class as a test of its own), the rest go to QtTest.

#include "DesktopTests.h"

#include <QApplication>
#include <QTest>

#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QObject>()>>> classes = {
        {"MainWindowTest", [] { return desktoptest::makeMainWindowTest(); }},
        {"RunTest", [] { return desktoptest::makeRunTest(); }},
        {"OptionFileTest", [] { return desktoptest::makeOptionFileTest(); }},
        {"StatusFormTest", [] { return desktoptest::makeStatusFormTest(); }},
        {"ChooserTest", [] { return desktoptest::makeChooserTest(); }},
        {"RequestChannelTest", [] { return desktoptest::makeRequestChannelTest(); }},
        {"ProfilePromptTest", [] { return desktoptest::makeProfilePromptTest(); }},
        {"ProgramTest", [] { return desktoptest::makeProgramTest(); }},
        {"TranslationTest", [] { return desktoptest::makeTranslationTest(); }},
        {"PlacementTest", [] { return desktoptest::makePlacementTest(); }},
        {"HelpTest", [] { return desktoptest::makeHelpTest(); }},
        {"PasswordPromptTest", [] { return desktoptest::makePasswordPromptTest(); }},
    };
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> rest{argv[0]};
    for (int i = only ? 2 : 1; i < argc; ++i)
        rest.push_back(argv[i]);
    int failures = 0;
    for (const auto& [name, make] : classes) {
        if (only && std::strcmp(only, name) != 0)
            continue;
        const auto test = make();
        failures += QTest::qExec(test.get(), static_cast<int>(rest.size()), rest.data());
    }
    return failures == 0 ? 0 : 1;
}
