#include "ui/RecentFiles.h"

#include "platform/Locale.h"

#include <algorithm>

namespace ui {

namespace {

bool samePath(const std::string& a, const std::string& b) {
    return platform::upperCaseUtf8(a) == platform::upperCaseUtf8(b);
}

} // namespace

void RecentFiles::add(const std::string& path) {
    const auto found = std::find_if(m_paths.begin(), m_paths.end(),
                                    [&](const std::string& entry) { return samePath(entry, path); });
    if (found != m_paths.end()) {
        // The listed spelling stays; only its place changes.
        std::rotate(m_paths.begin(), found, found + 1);
        return;
    }
    m_paths.insert(m_paths.begin(), path);
    if (m_paths.size() > kCapacity)
        m_paths.resize(kCapacity);
}

void RecentFiles::assign(std::vector<std::string> paths) {
    m_paths = std::move(paths);
    if (m_paths.size() > kCapacity)
        m_paths.resize(kCapacity);
}

} // namespace ui
