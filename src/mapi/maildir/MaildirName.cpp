#include "mapi/maildir/MaildirName.h"

#include <algorithm>
#include <vector>

namespace mapi {
namespace {

// The comma-separated fields of a unique part; the first is the base name.
std::vector<std::string_view> fieldsOf(std::string_view unique) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = unique.find(',', start);
        fields.push_back(unique.substr(start, comma == std::string_view::npos ? comma : comma - start));
        if (comma == std::string_view::npos)
            return fields;
        start = comma + 1;
    }
}

bool isSizeMarker(std::string_view field, char letter) {
    return field.size() > 2 && field[0] == letter && field[1] == '=' &&
           std::all_of(field.begin() + 2, field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

MaildirName MaildirName::parse(std::string_view fileName) {
    MaildirName name;
    const std::size_t info = fileName.rfind(":2,");
    if (info == std::string_view::npos) {
        name.unique = fileName;
    } else {
        name.unique = fileName.substr(0, info);
        name.flags = fileName.substr(info + 3);
        name.hasInfo = true;
    }
    return name;
}

std::string MaildirName::fileName() const {
    return hasInfo ? unique + ":2," + flags : unique;
}

bool MaildirName::hasFlag(char flag) const {
    return hasInfo && flags.find(flag) != std::string::npos;
}

MaildirName MaildirName::withFlag(char flag, bool on) const {
    MaildirName changed = inCur();
    std::erase(changed.flags, flag);
    if (on)
        changed.flags += flag;
    std::sort(changed.flags.begin(), changed.flags.end());
    return changed;
}

MaildirName MaildirName::inCur() const {
    MaildirName changed = *this;
    changed.hasInfo = true;
    return changed;
}

MaildirName MaildirName::withSizesOf(std::string_view content) const {
    const std::size_t bareLineFeeds = [&] {
        std::size_t count = 0;
        for (std::size_t i = 0; i < content.size(); ++i)
            if (content[i] == '\n' && (i == 0 || content[i - 1] != '\r'))
                ++count;
        return count;
    }();
    MaildirName changed = *this;
    changed.unique.clear();
    bool first = true;
    for (const std::string_view field : fieldsOf(unique)) {
        if (first)
            changed.unique += field;
        else if (isSizeMarker(field, 'S'))
            changed.unique += ",S=" + std::to_string(content.size());
        else if (isSizeMarker(field, 'W'))
            changed.unique += ",W=" + std::to_string(content.size() + bareLineFeeds);
        else
            changed.unique += "," + std::string(field);
        first = false;
    }
    return changed;
}

std::string messageKey(std::string_view unique) {
    std::string key;
    bool first = true;
    for (const std::string_view field : fieldsOf(unique)) {
        if (!first && (isSizeMarker(field, 'S') || isSizeMarker(field, 'W')))
            continue;
        if (!first)
            key += ',';
        key += field;
        first = false;
    }
    return key;
}

bool isMessageFileName(std::string_view fileName) {
    return !fileName.empty() && fileName[0] != '.';
}

} // namespace mapi
