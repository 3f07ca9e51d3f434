#pragma once
// What the file stores' objects do alike: the path a store URL names, moving a list of messages
// one by one, GetProps answered from a row, and a message's subject set by SetProps until it
// is saved.

#include "mapi/Interfaces.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mapi {

// The path of "kind:PATH" (absolute, relative, "///" or starting with "~/").
std::filesystem::path pathOfStoreUrl(const std::string& url);

// Moves each entry with `moveOne`: the first failure when none moved, MAPI_W_PARTIAL_COMPLETION
// when some did.
HRESULT moveEach(const std::vector<Binary>& entryList, const std::function<HRESULT(const Binary&)>& moveOne);

// SetProps of a file store's message: PR_SUBJECT_A is kept for SaveChanges, any other property
// is a problem of MAPI_E_NO_ACCESS.
HRESULT setSubjectProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems,
                        std::optional<std::string>& newSubject);

// Answers GetProps from a row of all properties: the values in the order asked (all of them
// when `tags` is empty), missing ones as PT_ERROR values with MAPI_W_ERRORS_RETURNED.
HRESULT answerProps(const Row& properties, const std::vector<PropTag>& tags, std::vector<PropValue>& values);

// GetProps of a file store's message whose subject may wait for SaveChanges.
HRESULT answerMessageProps(Row properties, const std::optional<std::string>& newSubject,
                           const std::vector<PropTag>& tags, std::vector<PropValue>& values);

} // namespace mapi
