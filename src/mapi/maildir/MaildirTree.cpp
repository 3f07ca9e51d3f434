#include "mapi/maildir/MaildirTree.h"

#include <algorithm>
#include <set>
#include <strings.h>

namespace mapi {
namespace {

namespace fs = std::filesystem;

// Nested Maildirs below plain directories are looked for this deep at most.
constexpr int kMaxContainerDepth = 8;

bool isRealDirectory(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() == fs::file_type::directory;
}

bool isReservedName(const std::string& name) {
    return name == "cur" || name == "new" || name == "tmp";
}

// A plain directory is a folder when it is a Maildir or holds one further down.
bool isFolderDirectory(const fs::path& path, int depth) {
    if (!isRealDirectory(path))
        return false;
    if (isMaildir(path))
        return true;
    if (depth <= 0)
        return false;
    std::error_code error;
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name[0] != '.' && !isReservedName(name) && isFolderDirectory(it->path(), depth - 1))
            return true;
    }
    return false;
}

bool isMaildirPlusPlusKey(const std::string& key) {
    return key.empty() || (key[0] == '.' && key.find('/') == std::string::npos);
}

bool validKey(const std::string& key) {
    if (key.empty())
        return true;
    std::size_t start = 0;
    bool first = true;
    while (start <= key.size()) {
        std::size_t slash = key.find('/', start);
        if (slash == std::string::npos)
            slash = key.size();
        const std::string part = key.substr(start, slash - start);
        if (part.empty() || part == "." || part == ".." || isReservedName(part) || (!first && part[0] == '.'))
            return false;
        if (first && part[0] == '.' &&
            (part.size() < 2 || part.find("..") != std::string::npos || part.back() == '.'))
            return false;
        first = false;
        start = slash + 1;
    }
    return true;
}

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == ',')
        return 63;
    return -1;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

bool isMaildir(const fs::path& directory) {
    return isRealDirectory(directory / "cur") || isRealDirectory(directory / "new");
}

std::string decodeModifiedUtf7(const std::string& name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '&') {
            out += name[i];
            continue;
        }
        const std::size_t end = name.find('-', i + 1);
        if (end == std::string::npos)
            return name;
        if (end == i + 1) {
            out += '&';
            i = end;
            continue;
        }
        std::u16string units;
        std::uint32_t bits = 0;
        int bitCount = 0;
        for (std::size_t j = i + 1; j < end; ++j) {
            const int value = base64Value(name[j]);
            if (value < 0)
                return name;
            bits = (bits << 6) | static_cast<std::uint32_t>(value);
            bitCount += 6;
            if (bitCount >= 16) {
                bitCount -= 16;
                units += static_cast<char16_t>((bits >> bitCount) & 0xFFFF);
            }
        }
        for (std::size_t u = 0; u < units.size(); ++u) {
            char32_t c = units[u];
            if (c >= 0xD800 && c <= 0xDBFF && u + 1 < units.size() && units[u + 1] >= 0xDC00 &&
                units[u + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (units[u + 1] - 0xDC00);
                ++u;
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                return name;
            }
            appendUtf8(out, c);
        }
        i = end;
    }
    return out;
}

MaildirTree::MaildirTree(fs::path root) : m_root(std::move(root)) {}

fs::path MaildirTree::directory(const std::string& key) const {
    return key.empty() ? m_root : m_root / key;
}

bool MaildirTree::exists(const std::string& key) const {
    if (!validKey(key))
        return false;
    if (key.empty())
        return isRealDirectory(m_root);
    if (!isMaildirPlusPlusKey(key))
        return isFolderDirectory(directory(key), kMaxContainerDepth) &&
               (key[0] != '.' || exists(key.substr(0, key.find('/'))));
    if (isMaildir(directory(key)))
        return true;
    // A parent named only by its children's names.
    const std::string prefix = key + ".";
    std::error_code error;
    for (fs::directory_iterator it(m_root, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            isMaildir(it->path()))
            return true;
    }
    return false;
}

std::string MaildirTree::displayName(const std::string& key) const {
    if (key.empty())
        return "Inbox";
    if (isMaildirPlusPlusKey(key))
        return decodeModifiedUtf7(key.substr(key.rfind('.') + 1));
    return key.substr(key.rfind('/') + 1);
}

std::vector<MaildirFolderInfo> MaildirTree::children(const std::string& key) const {
    std::set<std::string> keys;
    std::error_code error;
    if (isMaildirPlusPlusKey(key)) {
        const std::string prefix = key + ".";
        for (fs::directory_iterator it(m_root, error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
                !isMaildir(it->path()))
                continue;
            const std::string child = name.substr(0, name.find('.', prefix.size()));
            if (child.size() > prefix.size() && validKey(child))
                keys.insert(child);
        }
    }
    const fs::path base = directory(key);
    error.clear();
    for (fs::directory_iterator it(base, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name[0] == '.' || isReservedName(name) || !isFolderDirectory(it->path(), kMaxContainerDepth))
            continue;
        keys.insert(key.empty() ? name : key + "/" + name);
    }
    std::vector<MaildirFolderInfo> folders;
    for (const auto& child : keys)
        folders.push_back({child, displayName(child)});
    std::stable_sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) {
        return strcasecmp(a.displayName.c_str(), b.displayName.c_str()) < 0;
    });
    return folders;
}

std::vector<std::string> MaildirTree::allFolders() const {
    std::vector<std::string> keys{""};
    for (std::size_t i = 0; i < keys.size(); ++i)
        for (const auto& child : children(keys[i]))
            keys.push_back(child.key);
    return keys;
}

} // namespace mapi
