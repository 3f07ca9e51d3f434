#include "mapi/StoreCommon.h"

#include "mapi/RowTable.h"

#include <cstdlib>

namespace mapi {

std::filesystem::path pathOfStoreUrl(const std::string& url) {
    std::string path = url.substr(url.find(':') + 1);
    if (path.rfind("///", 0) == 0)
        path.erase(0, 2);
    if (path.rfind("~/", 0) == 0)
        if (const char* home = std::getenv("HOME"))
            path = std::string(home) + path.substr(1);
    return path;
}

HRESULT moveEach(const std::vector<Binary>& entryList, const std::function<HRESULT(const Binary&)>& moveOne) {
    HRESULT first = S_OK;
    std::size_t moved = 0;
    for (const auto& entryId : entryList) {
        const HRESULT hr = moveOne(entryId);
        if (failed(hr) && first == S_OK)
            first = hr;
        if (succeeded(hr))
            ++moved;
    }
    if (failed(first) && moved > 0)
        return MAPI_W_PARTIAL_COMPLETION;
    return first;
}

HRESULT setSubjectProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems,
                        std::optional<std::string>& newSubject) {
    for (std::uint32_t i = 0; i < values.size(); ++i) {
        if (values[i].tag == PR_SUBJECT_A)
            newSubject = values[i].getString();
        else if (problems)
            problems->push_back({i, values[i].tag, MAPI_E_NO_ACCESS});
    }
    return S_OK;
}

HRESULT answerMessageProps(Row properties, const std::optional<std::string>& newSubject,
                           const std::vector<PropTag>& tags, std::vector<PropValue>& values) {
    if (newSubject) {
        std::erase_if(properties, [](const PropValue& value) { return value.tag == PR_SUBJECT_A; });
        properties.push_back(PropValue::string(PR_SUBJECT_A, *newSubject));
    }
    return answerProps(properties, tags, values);
}

HRESULT answerProps(const Row& properties, const std::vector<PropTag>& tags, std::vector<PropValue>& values) {
    values.clear();
    if (tags.empty()) {
        values = properties;
        return S_OK;
    }
    bool missing = false;
    for (const PropTag tag : tags) {
        if (const PropValue* value = findProp(properties, tag)) {
            values.push_back(*value);
        } else {
            values.push_back(PropValue::error(tag, MAPI_E_NOT_FOUND));
            missing = true;
        }
    }
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

} // namespace mapi
