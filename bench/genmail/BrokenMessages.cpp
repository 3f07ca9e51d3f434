// Damaged messages of the kinds found in real mailboxes: a reader must take each of them without
// stopping, so a benchmark that lacks them measures a friendlier world than the real one.

#include "MessageMaker.h"

#include <algorithm>

namespace bench {

std::string MessageMaker::brokenMessage(std::size_t bodyBytes) {
    static const std::vector<double> kWeights{10, 8, 6, 8, 6, 4, 8, 8, 3, 1, 8, 8, 1, 4, 6, 6, 5};
    std::size_t variant = m_rng.weighted(kWeights);
    switch (variant) {
    case 0: {
        count("broken: multipart cut short");
        Entity e = multipart("mixed", {plainEntity(bodyBytes / 3), attachmentEntity(bodyBytes)}, "");
        e.body.resize(e.body.size() * (50 + m_rng.below(45)) / 100);
        return assemble(topHeaders(true), e);
    }
    case 1: {
        count("broken: boundary never used");
        Entity e = plainEntity(bodyBytes);
        e.headers = "Content-Type: multipart/alternative; boundary=\"" + boundary() + "\"\n";
        return assemble(topHeaders(true), e);
    }
    case 2: {
        count("broken: multipart without boundary");
        Entity e = multipart("mixed", {plainEntity(bodyBytes), textAttachmentEntity()}, "");
        e.headers = "Content-Type: multipart/mixed\n";
        return assemble(topHeaders(true), e);
    }
    case 3: {
        count("broken: damaged base64");
        std::string text = m_text.body(bodyBytes, TextStyle{m_flavour, true, false}, m_sender);
        std::string encoded = base64Lines(text);
        std::string damaged;
        std::size_t line = 0;
        for (std::size_t pos = 0; pos < encoded.size();) {
            std::size_t end = encoded.find('\n', pos);
            std::string piece = encoded.substr(pos, end - pos);
            if (++line % 7 == 0) {
                piece.insert(piece.size() / 2, m_rng.chance(0.5) ? "!!*" : " ");
            }
            if (line % 11 == 0) {
                piece.resize(piece.size() - 1);
            }
            damaged += piece + "\n";
            pos = end + 1;
        }
        return assemble(
            topHeaders(true),
            {"Content-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: base64\n", damaged});
    }
    case 4:
        count("broken: no header block");
        return m_text.body(bodyBytes, TextStyle{m_flavour, true, false}, m_sender);
    case 5:
        count("broken: binary junk");
        return randomBytes(std::clamp<std::size_t>(bodyBytes, 1024, 8192));
    case 6: {
        count("broken: lines that are not header fields");
        std::string top = topHeaders(true);
        std::size_t middle = top.find("\nMessage-ID:");
        top.insert(middle + 1,
                   "This line is no header field\n\tand this continues nothing\n>From relay Mon Jan 1\n");
        return "  a continuation before any field\n" + assemble(top, plainEntity(bodyBytes));
    }
    case 7: {
        static const char* const kLabels[] = {"x-unknown", "unicode-1-1-utf-7", "\"\"", "cp-850x",
                                              "ansi-latin"};
        const char* label = kLabels[m_rng.below(std::size(kLabels))];
        count(std::string("broken: unknown charset ") + label);
        TextMaker western(m_rng, Flavour::Western);
        std::string text =
            fromUtf8(western.body(bodyBytes, TextStyle{Flavour::Western, true, false}, m_sender),
                     Charset::Windows1252);
        return assemble(topHeaders(true), {std::string("Content-Type: text/plain; charset=") + label +
                                               "\nContent-Transfer-Encoding: 8bit\n",
                                           text});
    }
    case 8: {
        std::size_t depth = static_cast<std::size_t>(m_rng.between(40, 150));
        count("broken: multipart nested 40 to 150 deep");
        Entity e = plainEntity(std::min<std::size_t>(bodyBytes, 2000));
        for (std::size_t i = 0; i < depth; ++i) {
            e = multipart("mixed", {e}, "");
        }
        return assemble(topHeaders(true), e);
    }
    case 9: {
        count("broken: Content-Type with 7000 empty parameters");
        std::string header = "Content-Type: text/plain; charset=UTF-8";
        for (std::size_t i = 0; i < 7000; ++i) {
            header += i % 36 == 35 ? ";\n " : "; ";
        }
        Entity e = plainEntity(bodyBytes);
        return assemble(topHeaders(true), {header + "\nContent-Transfer-Encoding: 8bit\n", e.body});
    }
    case 10: {
        count("broken: mixed line ends and lone CR");
        std::string message = assemble(topHeaders(true), plainEntity(bodyBytes));
        std::size_t headerEnd = message.find("\n\n");
        std::string out;
        for (std::size_t i = 0; i < message.size(); ++i) {
            if (message[i] == '\n' && i <= headerEnd) {
                out += '\r';
            } else if (message[i] == '\n' && m_rng.chance(0.02)) {
                out += '\r';
                continue;
            }
            out += message[i];
        }
        return out;
    }
    case 11:
        count("broken: no Date field");
        return assemble(topHeaders(false), plainEntity(bodyBytes));
    case 12:
        count("broken: empty file");
        return "";
    case 13: {
        count("broken: NUL bytes in the text");
        std::string text = m_text.body(bodyBytes, TextStyle{m_flavour, true, false}, m_sender);
        for (int i = 0; i < 3; ++i) {
            text.insert(m_rng.below(text.size()), 1, '\0');
        }
        return assemble(topHeaders(true),
                        {"Content-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: 8bit\n", text});
    }
    case 14: {
        count("broken: damaged quoted-printable");
        std::string text = quotedPrintable(fromUtf8(
            m_text.body(bodyBytes, TextStyle{m_flavour, false, false}, m_sender), Charset::Windows1252));
        for (std::size_t pos = 50; pos < text.size(); pos += 300 + m_rng.below(600)) {
            static const char* const kJunk[] = {"=ZZ", "=4", "= ", "=\n=\n"};
            text.insert(pos, kJunk[m_rng.below(4)]);
        }
        return assemble(topHeaders(true), {"Content-Type: text/plain; charset=windows-1252\n"
                                           "Content-Transfer-Encoding: quoted-printable\n",
                                           text + "="});
    }
    case 15: {
        count("broken: raw 8-bit header fields, undeclared 8-bit body");
        TextMaker western(m_rng, Flavour::Western);
        std::string top = topHeaders(true);
        std::size_t subject = top.find("\nSubject:");
        std::size_t subjectEnd = top.find('\n', subject + 1);
        top.replace(subject + 1, subjectEnd - subject - 1,
                    "Subject: " + fromUtf8("Re: " + western.sentence(), Charset::Windows1252));
        std::string text =
            fromUtf8(western.body(bodyBytes, TextStyle{Flavour::Western, true, false}, m_sender),
                     Charset::Windows1252);
        return top + "\n" + text;
    }
    default: {
        static const char* const kTypes[] = {
            "Content-Type: text\n", "Content-Type: multipart/mixed; boundary=\"\"\n",
            "Content-Type: ;charset=utf-8\n", "Content-Type: application/x-unknown\n"};
        std::size_t type = m_rng.below(std::size(kTypes));
        count("broken: malformed Content-Type " + std::to_string(type));
        Entity e = plainEntity(bodyBytes);
        return assemble(topHeaders(true), {kTypes[type], e.body});
    }
    }
}

} // namespace bench
