#include "mapi/mime/HtmlText.h"

#include <algorithm>
#include <cstring>
#include <libxml/HTMLparser.h>
#include <memory>
#include <strings.h>

namespace mapi::mime {
namespace {

struct DocDeleter {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

enum class Kind { Inline, Skip, Line, Paragraph, Break, ListItem, Cell, Pre };

Kind kindOf(const xmlNode* node) {
    static const char* const skipped[] = {"script", "style", "head", "title", "template"};
    static const char* const paragraphs[] = {"p",  "h1", "h2",    "h3", "h4", "h5",      "h6",
                                             "ul", "ol", "table", "dl", "hr", "address", "blockquote"};
    static const char* const lines[] = {"div",    "tr",  "dd",    "dt",   "section", "article", "header",
                                        "footer", "nav", "aside", "main", "form",    "center",  "caption"};
    const char* name = reinterpret_cast<const char*>(node->name);
    const auto in = [&](const auto& names) {
        return std::any_of(std::begin(names), std::end(names),
                           [&](const char* n) { return !strcasecmp(n, name); });
    };
    if (in(skipped))
        return Kind::Skip;
    if (!strcasecmp(name, "br"))
        return Kind::Break;
    if (!strcasecmp(name, "li"))
        return Kind::ListItem;
    if (!strcasecmp(name, "td") || !strcasecmp(name, "th"))
        return Kind::Cell;
    if (!strcasecmp(name, "pre"))
        return Kind::Pre;
    if (in(paragraphs))
        return Kind::Paragraph;
    if (in(lines))
        return Kind::Line;
    return Kind::Inline;
}

// Collects text the way a browser lays it out: blanks collapse, blocks start new lines, and
// line breaks asked for by neighbouring blocks merge instead of adding up.
class TextLayout {
public:
    void text(std::string_view text, bool preformatted) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') {
                visible(' ');
                ++i;
            } else if (preformatted) {
                if (c == '\n')
                    newline();
                else if (c != '\r')
                    visible(c);
            } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
                m_space = true;
            } else {
                visible(c);
            }
        }
    }
    void breakLine() {
        flushBreaks();
        newline();
    }
    // At least `lines` line ends before the next text (2: an empty line between).
    void block(int lines) { m_pendingBreaks = std::max(m_pendingBreaks, lines); }
    void space() { m_space = true; }
    void prefix(std::string_view text) {
        for (const char c : text)
            visible(c);
    }

    std::string finish() {
        std::string out;
        std::size_t start = 0;
        // Trailing blanks of each line carry nothing.
        while (start <= m_out.size()) {
            std::size_t end = m_out.find('\n', start);
            if (end == std::string::npos)
                end = m_out.size();
            std::size_t trimmed = end;
            while (trimmed > start && m_out[trimmed - 1] == ' ')
                --trimmed;
            out.append(m_out, start, trimmed - start);
            if (end < m_out.size())
                out += '\n';
            start = end + 1;
        }
        while (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
    }

private:
    void flushBreaks() {
        if (m_out.empty()) {
            m_pendingBreaks = 0;
            return;
        }
        for (int i = m_trailingNewlines; i < m_pendingBreaks; ++i)
            newline();
        m_pendingBreaks = 0;
    }
    void visible(char c) {
        if (m_pendingBreaks > 0)
            flushBreaks();
        if (m_space && m_trailingNewlines == 0 && !m_out.empty())
            m_out += ' ';
        m_space = false;
        m_out += c;
        m_trailingNewlines = 0;
    }
    void newline() {
        m_out += '\n';
        ++m_trailingNewlines;
        m_space = false;
    }

    std::string m_out;
    int m_pendingBreaks = 0;
    int m_trailingNewlines = 0;
    bool m_space = false;
};

// Outlook's conditional markers <![if ...]> and <![endif]> are not tags to the parser.
std::string withoutConditionalMarkers(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    std::size_t position = 0;
    while (true) {
        const std::size_t start = html.find("<![", position);
        if (start == std::string_view::npos)
            break;
        const std::size_t close = html.find("]>", start);
        const std::string_view word = html.substr(start + 3, 5);
        const bool marker = close != std::string_view::npos &&
                            (!strncasecmp(word.data(), "if", std::min<std::size_t>(2, word.size())) ||
                             (word.size() == 5 && !strncasecmp(word.data(), "endif", 5)));
        out.append(html, position, start - position);
        if (marker) {
            position = close + 2;
        } else {
            out += "<![";
            position = start + 3;
        }
    }
    out.append(html, position);
    return out;
}

} // namespace

std::string htmlToText(std::string_view html) {
    const std::string cleaned = withoutConditionalMarkers(html);
    if (cleaned.empty())
        return {};
    std::unique_ptr<xmlDoc, DocDeleter> doc(htmlReadMemory(
        cleaned.data(), static_cast<int>(std::min<std::size_t>(cleaned.size(), INT32_MAX)), nullptr, "UTF-8",
        HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET | XML_PARSE_HUGE));
    if (!doc)
        return {};
    xmlNode* root = xmlDocGetRootElement(doc.get());
    TextLayout layout;
    int preformatted = 0;
    const auto leave = [&](xmlNode* node) {
        if (node->type != XML_ELEMENT_NODE)
            return;
        switch (kindOf(node)) {
        case Kind::Paragraph:
            layout.block(2);
            break;
        case Kind::Pre:
            --preformatted;
            layout.block(2);
            break;
        case Kind::Line:
        case Kind::ListItem:
            layout.block(1);
            break;
        case Kind::Cell:
            layout.space();
            break;
        default:
            break;
        }
    };
    for (xmlNode* node = root; node;) {
        bool descend = false;
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            if (node->content)
                layout.text(reinterpret_cast<const char*>(node->content), preformatted > 0);
        } else if (node->type == XML_ELEMENT_NODE) {
            const Kind kind = kindOf(node);
            descend = kind != Kind::Skip;
            if (kind == Kind::Paragraph)
                layout.block(2);
            else if (kind == Kind::Line)
                layout.block(1);
            else if (kind == Kind::Pre) {
                layout.block(2);
                ++preformatted;
            } else if (kind == Kind::Break)
                layout.breakLine();
            else if (kind == Kind::ListItem) {
                layout.block(1);
                layout.prefix("* ");
            }
        }
        if (descend && node->children) {
            node = node->children;
            continue;
        }
        // Climb until a node with a next sibling, closing every element passed.
        while (node) {
            if (node->type == XML_ELEMENT_NODE && kindOf(node) != Kind::Skip)
                leave(node);
            if (node == root) {
                node = nullptr;
            } else if (node->next) {
                node = node->next;
                break;
            } else {
                node = node->parent;
            }
        }
    }
    return layout.finish();
}

} // namespace mapi::mime
