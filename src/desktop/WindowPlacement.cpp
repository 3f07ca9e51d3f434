#include "desktop/WindowPlacement.h"

#include "desktop/QtText.h"

#include <QGuiApplication>
#include <QScreen>

namespace desktop {

namespace {

// The position is the frame's, the size the client area's: the pair Qt moves and resizes by, so a
// stored rectangle comes back exactly.
class PlacedWidget final : public services::PlacedWindow {
public:
    explicit PlacedWidget(QWidget& window) : m_window(window) {}

    std::string componentName() const override { return fromQt(m_window.objectName()); }
    services::WindowState state() const override {
        const Qt::WindowStates state = m_window.windowState();
        if (state & Qt::WindowMinimized)
            return services::WindowState::Minimized;
        if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
            return services::WindowState::Maximized;
        return services::WindowState::Normal;
    }
    void setState(services::WindowState state) override {
        m_window.setWindowState(state == services::WindowState::Normal ? Qt::WindowNoState
                                                                       : Qt::WindowMaximized);
    }
    // Qt places a window that was never moved (a dialog over its owner); one that was moved keeps
    // its position, so only a restored position is applied.
    void setPlacementMode(services::PlacementMode mode) override { m_mode = mode; }
    services::WindowRect rect() const override {
        return {m_window.x(), m_window.y(), m_window.width(), m_window.height()};
    }
    void setRect(const services::WindowRect& rect) override {
        if (m_mode != services::PlacementMode::SystemChoosesPosition)
            m_window.move(rect.left, rect.top);
        if (m_mode != services::PlacementMode::SystemChoosesSize)
            m_window.resize(rect.width, rect.height);
    }

private:
    QWidget& m_window;
    services::PlacementMode m_mode = services::PlacementMode::AsDesigned;
};

services::ScreenSize primaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? services::ScreenSize{screen->size().width(), screen->size().height()}
                  : services::ScreenSize{};
}

} // namespace

WindowPlacement::WindowPlacement(QWidget& window, services::TFormInfo record, platform::Hive* hive)
    : m_window(&window), m_record(std::move(record)), m_hive(hive) {
    if (!m_hive)
        return;
    PlacedWidget placed(window);
    m_record.Loaded(placed, *m_hive, primaryScreenSize());
}

void WindowPlacement::save() {
    if (!m_hive || !m_window)
        return;
    const PlacedWidget placed(*m_window);
    m_record.Save(placed, *m_hive);
}

} // namespace desktop
