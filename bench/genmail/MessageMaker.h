#pragma once
// One generated message: its MIME structure, headers, charsets and transfer encodings are drawn
// from the message's own random source, so the same seed and index give the same bytes.

#include "Encoding.h"
#include "Rng.h"
#include "TextMaker.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace bench {

enum class Kind {
    Plain,          // one text/plain part
    Alternative,    // multipart/alternative: text/plain and text/html
    HtmlOnly,       // one text/html part
    Attachments,    // multipart/mixed: a text and base64 attachments
    Related,        // multipart/related: HTML with an inline image
    Forwarded,      // multipart/mixed with a message/rfc822 part
    Signed,         // multipart/signed with a detached signature
    TextAttachment, // a text body beside text attachments (csv, calendar, notes)
    NoBody,         // headers only, an empty body, or attachments only
    Broken,         // damaged structure of one of several kinds
};

const char* kindName(Kind kind);
Kind chooseKind(Rng& rng);

struct Envelope {
    std::int64_t dateUtc = 0;     // the instant the Date: field shows
    int zoneMinutes = 0;          // the Date: field's offset from UTC
    std::int64_t deliveryUtc = 0; // arrival at the last hop, also the file's time
    std::uint64_t index = 0;
};

// Counts of what was generated ("charset UTF-8", "encoding base64", ...), for the summary.
using Tally = std::map<std::string, std::uint64_t>;

class MessageMaker {
public:
    MessageMaker(Rng& rng, const Envelope& envelope, Tally& tally);

    std::string make(Kind kind);

private:
    struct Entity {
        std::string headers; // header lines, each ending in '\n'
        std::string body;
    };

    Entity plainEntity(std::size_t bodyBytes);
    Entity textEntity(const std::string& utf8, const std::string& subtype, const std::string& extraParams);
    Entity alternativeEntity(std::size_t bodyBytes);
    Entity htmlEntity(std::size_t bodyBytes);
    Entity attachmentEntity(std::size_t encodedBytes);
    Entity textAttachmentEntity();
    Entity relatedEntity(std::size_t bodyBytes);
    Entity forwardedEntity(std::size_t bodyBytes);
    Entity signedEntity(std::size_t bodyBytes);
    Entity noBodyEntity(std::size_t bodyBytes);
    Entity multipart(const std::string& subtype, const std::vector<Entity>& parts,
                     const std::string& extraParams);
    std::string brokenMessage(std::size_t bodyBytes);

    std::string topHeaders(bool withDate);
    std::string addressField(const std::string& name, const std::vector<Person>& people);
    std::string subjectField();
    std::string formatDate(std::int64_t utc, int zoneMinutes, bool plainStyle);
    std::string boundary();
    std::string randomBytes(std::size_t count);
    std::size_t bodyBudget(Kind kind);
    Charset chooseCharset(const std::string& utf8, bool& mislabelled);
    std::string assemble(const std::string& top, const Entity& entity);
    std::string padded(const std::string& message);
    void count(const std::string& what) { ++m_tally[what]; }

    Rng& m_rng;
    Envelope m_envelope;
    Tally& m_tally;
    Flavour m_flavour;
    TextMaker m_text;
    Person m_sender;
    bool m_reply = false;
};

} // namespace bench
