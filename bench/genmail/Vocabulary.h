#pragma once
// Word and name lists the generated mail is made of, all UTF-8. The "flavour" of a message decides
// which characters it may contain, and so which charsets can carry it.

#include <string>
#include <vector>

namespace bench {

enum class Flavour {
    Plain,       // ASCII only
    Western,     // Latin-1 letters (French, German, Spanish, Nordic words)
    Typographic, // Latin-1 plus curly quotes, dashes, euro sign: windows-1252 territory
    Worldwide,   // Cyrillic, Greek, CJK and emoji: UTF-8 only
};

const std::vector<std::string>& commonWords();
// Words the flavour adds to the common ones.
const std::vector<std::string>& flavourWords(Flavour flavour);
const std::vector<std::string>& firstNames(Flavour flavour);
const std::vector<std::string>& lastNames(Flavour flavour);
const std::vector<std::string>& domains();
const std::vector<std::string>& subjectStarts();
const std::vector<std::string>& mailers();

} // namespace bench
