#include "TextMaker.h"

#include <cctype>

namespace bench {

namespace {

void appendWrapped(std::string& out, const std::string& text, std::size_t width, const std::string& lead) {
    std::size_t column = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(' ', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::size_t length = end - pos;
        if (column == 0) {
            out += lead;
            column = lead.size();
        } else if (column + 1 + length > width) {
            out += '\n';
            out += lead;
            column = lead.size();
        } else {
            out += ' ';
            ++column;
        }
        out.append(text, pos, length);
        column += length;
        pos = end + 1;
    }
    out += '\n';
}

std::string escapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

std::string TextMaker::word() {
    const auto& extra = flavourWords(m_flavour);
    if (!extra.empty() && m_rng.chance(0.12)) {
        return m_rng.pick(extra);
    }
    return m_rng.pick(commonWords());
}

std::string TextMaker::sentence() {
    std::size_t count = static_cast<std::size_t>(m_rng.between(4, 18));
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        std::string w = word();
        if (i == 0 && !w.empty() && std::islower(static_cast<unsigned char>(w[0]))) {
            w[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(w[0])));
        } else if (i > 0 && i + 1 < count && m_rng.chance(0.06)) {
            out += ',';
        }
        if (i > 0) {
            out += ' ';
        }
        out += w;
    }
    static const char* const kEnds[] = {".", ".", ".", ".", "?", "!", "..."};
    out += kEnds[m_rng.below(7)];
    return out;
}

std::string TextMaker::paragraph() {
    std::size_t count = static_cast<std::size_t>(m_rng.between(1, 6));
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            out += ' ';
        }
        out += sentence();
    }
    return out;
}

std::string TextMaker::subject() {
    std::string out;
    if (m_rng.chance(0.3)) {
        out += m_rng.pick(subjectStarts());
    }
    std::size_t count = static_cast<std::size_t>(m_rng.between(2, 9));
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            out += ' ';
        }
        std::string w = word();
        if (i == 0 && std::islower(static_cast<unsigned char>(w[0]))) {
            w[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(w[0])));
        }
        out += w;
    }
    if (m_rng.chance(0.1)) {
        out += " #" + std::to_string(m_rng.between(100, 99999));
    }
    return out;
}

Person TextMaker::person() {
    // Addresses stay ASCII whatever the display name holds, as almost all real addresses do.
    const auto& asciiFirst = firstNames(Flavour::Plain);
    const auto& asciiLast = lastNames(Flavour::Plain);
    std::string local = m_rng.pick(asciiFirst) + "." + m_rng.pick(asciiLast);
    for (char& c : local) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (m_rng.chance(0.2)) {
        local += std::to_string(m_rng.between(1, 99));
    }
    Person p;
    p.address = local + "@" + m_rng.pick(domains());
    if (!m_rng.chance(0.1)) {
        p.name = m_rng.pick(firstNames(m_flavour)) + " " + m_rng.pick(lastNames(m_flavour));
    }
    return p;
}

std::string TextMaker::fileName(const std::string& extension) {
    std::string name = word();
    if (m_rng.chance(0.5)) {
        name += (m_rng.chance(0.5) ? "_" : " ") + word();
    }
    if (m_rng.chance(0.3)) {
        name += "-" + std::to_string(m_rng.between(2009, 2024));
    }
    return name + "." + extension;
}

std::string TextMaker::body(std::size_t targetBytes, const TextStyle& style, const Person& sender) {
    std::string out;
    out.reserve(targetBytes + 256);
    static const char* const kGreetings[] = {"Hi", "Hello", "Dear", "Hey", "Good morning"};
    out += kGreetings[m_rng.below(5)];
    out += m_rng.chance(0.5) ? " " + m_rng.pick(firstNames(m_flavour)) + ",\n\n" : ",\n\n";
    std::size_t ownText = style.quoting ? targetBytes * 2 / 3 : targetBytes;
    while (out.size() < ownText) {
        if (style.wrapped) {
            appendWrapped(out, paragraph(), 72, "");
        } else {
            out += paragraph();
            out += '\n';
        }
        out += '\n';
    }
    if (m_rng.chance(0.7)) {
        out += "Regards,\n";
    }
    out += "-- \n" + (sender.name.empty() ? sender.address : sender.name) + "\n";
    if (m_rng.chance(0.4)) {
        out += "Phone +1 555 01" + std::to_string(m_rng.between(10, 99)) + "\n";
    }
    if (style.quoting) {
        out += "\nOn " + std::to_string(m_rng.between(1, 28)) + " March " +
               std::to_string(m_rng.between(2009, 2024)) + ", " + m_rng.pick(firstNames(m_flavour)) +
               " wrote:\n";
        while (out.size() < targetBytes) {
            appendWrapped(out, paragraph(), 72, m_rng.chance(0.2) ? "> > " : "> ");
            out += ">\n";
        }
    }
    return out;
}

std::string TextMaker::inlineMarkup(const std::string& text) {
    std::string escaped = escapeHtml(text);
    switch (m_rng.below(8)) {
    case 0:
        return "<b>" + escaped + "</b>";
    case 1:
        return escaped + " <a href=\"https://" + m_rng.pick(domains()) + "/p/" +
               std::to_string(m_rng.below(100000)) +
               "?utm_source=mail&amp;id=" + std::to_string(m_rng.below(1000)) + "\">" + escapeHtml(word()) +
               "</a>";
    case 2:
        return "<span style=\"color:#333333;font-size:14px\">" + escaped + "</span>&nbsp;&nbsp;";
    case 3:
        return escaped + " &eacute;t&eacute; &amp; &#8364;" + std::to_string(m_rng.between(1, 999));
    default:
        return escaped;
    }
}

std::string TextMaker::html(std::size_t targetBytes, const std::string& charsetLabel, const Person& sender) {
    std::string out;
    out.reserve(targetBytes + 512);
    out += "<!DOCTYPE html>\n<html><head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
           charsetLabel +
           "\">\n<style type=\"text/css\">\nbody { font-family: Arial, sans-serif; }\n.footer { color: #999; "
           "}\n</style>\n</head>\n<body>\n";
    bool newsletter = m_rng.chance(0.4);
    bool listMarkers = m_rng.chance(0.15);
    if (newsletter) {
        out += "<table width=\"100%\" cellpadding=\"0\" cellspacing=\"0\" border=\"0\"><tr><td "
               "align=\"center\">\n"
               "<table width=\"600\" cellpadding=\"10\"><tr><td><img src=\"https://" +
               m_rng.pick(domains()) + "/logo.png\" alt=\"logo\" width=\"120\"></td></tr>\n";
    }
    while (out.size() < targetBytes) {
        std::string para = newsletter ? "<tr><td style=\"padding:8px\">" : "<div><p>";
        std::size_t sentences = static_cast<std::size_t>(m_rng.between(1, 5));
        for (std::size_t i = 0; i < sentences; ++i) {
            para += inlineMarkup(sentence()) + (m_rng.chance(0.2) ? "<br>\n" : " ");
        }
        para += newsletter ? "</td></tr>\n" : "</p></div>\n";
        if (listMarkers && m_rng.chance(0.5)) {
            // The conditional markers one office suite writes around its list bullets.
            para = "<p class=MsoListParagraph><![if !supportLists]><span>&middot;<span>&nbsp; </span></span>"
                   "<![endif]>" +
                   escapeHtml(sentence()) + "</p>\n";
        }
        out += para;
    }
    if (newsletter) {
        out += "<tr><td class=\"footer\">To unsubscribe <a href=\"https://" + m_rng.pick(domains()) +
               "/u\">click here</a></td></tr></table>\n</td></tr></table>\n";
    }
    out += "<p>" + escapeHtml(sender.name.empty() ? sender.address : sender.name) + "</p>\n</body></html>\n";
    return out;
}

std::string TextMaker::htmlOf(const std::string& text, const std::string& charsetLabel) {
    std::string out =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + charsetLabel +
        "\"></head><body>\n<div dir=\"ltr\">";
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(pos, end - pos);
        if (line.empty()) {
            out += "<br>\n";
        } else if (line[0] == '>') {
            out += "<blockquote style=\"margin:0 0 0 .8ex;border-left:1px #ccc solid\">" + escapeHtml(line) +
                   "</blockquote>\n";
        } else {
            out += "<div>" + escapeHtml(line) + "</div>\n";
        }
        pos = end + 1;
    }
    out += "</div></body></html>\n";
    return out;
}

} // namespace bench
