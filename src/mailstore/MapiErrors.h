#pragma once
// The check every mail call's result goes through: a failure becomes a MapiException whose text
// names the step ("Position:" + context), the code's fixed English text and, when the object that
// failed can tell more, a details block from its GetLastError.

#include "mapi/Interfaces.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace mailstore {

// Shows a modal message box with the given text; the front end decides how.
using MessageBoxHook = std::function<void(const std::string& text)>;

// The object whose GetLastError explains a failure, with the subsystem that frees what it returns.
class DetailsSource {
public:
    DetailsSource() = default;
    DetailsSource(mapi::IMAPIProp* prop, mapi::IMapi* mapi);
    DetailsSource(mapi::IMAPISession* session, mapi::IMapi* mapi);
    explicit DetailsSource(mapi::IMapi* mapi);

    // The "\r\nDetails:\r\n..." block for `result`, empty when the source has nothing to tell.
    std::string detailsFor(mapi::HRESULT result) const;

private:
    std::function<mapi::HRESULT(mapi::HRESULT, std::optional<mapi::MapiError>&)> m_getLastError;
    mapi::IMapi* m_mapi = nullptr;
};

// The fixed English text of a MAPI code, or "Unexpected MAPI Error $XXXXXXXX".
std::string MapiErrorText(mapi::HRESULT code);

// Raises the MapiException of `result` at `context`, even for a warning.
[[noreturn]] void RaiseMapiError(const DetailsSource& source, const std::string& context,
                                 mapi::HRESULT result);

// Returns for results of 0 and above (warnings pass); raises MapiException otherwise.
void CheckMapiResult(const DetailsSource& source, const std::string& context, mapi::HRESULT result);

// The text CheckStreamResult shows for one of the eight stream read codes, or none.
std::optional<std::string> StreamErrorText(mapi::HRESULT code);

// Raises the MapiException of a failed stream read at `context`, with the stream code's own text
// where it has one.
[[noreturn]] void RaiseStreamError(const DetailsSource& source, const std::string& context,
                                   mapi::HRESULT result);

// For stream reads: a known failure is shown in a message box, any failure is otherwise ignored.
void CheckStreamResult(const MessageBoxHook& messageBox, const std::string& context, mapi::HRESULT result);

} // namespace mailstore
