#include "desktop/DesktopShell.h"

#include "desktop/QtText.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

namespace desktop {

bool QtDesktopOpener::open(const std::string& target) {
    if (target.find("://") != std::string::npos)
        return QDesktopServices::openUrl(QUrl(toQt(target)));
    // The desktop's opener is started whether or not the path exists; a missing one is a failure here.
    return QFileInfo::exists(toQt(target)) && QDesktopServices::openUrl(QUrl::fromLocalFile(toQt(target)));
}

void QtClipboard::setText(const std::string& text) {
    QGuiApplication::clipboard()->setText(toQt(text));
}

} // namespace desktop
