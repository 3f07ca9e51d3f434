#include "mapi/maildir/MaildirOperations.h"

#include "platform/DurableWrite.h"
#include "platform/StepCounter.h"

#include <cerrno>
#include <sys/stat.h>
#include <system_error>

namespace mapi {
namespace {

namespace fs = std::filesystem;

// A Maildir without tmp/ gets one when something is first written into it.
fs::path temporaryFolder(const fs::path& folder) {
    const fs::path tmp = folder / "tmp";
    struct stat info {};
    if (::stat(tmp.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return tmp;
    platform::durableStep();
    if (::mkdir(tmp.c_str(), 0700) != 0 && errno != EEXIST)
        platform::throwFileError(errno, "Cannot create folder", tmp);
    platform::syncDirectory(folder);
    return tmp;
}

void copyThenRemove(const fs::path& from, const fs::path& destinationFolder, const fs::path& to) {
    const MessageFileContent content = readMessageFile(from);
    platform::DurableFileWriter writer(to, temporaryFolder(destinationFolder));
    writer.write(content.bytes);
    writer.setModificationTime(content.identity.modifiedSeconds, content.identity.modifiedNanoseconds);
    writer.commit();
    // Only now that the copy is on disk may the original go; a crash before leaves two copies.
    // Its new name too, even while the folder syncs of a batch of moves are gathered.
    platform::syncDirectoryNow(to.parent_path());
    platform::removeDurably(from);
}

} // namespace

void moveMessageFile(const fs::path& from, const fs::path& destinationFolder, const std::string& fileName) {
    const fs::path to = destinationFolder / "cur" / fileName;
    if (from == to)
        return;
    try {
        platform::renameDurably(from, to);
    } catch (const std::system_error& error) {
        if (error.code().value() != EXDEV)
            throw;
        copyThenRemove(from, destinationFolder, to);
    }
}

void rewriteMessageFile(const fs::path& current, const fs::path& folder, std::string_view content,
                        const FileIdentity& original, const std::string& finalName) {
    // The name takes the new size markers first and the content follows. A stop in between
    // leaves the old message whole under a name whose markers are stale, and doing the same
    // change again puts the content under it; the other order would leave the changed message
    // under the old markers, and nothing would ever correct them.
    const fs::path target = current.parent_path() / finalName;
    if (target != current)
        platform::renameDurably(current, target);
    platform::DurableFileWriter writer(target, temporaryFolder(folder));
    writer.write(content);
    writer.setModificationTime(original.modifiedSeconds, original.modifiedNanoseconds);
    writer.commit();
}

} // namespace mapi
