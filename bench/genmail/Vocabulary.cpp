#include "Vocabulary.h"

namespace bench {

const std::vector<std::string>& commonWords() {
    static const std::vector<std::string> words{
        "the",       "of",        "and",         "to",       "in",        "is",       "that",
        "for",       "it",        "as",          "was",      "with",      "be",       "by",
        "on",        "not",       "he",          "this",     "are",       "or",       "his",
        "from",      "at",        "which",       "but",      "have",      "an",       "they",
        "you",       "were",      "their",       "one",      "all",       "we",       "can",
        "her",       "has",       "there",       "been",     "if",        "more",     "when",
        "will",      "would",     "who",         "so",       "no",        "out",      "up",
        "into",      "do",        "any",         "your",     "what",      "some",     "about",
        "than",      "could",     "only",        "time",     "other",     "new",      "them",
        "these",     "may",       "two",         "should",   "like",      "then",     "first",
        "our",       "over",      "also",        "after",    "such",      "most",     "made",
        "many",      "before",    "must",        "through",  "back",      "years",    "where",
        "much",      "well",      "because",     "each",     "meeting",   "project",  "report",
        "budget",    "schedule",  "team",        "review",   "draft",     "invoice",  "order",
        "delivery",  "customer",  "account",     "password", "server",    "update",   "release",
        "version",   "feature",   "question",    "answer",   "thanks",    "please",   "attached",
        "document",  "file",      "folder",      "message",  "reply",     "forward",  "calendar",
        "call",      "tomorrow",  "yesterday",   "today",    "week",      "month",    "quarter",
        "Monday",    "Friday",    "office",      "travel",   "hotel",     "flight",   "lunch",
        "dinner",    "coffee",    "weekend",     "contract", "proposal",  "estimate", "figures",
        "numbers",   "results",   "summary",     "notes",    "minutes",   "agenda",   "deadline",
        "priority",  "status",    "issue",       "ticket",   "support",   "price",    "quote",
        "payment",   "shipping",  "warehouse",   "supplier", "quality",   "test",     "build",
        "deploy",    "backup",    "network",     "printer",  "laptop",    "screen",   "phone",
        "garden",    "weather",   "rain",        "holiday",  "birthday",  "party",    "family",
        "school",    "library",   "museum",      "concert",  "ticket",    "train",    "station",
        "bridge",    "river",     "north",       "south",    "morning",   "evening",  "quickly",
        "carefully", "probably",  "already",     "still",    "again",     "almost",   "perhaps",
        "exactly",   "certainly", "usually",     "together", "important", "possible", "available",
        "different", "necessary", "interesting", "previous", "final",
    };
    return words;
}

const std::vector<std::string>& flavourWords(Flavour flavour) {
    static const std::vector<std::string> none;
    static const std::vector<std::string> western{
        "café",     "naïve",       "façade",  "résumé",   "Zürich",   "Größe",  "über",    "Straße",
        "señor",    "año",         "mañana",  "garçon",   "crème",    "brûlée", "déjà",    "fiancée",
        "Ångström", "smörgåsbord", "Øresund", "Málaga",   "São",      "Köln",   "Müller",  "Genève",
        "élève",    "être",        "später",  "Frühling", "Bäckerei", "niño",   "corazón", "avião",
    };
    static const std::vector<std::string> typographic{
        "“quoted”", "‘single’", "it’s",  "don’t", "—",      "–",     "€12",    "€ 450",
        "…",        "•",        "™",     "‰",     "Œuvre",  "œuvre", "Šimon",  "Ž",
        "café",     "naïve",    "Größe", "über",  "résumé", "señor", "Zürich", "façade",
    };
    static const std::vector<std::string> worldwide{
        "Привет",     "спасибо", "встреча",  "Москва", "Ελληνικά", "καλημέρα", "Αθήνα",      "日本語",
        "こんにちは", "東京",    "会議",     "中文",   "北京",     "한국어",   "안녕하세요", "😀",
        "👍",          "✓",       "→",        "≈",      "café",     "Größe",    "Łódź",       "Kraków",
        "čeština",    "Dvořák",  "İstanbul", "ğüşıö",  "עברית",    "العربية",  "हिन्दी",      "ไทย",
    };
    switch (flavour) {
    case Flavour::Plain:
        return none;
    case Flavour::Western:
        return western;
    case Flavour::Typographic:
        return typographic;
    case Flavour::Worldwide:
        return worldwide;
    }
    return none;
}

const std::vector<std::string>& firstNames(Flavour flavour) {
    static const std::vector<std::string> plain{
        "Anna",  "Ben",    "Clara", "David", "Emma",  "Frank",  "Grace",  "Henry",
        "Iris",  "Jack",   "Karen", "Liam",  "Maria", "Noah",   "Olivia", "Peter",
        "Quinn", "Rachel", "Sam",   "Tom",   "Uma",   "Victor", "Wendy",  "Yusuf",
    };
    static const std::vector<std::string> western{
        "André", "Chloé", "Élodie", "François", "Günter", "Håkon", "Jürgen", "José",   "Léa",   "Noé",
        "Pål",   "Renée", "Søren",  "Zoë",      "Björn",  "Inés",  "Joël",   "Maëlle", "Ørjan", "Ágota",
    };
    static const std::vector<std::string> worldwide{
        "Дмитрий",  "Анна",  "Γιώργος", "Ελένη", "太郎", "花子",  "Łukasz",
        "Kateřina", "Çağla", "Jiří",    "민준",  "Zoë",  "André", "Søren",
    };
    switch (flavour) {
    case Flavour::Plain:
        return plain;
    case Flavour::Western:
    case Flavour::Typographic:
        return western;
    case Flavour::Worldwide:
        return worldwide;
    }
    return plain;
}

const std::vector<std::string>& lastNames(Flavour flavour) {
    static const std::vector<std::string> plain{
        "Adams", "Baker", "Carter", "Dixon", "Evans", "Fisher", "Green", "Hughes", "Irwin",  "Jones",
        "Kelly", "Lewis", "Moore",  "Nash",  "Owen",  "Parker", "Reed",  "Smith",  "Turner", "Walsh",
    };
    static const std::vector<std::string> western{
        "Müller", "Lefèvre", "Gómez", "Østergaard", "Sjöberg", "Brühl",     "Dupré",
        "Nuñez",  "Åkesson", "Çelik", "Weiß",       "Pérez",   "Lindqvist", "Ménard",
    };
    static const std::vector<std::string> worldwide{
        "Иванов", "Петрова",  "Παπαδόπουλος", "山田", "鈴木",   "Wiśniewski",
        "Dvořák", "Nováková", "Öztürk",       "김",   "Müller", "Gómez",
    };
    switch (flavour) {
    case Flavour::Plain:
        return plain;
    case Flavour::Western:
    case Flavour::Typographic:
        return western;
    case Flavour::Worldwide:
        return worldwide;
    }
    return plain;
}

const std::vector<std::string>& domains() {
    static const std::vector<std::string> list{
        "example.com",     "example.org",  "example.net",       "mail.example.com",
        "north.example",   "acme.example", "lists.example.org", "shop.example",
        "uni.example.edu", "bank.example", "travel.test",       "club.test",
    };
    return list;
}

const std::vector<std::string>& subjectStarts() {
    static const std::vector<std::string> list{
        "Re: ", "RE: ", "Fw: ", "FW: ", "Fwd: ", "Re: Re: ", "AW: ", "[team] ", "[announce] ", "Re: [dev] ",
    };
    return list;
}

const std::vector<std::string>& mailers() {
    static const std::vector<std::string> list{
        "X-Mailer: Quillpost 4.2.1",
        "User-Agent: Heronmail/2.1 (X11; Linux x86_64)",
        "X-Mailer: Lanternmail for Phone (20D67)",
        "User-Agent: Brookside Mail 102.8.0",
        "X-Mailer: Office Courier 16.0.5",
        "X-Mailer: WebFormMailer 6.5.0",
    };
    return list;
}

} // namespace bench
