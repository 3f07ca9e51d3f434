// An mbox file of any bytes: scanned whole into records that follow one another in the file and
// begin at separator lines, their dates read and their text unquoted.
#include "FuzzInput.h"
#include "mapi/mbox/MboxFormat.h"
#include "mapi/mbox/MboxScan.h"

#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::text(data, size);
    const int fd = memfd_create("mbox", 0);
    fuzz::require(fd >= 0 && write(fd, data, size) == static_cast<ssize_t>(size) &&
                      lseek(fd, 0, SEEK_SET) == 0,
                  "the input is in a file");
    std::uint64_t previousEnd = 0;
    const std::uint64_t read = mapi::scanMbox(
        fd, "fuzz.mbox", [&](const mapi::MboxRecord& record, std::string_view fromLine, std::string_view) {
            fuzz::require(record.start >= previousEnd && record.start <= record.content &&
                              record.content <= record.contentEnd && record.contentEnd <= record.end &&
                              record.end <= size,
                          "a record's bounds are in order and in the file");
            fuzz::require(fromLine.empty() || mapi::isFromLine(fromLine), "a record begins at a separator");
            if (!fromLine.empty())
                mapi::fromLineTime(fromLine);
            const std::string_view content = text.substr(record.content, record.contentEnd - record.content);
            fuzz::require(mapi::unquoteFromLines(content).size() <= content.size(),
                          "unquoting only takes away");
            previousEnd = record.end;
        });
    close(fd);
    fuzz::require(read == size, "the whole file is read");
    return 0;
}
