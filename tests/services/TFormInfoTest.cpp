#include "support/TemporaryFolder.h"

#include "services/TFormInfo.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace services {

void PrintTo(const WindowRect& r, std::ostream* out) {
    *out << r.left << ',' << r.top << ' ' << r.width << 'x' << r.height;
}

} // namespace services

namespace {

using services::PlacementMode;
using services::WindowRect;
using services::WindowState;

constexpr services::ScreenSize kScreen{1920, 1080};
const WindowRect kDesigned{642, 292, 636, 495};

struct FakeWindow : services::PlacedWindow {
    std::string componentName() const override { return "Form1"; }
    WindowState state() const override { return windowState; }
    void setState(WindowState s) override { windowState = s; }
    void setPlacementMode(PlacementMode m) override { mode = m; }
    WindowRect rect() const override { return geometry; }
    void setRect(const WindowRect& r) override { geometry = r; }

    WindowState windowState = WindowState::Normal;
    std::optional<PlacementMode> mode;
    WindowRect geometry = kDesigned;
};

class TFormInfoTest : public ::testing::Test {
protected:
    // A fresh window built with `info`'s record, restored from the hive.
    FakeWindow reopen(services::TFormInfo info) {
        FakeWindow window;
        info.Loaded(window, hive, kScreen);
        return window;
    }

    void store(services::TFormInfo info, WindowState state, WindowRect rect) {
        FakeWindow window;
        window.windowState = state;
        window.geometry = rect;
        info.Save(window, hive);
    }

    testsupport::TemporaryFolder folder;
    platform::Hive hive{folder / "registry.reg"};
};

TEST_F(TFormInfoTest, NoRecordKeepsTheDesign) {
    const FakeWindow window = reopen(services::mainWindowPlacement());
    EXPECT_EQ(window.geometry, kDesigned);
    EXPECT_FALSE(window.mode);
}

TEST_F(TFormInfoTest, NormalWindowReopensExactlyWhereItWasLeft) {
    store(services::mainWindowPlacement(), WindowState::Normal, {100, 50, 700, 520});
    const auto key = hive.openKey("Software\\Quenby Software\\Larkspire\\main");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->readDword("WindowState", 9), 1u);

    const FakeWindow window = reopen(services::mainWindowPlacement());
    EXPECT_EQ(window.geometry, (WindowRect{100, 50, 700, 520}));
    EXPECT_EQ(window.windowState, WindowState::Normal);
    EXPECT_EQ(window.mode, PlacementMode::OwnCoordinates);
}

TEST_F(TFormInfoTest, MaximisedOrMinimisedReopensMaximisedAtTheDesign) {
    for (const WindowState closedAs : {WindowState::Maximized, WindowState::Minimized}) {
        store(services::statusWindowPlacement(), WindowState::Normal, {10, 10, 300, 200});
        store(services::statusWindowPlacement(), closedAs, {0, 0, 1920, 1080});
        const FakeWindow window = reopen(services::statusWindowPlacement());
        EXPECT_EQ(window.windowState, WindowState::Maximized);
        // The stored rectangle of the earlier normal close is not read.
        EXPECT_EQ(window.geometry, kDesigned);
    }
}

TEST_F(TFormInfoTest, RectangleOffThePrimaryScreenIsIgnored) {
    store(services::folderChooserPlacement(), WindowState::Normal, {1800, 50, 700, 520});
    FakeWindow window = reopen(services::folderChooserPlacement());
    EXPECT_EQ(window.geometry, kDesigned);
    EXPECT_EQ(window.mode, PlacementMode::OwnCoordinates);

    // A normal window drawn like a maximised one, edges just off the screen, still fits.
    store(services::folderChooserPlacement(), WindowState::Normal, {-8, -8, 1928, 1088});
    window = reopen(services::folderChooserPlacement());
    EXPECT_EQ(window.geometry, (WindowRect{-8, -8, 1928, 1088}));
}

TEST_F(TFormInfoTest, SizeOnlyRecordKeepsTheSizeAndLetsTheSystemPlaceIt) {
    store(services::languageChooserPlacement(), WindowState::Normal, {300, 200, 400, 300});
    EXPECT_TRUE(hive.openKey("Software\\Tamberlock\\Larkspire\\langForm"));
    const FakeWindow window = reopen(services::languageChooserPlacement());
    EXPECT_EQ(window.geometry, (WindowRect{kDesigned.left, kDesigned.top, 400, 300}));
    EXPECT_EQ(window.mode, PlacementMode::SystemChoosesPosition);
}

TEST_F(TFormInfoTest, MissingHeightStopsAfterTheState) {
    auto key = hive.createKey("Software\\Tamberlock\\Larkspire\\Update");
    key.writeDword("WindowState", 1);
    key.writeDword("Width", 500);
    key.writeDword("Left", 5);
    key.writeDword("Top", 5);
    FakeWindow window;
    window.windowState = WindowState::Maximized;
    services::updateWindowPlacement().Load(window, hive, kScreen);
    EXPECT_EQ(window.windowState, WindowState::Normal);
    EXPECT_EQ(window.geometry, kDesigned);
}

TEST_F(TFormInfoTest, EmptyNamesAreFilledFromTheProgramAndTheWindow) {
    services::TFormInfo info;
    info.Company.clear();
    FakeWindow window;
    info.defaultValues(window);
    EXPECT_EQ(info.keyPath(), "Software\\Tamberlock\\test_services\\Form1");
}

} // namespace
