#pragma once
// A window's remembered placement: whether it was maximised, and where and how large it was, kept
// per user in the hive under Software\<company>\<application>\<form>. The window implements
// PlacedWindow; TFormInfo restores before the window is first shown and stores at its destruction.

#include "platform/Hive.h"

#include <string>

namespace services {

enum class WindowState { Normal, Maximized, Minimized };

// How the window's own coordinates are used when it is shown.
enum class PlacementMode {
    AsDesigned,            // neither recorded: the design decides (centred, say)
    OwnCoordinates,        // size and position as set
    SystemChoosesPosition, // size as set, the system places it
    SystemChoosesSize,     // position as set, the system sizes it
};

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const WindowRect&) const = default;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
};

class PlacedWindow {
public:
    virtual ~PlacedWindow() = default;
    // The window's component name, the form name when none is set.
    virtual std::string componentName() const = 0;
    virtual WindowState state() const = 0;
    virtual void setState(WindowState state) = 0;
    virtual void setPlacementMode(PlacementMode mode) = 0;
    // The outer rectangle in screen pixels.
    virtual WindowRect rect() const = 0;
    virtual void setRect(const WindowRect& rect) = 0;
};

class TFormInfo {
public:
    bool AutoLoad = true;
    std::string Company = "Tamberlock";
    std::string AppName;
    std::string FormName;
    bool recordSize = true;
    bool recordPosition = true;

    // Run once the window's design values are set, before it is first shown.
    void Loaded(PlacedWindow& window, platform::Hive& hive, ScreenSize primaryScreen);
    // Restores state, size and position; a rectangle that does not fit the primary screen is
    // ignored, and a missing or mistyped value ends the restoring where it stands.
    void Load(PlacedWindow& window, platform::Hive& hive, ScreenSize primaryScreen);
    // Stores the state, and the rectangle when the window is in its normal state. A hive that
    // cannot be written leaves the old record.
    void Save(const PlacedWindow& window, platform::Hive& hive);
    // Fills empty names: the program file's name without extension, the window's component name,
    // "Tamberlock".
    void defaultValues(const PlacedWindow& window);

    // Software\<Company>\<AppName>\<FormName>.
    std::string keyPath() const;
};

// The records of the windows that carry one.
TFormInfo mainWindowPlacement();
TFormInfo statusWindowPlacement();
TFormInfo folderChooserPlacement();
TFormInfo languageChooserPlacement();
TFormInfo updateWindowPlacement();

} // namespace services
