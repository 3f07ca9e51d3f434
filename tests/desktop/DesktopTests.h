#pragma once
// The window test classes, each made by its own file.

#include <QObject>

#include <memory>

namespace desktoptest {

std::unique_ptr<QObject> makeMainWindowTest();
std::unique_ptr<QObject> makeRunTest();
std::unique_ptr<QObject> makeOptionFileTest();
std::unique_ptr<QObject> makeStatusFormTest();
std::unique_ptr<QObject> makeChooserTest();
std::unique_ptr<QObject> makeRequestChannelTest();
std::unique_ptr<QObject> makeProfilePromptTest();
std::unique_ptr<QObject> makeProgramTest();
std::unique_ptr<QObject> makeTranslationTest();
std::unique_ptr<QObject> makePlacementTest();
std::unique_ptr<QObject> makeHelpTest();
std::unique_ptr<QObject> makePasswordPromptTest();

} // namespace desktoptest
