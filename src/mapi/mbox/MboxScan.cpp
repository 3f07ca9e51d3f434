#include "mapi/mbox/MboxScan.h"

#include "mapi/mbox/MboxFormat.h"
#include "mapi/mime/HeaderBlock.h"
#include "platform/DurableWrite.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>
#include <utility>

namespace mapi {
namespace {

constexpr std::size_t kChunk = 1 << 20;
// A line longer than this is judged by its beginning: no separator or header line is so long.
constexpr std::size_t kLongestLine = 64 * 1024;
constexpr std::size_t kMaxHeaderBytes = 1 << 20;

std::uint64_t hashBytes(std::string_view text, std::uint64_t hash = 0xcbf29ce484222325ull) {
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    return hash;
}

std::uint64_t headerHash(std::string_view header, std::uint64_t length) {
    return hashBytes(std::string_view(reinterpret_cast<const char*>(&length), sizeof length),
                     hashBytes(header));
}

class Scanner {
public:
    explicit Scanner(const MboxRecordSink& sink) : m_sink(sink) {}

    // One line: its file offset, its bytes without the line end, its full length.
    void line(std::uint64_t offset, std::string_view text, std::size_t length, bool whole) {
        const bool empty = text.empty();
        if ((offset == 0 || m_previousEmpty) && isFromLine(text)) {
            close(offset);
            m_open = true;
            m_record = MboxRecord{};
            m_record.start = offset;
            m_record.content = offset + length;
            m_fromLine.assign(text);
            m_header.clear();
            m_inHeader = true;
        } else {
            if (!m_open) {
                // The first message lacks its separator line.
                m_open = true;
                m_record = MboxRecord{};
                m_fromLine.clear();
                m_header.clear();
                m_inHeader = true;
                m_preamble = true;
            }
            if (m_inHeader) {
                m_header.append(text);
                if (whole)
                    m_header.append(length - text.size() == 2 ? "\r\n" : "\n");
                if (empty || m_header.size() >= kMaxHeaderBytes)
                    m_inHeader = false;
            }
        }
        m_previousEmpty = empty && whole;
        if (m_previousEmpty)
            m_previousEmptyStart = offset;
    }

    void finish(std::uint64_t size) { close(size); }

private:
    void close(std::uint64_t next) {
        if (!m_open)
            return;
        m_open = false;
        const mime::HeaderBlock block = mime::parseHeaderBlock(m_header);
        // Bytes before the first separator are a message only when they start with a header:
        // blank lines or stray text are not (they stay in the file, unlisted).
        if (std::exchange(m_preamble, false) && block.fields.empty())
            return;
        m_record.end = next;
        m_record.contentEnd =
            m_previousEmpty && m_previousEmptyStart >= m_record.content ? m_previousEmptyStart : next;
        const mime::HeaderField* id = mime::findField(block, "Message-ID");
        m_record.fingerprint =
            messageFingerprint(m_fromLine, id ? mime::unfoldValue(id->value) : std::string());
        const std::uint64_t length = m_record.contentEnd - m_record.content;
        m_record.headerHash = headerHash(m_header, length);
        m_sink(m_record, m_fromLine, m_header);
    }

    const MboxRecordSink& m_sink;
    bool m_open = false;
    bool m_preamble = false;
    bool m_inHeader = false;
    bool m_previousEmpty = false;
    std::uint64_t m_previousEmptyStart = 0;
    MboxRecord m_record;
    std::string m_fromLine;
    std::string m_header;
};

std::size_t readAt(int fd, const std::filesystem::path& path, char* into, std::size_t count,
                   std::uint64_t offset) {
    while (true) {
        const ssize_t got = ::pread(fd, into, count, static_cast<off_t>(offset));
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            platform::throwFileError(errno, "Cannot read", path);
    }
}

} // namespace

std::uint64_t recordHeaderHash(std::string_view content) {
    std::size_t position = 0;
    while (position < content.size() && position < kMaxHeaderBytes) {
        const std::size_t newline = content.find('\n', position);
        const std::size_t next = newline == std::string_view::npos ? content.size() : newline + 1;
        const std::string_view line = content.substr(position, next - position);
        position = next;
        if (line == "\n" || line == "\r\n")
            break;
    }
    return headerHash(content.substr(0, position), content.size());
}

std::uint64_t scanMbox(int fd, const std::filesystem::path& path, const MboxRecordSink& sink) {
    Scanner scanner(sink);
    std::string buffer(kChunk + kLongestLine, '\0');
    std::size_t filled = 0;        // bytes held in the buffer
    std::uint64_t bufferStart = 0; // file offset of buffer[0]
    std::uint64_t fileOffset = 0;  // next byte to read
    bool skipping = false;         // inside the rest of an over-long line
    bool atEnd = false;
    while (true) {
        if (!atEnd) {
            const std::size_t got =
                readAt(fd, path, buffer.data() + filled, buffer.size() - filled, fileOffset);
            atEnd = got == 0;
            filled += got;
            fileOffset += got;
        }
        std::size_t position = 0;
        while (position < filled) {
            const char* newline =
                static_cast<const char*>(std::memchr(buffer.data() + position, '\n', filled - position));
            if (!newline && !atEnd && filled - position < kLongestLine)
                break; // the line goes on in the next chunk
            const std::size_t lineEnd = newline ? static_cast<std::size_t>(newline - buffer.data()) + 1
                                                : std::min(filled, position + kLongestLine);
            if (!skipping) {
                std::size_t textEnd = newline ? lineEnd - 1 : lineEnd;
                if (newline && textEnd > position && buffer[textEnd - 1] == '\r')
                    --textEnd;
                scanner.line(bufferStart + position,
                             std::string_view(buffer.data() + position, textEnd - position),
                             lineEnd - position, newline != nullptr);
            }
            skipping = newline == nullptr;
            position = lineEnd;
        }
        if (atEnd && position >= filled)
            break;
        std::memmove(buffer.data(), buffer.data() + position, filled - position);
        bufferStart += position;
        filled -= position;
    }
    scanner.finish(fileOffset);
    return fileOffset;
}

} // namespace mapi
