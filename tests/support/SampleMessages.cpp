#include "SampleMessages.h"

#include <stdexcept>

namespace testsupport {
namespace {

std::vector<SampleMessage> buildSamples() {
    std::vector<SampleMessage> samples;
    const auto add = [&](std::string name, std::string text, std::optional<std::string> body,
                         std::string subject, std::string sender, std::string to) {
        samples.push_back({std::move(name), std::move(text), std::move(body), std::move(subject),
                           std::move(sender), std::move(to)});
    };

    add("PlainAscii", R"(From: Alice Example <alice@example.org>
To: Bob <bob@example.org>
Subject: Lunch
Date: Wed, 31 Jan 2024 14:05:09 +0000
Content-Type: text/plain; charset=us-ascii

Shall we meet at noon?

Alice
)",
        "Shall we meet at noon?\n\nAlice\n", "Lunch", "alice@example.org", "Bob");

    add("AlternativePlainFirst", R"(From: news@example.org
To: reader@example.org
Subject: Newsletter
MIME-Version: 1.0
Content-Type: multipart/alternative; boundary="alt-1"

This is a multi-part message in MIME format.

--alt-1
Content-Type: text/plain; charset=utf-8

Plain version.
--alt-1
Content-Type: text/html; charset=utf-8

<html><body><p>HTML version.</p></body></html>
--alt-1--
)",
        "Plain version.", "Newsletter", "news@example.org", "reader@example.org");

    add("AlternativeHtmlFirst", R"(From: news@example.org
To: reader@example.org
Subject: Reversed
MIME-Version: 1.0
Content-Type: multipart/alternative; boundary=b

--b
Content-Type: text/html

<p>Rich text</p>
--b
Content-Type: text/plain

Plain text wins.
--b--
)",
        "Plain text wins.", "Reversed", "news@example.org", "reader@example.org");

    add("MixedWithAttachments", R"(From: Carol <carol@example.org>
To: Dave <dave@example.org>, Erin <erin@example.org>
Subject: Report attached
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="mixed"

--mixed
Content-Type: multipart/alternative; boundary="alt"

--alt
Content-Type: text/plain; charset=utf-8
Content-Transfer-Encoding: 7bit

The report is attached.
--alt
Content-Type: text/html; charset=utf-8

<p>The report is <b>attached</b>.</p>
--alt--

--mixed
Content-Type: text/plain; name="notes.txt"
Content-Disposition: attachment; filename="notes.txt"

These notes are an attachment.
--mixed
Content-Type: application/pdf; name="report.pdf"
Content-Disposition: attachment; filename="report.pdf"
Content-Transfer-Encoding: base64

JVBERi0xLjQgZmFrZSBwZGYgYnl0ZXMAAQI=
--mixed--
)",
        "The report is attached.", "Report attached", "carol@example.org", "Dave; Erin");

    add("QuotedPrintableUtf8", R"(From: fred@example.org
To: gina@example.org
Subject: Caf=C3=A9 is not decoded here
Content-Type: text/plain; charset="UTF-8"
Content-Transfer-Encoding: quoted-printable

Caf=C3=A9 au lait, na=C3=AFve r=C3=A9sum=C3=A9. A long line that was wrapp=
ed by the sender.
Equals sign: =3D, bad escape stays: =ZZ
)",
        "Café au lait, naïve résumé. A long line that was wrapped by the sender.\nEquals sign: =, bad escape "
        "stays: =ZZ\n",
        "Caf=C3=A9 is not decoded here", "fred@example.org", "gina@example.org");

    add("Base64Utf8", R"(From: hans@example.org
To: ida@example.org
Subject: Greetings
Content-Type: text/plain; charset=utf-8
Content-Transfer-Encoding: base64

R3LDvMOfZSBhdXMgS8O2bG4K
)",
        "Grüße aus Köln\n", "Greetings", "hans@example.org", "ida@example.org");

    add("Base64PaddedChunks", R"(From: joe@example.org
To: kim@example.org
Subject: Chunks
Content-Type: text/plain; charset=utf-8
Content-Transfer-Encoding: base64

Rmlyc3QgY2h1bmsuCg==
U2Vjb25kIGNodW5rLgo=
)",
        "First chunk.\nSecond chunk.\n", "Chunks", "joe@example.org", "kim@example.org");

    add("Latin1QuotedPrintable", R"(From: lea@example.org
To: max@example.org
Subject: Menu
Content-Type: text/plain; charset=ISO-8859-1
Content-Transfer-Encoding: quoted-printable

Cr=E8me br=FBl=E9e for =80 5
)",
        "Crème brûlée for € 5\n", "Menu", "lea@example.org", "max@example.org");

    add("Latin1EightBit",
        "From: nina@example.org\nTo: otto@example.org\nSubject: Raw bytes\n"
        "Content-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: 8bit\n\n"
        "Gr\xFC\xDF"
        "e, \x93quoted\x94\n",
        "Grüße, \u201Cquoted\u201D\n", "Raw bytes", "nina@example.org", "otto@example.org");

    add("UndeclaredUtf8",
        "From: paul@example.org\nTo: quinn@example.org\nSubject: No charset\n\n"
        "Stra\xC3\x9F"
        "e\n",
        "Straße\n", "No charset", "paul@example.org", "quinn@example.org");

    add("UndeclaredLatin1",
        "From: paul@example.org\nTo: quinn@example.org\nSubject: No charset either\n\n"
        "Stra\xDF"
        "e\n",
        "Straße\n", "No charset either", "paul@example.org", "quinn@example.org");

    add("Utf8LabelOnLatin1Bytes",
        "From: rita@example.org\nTo: sam@example.org\nSubject: Wrong label\n"
        "Content-Type: text/plain; charset=utf-8\n\n"
        "caf\xE9 and caf\xC3\xA9\n",
        "café and café\n", "Wrong label", "rita@example.org", "sam@example.org");

    add("Koi8r",
        "From: tom@example.org\nTo: uma@example.org\nSubject: Cyrillic\n"
        "Content-Type: text/plain; charset=koi8-r\nContent-Transfer-Encoding: 8bit\n\n"
        "\xF0\xD2\xC9\xD7\xC5\xD4\n",
        "Привет\n", "Cyrillic", "tom@example.org", "uma@example.org");

    add("Iso2022Jp",
        "From: vic@example.org\nTo: wes@example.org\nSubject: Japanese\n"
        "Content-Type: text/plain; charset=ISO-2022-JP\nContent-Transfer-Encoding: 7bit\n\n"
        "\x1b$BF|K\\\x1b(B\n",
        "日本\n", "Japanese", "vic@example.org", "wes@example.org");

    add("EncodedWords", R"(From: =?ISO-8859-1?Q?Andr=E9_Dupont?= <andre@example.org>
To: =?UTF-8?B?SsO8cmdlbg==?= <juergen@example.org>, plain@example.org,
 "Quoted, Name" <q@example.org>
Subject: =?UTF-8?B?SGVsbG8=?= =?UTF-8?B?IHfDtnJsZA==?= and
 =?iso-8859-1?q?caf=E9?=
Content-Type: text/plain

Body.
)",
        "Body.\n", "Hello wörld and café", "andre@example.org", "Jürgen; plain@example.org; Quoted, Name");

    add("HtmlOnly", R"(From: shop@example.org
To: buyer@example.org
Subject: Your order
Content-Type: text/html; charset=utf-8

<!DOCTYPE html>
<html><head><title>Order</title><style>p { color: red; }</style>
<script>alert("x");</script></head>
<body><p>Dear   customer,</p><p>your order
of <b>3&nbsp;items</b> &amp; more<br>ships today.</p>
<ul><li>Tea</li><li>Caf&eacute;</li></ul>
<![if !mso]><div>Thanks</div><![endif]>
</body></html>
)",
        "Dear customer,\n\nyour order of 3 items & more\nships today.\n\n* Tea\n* Café\n\nThanks",
        "Your order", "shop@example.org", "buyer@example.org");

    add("AttachmentOnly", R"(From: scanner@example.org
To: office@example.org
Subject: Scan
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="m"

--m
Content-Type: application/octet-stream; name="scan.bin"
Content-Disposition: attachment; filename="scan.bin"
Content-Transfer-Encoding: base64

AAECAwQ=
--m--
)",
        std::nullopt, "Scan", "scanner@example.org", "office@example.org");

    add("HeadersOnly", "From: x@example.org\nTo: y@example.org\nSubject: Nothing else\n", std::nullopt,
        "Nothing else", "x@example.org", "y@example.org");

    add("BoundaryNeverUsed", R"(From: z@example.org
To: a@example.org
Subject: Wrong boundary
Content-Type: multipart/mixed; boundary="declared"

--actual
Content-Type: text/plain

Recovered text.
--actual--
)",
        "Recovered text.", "Wrong boundary", "z@example.org", "a@example.org");

    add("BoundaryNotClosed", R"(From: z@example.org
To: a@example.org
Subject: Unterminated
Content-Type: multipart/mixed; boundary="open"

--open
Content-Type: text/plain

Text until the end.
)",
        "Text until the end.\n", "Unterminated", "z@example.org", "a@example.org");

    add("Signed", R"(From: sig@example.org
To: a@example.org
Subject: Signed
Content-Type: multipart/signed; protocol="application/pgp-signature"; boundary="s"

--s
Content-Type: text/plain

Signed text.
--s
Content-Type: application/pgp-signature

-----BEGIN PGP SIGNATURE-----
-----END PGP SIGNATURE-----
--s--
)",
        "Signed text.", "Signed", "sig@example.org", "a@example.org");

    add("ForwardedMessage", R"(From: fw@example.org
To: a@example.org
Subject: Fwd: Old news
Content-Type: multipart/mixed; boundary="f"

--f
Content-Type: message/rfc822

From: old@example.org
Subject: Old news

Inner text is an attachment.
--f--
)",
        std::nullopt, "Fwd: Old news", "fw@example.org", "a@example.org");

    // Mail that other readers show but a strict parser turns into nothing, raw MIME or garbage.
    add("WordHtmlConditionalComments", R"(From: office@example.org
To: team@example.org
Subject: Minutes
MIME-Version: 1.0
Content-Type: text/html; charset=utf-8

<html xmlns:o="urn:schemas-microsoft-com:office:office"><head>
<!--[if gte mso 9]><xml><o:OfficeDocumentSettings><o:AllowPNG/></o:OfficeDocumentSettings></xml><![endif]-->
<style>p.MsoNormal {margin:0}</style></head><body lang=EN-GB>
<!--[if mso]><table><tr><td><![endif]-->
<p class=MsoNormal>Dear team,<o:p></o:p></p>
<!--[if mso]></td></tr></table><![endif]-->
<p class=MsoListParagraph><![if !supportLists]><span>1.</span><![endif]>Budget agreed.</p>
<!--[if !mso]><!--><p>Thanks.</p><!--<![endif]-->
</body></html>
)",
        "Dear team,\n\n1.Budget agreed.\n\nThanks.", "Minutes", "office@example.org", "team@example.org");

    add("ContentTypeWithoutSubtype", R"(From: old@example.org
To: a@example.org
Subject: Old mailer
Content-Type: text; charset=us-ascii

Text without a subtype.
)",
        "Text without a subtype.\n", "Old mailer", "old@example.org", "a@example.org");

    add("MultipartWithoutSubtype", R"(From: old@example.org
To: a@example.org
Subject: Parts
Content-Type: multipart; boundary="p"

--p
Content-Type: text/plain

First part's text.
--p
Content-Type: application/octet-stream
Content-Disposition: attachment; filename="x.bin"

AAAA
--p--
)",
        "First part's text.", "Parts", "old@example.org", "a@example.org");

    add("HeaderWithoutEmptyLine", R"(From: script@example.org
To: a@example.org
Subject: Nightly job
Content-Type: text/plain
The job finished.
Nothing to do.
)",
        "The job finished.\nNothing to do.\n", "Nightly job", "script@example.org", "a@example.org");

    add("MultipartHeaderWithoutEmptyLine", R"(From: script@example.org
To: a@example.org
Subject: Report
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="r"
--r
Content-Type: text/plain; charset=utf-8
Report text.
--r--
)",
        "Report text.", "Report", "script@example.org", "a@example.org");

    add("StrayLineInHeader", R"(From: list@example.org
To: a@example.org,
b@example.org
Subject: Folded badly
Content-Type: multipart/alternative; boundary="s"

--s
Content-Type: text/plain

Text after a broken fold.
--s--
)",
        "Text after a broken fold.", "Folded badly", "list@example.org", "a@example.org");

    add("TextLikeAFieldAfterHeaderWithoutEmptyLine", R"(From: script@example.org
To: a@example.org
Subject: Moved
Hi Bob,
Note: the meeting moved.

See you
)",
        "Hi Bob,\nNote: the meeting moved.\n\nSee you\n", "Moved", "script@example.org", "a@example.org");

    add("BrokenLinesInHeader", R"(  a continuation before any field
From: relay@example.org
Received: from mx1.example.org
This line is no header field
	and this continues nothing
>From relay Mon Jan 1
To: a@example.org
Subject: Relayed
Content-Type: multipart/alternative; boundary="k"

--k
Content-Type: text/plain

Relayed text.
--k--
)",
        "Relayed text.", "Relayed", "relay@example.org", "a@example.org");

    add("Base64LabelOnPlainText", R"(From: gateway@example.org
To: a@example.org
Subject: Mislabelled
Content-Type: text/plain; charset=utf-8
Content-Transfer-Encoding: base64

These are plain words, not base64.
Line two.
)",
        "These are plain words, not base64.\nLine two.\n", "Mislabelled", "gateway@example.org",
        "a@example.org");

    add("EmptyPlainBesideHtml", R"(From: news@example.org
To: a@example.org
Subject: Empty plain
MIME-Version: 1.0
Content-Type: multipart/alternative; boundary="e"

--e
Content-Type: text/plain

--e
Content-Type: text/html

<p>Only the HTML has text.</p>
--e--
)",
        "Only the HTML has text.", "Empty plain", "news@example.org", "a@example.org");

    // GMime reads such a first line as a header field and the text after it as more of them.
    add("NoHeadersFirstLineWithColon", "\xE9t\xE9: r\xE9sum\xE9\nSecond line\n",
        "\xC3\xA9t\xC3\xA9: r\xC3\xA9sum\xC3\xA9\nSecond line\n", "", "", "");

    return samples;
}

} // namespace

const std::vector<SampleMessage>& sampleMessages() {
    static const std::vector<SampleMessage> samples = buildSamples();
    return samples;
}

const SampleMessage& sampleMessage(std::string_view name) {
    for (const auto& sample : sampleMessages())
        if (sample.name == name)
            return sample;
    throw std::invalid_argument("No sample message " + std::string(name));
}

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string simpleMessage(std::string_view subject, std::string_view body, std::string_view date) {
    std::string text = "From: sender@example.org\nTo: receiver@example.org\nSubject: ";
    text += subject;
    text += '\n';
    if (!date.empty()) {
        text += "Date: ";
        text += date;
        text += '\n';
    }
    text += "Content-Type: text/plain; charset=utf-8\n\n";
    text += body;
    return text;
}

} // namespace testsupport
