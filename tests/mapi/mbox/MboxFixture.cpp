#include "mapi/mbox/MboxFixture.h"

#include "mapi/EntryIds.h"
#include "mapi/mbox/MboxProvider.h"

#include <stdexcept>

namespace mboxtest {

using namespace mapi;
using namespace maildirtest;

std::shared_ptr<IMsgStore> openMbox(const std::filesystem::path& path, std::chrono::milliseconds lockWait) {
    ProviderRegistry registry;
    registerMboxProvider(registry, MboxLockTimes{lockWait, std::chrono::seconds(300)});
    const std::string url = "mbox:" + path.string();
    StoreLocation location{"Test mbox", url, true, makeStoreEntryId(url), ""};
    std::shared_ptr<IMsgStore> store;
    if (failed(registry.open(location, store)) || !store)
        throw std::runtime_error("Cannot open the mbox store " + path.string());
    return store;
}

namespace {

void walk(IMAPIFolder& folder, const std::string& prefix, std::vector<std::string>& paths) {
    for (const auto& row : hierarchy(folder)) {
        const std::string path = prefix + stringProp(row, PR_DISPLAY_NAME_A);
        paths.push_back(path);
        std::uint32_t type = 0;
        std::shared_ptr<IMAPIProp> child;
        check(folder.OpenEntry(prop(row, PR_ENTRYID).getBinary(), Iid::IMAPIFolder, 0, type, child),
              "OpenEntry");
        walk(*std::dynamic_pointer_cast<IMAPIFolder>(child), path + "/", paths);
    }
}

} // namespace

std::vector<std::string> folderPaths(IMAPIFolder& folder) {
    std::vector<std::string> paths;
    walk(folder, "", paths);
    return paths;
}

std::vector<std::string> subjects(const RowSet& rows) {
    std::vector<std::string> found;
    for (const auto& row : rows)
        found.push_back(stringProp(row, PR_SUBJECT_A) +
                        ((prop(row, PR_MESSAGE_FLAGS).getLong() & MSGFLAG_READ) ? " (read)" : ""));
    return found;
}

void check(HRESULT hr, const char* what) {
    if (failed(hr))
        throw std::runtime_error(std::string(what) + " failed");
}

void markRead(IMessage& message) {
    std::vector<PropValue> values;
    check(message.GetProps({PR_MESSAGE_FLAGS}, 0, values), "GetProps");
    if (!(values[0].getLong() & MSGFLAG_READ))
        check(message.SetReadFlag(SUPPRESS_RECEIPT), "SetReadFlag");
}

void setSubject(IMessage& message, const std::string& subject) {
    check(message.SetProps({PropValue::string(PR_SUBJECT_A, subject)}, nullptr), "SetProps");
    const HRESULT hr = message.SaveChanges(KEEP_OPEN_READWRITE);
    check(hr == MAPI_E_OBJECT_CHANGED ? message.SaveChanges(FORCE_SAVE) : hr, "SaveChanges");
}

} // namespace mboxtest
