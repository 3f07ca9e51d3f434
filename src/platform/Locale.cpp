#include "platform/Locale.h"

#include "platform/DateTime.h"

#include <clocale>
#include <cstring>
#include <cwctype>
#include <langinfo.h>
#include <locale.h>

namespace platform {
namespace {

// A locale handle for Unicode case mapping whatever the user's LC_CTYPE is.
locale_t unicodeCtype() {
    static const locale_t handle = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
        return l ? l : newlocale(LC_CTYPE_MASK, "C", nullptr);
    }();
    return handle;
}

// Decodes one UTF-8 sequence at `i`; answers -1 (and leaves `i`) for a byte that does not start one.
long decodeUtf8(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int length = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + static_cast<std::size_t>(length) > s.size())
        return -1;
    long cp = length == 1 ? b0 : (b0 & (0x7F >> length));
    for (int k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (b & 0x3F);
    }
    static const long minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    i += static_cast<std::size_t>(length);
    return cp;
}

void appendUtf8(std::string& out, long cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};
const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string twoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

class SystemLocale : public Locale {
public:
    SystemLocale()
        : m_collate(newlocale(LC_COLLATE_MASK, "", nullptr)), m_time(newlocale(LC_TIME_MASK, "", nullptr)) {
        if (!m_collate)
            m_collate = newlocale(LC_COLLATE_MASK, "C.UTF-8", nullptr);
        if (!m_time)
            m_time = newlocale(LC_TIME_MASK, "C", nullptr);
    }
    std::string upperCase(std::string_view text) const override { return upperCaseUtf8(text); }
    int compareTextIgnoreCase(std::string_view a, std::string_view b) const override {
        const std::string ua = upperCaseUtf8(a);
        const std::string ub = upperCaseUtf8(b);
        if (m_collate)
            return sign(strcoll_l(ua.c_str(), ub.c_str(), m_collate));
        return sign(ua.compare(ub));
    }
    std::string shortDateFormat() const override { return pictureFromStrftime(info(D_FMT)); }
    std::string longTimeFormat() const override { return pictureFromStrftime(info(T_FMT)); }
    std::string monthName(int month, bool abbreviated) const override {
        return info(static_cast<nl_item>((abbreviated ? ABMON_1 : MON_1) + month - 1));
    }
    std::string dayName(int dayOfWeek, bool abbreviated) const override {
        return info(static_cast<nl_item>((abbreviated ? ABDAY_1 : DAY_1) + dayOfWeek));
    }
    std::string timeMarker(bool pm) const override {
        std::string marker = info(pm ? PM_STR : AM_STR);
        return marker.empty() ? (pm ? "PM" : "AM") : marker;
    }

private:
    std::string info(nl_item item) const {
        const char* text = m_time ? nl_langinfo_l(item, m_time) : nullptr;
        return text ? text : "";
    }
    locale_t m_collate;
    locale_t m_time;
};

} // namespace

std::string upperCaseUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const long cp = decodeUtf8(text, i);
        if (cp < 0) {
            out += text[i++];
            continue;
        }
        appendUtf8(out, cp < 0x80 ? (cp >= 'a' && cp <= 'z' ? cp - 32 : cp)
                                  : static_cast<long>(towupper_l(static_cast<wint_t>(cp), unicodeCtype())));
    }
    return out;
}

const Locale& systemLocale() {
    static const SystemLocale locale;
    return locale;
}

FixedLocale::FixedLocale(std::string shortDate, std::string longTime)
    : m_shortDate(std::move(shortDate)), m_longTime(std::move(longTime)) {}

std::string FixedLocale::upperCase(std::string_view text) const {
    return upperCaseUtf8(text);
}

int FixedLocale::compareTextIgnoreCase(std::string_view a, std::string_view b) const {
    return sign(upperCaseUtf8(a).compare(upperCaseUtf8(b)));
}

std::string FixedLocale::monthName(int month, bool abbreviated) const {
    const std::string name = kMonths[(month - 1) % 12];
    return abbreviated ? name.substr(0, 3) : name;
}

std::string FixedLocale::dayName(int dayOfWeek, bool abbreviated) const {
    const std::string name = kDays[dayOfWeek % 7];
    return abbreviated ? name.substr(0, 3) : name;
}

std::string formatDateTime(const Locale& locale, std::string_view picture, double dateTime) {
    const DateParts p = partsFromDateTime(dateTime);
    std::string out;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'' || c == '"') {
            const std::size_t end = picture.find(c, i + 1);
            const std::size_t stop = end == std::string_view::npos ? picture.size() : end;
            out.append(picture.substr(i + 1, stop - i - 1));
            i = stop == picture.size() ? stop : stop + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c)
            ++run;
        switch (c) {
        case 'd':
            out += run == 1   ? std::to_string(p.day)
                   : run == 2 ? twoDigits(p.day)
                              : locale.dayName(p.dayOfWeek, run == 3);
            break;
        case 'M':
            out += run == 1   ? std::to_string(p.month)
                   : run == 2 ? twoDigits(p.month)
                              : locale.monthName(p.month, run == 3);
            break;
        case 'y':
            out += run <= 2 ? twoDigits(p.year % 100) : std::to_string(p.year);
            break;
        case 'H':
            out += run == 1 ? std::to_string(p.hour) : twoDigits(p.hour);
            break;
        case 'h': {
            const int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
            out += run == 1 ? std::to_string(h12) : twoDigits(h12);
            break;
        }
        case 'm':
            out += run == 1 ? std::to_string(p.minute) : twoDigits(p.minute);
            break;
        case 's':
            out += run == 1 ? std::to_string(p.second) : twoDigits(p.second);
            break;
        case 't': {
            const std::string marker = locale.timeMarker(p.hour >= 12);
            out += run == 1 ? marker.substr(0, 1) : marker;
            break;
        }
        default:
            out.append(run, c);
        }
        i += run;
    }
    return out;
}

std::string pictureFromStrftime(std::string_view format) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            const char c = format[i];
            // Letters that would be read as picture fields are quoted.
            if (std::strchr("dMyHhmst'\"", c))
                out += std::string("'") + c + "'";
            else
                out += c;
            continue;
        }
        char f = format[++i];
        while ((f == 'E' || f == 'O' || f == '-' || f == '_' || f == '0') && i + 1 < format.size())
            f = format[++i];
        switch (f) {
        case 'd':
            out += "dd";
            break;
        case 'e':
            out += "d";
            break;
        case 'm':
            out += "MM";
            break;
        case 'b':
        case 'h':
            out += "MMM";
            break;
        case 'B':
            out += "MMMM";
            break;
        case 'a':
            out += "ddd";
            break;
        case 'A':
            out += "dddd";
            break;
        case 'Y':
            out += "yyyy";
            break;
        case 'y':
            out += "yy";
            break;
        case 'H':
            out += "HH";
            break;
        case 'k':
            out += "H";
            break;
        case 'I':
            out += "hh";
            break;
        case 'l':
            out += "h";
            break;
        case 'M':
            out += "mm";
            break;
        case 'S':
            out += "ss";
            break;
        case 'p':
        case 'P':
            out += "tt";
            break;
        case 'T':
            out += "HH:mm:ss";
            break;
        case 'R':
            out += "HH:mm";
            break;
        case 'D':
            out += "MM/dd/yy";
            break;
        case 'F':
            out += "yyyy-MM-dd";
            break;
        case 'r':
            out += "hh:mm:ss tt";
            break;
        case '%':
            out += "%";
            break;
        default:
            break; // time zone and other fields have no place in these formats
        }
    }
    return out;
}

} // namespace platform
