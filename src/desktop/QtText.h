#pragma once
// Text crosses between the program (UTF-8 std::string) and Qt (QString) only here.

#include <QString>
#include <string>

namespace desktop {

inline QString toQt(const std::string& text) {
    return QString::fromStdString(text);
}

inline std::string fromQt(const QString& text) {
    return text.toStdString();
}

} // namespace desktop
