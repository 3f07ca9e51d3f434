#pragma once

namespace ui {

// Sets a flag for the life of a scope and clears it when the scope ends, however it ends.
class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag, bool value = true) : m_flag(flag) { m_flag = value; }
    ~ScopedFlag() { m_flag = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace ui
