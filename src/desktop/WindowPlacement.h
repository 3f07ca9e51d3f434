#pragma once
// A window's placement record over the real window: TFormInfo's rules with the window's state,
// outer position and size, and the primary screen's size.

#include "platform/Hive.h"
#include "services/TFormInfo.h"

#include <QPointer>
#include <QWidget>

namespace desktop {

class WindowPlacement {
public:
    // Restores the record into `window` at once, as a window built from its design does before it
    // is first shown. Without a hive nothing is restored or stored.
    WindowPlacement(QWidget& window, services::TFormInfo record, platform::Hive* hive);

    // Stores the record; called while the window is still whole, as the first step of its end.
    void save();

private:
    QPointer<QWidget> m_window;
    services::TFormInfo m_record;
    platform::Hive* m_hive;
};

} // namespace desktop
