// The shortcut for plain MIME structures: it takes the structures of everyday mail, declines
// every unusual one, and whichever it does, the body is the one GMime's reading gives.

#include "mapi/mime/SimpleStructure.h"
#include "mapi/mime/BodyText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct Case {
    const char* name;
    std::string message;
    bool shortcut;
    std::optional<std::string> body; // checked when the row gives one
};

std::string alternative(const std::string& plain, const std::string& boundaryLine = "--b") {
    return "From: a@example.org\nContent-Type: multipart/alternative; boundary=\"b\"\n\n" + boundaryLine +
           "\nContent-Type: text/plain; charset=utf-8\n\n" + plain +
           "\n--b\nContent-Type: text/html\n\n"
           "<p>Hello <b>there</b></p>\n--b--\n";
}

const Case kCases[] = {
    {"plain without Content-Type", "Subject: s\n\nHello\n", true, "Hello\r\n"},
    {"quoted-printable in CR LF",
     "Subject: s\r\nContent-Type: text/plain;\r\n\tcharset=\"ISO-8859-1\"\r\nContent-Transfer-Encoding: "
     "Quoted-Printable\r\n\r\nCaf=E9 =\r\nau lait\r\n",
     true, "Caf\xC3\xA9 au lait\r\n"},
    {"plain alternative first", alternative("Plain text"), true, "Plain text"},
    {"CR LF line ends before a boundary line",
     "Content-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
     "line one\r\nline two\r\n--b--\r\n",
     true, "line one\r\nline two"},
    // GMime takes the line end before a boundary line to be of the boundary line's own kind.
    {"CR LF before an LF boundary line",
     "Content-Type: multipart/mixed; boundary=b\n\n--b\n\ntext\r\n--b--\n", true, "text\r\n"},
    {"LF before a CR LF boundary line",
     "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\ntext\n--b--\r\n", false, std::nullopt},
    {"blank plain alternative gives the HTML", alternative("  "), true, "Hello there"},
    {"nested, with preamble, epilogue and an attachment",
     "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\npreamble\r\n--outer\r\n"
     "Content-Type: multipart/alternative; boundary=\"inner\"\r\n\r\n--inner\r\n"
     "Content-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
     "PHA+aGk8L3A+\r\n--inner--\r\nepilogue\r\n--outer\r\nContent-Type: text/plain\r\n"
     "Content-Disposition: ATTACHMENT; filename=\"a.txt\"\r\n\r\nnot the body\r\n--outer--\r\n",
     true, "hi"},
    {"signed text, then its signature",
     "Content-Type: multipart/signed; boundary=s; protocol=\"application/pgp-signature\"\n\n--s\n\n"
     "\n--s\nContent-Type: text/plain\n\nsignature\n--s--\n",
     true, std::nullopt},
    {"encrypted parts are never the text",
     "Content-Type: multipart/encrypted; boundary=e\n\n--e\nContent-Type: text/plain\n\nsecret\n--e--\n",
     true, std::nullopt},
    {"a part with no header fields", "Content-Type: multipart/mixed; boundary=m\n\n--m\n\nfirst\n--m--\n",
     true, "first"},
    {"an attached message",
     "Content-Type: multipart/mixed; boundary=m\n\n--m\nContent-Type: message/rfc822\n\n"
     "Subject: inner\n\ninner\n--m\n\nouter\n--m--\n",
     false, std::nullopt},
    {"Content-Type given twice", "Content-Type: text/html\nContent-Type: text/plain\n\n<p>x</p>\n", false,
     std::nullopt},
    {"an RFC 2231 charset", "Content-Type: text/plain; charset*=utf-8''x\n\nx\n", false, std::nullopt},
    {"an encoded word in a parameter", "Content-Type: text/plain; charset==?utf-8?q?x?=\n\nx\n", false,
     std::nullopt},
    {"blanks around a parameter's =", "Content-Type: text/plain; charset = utf-8\n\nx\n", false,
     std::nullopt},
    {"a transfer encoding with a comment", "Content-Transfer-Encoding: base64 (x)\n\naGk=\n", false,
     std::nullopt},
    {"a boundary line followed by blanks", alternative("text", "--b  "), false, std::nullopt},
    {"a multipart cut short",
     "Content-Type: multipart/mixed; boundary=m\n\n--m\nContent-Type: text/plain\n\ncut", false,
     std::nullopt},
    {"a boundary never used",
     "Content-Type: multipart/mixed; boundary=m\n\n--other\nContent-Type: text/plain\n\nx\n--other--\n",
     false, std::nullopt},
    {"an inner boundary that begins with the outer one",
     "Content-Type: multipart/mixed; boundary=m\n\n--m\nContent-Type: multipart/mixed; "
     "boundary=mm\n\n--mm\n\nx\n"
     "--mm--\n--m--\n",
     false, std::nullopt},
    {"an inner multipart left open",
     "Content-Type: multipart/mixed; boundary=m\n\n--m\nContent-Type: multipart/mixed; "
     "boundary=i\n\n--i\n\nx\n"
     "--m--\n",
     false, std::nullopt},
    {"a line in a part's header that is no field",
     "Content-Type: multipart/mixed; boundary=m\n\n--m\nContent-Type: text/plain\nnot a field\n\nx\n--m--\n",
     false, std::nullopt},
    {"a digest", "Content-Type: multipart/digest; boundary=d\n\n--d\n\nSubject: x\n\nx\n--d--\n", false,
     std::nullopt},
    {"a header without its empty line", "Subject: s\nContent-Type: text/plain\n", false, std::nullopt},
};

TEST(SimpleStructure, TakesPlainStructuresAndReadsThemAsGMimeDoes) {
    for (const Case& row : kCases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(mapi::mime::simpleTextParts(row.message).has_value(), row.shortcut);
        const auto body = mapi::mime::plainTextBody(row.message);
        EXPECT_EQ(body, mapi::mime::plainTextBodyByLibrary(row.message));
        if (row.body) {
            EXPECT_EQ(body, row.body);
        }
    }
}

TEST(SimpleStructure, ManyParametersAreLeftToGMime) {
    std::string type = "Content-Type: text/plain";
    for (int i = 0; i < 100000; ++i)
        type += "; p" + std::to_string(i) + "=v";
    EXPECT_FALSE(mapi::mime::simpleTextParts(type + "\n\nx\n"));
}

} // namespace
