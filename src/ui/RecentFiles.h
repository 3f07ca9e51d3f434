#pragma once
// The main window's list of the option files used last, newest first.

#include <cstddef>
#include <string>
#include <vector>

namespace ui {

class RecentFiles {
public:
    static constexpr std::size_t kCapacity = 10;

    // Moves a path already listed (letter case ignored) to the top, else inserts it there and
    // drops the oldest entry beyond ten.
    void add(const std::string& path);
    // Replaces the list with stored entries, kept in their stored order and cut to ten.
    void assign(std::vector<std::string> paths);

    const std::vector<std::string>& paths() const { return m_paths; }
    bool empty() const { return m_paths.empty(); }

private:
    std::vector<std::string> m_paths;
};

} // namespace ui
