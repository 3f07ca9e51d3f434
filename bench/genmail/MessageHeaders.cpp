// The header block of a generated message: relay fields, a DKIM signature, the Date: in one of
// several styles, addresses and subjects as encoded-words, raw 8-bit text or plain ASCII.

#include "MessageMaker.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace bench {

namespace {

// Folds an ASCII header value at blanks so no line passes 76 characters.
std::string foldAscii(const std::string& value, std::size_t prefixLength) {
    std::string out;
    std::size_t column = prefixLength;
    std::size_t pos = 0;
    while (pos < value.size()) {
        std::size_t end = value.find(' ', pos + 1);
        if (end == std::string::npos) {
            end = value.size();
        }
        std::string piece = value.substr(pos, end - pos);
        if (column + piece.size() > 76 && pos > 0 && piece[0] == ' ') {
            out += '\n';
            column = 0;
        }
        out += piece;
        column += piece.size();
        pos = end;
    }
    return out;
}

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

} // namespace

std::string MessageMaker::formatDate(std::int64_t utc, int zoneMinutes, bool plainStyle) {
    std::time_t local = static_cast<std::time_t>(utc + zoneMinutes * 60);
    std::tm t{};
    gmtime_r(&local, &t);
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    int magnitude = std::abs(zoneMinutes);
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%02d%02d", zoneMinutes < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    std::string day = std::to_string(t.tm_mday);
    std::string year = std::to_string(t.tm_year + 1900);
    std::string zoneText = zone;
    std::size_t style = plainStyle ? 0 : m_rng.weighted({80, 6, 6, 5, 3});
    std::string weekday = std::string(kDays[t.tm_wday]) + ", ";
    switch (style) {
    case 1: // no day name
        weekday.clear();
        break;
    case 2: // a zone comment
        zoneText += zoneMinutes == 60 ? " (CET)" : " (UTC)";
        break;
    case 3: // two-digit day
        if (day.size() == 1) {
            day = "0" + day;
        }
        break;
    case 4: // obsolete zone names
        if (zoneMinutes == 0) {
            zoneText = m_rng.chance(0.5) ? "GMT" : "UT";
        } else if (zoneMinutes == -300) {
            zoneText = "EST";
        } else if (zoneMinutes == -420) {
            zoneText = "PDT";
        }
        break;
    default:
        break;
    }
    if (!plainStyle) {
        static const char* const kStyles[] = {"day name, numeric zone", "no day name", "zone comment",
                                              "two-digit day", "obsolete zone name"};
        count(std::string("date: ") + kStyles[style]);
    }
    return weekday + day + " " + kMonths[t.tm_mon] + " " + year + " " + clock + " " + zoneText;
}

std::string MessageMaker::boundary() {
    switch (m_rng.below(4)) {
    case 0:
        return "----=_Part_" + std::to_string(m_rng.below(1000000)) + "_" +
               std::to_string(m_rng.next() % 100000000);
    case 1:
        return "000000000000" + hexDigits(m_rng.next(), 16);
    case 2:
        return "=_" + hexDigits(m_rng.next(), 12) + "." + hexDigits(m_rng.next(), 8);
    default:
        return "Apple-Mail=_" + hexDigits(m_rng.next(), 8) + "-" + hexDigits(m_rng.next(), 4);
    }
}

std::string MessageMaker::addressField(const std::string& name, const std::vector<Person>& people) {
    std::string out = name + ": ";
    std::size_t column = out.size();
    for (std::size_t i = 0; i < people.size(); ++i) {
        const Person& p = people[i];
        std::string item;
        if (p.name.empty()) {
            item = m_rng.chance(0.5) ? p.address : "<" + p.address + ">";
        } else if (isAscii(p.name)) {
            item = (m_rng.chance(0.25) ? "\"" + p.name + "\"" : p.name) + " <" + p.address + ">";
        } else {
            std::size_t form = m_rng.weighted({75, 15, 10});
            if (form == 1) {
                count("address: display name in raw UTF-8");
                item = p.name + " <" + p.address + ">";
            } else {
                Charset cs = representable(p.name, Charset::Latin1) && m_rng.chance(0.4) ? Charset::Latin1
                                                                                         : Charset::Utf8;
                std::string words = encodedWords(p.name, cs, m_rng.chance(0.5) ? 'B' : 'Q', column);
                count("address: display name as encoded-words");
                item = (form == 2 ? "\"" + words + "\"" : words) + " <" + p.address + ">";
            }
        }
        if (i > 0) {
            out += ",";
            if (column + item.size() > 76) {
                out += "\n ";
                column = 1;
            } else {
                out += ' ';
                ++column;
            }
        }
        out += item;
        std::size_t lastBreak = item.rfind('\n');
        column = lastBreak == std::string::npos ? column + item.size() : item.size() - lastBreak - 1;
    }
    return out + "\n";
}

std::string MessageMaker::subjectField() {
    std::string subject = m_text.subject();
    if (isAscii(subject)) {
        count("subject: ASCII");
        return "Subject: " + foldAscii(subject, 9) + "\n";
    }
    std::size_t form = m_rng.weighted({45, 20, 15, 10, 5});
    Charset cs = Charset::Utf8;
    if (representable(subject, Charset::Latin1) && m_rng.chance(0.3)) {
        cs = Charset::Latin1;
    } else if (representable(subject, Charset::Windows1252) && m_rng.chance(0.3)) {
        cs = Charset::Windows1252;
    }
    switch (form) {
    case 0: // Base64 words, each padded on its own (as several common libraries write them)
        count("subject: B encoded-words, each padded");
        return "Subject: " + encodedWords(subject, cs, 'B', 9) + "\n";
    case 1:
        count("subject: Q encoded-words");
        return "Subject: " + encodedWords(subject, cs, 'Q', 9) + "\n";
    case 2: { // only the words that need it encoded, plain words between them
        count("subject: plain and encoded words mixed");
        std::string out;
        std::size_t pos = 0;
        while (pos < subject.size()) {
            std::size_t end = subject.find(' ', pos);
            if (end == std::string::npos) {
                end = subject.size();
            }
            std::string piece = subject.substr(pos, end - pos);
            if (!out.empty()) {
                out += m_rng.chance(0.3) ? "\n " : " ";
            }
            out += isAscii(piece) ? piece : encodedWords(piece, cs, m_rng.chance(0.5) ? 'B' : 'Q', 9);
            pos = end + 1;
        }
        return "Subject: " + out + "\n";
    }
    case 3:
        count("subject: raw UTF-8");
        return "Subject: " + subject + "\n";
    default:
        if (representable(subject, Charset::Windows1252)) {
            count("subject: raw windows-1252");
            return "Subject: " + fromUtf8(subject, Charset::Windows1252) + "\n";
        }
        count("subject: raw UTF-8");
        return "Subject: " + subject + "\n";
    }
}

std::string MessageMaker::topHeaders(bool withDate) {
    static const int kZones[] = {0, 60, 120, -300, -240, -480, -420, 330, 540, 600, 780, -210, 60, 0, 60};
    std::string out = "Return-Path: <" + m_sender.address + ">\n";
    out += "Delivered-To: owner@larkspire.test\n";
    std::int64_t hopTime = m_envelope.deliveryUtc;
    std::size_t hops = static_cast<std::size_t>(m_rng.between(1, 5));
    for (std::size_t i = 0; i < hops; ++i) {
        std::string domain = m_rng.pick(domains());
        out += "Received: from mx" + std::to_string(i + 1) + "." + domain + " (mx" + std::to_string(i + 1) +
               "." + domain + " [192.0.2." + std::to_string(m_rng.between(1, 254)) +
               "])\n\tby mail.larkspire.test with ESMTPS id " + hexDigits(m_rng.next(), 12) +
               "\n\tfor <owner@larkspire.test>; " +
               formatDate(hopTime, kZones[m_rng.below(std::size(kZones))], true) + "\n";
        hopTime -= m_rng.between(0, 20);
    }
    if (m_rng.chance(0.5)) {
        std::string signature;
        for (char c : base64Lines(randomBytes(256))) {
            if (c != '\n') {
                signature += c;
            }
        }
        out += "DKIM-Signature: v=1; a=rsa-sha256; c=relaxed/relaxed; d=" + m_rng.pick(domains()) +
               "; s=sel" + std::to_string(m_rng.between(1, 3)) +
               ";\n\th=from:to:subject:date:message-id:mime-version;\n\tbh=" + base64Lines(randomBytes(32)) +
               "\tb=";
        for (std::size_t i = 0; i < signature.size(); i += 70) {
            out += (i > 0 ? "\n\t " : "") + signature.substr(i, 70);
        }
        out += "\n";
    }
    out += "Message-ID: <" + hexDigits(m_rng.next(), 16) + "." + std::to_string(m_envelope.index) + "@" +
           m_rng.pick(domains()) + ">\n";
    if (withDate) {
        out += "Date: " + formatDate(m_envelope.dateUtc, m_envelope.zoneMinutes, false) + "\n";
    }
    out += addressField("From", {m_sender});
    std::vector<Person> to{Person{m_rng.chance(0.5) ? "Larkspire Owner" : "", "owner@larkspire.test"}};
    std::size_t others = static_cast<std::size_t>(m_rng.weighted({60, 20, 10, 6, 4}));
    for (std::size_t i = 0; i < others; ++i) {
        to.push_back(m_text.person());
    }
    out += addressField("To", to);
    if (m_rng.chance(0.25)) {
        std::vector<Person> cc;
        std::size_t ccCount = static_cast<std::size_t>(m_rng.between(1, 4));
        for (std::size_t i = 0; i < ccCount; ++i) {
            cc.push_back(m_text.person());
        }
        out += addressField("Cc", cc);
    }
    std::string subject = subjectField();
    m_reply = subject.find("Re:") != std::string::npos || subject.find("RE:") != std::string::npos ||
              subject.find("AW:") != std::string::npos;
    out += subject;
    if (m_reply) {
        std::string parent = "<" + hexDigits(m_rng.next(), 16) + "@" + m_rng.pick(domains()) + ">";
        out += "In-Reply-To: " + parent + "\nReferences: <" + hexDigits(m_rng.next(), 12) + "@" +
               m_rng.pick(domains()) + ">\n " + parent + "\n";
    }
    if (m_rng.chance(0.6)) {
        out += m_rng.pick(mailers()) + "\n";
    }
    if (m_rng.chance(0.1)) {
        out += "List-Id: <news." + m_rng.pick(domains()) + ">\nList-Unsubscribe: <mailto:leave@" +
               m_rng.pick(domains()) + ">\nPrecedence: bulk\n";
    }
    return out;
}

} // namespace bench
