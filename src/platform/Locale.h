#pragma once
// The user's locale behind a small interface, so that tests can fix it: upper-casing, the
// case-insensitive comparison used for ordering, and the short date and long time formats.
// Formats are pictures in the regional-settings style: d dd ddd dddd, M MM MMM MMMM, yy yyyy,
// h hh H HH, m mm, s ss, t tt, with '...' or "..." quoting literal text.

#include <string>
#include <string_view>

namespace platform {

class Locale {
public:
    virtual ~Locale() = default;
    // Upper case of UTF-8 text, character by character.
    virtual std::string upperCase(std::string_view text) const = 0;
    // Negative, zero or positive, comparing without regard to letter case by the locale's rules.
    virtual int compareTextIgnoreCase(std::string_view a, std::string_view b) const = 0;
    virtual std::string shortDateFormat() const = 0;
    virtual std::string longTimeFormat() const = 0;
    // month 1..12; dayOfWeek 0 = Sunday.
    virtual std::string monthName(int month, bool abbreviated) const = 0;
    virtual std::string dayName(int dayOfWeek, bool abbreviated) const = 0;
    virtual std::string timeMarker(bool pm) const = 0;
};

// The locale of the environment (LC_TIME, LC_COLLATE, LC_CTYPE), read once.
const Locale& systemLocale();

// A locale with fixed formats and English names; comparison by code point of the upper case.
class FixedLocale : public Locale {
public:
    FixedLocale(std::string shortDate = "dd/MM/yyyy", std::string longTime = "HH:mm:ss");
    std::string upperCase(std::string_view text) const override;
    int compareTextIgnoreCase(std::string_view a, std::string_view b) const override;
    std::string shortDateFormat() const override { return m_shortDate; }
    std::string longTimeFormat() const override { return m_longTime; }
    std::string monthName(int month, bool abbreviated) const override;
    std::string dayName(int dayOfWeek, bool abbreviated) const override;
    std::string timeMarker(bool pm) const override { return pm ? "PM" : "AM"; }

private:
    std::string m_shortDate;
    std::string m_longTime;
};

// Upper case of UTF-8 text by Unicode's simple mapping; bytes that are not UTF-8 stay as they are.
std::string upperCaseUtf8(std::string_view text);

// A date-time value (days since 30 December 1899) written with a picture of `locale`.
std::string formatDateTime(const Locale& locale, std::string_view picture, double dateTime);

// A strftime-style format (as nl_langinfo gives) turned into a picture: "%d/%m/%Y" -> "dd/MM/yyyy".
std::string pictureFromStrftime(std::string_view format);

} // namespace platform
