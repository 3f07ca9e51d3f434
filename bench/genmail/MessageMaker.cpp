#include "MessageMaker.h"

#include <algorithm>
#include <ctime>

namespace bench {

namespace {

constexpr std::size_t kMaximumSize = 200 * 1024;
constexpr std::size_t kMinimumSize = 1024;

struct BinaryType {
    const char* mime;
    const char* extension;
    const char* magic;
};

const BinaryType kBinaryTypes[] = {
    {"application/pdf", "pdf", "%PDF-1.5\n%\xe2\xe3\xcf\xd3\n"},
    {"image/png", "png", "\x89PNG\r\n\x1a\n"},
    {"image/jpeg", "jpg", "\xff\xd8\xff\xe0"},
    {"application/zip", "zip", "PK\x03\x04"},
    {"application/vnd.openxmlformats-officedocument.wordprocessingml.document", "docx", "PK\x03\x04"},
    {"application/vnd.ms-excel", "xls", "\xd0\xcf\x11\xe0"},
    {"application/octet-stream", "bin", ""},
};

} // namespace

const char* kindName(Kind kind) {
    switch (kind) {
    case Kind::Plain:
        return "text/plain";
    case Kind::Alternative:
        return "multipart/alternative";
    case Kind::HtmlOnly:
        return "HTML only";
    case Kind::Attachments:
        return "multipart/mixed with attachments";
    case Kind::Related:
        return "multipart/related (inline image)";
    case Kind::Forwarded:
        return "forwarded message/rfc822";
    case Kind::Signed:
        return "multipart/signed";
    case Kind::TextAttachment:
        return "text with text attachments";
    case Kind::NoBody:
        return "no body";
    case Kind::Broken:
        return "broken structure";
    }
    return "?";
}

Kind chooseKind(Rng& rng) {
    static const std::vector<double> kWeights{32, 25, 9, 13, 4, 3, 3, 4, 3, 4};
    return static_cast<Kind>(rng.weighted(kWeights));
}

MessageMaker::MessageMaker(Rng& rng, const Envelope& envelope, Tally& tally)
    : m_rng(rng), m_envelope(envelope), m_tally(tally),
      m_flavour(static_cast<Flavour>(rng.weighted({55, 20, 12, 13}))), m_text(rng, m_flavour) {
    m_sender = m_text.person();
}

std::string MessageMaker::make(Kind kind) {
    count(std::string("kind: ") + kindName(kind));
    std::size_t budget = bodyBudget(kind);
    std::string message;
    // A draw can overshoot the size limit (encodings expand text); the next try halves the budget.
    for (;;) {
        if (kind == Kind::Broken) {
            message = brokenMessage(budget);
        } else if (kind == Kind::NoBody && m_rng.chance(0.3)) {
            count("no body: header block only");
            message =
                padded(topHeaders(true) + "MIME-Version: 1.0\nContent-Type: text/plain; charset=us-ascii\n");
        } else {
            Entity entity;
            switch (kind) {
            case Kind::Plain:
                entity = plainEntity(budget);
                break;
            case Kind::Alternative:
                entity = alternativeEntity(budget);
                break;
            case Kind::HtmlOnly:
                entity = htmlEntity(budget);
                break;
            case Kind::Attachments: {
                std::size_t textBytes = std::min<std::size_t>(budget / 4, 400 + m_rng.below(3000));
                std::vector<Entity> parts{m_rng.chance(0.6) ? plainEntity(textBytes)
                                                            : alternativeEntity(textBytes)};
                std::size_t count = static_cast<std::size_t>(m_rng.weighted({60, 25, 10, 5})) + 1;
                std::size_t left = budget > textBytes ? budget - textBytes : 2000;
                for (std::size_t i = 0; i < count; ++i) {
                    std::size_t share = i + 1 == count ? left : left / 2 + m_rng.below(left / 4 + 1);
                    parts.push_back(attachmentEntity(std::max<std::size_t>(share, 600)));
                    left = left > share ? left - share : 600;
                }
                entity = multipart("mixed", parts, "");
                break;
            }
            case Kind::Related:
                entity = relatedEntity(budget);
                break;
            case Kind::Forwarded:
                entity = forwardedEntity(budget);
                break;
            case Kind::Signed:
                entity = signedEntity(budget);
                break;
            case Kind::TextAttachment: {
                std::vector<Entity> parts{plainEntity(budget)};
                if (m_rng.chance(0.3)) {
                    // A meeting invitation: the calendar is a third alternative.
                    std::string text = m_text.body(budget, TextStyle{m_flavour, true, false}, m_sender);
                    parts = {textEntity(text, "plain", ""),
                             textEntity(m_text.htmlOf(text, "UTF-8"), "html", ""), textAttachmentEntity()};
                    entity = multipart("alternative", parts, "");
                } else {
                    std::size_t count = static_cast<std::size_t>(m_rng.between(1, 2));
                    for (std::size_t i = 0; i < count; ++i) {
                        parts.push_back(textAttachmentEntity());
                    }
                    entity = multipart("mixed", parts, "");
                }
                break;
            }
            case Kind::NoBody:
                entity = noBodyEntity(budget);
                break;
            case Kind::Broken:
                break;
            }
            message = assemble(topHeaders(true), entity);
        }
        if (message.size() <= kMaximumSize || budget < 1000) {
            break;
        }
        budget /= 2;
    }
    bool crlf = kind != Kind::Broken && m_rng.chance(0.08);
    if (crlf) {
        count("file: CRLF line ends");
        return withCrlf(message);
    }
    return message;
}

std::size_t MessageMaker::bodyBudget(Kind kind) {
    auto draw = [&](double median, double sigma, double low, double high) {
        return static_cast<std::size_t>(std::clamp(m_rng.logNormal(median, sigma), low, high));
    };
    switch (kind) {
    case Kind::Plain:
    case Kind::Signed:
    case Kind::Forwarded:
    case Kind::TextAttachment:
        return draw(1800, 0.9, 150, 150000);
    case Kind::Alternative:
        return draw(5000, 0.9, 300, 180000);
    case Kind::HtmlOnly:
        return draw(9000, 1.0, 500, 190000);
    case Kind::Attachments:
        return draw(45000, 0.9, 3000, 194000);
    case Kind::Related:
        return draw(25000, 0.8, 3000, 190000);
    case Kind::NoBody:
        return draw(30000, 0.9, 2000, 190000);
    case Kind::Broken:
        return draw(3000, 0.9, 200, 100000);
    }
    return 2000;
}

std::string MessageMaker::randomBytes(std::size_t count) {
    std::string out;
    out.reserve(count + 8);
    while (out.size() < count) {
        std::uint64_t v = m_rng.next();
        for (int i = 0; i < 8 && out.size() < count; ++i) {
            out += static_cast<char>(v & 0xFF);
            v >>= 8;
        }
    }
    return out;
}

std::string MessageMaker::assemble(const std::string& top, const Entity& entity) {
    return padded(top + "MIME-Version: 1.0\n" + entity.headers + "\n" + entity.body);
}

std::string MessageMaker::padded(const std::string& message) {
    std::string padding;
    // A real header block is rarely under a kilobyte: relays and filters add their fields.
    while (message.size() + padding.size() < kMinimumSize) {
        padding += "X-Filter-Report: score=" + std::to_string(m_rng.below(100)) +
                   " tests=" + hexDigits(m_rng.next(), 16) + "," + hexDigits(m_rng.next(), 16) +
                   "\n\tversion=" + std::to_string(m_rng.between(1, 9)) + "\n";
    }
    return padding + message;
}

Charset MessageMaker::chooseCharset(const std::string& utf8, bool& mislabelled) {
    mislabelled = false;
    if (isAscii(utf8)) {
        return static_cast<Charset>(m_rng.weighted({38, 37, 18, 7}));
    }
    if (representable(utf8, Charset::Latin1)) {
        std::size_t choice = m_rng.weighted({52, 30, 15, 3});
        mislabelled = choice == 3;
        return choice == 0 ? Charset::Utf8 : choice == 1 ? Charset::Latin1 : Charset::Windows1252;
    }
    if (representable(utf8, Charset::Windows1252)) {
        std::size_t choice = m_rng.weighted({45, 40, 15});
        mislabelled = choice == 2;
        return choice == 0 ? Charset::Utf8 : Charset::Windows1252;
    }
    return Charset::Utf8;
}

MessageMaker::Entity MessageMaker::textEntity(const std::string& utf8, const std::string& subtype,
                                              const std::string& extraParams) {
    bool mislabelled = false;
    Charset charset = chooseCharset(utf8, mislabelled);
    std::string bytes = fromUtf8(utf8, charset);
    std::string label(charsetLabel(charset));
    if (mislabelled) {
        // The common damage: windows-1252 bytes called ISO-8859-1, Latin-1 bytes called UTF-8,
        // or 8-bit text with no label at all.
        std::size_t damage = m_rng.below(3);
        label = damage == 0 ? "ISO-8859-1" : damage == 1 ? "UTF-8" : "";
        count("charset: mislabelled or missing on 8-bit text");
    } else if (charset == Charset::UsAscii && m_rng.chance(0.1)) {
        label.clear();
    }
    count("charset: " + (label.empty() ? std::string("(none)") : label) + " (" + subtype + ")");
    std::string headers = "Content-Type: text/" + subtype;
    if (!label.empty()) {
        headers += m_rng.chance(0.5) ? "; charset=\"" + label + "\"" : "; charset=" + label;
    }
    headers += extraParams + "\n";
    std::string body;
    bool ascii = isAscii(bytes);
    std::size_t choice = ascii ? m_rng.weighted({65, 20, 15}) : m_rng.weighted({35, 40, 25});
    std::string encoding = choice == 1   ? "quoted-printable"
                           : choice == 2 ? "base64"
                           : ascii       ? "7bit"
                                         : "8bit";
    if (encoding == "base64") {
        std::string canonical = m_rng.chance(0.5) ? withCrlf(bytes) : bytes;
        if (m_rng.chance(0.05)) {
            count("encoding: base64 in padded pieces");
            body = base64PaddedPieces(canonical, static_cast<std::size_t>(m_rng.between(40, 400)));
        } else {
            body = base64Lines(canonical);
        }
    } else if (encoding == "quoted-printable") {
        body = quotedPrintable(bytes);
    } else {
        body = bytes;
    }
    count("encoding: " + encoding + " (text part)");
    if (encoding != "7bit" || m_rng.chance(0.8)) {
        headers += "Content-Transfer-Encoding: " + encoding + "\n";
    }
    return {headers, body};
}

MessageMaker::Entity MessageMaker::plainEntity(std::size_t bodyBytes) {
    TextStyle style{m_flavour, m_rng.chance(0.7), m_reply && m_rng.chance(0.7)};
    std::string text = m_text.body(bodyBytes, style, m_sender);
    std::string extra = style.wrapped && m_rng.chance(0.15) ? "; format=flowed" : "";
    return textEntity(text, "plain", extra);
}

MessageMaker::Entity MessageMaker::alternativeEntity(std::size_t bodyBytes) {
    std::string text;
    std::string html;
    std::string meta = m_rng.chance(0.7) ? "UTF-8" : "iso-8859-1";
    if (m_rng.chance(0.3)) {
        count("structure: alternative, newsletter layout");
        html = m_text.html(bodyBytes * 4 / 5, meta, m_sender);
        text = m_text.body(bodyBytes / 5, TextStyle{m_flavour, true, false}, m_sender);
    } else {
        text = m_text.body(bodyBytes / 3,
                           TextStyle{m_flavour, m_rng.chance(0.6), m_reply && m_rng.chance(0.6)}, m_sender);
        html = m_text.htmlOf(text, meta);
    }
    std::vector<Entity> parts{textEntity(text, "plain", ""), textEntity(html, "html", "")};
    if (m_rng.chance(0.03)) {
        count("structure: alternative, HTML first");
        std::swap(parts[0], parts[1]);
    }
    return multipart("alternative", parts, "");
}

MessageMaker::Entity MessageMaker::htmlEntity(std::size_t bodyBytes) {
    std::string meta = m_rng.chance(0.7) ? "UTF-8" : "windows-1252";
    return textEntity(m_text.html(bodyBytes, meta, m_sender), "html", "");
}

MessageMaker::Entity MessageMaker::attachmentEntity(std::size_t encodedBytes) {
    const BinaryType& type = kBinaryTypes[m_rng.weighted({30, 20, 20, 8, 10, 4, 8})];
    std::size_t raw = encodedBytes * 3 / 4 * 76 / 77;
    std::string data = type.magic + randomBytes(raw);
    std::string name = m_text.fileName(type.extension);
    count(std::string("attachment: ") + type.mime);
    std::string nameParam;
    std::string fileParam;
    if (isAscii(name)) {
        nameParam = "; name=\"" + name + "\"";
        fileParam = "; filename=\"" + name + "\"";
    } else if (m_rng.chance(0.5)) {
        count("attachment: non-ASCII name, RFC 2231");
        nameParam = "; name*=" + rfc2231Value(name);
        fileParam = ";\n filename*=" + rfc2231Value(name);
    } else {
        count("attachment: non-ASCII name, encoded-words");
        std::string words = encodedWords(name, Charset::Utf8, 'B', 40);
        nameParam = "; name=\"" + words + "\"";
        fileParam = ";\n filename=\"" + words + "\"";
    }
    bool image = std::string(type.mime).rfind("image/", 0) == 0;
    std::string disposition = image && m_rng.chance(0.2) ? "inline" : "attachment";
    std::string headers = std::string("Content-Type: ") + type.mime + nameParam +
                          "\nContent-Transfer-Encoding: base64\nContent-Disposition: " + disposition +
                          fileParam + "\n";
    return {headers, base64Lines(data)};
}

MessageMaker::Entity MessageMaker::textAttachmentEntity() {
    std::size_t variant = m_rng.below(4);
    std::string text;
    std::string headers;
    switch (variant) {
    case 0: {
        text = "date;item;amount\n";
        std::size_t rows = static_cast<std::size_t>(m_rng.between(5, 120));
        for (std::size_t i = 0; i < rows; ++i) {
            text += std::to_string(m_rng.between(2009, 2024)) + "-0" + std::to_string(m_rng.between(1, 9)) +
                    "-1" + std::to_string(m_rng.between(0, 9)) + ";" + m_text.word() + ";" +
                    std::to_string(m_rng.between(1, 99999)) + "\n";
        }
        headers =
            "Content-Type: text/csv; charset=UTF-8; name=\"figures.csv\"\nContent-Disposition: attachment; "
            "filename=\"figures.csv\"\n";
        count("attachment: text/csv");
        break;
    }
    case 1:
        text =
            "BEGIN:VCALENDAR\nVERSION:2.0\nMETHOD:REQUEST\nBEGIN:VEVENT\nUID:" + hexDigits(m_rng.next(), 16) +
            "\nDTSTART:20" + std::to_string(m_rng.between(10, 24)) +
            "0612T090000Z\nSUMMARY:" + m_text.sentence() + "\nLOCATION:" + m_text.word() +
            "\nEND:VEVENT\nEND:VCALENDAR\n";
        headers = "Content-Type: text/calendar; charset=UTF-8; method=REQUEST\n";
        count("attachment: text/calendar");
        break;
    case 2:
        text = m_text.body(static_cast<std::size_t>(m_rng.between(300, 3000)),
                           TextStyle{m_flavour, true, false}, m_sender);
        headers =
            "Content-Type: text/plain; charset=UTF-8; name=\"notes.txt\"\nContent-Disposition: attachment; "
            "filename=\"notes.txt\"\n";
        count("attachment: text/plain");
        break;
    default:
        text =
            "BEGIN:VCARD\nVERSION:3.0\nFN:" + m_sender.name + "\nEMAIL:" + m_sender.address + "\nEND:VCARD\n";
        headers =
            "Content-Type: text/vcard; charset=UTF-8; name=\"contact.vcf\"\nContent-Disposition: attachment; "
            "filename=\"contact.vcf\"\n";
        count("attachment: text/vcard");
        break;
    }
    if (m_rng.chance(0.3)) {
        return {headers + "Content-Transfer-Encoding: base64\n", base64Lines(text)};
    }
    return {headers + "Content-Transfer-Encoding: 8bit\n", text};
}

MessageMaker::Entity MessageMaker::relatedEntity(std::size_t bodyBytes) {
    std::string id = "image001.png@" + hexDigits(m_rng.next(), 8) + "." + hexDigits(m_rng.next(), 8);
    std::string html = m_text.html(bodyBytes / 4, "UTF-8", m_sender);
    html.insert(html.rfind("</body>"), "<p><img src=\"cid:" + id + "\" width=\"300\" alt=\"image\"></p>\n");
    std::string image = std::string("\x89PNG\r\n\x1a\n") + randomBytes(bodyBytes * 3 / 4 * 3 / 4);
    Entity picture{
        "Content-Type: image/png; name=\"image001.png\"\nContent-Transfer-Encoding: base64\nContent-ID: <" +
            id + ">\nContent-Disposition: inline; filename=\"image001.png\"\n",
        base64Lines(image)};
    Entity htmlPart = textEntity(html, "html", "");
    if (m_rng.chance(0.6)) {
        std::string text = m_text.body(bodyBytes / 8, TextStyle{m_flavour, true, false}, m_sender);
        Entity alternative = multipart("alternative", {textEntity(text, "plain", ""), htmlPart}, "");
        return multipart("related", {alternative, picture}, "; type=\"multipart/alternative\"");
    }
    return multipart("related", {htmlPart, picture}, "; type=\"text/html\"");
}

MessageMaker::Entity MessageMaker::forwardedEntity(std::size_t bodyBytes) {
    Person original = m_text.person();
    std::string inner =
        "From: " + (original.name.empty() ? "" : encodedWords(original.name, Charset::Utf8, 'Q', 6) + " ") +
        "<" + original.address + ">\nTo: <" + m_sender.address +
        ">\nDate: " + formatDate(m_envelope.dateUtc - m_rng.between(3600, 86400 * 400), 60, false) +
        "\nSubject: " + m_text.sentence() + "\nMessage-ID: <" + hexDigits(m_rng.next(), 16) + "@" +
        m_rng.pick(domains()) + ">\nMIME-Version: 1.0\n";
    Entity innerBody =
        m_rng.chance(0.3) ? alternativeEntity(bodyBytes * 2 / 3) : plainEntity(bodyBytes * 2 / 3);
    inner += innerBody.headers + "\n" + innerBody.body;
    Entity note = plainEntity(std::min<std::size_t>(bodyBytes / 3, 1500));
    std::string disposition = m_rng.chance(0.5) ? "inline" : "attachment; filename=\"forwarded message.eml\"";
    Entity message{"Content-Type: message/rfc822\nContent-Disposition: " + disposition + "\n", inner};

    return multipart("mixed", {note, message}, "");
}

MessageMaker::Entity MessageMaker::signedEntity(std::size_t bodyBytes) {
    Entity content = m_rng.chance(0.8) ? plainEntity(bodyBytes) : alternativeEntity(bodyBytes);
    if (m_rng.chance(0.7)) {
        count("structure: signed, OpenPGP");
        std::string armour = "-----BEGIN PGP SIGNATURE-----\n\n" + base64Lines(randomBytes(400)) + "=" +
                             base64Lines(randomBytes(3)) + "-----END PGP SIGNATURE-----\n";
        Entity signature{
            "Content-Type: application/pgp-signature; name=\"signature.asc\"\nContent-Description: "
            "OpenPGP digital signature\nContent-Disposition: attachment; filename=\"signature.asc\"\n",
            armour};
        return multipart("signed", {content, signature},
                         "; micalg=pgp-sha256;\n protocol=\"application/pgp-signature\"");
    }
    count("structure: signed, S/MIME");
    Entity signature{
        "Content-Type: application/pkcs7-signature; name=\"smime.p7s\"\nContent-Transfer-Encoding: "
        "base64\nContent-Disposition: attachment; filename=\"smime.p7s\"\n",
        base64Lines(randomBytes(static_cast<std::size_t>(m_rng.between(2000, 5000))))};
    return multipart("signed", {content, signature},
                     "; protocol=\"application/pkcs7-signature\"; micalg=sha-256");
}

MessageMaker::Entity MessageMaker::noBodyEntity(std::size_t bodyBytes) {
    switch (m_rng.below(3)) {
    case 0:
        count("no body: empty text/plain");
        return {"Content-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: 7bit\n", ""};
    case 1:
        count("no body: blank lines only");
        return {"Content-Type: text/plain; charset=us-ascii\n", "\n\n"};
    default:
        count("no body: attachment only");
        return multipart("mixed", {attachmentEntity(bodyBytes)}, "");
    }
}

MessageMaker::Entity MessageMaker::multipart(const std::string& subtype, const std::vector<Entity>& parts,
                                             const std::string& extraParams) {
    std::string b = boundary();
    std::string headers =
        "Content-Type: multipart/" + subtype + ";\n boundary=\"" + b + "\"" + extraParams + "\n";
    std::string body = m_rng.chance(0.4) ? "This is a multi-part message in MIME format.\n\n" : "";
    for (const Entity& part : parts) {
        body += "--" + b + "\n" + part.headers + "\n" + part.body;
        if (!part.body.empty() && part.body.back() != '\n') {
            body += '\n';
        }
    }
    body += "--" + b + "--\n";
    return {headers, body};
}

} // namespace bench
