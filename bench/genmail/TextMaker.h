#pragma once
// Readable-looking mail text: greetings, paragraphs, quoted replies, signatures, and the same text
// as an HTML document of the kinds mail programs send. All output is UTF-8 with '\n' line ends.

#include "Rng.h"
#include "Vocabulary.h"

#include <string>

namespace bench {

struct Person {
    std::string name; // display name, may be empty
    std::string address;
};

struct TextStyle {
    Flavour flavour = Flavour::Plain;
    bool wrapped = true;  // lines folded at 72 columns, else one line per paragraph
    bool quoting = false; // ends with a quoted earlier message
};

class TextMaker {
public:
    TextMaker(Rng& rng, Flavour flavour) : m_rng(rng), m_flavour(flavour) {}

    std::string word();
    std::string sentence();
    std::string subject();
    Person person();
    std::string fileName(const std::string& extension);

    // A message text of about `targetBytes` bytes.
    std::string body(std::size_t targetBytes, const TextStyle& style, const Person& sender);

    // An HTML document of about `targetBytes` bytes; `charsetLabel` goes into its meta tag.
    std::string html(std::size_t targetBytes, const std::string& charsetLabel, const Person& sender);

    // The text as a simple HTML document, as a mailer writes the HTML half of an alternative.
    std::string htmlOf(const std::string& text, const std::string& charsetLabel);

private:
    std::string paragraph();
    std::string inlineMarkup(const std::string& text);

    Rng& m_rng;
    Flavour m_flavour;
};

} // namespace bench
