#include "mapi/mime/SimpleStructure.h"

#include <strings.h>

namespace mapi::mime {
namespace {

// Past these the structure is no longer the common case; GMime reads it.
constexpr std::size_t kMaxDepth = 8;
constexpr std::size_t kMaxEntities = 500;
constexpr std::size_t kMaxParameters = 32;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// RFC 2045 token characters: printable ASCII but blanks and tspecials.
bool isTokenChar(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F)
        return false;
    return std::string_view("()<>@,;:\\\"/[]?=").find(c) == std::string_view::npos;
}

bool isFieldNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// A header value of one token, a type, parameters: blanks (folding included) between the parts,
// parameter values as tokens or quoted strings without escapes. Anything else fails.
class ValueReader {
public:
    explicit ValueReader(std::string_view value) : m_value(value) {}

    void skipBlanks() {
        while (m_at < m_value.size() &&
               std::string_view(" \t\r\n").find(m_value[m_at]) != std::string_view::npos)
            ++m_at;
    }
    bool atEnd() const { return m_at >= m_value.size(); }
    bool take(char c) {
        if (atEnd() || m_value[m_at] != c)
            return false;
        ++m_at;
        return true;
    }
    bool token(std::string_view& out) {
        const std::size_t start = m_at;
        while (!atEnd() && isTokenChar(m_value[m_at]))
            ++m_at;
        out = m_value.substr(start, m_at - start);
        return !out.empty();
    }
    bool quoted(std::string_view& out) {
        if (!take('"'))
            return false;
        const std::size_t start = m_at;
        while (!atEnd() && m_value[m_at] != '"') {
            const auto byte = static_cast<unsigned char>(m_value[m_at]);
            if (byte == '\\' || byte < 0x20 || byte >= 0x7F)
                return false;
            ++m_at;
        }
        out = m_value.substr(start, m_at - start);
        return take('"');
    }

    // `; name=value` pairs up to the end; the values of `charset` and `boundary` are kept.
    bool parameters(std::string_view& charset, std::string_view& boundary) {
        std::vector<std::string_view> names;
        while (true) {
            skipBlanks();
            if (atEnd())
                return true;
            std::string_view name;
            std::string_view value;
            if (!take(';'))
                return false;
            skipBlanks();
            // RFC 2231 names (`charset*`) and encoded words are GMime's to decode.
            if (!token(name) || name.find('*') != std::string_view::npos || !take('='))
                return false;
            if (!(quoted(value) || token(value)) || value.find("=?") != std::string_view::npos)
                return false;
            if (names.size() == kMaxParameters)
                return false;
            for (const std::string_view seen : names)
                if (equalsIgnoringCase(seen, name))
                    return false;
            names.push_back(name);
            if (equalsIgnoringCase(name, "charset"))
                charset = value;
            else if (equalsIgnoringCase(name, "boundary"))
                boundary = value;
        }
    }

private:
    std::string_view m_value;
    std::size_t m_at = 0;
};

struct ContentType {
    std::string_view type = "text";
    std::string_view subtype = "plain";
    std::string_view charset;
    std::string_view boundary;
};

bool readContentType(std::string_view value, ContentType& out) {
    ValueReader reader(value);
    reader.skipBlanks();
    return reader.token(out.type) && reader.take('/') && reader.token(out.subtype) &&
           reader.parameters(out.charset, out.boundary);
}

bool readDisposition(std::string_view value, bool& attachment) {
    ValueReader reader(value);
    reader.skipBlanks();
    std::string_view disposition;
    std::string_view unused;
    if (!reader.token(disposition) || !reader.parameters(unused, unused))
        return false;
    attachment = equalsIgnoringCase(disposition, "attachment");
    return true;
}

bool readTransferEncoding(std::string_view value, TransferEncoding& out) {
    ValueReader reader(value);
    reader.skipBlanks();
    std::string_view name;
    if (!reader.token(name))
        return false;
    reader.skipBlanks();
    if (!reader.atEnd())
        return false;
    // Every other name (7bit, 8bit, binary, uuencode, unknown ones) leaves the bytes as they are.
    out = equalsIgnoringCase(name, "base64")             ? TransferEncoding::Base64
          : equalsIgnoringCase(name, "quoted-printable") ? TransferEncoding::QuotedPrintable
                                                         : TransferEncoding::Identity;
    return true;
}

// The content fields of one header block.
struct EntityHeader {
    std::string_view contentType;
    std::string_view transferEncoding;
    std::string_view disposition;
    bool hasType = false;
    bool hasEncoding = false;
    bool hasDisposition = false;
    std::size_t bodyStart = 0;
};

// A line that starts with "--": its place, and the open boundary it is a boundary line of.
struct BoundaryLine {
    std::size_t start = 0; // first byte of the line
    std::size_t next = 0;  // first byte after its line end
    std::size_t owner = 0; // index into the open boundaries
    bool closing = false;  // "--boundary--"
};

class StructureReader {
public:
    explicit StructureReader(std::string_view message) : m_text(message) {}

    std::optional<std::vector<TextPartView>> read() {
        std::size_t end = 0;
        if (!entity(0, false, end))
            return std::nullopt;
        return std::move(m_parts);
    }

private:
    // Reads the entity whose header block starts at `at`. A single part's content runs to the
    // next boundary line of an open multipart (or the end of the text when none is open), which
    // `end` then points at; a multipart ends after its closing line.
    bool entity(std::size_t at, bool skipped, std::size_t& end) {
        if (++m_entities > kMaxEntities)
            return false;
        EntityHeader header;
        if (!readHeader(at, header))
            return false;
        ContentType type;
        if (header.hasType && !readContentType(header.contentType, type))
            return false;
        TransferEncoding encoding = TransferEncoding::Identity;
        if (header.hasEncoding && !readTransferEncoding(header.transferEncoding, encoding))
            return false;
        bool attachment = false;
        if (header.hasDisposition && !readDisposition(header.disposition, attachment))
            return false;
        skipped = skipped || attachment;
        // Attached messages and digests (whose parts are messages) have headers of their own.
        if (equalsIgnoringCase(type.type, "message"))
            return false;
        if (equalsIgnoringCase(type.type, "multipart"))
            return multipart(header.bodyStart, type, skipped, end);

        std::size_t contentEnd = m_text.size();
        if (!m_boundaries.empty()) {
            BoundaryLine line;
            if (!nextBoundaryLine(header.bodyStart, line))
                return false;
            contentEnd = line.start;
            // The line end before a boundary line belongs to the boundary. GMime takes it to be
            // the same kind as the boundary line's own; where it is not, this reading declines.
            const std::string_view lineEnd = m_text[line.next - 2] == '\r' ? "\r\n" : "\n";
            if (contentEnd > header.bodyStart) {
                if (contentEnd - header.bodyStart < lineEnd.size() ||
                    m_text.substr(contentEnd - lineEnd.size(), lineEnd.size()) != lineEnd)
                    return false;
                contentEnd -= lineEnd.size();
            }
            end = line.start;
        } else {
            end = m_text.size();
        }
        const bool plain = equalsIgnoringCase(type.type, "text") && equalsIgnoringCase(type.subtype, "plain");
        const bool html = equalsIgnoringCase(type.type, "text") && equalsIgnoringCase(type.subtype, "html");
        if (!skipped && (plain || html))
            m_parts.push_back({html, encoding, type.charset,
                               m_text.substr(header.bodyStart, contentEnd - header.bodyStart)});
        return true;
    }

    bool multipart(std::size_t bodyStart, const ContentType& type, bool skipped, std::size_t& end) {
        if (type.boundary.empty() || m_boundaries.size() >= kMaxDepth ||
            equalsIgnoringCase(type.subtype, "digest"))
            return false;
        // A boundary that begins another open one makes a line read two ways.
        for (const std::string_view open : m_boundaries)
            if (open.starts_with(type.boundary) || type.boundary.starts_with(open))
                return false;
        const bool encrypted = equalsIgnoringCase(type.subtype, "encrypted");
        const bool signedOnly = equalsIgnoringCase(type.subtype, "signed");
        m_boundaries.push_back(type.boundary);
        const std::size_t own = m_boundaries.size() - 1;

        // A multipart without parts (its boundary never used) is GMime's to recover.
        BoundaryLine line;
        if (!nextBoundaryLine(bodyStart, line) || line.owner != own || line.closing)
            return false;
        for (std::size_t index = 0;; ++index) {
            const bool childSkipped = skipped || encrypted || (signedOnly && index > 0);
            std::size_t childEnd = 0;
            if (!entity(line.next, childSkipped, childEnd))
                return false;
            // A part ends at a boundary line, or a nested multipart after its closing line.
            if (!nextBoundaryLine(childEnd, line) || line.owner != own)
                return false;
            if (line.closing)
                break;
        }
        m_boundaries.pop_back();
        end = line.next;
        return true;
    }

    bool readHeader(std::size_t at, EntityHeader& header) const {
        std::string_view* current = nullptr;
        bool first = true;
        while (true) {
            const std::size_t newline = m_text.find('\n', at);
            if (newline == std::string_view::npos)
                return false;
            std::string_view line = m_text.substr(at, newline - at);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.empty()) {
                header.bodyStart = newline + 1;
                return true;
            }
            for (const char c : line)
                if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == '\x7F')
                    return false;
            if (line[0] == ' ' || line[0] == '\t') {
                if (first)
                    return false;
                if (current)
                    *current =
                        std::string_view(current->data(), static_cast<std::size_t>(line.data() + line.size() -
                                                                                   current->data()));
            } else {
                const std::size_t colon = line.find(':');
                if (colon == 0 || colon == std::string_view::npos)
                    return false;
                const std::string_view name = line.substr(0, colon);
                for (const char c : name)
                    if (!isFieldNameChar(c))
                        return false;
                current = nullptr;
                if (!claim(name, "Content-Type", header.contentType, header.hasType, current) ||
                    !claim(name, "Content-Transfer-Encoding", header.transferEncoding, header.hasEncoding,
                           current) ||
                    !claim(name, "Content-Disposition", header.disposition, header.hasDisposition, current))
                    return false;
                if (current)
                    *current = line.substr(colon + 1);
            }
            first = false;
            at = newline + 1;
        }
    }

    // Points `current` at `slot` when `name` is `wanted`; a field given twice fails.
    static bool claim(std::string_view name, std::string_view wanted, std::string_view& slot, bool& seen,
                      std::string_view*& current) {
        if (!equalsIgnoringCase(name, wanted))
            return true;
        if (seen)
            return false;
        seen = true;
        current = &slot;
        return true;
    }

    // The first line from `at` (a line start) that is a boundary line of an open multipart.
    // False at the end of the text, and for a line read differently by other parsers: a
    // boundary followed by blanks.
    bool nextBoundaryLine(std::size_t at, BoundaryLine& found) const {
        while (at < m_text.size()) {
            if (m_text.compare(at, 2, "--") == 0) {
                const std::size_t newline = m_text.find('\n', at);
                if (newline == std::string_view::npos)
                    return false;
                std::string_view rest = m_text.substr(at + 2, newline - at - 2);
                if (!rest.empty() && rest.back() == '\r')
                    rest.remove_suffix(1);
                for (std::size_t i = m_boundaries.size(); i-- > 0;) {
                    const std::string_view boundary = m_boundaries[i];
                    if (!rest.starts_with(boundary))
                        continue;
                    std::string_view tail = rest.substr(boundary.size());
                    const bool closing = tail.starts_with("--");
                    if (closing)
                        tail.remove_prefix(2);
                    if (tail.empty()) {
                        found = {at, newline + 1, i, closing};
                        return true;
                    }
                    if (tail.find_first_not_of(" \t\r") == std::string_view::npos)
                        return false;
                }
            }
            const std::size_t candidate = m_text.find("\n--", at);
            if (candidate == std::string_view::npos)
                return false;
            at = candidate + 1;
        }
        return false;
    }

    std::string_view m_text;
    std::vector<std::string_view> m_boundaries;
    std::vector<TextPartView> m_parts;
    std::size_t m_entities = 0;
};

} // namespace

std::optional<std::vector<TextPartView>> simpleTextParts(std::string_view message) {
    return StructureReader(message).read();
}

} // namespace mapi::mime
