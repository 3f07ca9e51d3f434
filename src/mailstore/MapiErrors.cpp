#include "mailstore/MapiErrors.h"

#include "mailstore/MapiException.h"

#include <cstdint>
#include <cstdio>

namespace mailstore {
namespace {

struct CodeText {
    std::uint32_t code;
    const char* text;
};

// The fixed English texts of the codes the program can meet; never translated.
constexpr CodeText kMapiTexts[] = {
    {0x00000008, "The user had too many sessions open simultaneously. No session handle was returned."},
    {0x00040203, "MAPI_W_NO_SERVICE"},
    {0x00040380, "MAPI_W_ERRORS_RETURNED - The call succeeded overall, but one or more properties could not "
                 "be accessed."},
    {0x00040481, "MAPI_W_POSITION_CHANGED"},
    {0x00040482, "MAPI_W_APPROX_COUNT"},
    {0x00040680, "MAPI_W_PARTIAL_COMPLETION - The call succeeded, but not all entries were successfully "
                 "copied or moved."},
    {0x80004002, "MAPI_E_INTERFACE_NOT_SUPPORTED"},
    {0x80004005, "MAPI_E_CALL_FAILED"},
    {0x80040102,
     "MAPI_E_NO_SUPPORT - The container has no child containers and cannot provide a hierarchy table. "},
    {0x80040103,
     "MAPI_E_BAD_CHARWIDTH - Either the MAPI_UNICODE flag was set and the implementation does not support "
     "Unicode, or MAPI_UNICODE was not set and the implementation only supports Unicode"},
    {0x80040105, "MAPI_E_STRING_TOO_LONG"},
    {0x80040106, "Invalid flag!"},
    {0x80040107,
     "MAPI_E_INVALID_ENTRYID - The entry identifier does not belong to the address book provider. "},
    {0x80040108, "May fail if system resources are exhausted."},
    {0x80040109, "MAPI_E_OBJECT_CHANGED - The object has changed since it was opened."},
    {0x8004010A, "MAPI_E_OBJECT_DELETED - The object has been deleted since it was opened."},
    {0x8004010B, "MAPI_E_BUSY"},
    {0x8004010D, "MAPI_E_NOT_ENOUGH_DISK"},
    {0x8004010E, "Not enough system resources were available to complete the operation."},
    {0x8004010F,
     "MAPI_E_NOT_FOUND - The entry identifier specified by lpEntryID does not represent an object"},
    {0x80040110,
     "The version of OLE installed on the workstation is not compatible with this version of MAPI."},
    {0x80040111, "The logon did not succeed, either because one or more of the parameters to Profile were "
                 "invalid or because there were too many sessions open already."},
    {0x80040112,
     "MAPI sets up context specific to the current process.\rFailures may occur on Win16 if the number of "
     "processes exceeds a certain number,\ror on any system if available memory is exhausted."},
    {0x80040113, "The user canceled the operation, typically by choosing the Cancel button in a dialog box."},
    {0x80040114, "MAPI_E_UNABLE_TO_ABORT"},
    {0x80040115, "MAPI_E_NETWORK_ERROR"},
    {0x80040116, "MAPI_E_DISK_ERROR"},
    {0x80040117, "The keys required by MAPI could not be initialized."},
    {0x80040118, "MAPI_E_BAD_COLUMN"},
    {0x80040119, "MAPI_E_EXTENDED_ERROR"},
    {0x8004011A, "MAPI_E_COMPUTED"},
    {0x8004011B, "MAPI_E_CORRUPT_DATA"},
    {0x8004011C, "A service provider has not been configured, and therefore the operation did not complete."},
    {0x8004011D, "MAPI_E_FAILONEPROVIDER"},
    {0x8004011E, "MAPI_E_UNKNOWN_CPID - The server is not configured to support the client's code page."},
    {0x8004011F,
     "MAPI_E_UNKNOWN_LCID - The server is not configured to support the client's locale information."},
    {0x80040120, "MAPI_E_PASSWORD_CHANGE_REQUIRED"},
    {0x80040121, "MAPI_E_PASSWORD_EXPIRED"},
    {0x80040122, "MAPI_E_INVALID_WORKSTATION_ACCOUNT"},
    {0x80040123, "MAPI_E_INVALID_ACCESS_TIME"},
    {0x80040124, "MAPI_E_ACCOUNT_DISABLED"},
    {0x80040200, "MAPI_E_END_OF_SESSION"},
    {0x80040201, "MAPI_E_UNKNOWN_ENTRYID - The entry identifier in the lpEntryID parameter is not of a "
                 "format recognized by the address book provider"},
    {0x80040202, "MAPI_E_MISSING_REQUIRED_COLUMN"},
    {0x80040301, "MAPI_E_BAD_VALUE"},
    {0x80040302, "MAPI_E_INVALID_TYPE"},
    {0x80040303, "MAPI_E_TYPE_NO_SUPPORT"},
    {0x80040304, "MAPI_E_UNEXPECTED_TYPE"},
    {0x80040305, "MAPI_E_TOO_BIG"},
    {0x80040306, "MAPI_E_DECLINE_COPY"},
    {0x80040307, "MAPI_E_UNEXPECTED_ID"},
    {0x80040400, "MAPI_E_UNABLE_TO_COMPLETE"},
    {0x80040401,
     "MAPI serializes all logons through a mutex. This is returned if the another thread held the mutex."},
    {0x80040402, "MAPI_E_TABLE_EMPTY"},
    {0x80040403, "MAPI_E_TABLE_TOO_BIG"},
    {0x80040405, "MAPI_E_INVALID_BOOKMARK"},
    {0x80040500, "MAPI_E_WAIT"},
    {0x80040501, "MAPI_E_CANCEL"},
    {0x80040502, "MAPI_E_NOT_ME"},
    {0x80040605, "The MAPI profile provider has encountered an error."},
    {0x80070005, "MAPI_E_NO_ACCESS - Either the user has insufficient permissions to open the object or an "
                 "attempt was made to open a read-only object with read/write access"},
    {0x8007000E, "MAPI_E_NOT_ENOUGH_MEMORY"},
    {0x80070057, "Invalid parameter!"},
    {0x80070157, "Invalid parameter or flag!"},
};

constexpr CodeText kStreamTexts[] = {
    {0x8000000A, "Asynchronous storage only: Part or all of the data to be read is currently unavailable."},
    {0x80030001, "The dwOrigin parameter contains an invalid value, or the dlibMove parameter contains a bad "
                 "offset value. For example, the result of the seek pointer is a negative offset value."},
    {0x80030005, "The caller does not have enough permissions for reading this stream object."},
    {0x80030009, "One of the pointer values is not valid."},
    {0x8003001D,
     "The write operation was not completed due to a disk error. This value is also returned when this "
     "method attempts to write to a stream that was opened in simple mode (using the STGM_SIMPLE flag)."},
    {0x80030070,
     "The write operation was not completed because there is no space left on the storage device."},
    {0x80030102, "The object has been invalidated by a revert operation above it in the transaction tree."},
    {0x80030103, "Data cannot be written for reasons other than improper access or insufficient space."},
};

template <std::size_t N> const char* lookUp(const CodeText (&table)[N], mapi::HRESULT code) {
    for (const auto& entry : table)
        if (entry.code == static_cast<std::uint32_t>(code))
            return entry.text;
    return nullptr;
}

} // namespace

DetailsSource::DetailsSource(mapi::IMAPIProp* prop, mapi::IMapi* mapi) : m_mapi(mapi) {
    if (prop)
        m_getLastError = [prop](mapi::HRESULT result, std::optional<mapi::MapiError>& error) {
            return prop->GetLastError(result, 0, error);
        };
}

DetailsSource::DetailsSource(mapi::IMAPISession* session, mapi::IMapi* mapi) : m_mapi(mapi) {
    if (session)
        m_getLastError = [session](mapi::HRESULT result, std::optional<mapi::MapiError>& error) {
            return session->GetLastError(result, 0, error);
        };
}

DetailsSource::DetailsSource(mapi::IMapi* mapi) : m_mapi(mapi) {
    if (mapi)
        m_getLastError = [mapi](mapi::HRESULT result, std::optional<mapi::MapiError>& error) {
            return mapi->GetLastError(result, 0, error);
        };
}

std::string DetailsSource::detailsFor(mapi::HRESULT result) const {
    if (!m_getLastError)
        return {};
    std::optional<mapi::MapiError> error;
    // Only what came back counts; the answer of GetLastError itself tells nothing more.
    m_getLastError(result, error);
    if (!error)
        return {};
    std::string details = "\r\nDetails:\r\n";
    if (error->error)
        details += "Error: " + *error->error + "\r\n";
    if (error->component)
        details += "Component: " + *error->component + "\r\n";
    if (m_mapi)
        m_mapi->FreeBuffer();
    return details;
}

std::string MapiErrorText(mapi::HRESULT code) {
    if (const char* text = lookUp(kMapiTexts, code))
        return text;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(code));
    return std::string("Unexpected MAPI Error $") + hex;
}

void RaiseMapiError(const DetailsSource& source, const std::string& context, mapi::HRESULT result) {
    throw MapiException("Position:" + context + " " + MapiErrorText(result) + source.detailsFor(result));
}

void CheckMapiResult(const DetailsSource& source, const std::string& context, mapi::HRESULT result) {
    if (mapi::failed(result))
        RaiseMapiError(source, context, result);
}

std::optional<std::string> StreamErrorText(mapi::HRESULT code) {
    if (const char* text = lookUp(kStreamTexts, code))
        return std::string(text);
    return std::nullopt;
}

void RaiseStreamError(const DetailsSource& source, const std::string& context, mapi::HRESULT result) {
    const auto text = StreamErrorText(result);
    throw MapiException("Position:" + context + " " + (text ? *text : MapiErrorText(result)) +
                        source.detailsFor(result));
}

void CheckStreamResult(const MessageBoxHook& messageBox, const std::string& context, mapi::HRESULT result) {
    if (mapi::succeeded(result))
        return;
    const auto text = StreamErrorText(result);
    if (text && messageBox)
        messageBox("Error: Position:" + context + " " + *text);
}

} // namespace mailstore
