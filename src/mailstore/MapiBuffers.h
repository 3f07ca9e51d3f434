#pragma once
// MAPI buffer accounting for the layer: every buffer MAPI would allocate or free is announced to
// the subsystem, so its results can be checked (and made to fail in tests).

#include "mapi/Interfaces.h"

#include <cstddef>

namespace mailstore {

// Without a subsystem there is nothing to announce; the step succeeds.
inline mapi::HRESULT allocateBuffer(mapi::IMapi* mapi, std::size_t bytes) {
    return mapi ? mapi->AllocateBuffer(bytes) : mapi::S_OK;
}
inline mapi::HRESULT freeBuffer(mapi::IMapi* mapi) {
    return mapi ? mapi->FreeBuffer() : mapi::S_OK;
}

// Frees an announced buffer when the scope ends, also after an error; the result is not looked at.
class ScopedBuffer {
public:
    explicit ScopedBuffer(mapi::IMapi* mapi) : m_mapi(mapi) {}
    ~ScopedBuffer() {
        if (m_held)
            freeBuffer(m_mapi);
    }
    ScopedBuffer(const ScopedBuffer&) = delete;
    ScopedBuffer& operator=(const ScopedBuffer&) = delete;

    // Announces the allocation; the buffer is held only when it succeeded.
    mapi::HRESULT allocate(std::size_t bytes) {
        const mapi::HRESULT hr = allocateBuffer(m_mapi, bytes);
        m_held = mapi::succeeded(hr);
        return hr;
    }
    // Frees now and answers the result, for frees whose result is checked.
    mapi::HRESULT release() {
        m_held = false;
        return freeBuffer(m_mapi);
    }

private:
    mapi::IMapi* m_mapi;
    bool m_held = false;
};

// Size of a tag array or column set of `count` tags, as MAPI lays it out.
constexpr std::size_t tagArraySize(std::size_t count) {
    return sizeof(std::uint32_t) * (1 + count);
}

} // namespace mailstore
