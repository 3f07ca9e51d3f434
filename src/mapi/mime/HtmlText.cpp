#include "mapi/mime/HtmlText.h"

#include <algorithm>
#include <cstring>
#include <libxml/HTMLparser.h>
#include <libxml/encoding.h>
#include <libxml/parserInternals.h>
#include <memory>
#include <string_view>
#include <strings.h>
#include <vector>

namespace mapi::mime {
namespace {

enum class Kind : unsigned char { Inline, Skip, Line, Paragraph, Break, ListItem, Cell, Pre };

struct NamedKind {
    std::string_view name;
    Kind kind;
};

// libxml2's HTML parser gives tag names in lower case, so exact comparisons find them.
constexpr NamedKind kNamedKinds[] = {
    {"p", Kind::Paragraph},   {"br", Kind::Break},          {"li", Kind::ListItem},
    {"td", Kind::Cell},       {"th", Kind::Cell},           {"div", Kind::Line},
    {"tr", Kind::Line},       {"pre", Kind::Pre},           {"script", Kind::Skip},
    {"style", Kind::Skip},    {"head", Kind::Skip},         {"title", Kind::Skip},
    {"template", Kind::Skip}, {"xml", Kind::Skip},          {"h1", Kind::Paragraph},
    {"h2", Kind::Paragraph},  {"h3", Kind::Paragraph},      {"h4", Kind::Paragraph},
    {"h5", Kind::Paragraph},  {"h6", Kind::Paragraph},      {"ul", Kind::Paragraph},
    {"ol", Kind::Paragraph},  {"table", Kind::Paragraph},   {"dl", Kind::Paragraph},
    {"hr", Kind::Paragraph},  {"address", Kind::Paragraph}, {"blockquote", Kind::Paragraph},
    {"dd", Kind::Line},       {"dt", Kind::Line},           {"section", Kind::Line},
    {"article", Kind::Line},  {"header", Kind::Line},       {"footer", Kind::Line},
    {"nav", Kind::Line},      {"aside", Kind::Line},        {"main", Kind::Line},
    {"form", Kind::Line},     {"center", Kind::Line},       {"caption", Kind::Line},
};

Kind kindOf(std::string_view name) {
    for (const NamedKind& named : kNamedKinds) {
        if (named.name == name)
            return named.kind;
    }
    return Kind::Inline;
}

// Collects text the way a browser lays it out: blanks collapse, blocks start new lines, and
// line breaks asked for by neighbouring blocks merge instead of adding up.
class TextLayout {
public:
    void text(std::string_view text, bool preformatted) {
        std::size_t i = 0;
        while (i < text.size()) {
            const char c = text[i];
            if (c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') {
                visible(' ');
                i += 2;
            } else if (preformatted && (c == '\n' || c == '\r')) {
                if (c == '\n')
                    newline();
                ++i;
            } else if (!preformatted && isBlank(c)) {
                m_space = true;
                ++i;
            } else {
                // The first byte of a run settles pending breaks and blanks; the rest just follow.
                visible(c);
                std::size_t end = i + 1;
                while (end < text.size() && text[end] != '\xC2' &&
                       !(preformatted ? text[end] == '\n' || text[end] == '\r' : isBlank(text[end])))
                    ++end;
                m_out.append(text, i + 1, end - i - 1);
                i = end;
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
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

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

// Outlook's conditional markers <![if ...]> and <![endif]> are not tags to the parser. A marker
// ends at its first '>', right after its ']': the "<![endif]-->" that closes a conditional
// comment is the comment's end, and taking the next "]>" anywhere for its end would cut the
// comment open and hide the text after it.
std::string withoutConditionalMarkers(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    std::size_t position = 0;
    while (true) {
        const std::size_t start = html.find("<![", position);
        if (start == std::string_view::npos)
            break;
        const std::size_t close = html.find('>', start);
        const std::string_view word = html.substr(start + 3, 5);
        const bool marker = close != std::string_view::npos && html[close - 1] == ']' &&
                            (!strncasecmp(word.data(), "if", std::min<std::size_t>(2, word.size())) ||
                             (word.size() == 5 && !strncasecmp(word.data(), "endif", 5)));
        out.append(html, position, start - position);
        if (marker) {
            position = close + 1;
        } else {
            out += "<![";
            position = start + 3;
        }
    }
    out.append(html, position);
    return out;
}

// Lays the document out from the parser's events as libxml2's tree builder would have placed
// them, without building the tree. The builder drops text outside every element, and puts a
// top-level element after the first one inside that first one (the root) unless the document's
// first node is something else (a doctype, a comment): then it hangs beside the root, outside
// the text.
class SaxLayout {
public:
    static void onStart(void* context, const xmlChar* name, const xmlChar**) {
        self(context).start(reinterpret_cast<const char*>(name));
    }
    static void onEnd(void* context, const xmlChar*) { self(context).end(); }
    static void onText(void* context, const xmlChar* text, int length) {
        self(context).text(
            std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)));
    }
    static void onComment(void* context, const xmlChar*) { self(context).otherNode(); }
    static void onProcessingInstruction(void* context, const xmlChar*, const xmlChar*) {
        self(context).otherNode();
    }
    static void onDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
        // The builder puts an HTML document's doctype before everything else.
        self(context).m_firstNode = FirstNode::Other;
    }

    std::string finish() {
        // Elements the parser left open, the root last, end where the document does.
        while (!m_open.empty())
            leaveOpen();
        return m_layout.finish();
    }

private:
    enum class FirstNode { None, Root, Other };

    static SaxLayout& self(void* context) {
        return *static_cast<SaxLayout*>(static_cast<xmlParserCtxt*>(context)->_private);
    }

    void start(const char* name) {
        const bool topLevel = m_depth == 0;
        ++m_depth;
        if (m_hidden > 0) {
            ++m_hidden;
            return;
        }
        if (topLevel && m_haveRoot && (m_firstNode != FirstNode::Root || m_rootHidden)) {
            m_hidden = 1;
            return;
        }
        const Kind kind = kindOf(name);
        if (topLevel && !m_haveRoot) {
            m_haveRoot = true;
            m_rootHidden = kind == Kind::Skip;
            if (m_firstNode == FirstNode::None)
                m_firstNode = FirstNode::Root;
        }
        if (kind == Kind::Skip) {
            m_hidden = 1;
            return;
        }
        switch (kind) {
        case Kind::Paragraph:
            m_layout.block(2);
            break;
        case Kind::Line:
            m_layout.block(1);
            break;
        case Kind::Pre:
            m_layout.block(2);
            ++m_preformatted;
            break;
        case Kind::Break:
            m_layout.breakLine();
            break;
        case Kind::ListItem:
            m_layout.block(1);
            m_layout.prefix("* ");
            break;
        default:
            break;
        }
        m_open.push_back(kind);
    }

    void end() {
        if (m_depth == 0)
            return;
        --m_depth;
        if (m_hidden > 0) {
            --m_hidden;
            return;
        }
        // The root stays open: later top-level elements may still join it.
        if (m_depth == 0 && !m_rootEnded) {
            m_rootEnded = true;
            return;
        }
        if (!m_open.empty())
            leaveOpen();
    }

    void leaveOpen() {
        switch (m_open.back()) {
        case Kind::Paragraph:
            m_layout.block(2);
            break;
        case Kind::Pre:
            --m_preformatted;
            m_layout.block(2);
            break;
        case Kind::Line:
        case Kind::ListItem:
            m_layout.block(1);
            break;
        case Kind::Cell:
            m_layout.space();
            break;
        default:
            break;
        }
        m_open.pop_back();
    }

    void text(std::string_view text) {
        if (m_depth > 0 && m_hidden == 0)
            m_layout.text(text, m_preformatted > 0);
    }

    void otherNode() {
        if (m_depth == 0 && m_firstNode == FirstNode::None)
            m_firstNode = FirstNode::Other;
    }

    TextLayout m_layout;
    // Kinds of the open elements being laid out, outermost first: a heap stack, so nesting
    // depth costs memory, not call stack.
    std::vector<Kind> m_open;
    // Elements the parser has open.
    std::size_t m_depth = 0;
    // Elements open in (and including) one whose content is not laid out.
    std::size_t m_hidden = 0;
    int m_preformatted = 0;
    FirstNode m_firstNode = FirstNode::None;
    bool m_haveRoot = false;
    bool m_rootHidden = false;
    bool m_rootEnded = false;
};

struct ParserDeleter {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

} // namespace

std::string htmlToText(std::string_view html) {
    std::string cleaned;
    if (html.find("<![") != std::string_view::npos) {
        cleaned = withoutConditionalMarkers(html);
        html = cleaned;
    }
    if (html.empty())
        return {};
    // Set up as htmlReadMemory does, so the parser reads the bytes the same way, with the
    // handlers replaced by ours.
    xmlInitParser();
    std::unique_ptr<xmlParserCtxt, ParserDeleter> context(xmlCreateMemoryParserCtxt(
        html.data(), static_cast<int>(std::min<std::size_t>(html.size(), INT32_MAX))));
    if (!context || !context->sax)
        return {};
    xmlSAXHandlerV1 handler{};
    handler.startElement = SaxLayout::onStart;
    handler.endElement = SaxLayout::onEnd;
    handler.characters = SaxLayout::onText;
    handler.cdataBlock = SaxLayout::onText;
    handler.comment = SaxLayout::onComment;
    handler.processingInstruction = SaxLayout::onProcessingInstruction;
    handler.internalSubset = SaxLayout::onDoctype;
    handler.initialized = 1;
    std::memcpy(context->sax, &handler, sizeof handler);
    SaxLayout layout;
    context->_private = &layout;
    htmlCtxtUseOptions(context.get(), HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                          HTML_PARSE_NONET | XML_PARSE_HUGE);
    context->html = 1;
    if (xmlCharEncodingHandler* utf8 = xmlFindCharEncodingHandler("UTF-8")) {
        xmlSwitchToEncoding(context.get(), utf8);
        if (context->input->encoding)
            xmlFree(const_cast<xmlChar*>(context->input->encoding));
        context->input->encoding = xmlStrdup(BAD_CAST "UTF-8");
    }
    htmlParseDocument(context.get());
    if (context->myDoc) {
        xmlFreeDoc(context->myDoc);
        context->myDoc = nullptr;
    }
    return layout.finish();
}

} // namespace mapi::mime
