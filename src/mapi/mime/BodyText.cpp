#include "mapi/mime/BodyText.h"

#include "mapi/mime/Charset.h"
#include "mapi/mime/HeaderBlock.h"
#include "mapi/mime/HeaderRepair.h"
#include "mapi/mime/HtmlText.h"
#include "mapi/mime/MimeLibrary.h"
#include "mapi/mime/SimpleStructure.h"
#include "mapi/mime/TransferDecoding.h"

#include <algorithm>
#include <memory>
#include <strings.h>
#include <vector>

namespace mapi::mime {
namespace {

struct GObjectDeleter {
    void operator()(void* p) const {
        if (p)
            g_object_unref(p);
    }
};
template <typename T> using GRef = std::unique_ptr<T, GObjectDeleter>;

// GMime builds an object for every part and compares each line with every open boundary, so a
// message of a million parts or multiparts nested 100,000 deep costs seconds and gigabytes. Only
// the text before this many boundary lines is parsed; the body is in the first parts in practice.
constexpr std::size_t kMaxBoundaryLines = 5000;

// Recovering a broken boundary parses the multipart's text again; a bound keeps hostile input
// from making that quadratic.
constexpr int kMaxRecoveries = 8;

// A memory stream that reads the caller's bytes where they are instead of a copy. GMime's parser
// only reads its stream, and the parts it makes read their content through bounded substreams
// of it, so the bytes are never written or grown; everything parsed from the stream must be
// released before this is.
class BorrowedStream {
public:
    // A byte array holds at most 4 GiB: the length is cut as the copy this replaces cut it.
    explicit BorrowedStream(std::string_view text)
        : m_bytes(g_byte_array_new_take(reinterpret_cast<guint8*>(const_cast<char*>(text.data())),
                                        static_cast<guint>(text.size()))),
          m_stream(g_mime_stream_mem_new()) {
        // The stream does not own an array it is given, so it never frees the caller's bytes.
        g_mime_stream_mem_set_byte_array(GMIME_STREAM_MEM(m_stream.get()), m_bytes.get());
    }
    BorrowedStream(const BorrowedStream&) = delete;
    BorrowedStream& operator=(const BorrowedStream&) = delete;

    GMimeStream* get() const { return m_stream.get(); }

private:
    struct Lender {
        // The bytes go back to their owner; only the array itself is freed.
        void operator()(GByteArray* bytes) const {
            g_byte_array_steal(bytes, nullptr);
            g_byte_array_unref(bytes);
        }
    };

    std::unique_ptr<GByteArray, Lender> m_bytes;
    GRef<GMimeStream> m_stream;
};

GRef<GMimeMessage> parseMessage(GMimeStream* stream) {
    GRef<GMimeParser> parser(g_mime_parser_new_with_stream(stream));
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    return GRef<GMimeMessage>(g_mime_parser_construct_message(parser.get(), parserOptions()));
}

std::string readStream(GMimeStream* stream) {
    std::string bytes;
    if (!stream)
        return bytes;
    g_mime_stream_reset(stream);
    char buffer[16384];
    while (true) {
        const ssize_t count = g_mime_stream_read(stream, buffer, sizeof buffer);
        if (count <= 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
}

// Content with its transfer encoding undone, as UTF-8.
std::string decodedContent(std::string bytes, TransferEncoding encoding, std::string_view charset) {
    switch (encoding) {
    case TransferEncoding::Base64:
        if (!isPlainlyNotBase64(bytes))
            bytes = decodeBase64(bytes);
        break;
    case TransferEncoding::QuotedPrintable:
        bytes = decodeQuotedPrintable(bytes);
        break;
    case TransferEncoding::Identity:
        break;
    }
    return toUtf8(bytes, charset);
}

TransferEncoding transferEncodingOf(GMimeDataWrapper* content) {
    switch (g_mime_data_wrapper_get_encoding(content)) {
    case GMIME_CONTENT_ENCODING_BASE64:
        return TransferEncoding::Base64;
    case GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE:
        return TransferEncoding::QuotedPrintable;
    default:
        return TransferEncoding::Identity;
    }
}

std::string decodedText(GMimePart* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content)
        return {};
    const char* charset = g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset");
    return decodedContent(readStream(g_mime_data_wrapper_get_stream(content)), transferEncodingOf(content),
                          charset ? charset : "");
}

std::string decodedText(const TextPartView* part) {
    return decodedContent(std::string(part->content), part->encoding, part->charset);
}

bool isBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// The body among the text parts met in reading order: the first plain part with any text, else
// the first HTML part as text; a plain part of blanks only (an empty alternative beside an HTML
// one) is the text only when no other part has any.
template <typename HtmlPart> class BodyChoice {
public:
    // True when `text` is the body.
    bool offerPlain(std::string text) {
        if (!isBlank(text)) {
            m_body = std::move(text);
            return true;
        }
        if (!m_blankPlain)
            m_blankPlain = std::move(text);
        return false;
    }
    void offerHtml(HtmlPart part) {
        if (!m_html)
            m_html = part;
    }
    // The text of a multipart recovered without its parts, when nothing better is found.
    std::optional<std::string> finish(std::optional<std::string> fallback = std::nullopt) {
        if (m_body)
            return m_body;
        if (m_html) {
            std::string text = htmlToText(decodedText(*m_html));
            if (!m_blankPlain || !isBlank(text))
                return text;
        }
        return m_blankPlain ? m_blankPlain : fallback;
    }

private:
    std::optional<std::string> m_body;
    std::optional<std::string> m_blankPlain;
    std::optional<HtmlPart> m_html;
};

bool isAttachment(GMimeObject* object) {
    GMimeContentDisposition* disposition = g_mime_object_get_content_disposition(object);
    return disposition && g_mime_content_disposition_is_attachment(disposition);
}

// A multipart whose declared boundary never occurs holds its parts in the prologue; the first
// "--" line there is taken as the boundary the sender meant.
std::string withGuessedBoundary(const char* prologue) {
    if (!prologue)
        return {};
    const std::string_view text(prologue);
    for (std::size_t line = 0; line < text.size();) {
        std::size_t end = text.find('\n', line);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view content = text.substr(line, end - line);
        if (!content.empty() && content.back() == '\r')
            content.remove_suffix(1);
        if (content.size() > 2 && content.substr(0, 2) == "--" &&
            content.find_first_of(" \t\"") == std::string_view::npos) {
            std::string boundary(content.substr(2));
            if (boundary.size() > 2 && boundary.substr(boundary.size() - 2) == "--")
                boundary.resize(boundary.size() - 2);
            return "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\n\n" + std::string(text);
        }
        line = end + 1;
    }
    return {};
}

// A line that may be a boundary: "--" and a word without blanks.
bool isBoundaryLike(std::string_view line) {
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line.size() > 2 && line.find_first_of(" \t") == std::string_view::npos;
}

// A multipart message up to its kMaxBoundaryLines-th boundary line; any other whole, so a long
// plain text with many "--" lines is never cut.
std::string_view withBoundedParts(std::string_view message, const HeaderBlock& block) {
    const HeaderField* type = findField(block, "Content-Type");
    if (!type || ::strncasecmp(unfoldValue(type->value).c_str(), "multipart", 9) != 0)
        return message;
    std::size_t lines = 0;
    for (std::size_t at = message.find("\n--"); at != std::string_view::npos;
         at = message.find("\n--", at + 1)) {
        const std::size_t end = message.find('\n', at + 1);
        if (!isBoundaryLike(
                message.substr(at + 1, end == std::string_view::npos ? message.npos : end - at - 1)))
            continue;
        if (++lines == kMaxBoundaryLines)
            return message.substr(0, at + 1);
    }
    return message;
}

class BodyFinder {
public:
    explicit BodyFinder(GMimeMessage* message) { push(g_mime_message_get_mime_part(message)); }

    std::optional<std::string> find() {
        BodyChoice<GMimePart*> choice;
        std::optional<std::string> prologueText;
        while (!m_pending.empty()) {
            GMimeObject* object = m_pending.back();
            m_pending.pop_back();
            if (GMIME_IS_MESSAGE_PART(object) || isAttachment(object))
                continue;
            if (GMIME_IS_MULTIPART(object)) {
                openMultipart(GMIME_MULTIPART(object), prologueText);
                continue;
            }
            if (!GMIME_IS_PART(object))
                continue;
            GMimeContentType* type = g_mime_object_get_content_type(object);
            if (!type || g_mime_content_type_is_type(type, "text", "plain")) {
                if (choice.offerPlain(decodedText(GMIME_PART(object))))
                    break;
            } else if (g_mime_content_type_is_type(type, "text", "html")) {
                choice.offerHtml(GMIME_PART(object));
            }
        }
        return choice.finish(std::move(prologueText));
    }

private:
    void push(GMimeObject* object) {
        if (object)
            m_pending.push_back(object);
    }

    void openMultipart(GMimeMultipart* multipart, std::optional<std::string>& prologueText) {
        if (GMIME_IS_MULTIPART_ENCRYPTED(multipart))
            return;
        const int count = g_mime_multipart_get_count(multipart);
        if (GMIME_IS_MULTIPART_SIGNED(multipart)) {
            if (count > 0)
                push(g_mime_multipart_get_part(multipart, GMIME_MULTIPART_SIGNED_CONTENT));
            return;
        }
        if (count == 0) {
            recover(multipart, prologueText);
            return;
        }
        for (int i = count - 1; i >= 0; --i)
            push(g_mime_multipart_get_part(multipart, i));
    }

    void recover(GMimeMultipart* multipart, std::optional<std::string>& prologueText) {
        const char* prologue = g_mime_multipart_get_prologue(multipart);
        if (!prologueText && prologue && *prologue)
            prologueText = toUtf8(prologue, "");
        if (m_recoveries >= kMaxRecoveries)
            return;
        const std::string guessed = withGuessedBoundary(prologue);
        if (guessed.empty())
            return;
        ++m_recoveries;
        // A copy: the parts read their content from the stream after `guessed` is gone.
        GRef<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(guessed.data(), guessed.size()));
        auto reparsed = parseMessage(stream.get());
        if (!reparsed)
            return;
        push(g_mime_message_get_mime_part(reparsed.get()));
        m_recovered.push_back(std::move(reparsed));
    }

    std::vector<GMimeObject*> m_pending;
    std::vector<GRef<GMimeMessage>> m_recovered;
    int m_recoveries = 0;
};

std::string finished(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return toCrLf(text);
}

std::optional<std::string> textOfParts(const std::vector<TextPartView>& parts) {
    BodyChoice<const TextPartView*> choice;
    for (const TextPartView& part : parts) {
        if (!part.html) {
            if (choice.offerPlain(decodedText(&part)))
                break;
        } else {
            choice.offerHtml(&part);
        }
    }
    return choice.finish();
}

std::optional<std::string> bodyText(std::string_view message, bool shortcut) {
    parserOptions();
    const std::optional<std::string> mended = mendedForReading(message);
    if (mended)
        message = *mended;
    if (message.empty())
        return std::nullopt;
    const HeaderBlock block = parseHeaderBlock(message);
    // A first line that is no field (nor a stray continuation): no header block, as the listing
    // reads it, so the whole file is the text. GMime would read a colon in it as a field.
    if (block.fields.empty() && std::string_view(" \t\r\n").find(message[0]) == std::string_view::npos)
        return finished(toUtf8(message, ""));
    const std::string_view readable = withBoundedParts(message, block);
    std::optional<std::string> text;
    if (const auto parts = shortcut ? simpleTextParts(readable) : std::nullopt) {
        text = textOfParts(*parts);
    } else {
        // GMime decodes the message's header fields while it parses.
        keepConvertersFor(message.substr(0, std::min(message.find("\n\n"), message.find("\n\r\n"))));
        // Declared first so it outlives the message parsed from it.
        const BorrowedStream source(readable);
        const auto parsed = parseMessage(source.get());
        if (!parsed)
            return finished(toUtf8(message, ""));
        text = BodyFinder(parsed.get()).find();
    }
    // Headers followed by nothing are a message without a body, not one with an empty body.
    if (!text || (text->empty() && block.bodyOffset >= message.size()))
        return std::nullopt;
    return finished(std::move(*text));
}

} // namespace

std::optional<std::string> plainTextBody(std::string_view message) {
    return bodyText(message, true);
}

std::optional<std::string> plainTextBodyByLibrary(std::string_view message) {
    return bodyText(message, false);
}

} // namespace mapi::mime
