#include "mapi/imap/ImapConnection.h"

#include "mapi/imap/ImapError.h"
#include "mapi/imap/ImapSyntax.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <mutex>
#include <openssl/evp.h>
#include <strings.h>

namespace mapi {
namespace {

constexpr std::size_t kReadChunk = 256 * 1024;
// Beyond any real message; a larger size can only exhaust memory.
constexpr std::size_t kLargestLiteral = std::size_t(1) << 30;

// TLS writes to a connection the server closed must fail with EPIPE, not end the program.
void ignoreBrokenPipes() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

// The response code of a status response ("OK [UIDVALIDITY 3] Ok" gives "UIDVALIDITY 3").
std::string_view responseCode(std::string_view status) {
    const auto open = status.find('[');
    const auto close = status.find(']', open);
    if (open == std::string_view::npos || close == std::string_view::npos)
        return {};
    return status.substr(open + 1, close - open - 1);
}

std::uint32_t number(const ImapValue& value) {
    if (value.kind != ImapValue::Kind::Atom || value.text.empty() || value.text.size() > 10 ||
        value.text.find_first_not_of("0123456789") != std::string::npos)
        throw ImapError(MAPI_E_CORRUPT_DATA, "The server sent '" + value.text + "' where a number belongs");
    const unsigned long long parsed = std::stoull(value.text);
    if (parsed > UINT32_MAX)
        throw ImapError(MAPI_E_CORRUPT_DATA, "The server sent a number out of range: " + value.text);
    return static_cast<std::uint32_t>(parsed);
}

// The values of "* <n> FETCH (...)" as name/value pairs; nothing for other responses.
std::vector<ImapValue>* fetchItems(std::vector<ImapValue>& values) {
    if (values.size() < 4 || !values[2].isAtom("FETCH") || values[3].kind != ImapValue::Kind::List)
        return nullptr;
    return &values[3].items;
}

std::string base64(std::string_view bytes) {
    std::string encoded(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()),
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    encoded.resize(static_cast<std::size_t>(length));
    return encoded;
}

} // namespace

bool ImapListedMessage::hasFlag(const char* flag) const {
    return std::any_of(flags.begin(), flags.end(),
                       [flag](const std::string& name) { return strcasecmp(name.c_str(), flag) == 0; });
}

ImapConnection::ImapConnection(const ImapSettings& settings, const std::string& password,
                               ImapCommandHook hook)
    : m_hook(std::move(hook)) {
    ignoreBrokenPipes();
    m_transport = std::make_unique<ImapTransport>(settings.account.host, settings.account.port);
    if (settings.account.implicitTls)
        m_transport->startTls(settings.caFile);
    const std::string greeting = readResponse();
    if (!startsWithNoCase(greeting, "* OK") && !startsWithNoCase(greeting, "* PREAUTH"))
        throw ImapError(MAPI_E_NETWORK_ERROR, "The server " + m_transport->where() +
                                                  " did not greet as an IMAP server: " + greeting);
    noteUntagged(greeting);
    if (!settings.account.implicitTls)
        startTls(settings);
    logOn(settings, password);
    // What the server offers after the logon may differ (MOVE, UIDPLUS), so it is asked again.
    command("CAPABILITY", {{"CAPABILITY"}});
}

ImapConnection::~ImapConnection() = default;

// For imap://, STARTTLS whenever the server offers it; clear text only to this machine, or where
// the profile allows it.
void ImapConnection::startTls(const ImapSettings& settings) {
    if (m_capabilities.empty())
        command("CAPABILITY", {{"CAPABILITY"}});
    if (!has("STARTTLS")) {
        if (settings.insecure || isLoopbackHost(settings.account.host))
            return;
        throw ImapError(MAPI_E_LOGON_FAILED, "The server " + m_transport->where() +
                                                 " offers no STARTTLS, and the password is not sent in clear "
                                                 "text (the profile may allow it with insecure = true)");
    }
    command("STARTTLS", {{"STARTTLS"}});
    // Anything the server sent before the handshake could have been injected by a third party.
    m_in.clear();
    m_inAt = 0;
    m_capabilities.clear();
    m_transport->startTls(settings.caFile);
    command("CAPABILITY", {{"CAPABILITY"}});
}

void ImapConnection::logOn(const ImapSettings& settings, const std::string& password) {
    try {
        if (has("LOGINDISABLED")) {
            const std::string response =
                base64(std::string(1, '\0') + settings.account.user + '\0' + password);
            if (has("SASL-IR"))
                command("AUTHENTICATE PLAIN", {{"AUTHENTICATE PLAIN " + response}});
            else
                command("AUTHENTICATE PLAIN", {{"AUTHENTICATE PLAIN"}, {response, Piece::AfterContinuation}});
            return;
        }
        std::vector<Piece> pieces{{"LOGIN "}};
        addArgument(pieces, settings.account.user);
        pieces.push_back({" "});
        addArgument(pieces, password);
        command("LOGIN", pieces);
    } catch (const ImapRefusal& refusal) {
        throw ImapError(MAPI_E_LOGON_FAILED, "The server " + m_transport->where() + " refused the logon of " +
                                                 settings.account.user + ": " + refusal.serverText());
    }
}

bool ImapConnection::has(const char* capability) const {
    return std::any_of(m_capabilities.begin(), m_capabilities.end(), [capability](const std::string& name) {
        return strcasecmp(name.c_str(), capability) == 0;
    });
}

void ImapConnection::fill() {
    if (m_inAt > 0 && m_inAt >= m_in.size() / 2) {
        m_in.erase(0, m_inAt);
        m_inAt = 0;
    }
    const std::size_t used = m_in.size();
    m_in.resize(used + kReadChunk);
    const std::size_t got = m_transport->read(m_in.data() + used, kReadChunk);
    m_in.resize(used + got);
}

// One response with its literals inline, without the final line end.
std::string ImapConnection::readResponse() {
    std::string response;
    for (;;) {
        std::size_t end;
        while ((end = m_in.find("\r\n", m_inAt)) == std::string::npos)
            fill();
        response.append(m_in, m_inAt, end + 2 - m_inAt);
        m_inAt = end + 2;
        // A line ending in "{<size>}" is followed by that many bytes of a literal.
        const std::size_t close = response.size() >= 4 ? response.size() - 3 : 0;
        const std::size_t open =
            close > 0 && response[close] == '}' ? response.rfind('{', close) : std::string::npos;
        const std::string digits =
            open == std::string::npos ? std::string() : response.substr(open + 1, close - open - 1);
        if (digits.empty() || digits.size() > 10 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            response.resize(response.size() - 2);
            return response;
        }
        const std::size_t size = std::stoull(digits);
        if (size > kLargestLiteral)
            throw ImapError(MAPI_E_CORRUPT_DATA, "The server " + m_transport->where() + " announced " +
                                                     digits +
                                                     " bytes in one answer, more than a message can be");
        while (m_in.size() - m_inAt < size)
            fill();
        response.append(m_in, m_inAt, size);
        m_inAt += size;
    }
}

void ImapConnection::noteCapabilities(std::string_view list) {
    m_capabilities.clear();
    std::size_t at = 0;
    while (at < list.size()) {
        const auto end = std::min(list.find(' ', at), list.size());
        if (end > at)
            m_capabilities.emplace_back(list.substr(at, end - at));
        at = end + 1;
    }
}

void ImapConnection::noteUntagged(std::string_view response) {
    std::string_view rest = response.substr(2);
    if (startsWithNoCase(rest, "CAPABILITY ")) {
        noteCapabilities(rest.substr(11));
    } else if (startsWithNoCase(rest, "OK ") || startsWithNoCase(rest, "PREAUTH ")) {
        const std::string_view code = responseCode(rest);
        if (startsWithNoCase(code, "CAPABILITY "))
            noteCapabilities(code.substr(11));
        else if (startsWithNoCase(code, "UIDVALIDITY "))
            m_uidValidity =
                static_cast<std::uint32_t>(std::strtoul(std::string(code.substr(12)).c_str(), nullptr, 10));
    } else if (const auto space = rest.find(' '); space != std::string_view::npos) {
        const std::string_view kind = rest.substr(space + 1);
        if (kind == "EXISTS")
            m_exists = static_cast<std::uint32_t>(
                std::strtoul(std::string(rest.substr(0, space)).c_str(), nullptr, 10));
        else if (kind == "EXPUNGE" && m_exists > 0)
            --m_exists;
    }
}

void ImapConnection::addArgument(std::vector<Piece>& pieces, std::string_view text) {
    if (auto quoted = quotedArgument(text))
        pieces.push_back({std::move(*quoted)});
    else
        pieces.push_back({std::string(text), Piece::Literal});
}

void ImapConnection::send(const std::string& tag, const std::string& name, const std::vector<Piece>& pieces) {
    std::string out = tag + " ";
    for (const Piece& piece : pieces) {
        if (piece.kind == Piece::Text) {
            out += piece.text;
            continue;
        }
        const bool literal = piece.kind == Piece::Literal;
        if (literal && has("LITERAL+")) {
            out += "{" + std::to_string(piece.text.size()) + "+}\r\n" + piece.text;
            continue;
        }
        // A synchronising literal, or the answer to a challenge: the server says "+" first.
        out += literal ? "{" + std::to_string(piece.text.size()) + "}\r\n" : "\r\n";
        m_transport->write(out);
        out.clear();
        for (;;) {
            const std::string response = readResponse();
            if (!response.empty() && response[0] == '+')
                break;
            if (response.rfind(tag + " ", 0) == 0) {
                m_inSync = true;
                const std::string status = response.substr(tag.size() + 1);
                const auto space = status.find(' ');
                throw ImapRefusal("The server " + m_transport->where() + " refused " + name,
                                  space == std::string::npos ? status : status.substr(space + 1));
            }
            if (response.rfind("* ", 0) == 0)
                noteUntagged(response);
        }
        out += piece.text;
    }
    m_transport->write(out + "\r\n");
}

std::string ImapConnection::command(const std::string& name, const std::vector<Piece>& pieces,
                                    const Untagged& untagged) {
    if (m_hook)
        m_hook(name);
    const std::string tag = "L" + std::to_string(++m_tags);
    m_inSync = false;
    send(tag, name, pieces);
    for (;;) {
        const std::string response = readResponse();
        if (response.rfind("* ", 0) == 0) {
            noteUntagged(response);
            if (untagged)
                untagged(response);
            continue;
        }
        if (response.rfind(tag + " ", 0) != 0)
            continue; // a continuation nobody asked for, or another tag's answer
        const std::string status = response.substr(tag.size() + 1);
        m_inSync = true;
        if (startsWithNoCase(status, "OK")) {
            const std::string_view code = responseCode(status);
            if (startsWithNoCase(code, "CAPABILITY "))
                noteCapabilities(code.substr(11));
            return status;
        }
        const auto space = status.find(' ');
        throw ImapRefusal("The server " + m_transport->where() + " refused " + name,
                          space == std::string::npos ? status : status.substr(space + 1));
    }
}

std::vector<ImapMailbox> ImapConnection::list() {
    std::vector<ImapMailbox> mailboxes;
    command("LIST", {{"LIST \"\" \"*\""}}, [&](std::string_view response) {
        if (!startsWithNoCase(response, "* LIST "))
            return;
        const auto values = parseImapValues(response);
        if (values.size() < 5 || values[2].kind != ImapValue::Kind::List)
            throw ImapError(MAPI_E_CORRUPT_DATA, "The server sent a LIST answer that cannot be read: " +
                                                     std::string(response.substr(0, 200)));
        ImapMailbox mailbox;
        mailbox.name = values[4].text;
        mailbox.delimiter =
            values[3].kind == ImapValue::Kind::Nil || values[3].text.empty() ? 0 : values[3].text[0];
        for (const auto& flag : values[2].items)
            if (flag.isAtom("\\Noselect") || flag.isAtom("\\NonExistent"))
                mailbox.selectable = false;
        if (!mailbox.name.empty())
            mailboxes.push_back(std::move(mailbox));
    });
    return mailboxes;
}

std::uint32_t ImapConnection::select(const std::string& mailbox) {
    if (mailbox == m_selected)
        return m_uidValidity;
    m_selected.clear();
    m_uidValidity = 0;
    m_exists = 0;
    std::vector<Piece> pieces{{"SELECT "}};
    addArgument(pieces, mailbox);
    command("SELECT", pieces);
    m_selected = mailbox;
    return m_uidValidity;
}

std::vector<ImapListedMessage> ImapConnection::fetchListing(std::uint32_t first, std::uint32_t last) {
    return fetchListing("FETCH", std::to_string(first) + ":" + (last == 0 ? "*" : std::to_string(last)));
}

std::optional<ImapListedMessage> ImapConnection::fetchListingByUid(std::uint32_t uid) {
    auto messages = fetchListing("UID FETCH", std::to_string(uid));
    for (auto& message : messages)
        if (message.uid == uid)
            return std::move(message);
    return std::nullopt;
}

std::vector<ImapListedMessage> ImapConnection::fetchListing(const std::string& name, const std::string& set) {
    // The header fields the columns are made from, so the listing reads no body.
    const std::string items =
        " (UID FLAGS INTERNALDATE RFC822.SIZE BODY.PEEK[HEADER.FIELDS (SUBJECT FROM TO CC "
        "BCC DATE CONTENT-TYPE CONTENT-DISPOSITION)])";
    std::vector<ImapListedMessage> messages;
    command(name, {{name + " " + set + items}}, [&](std::string_view response) {
        auto values = parseImapValues(response);
        const auto* fetched = fetchItems(values);
        if (!fetched)
            return;
        ImapListedMessage message;
        bool hasHeader = false;
        for (std::size_t i = 0; i + 1 < fetched->size(); i += 2) {
            const ImapValue& key = (*fetched)[i];
            const ImapValue& value = (*fetched)[i + 1];
            if (key.isAtom("UID")) {
                message.uid = number(value);
            } else if (key.isAtom("FLAGS")) {
                for (const auto& flag : value.items)
                    if (!flag.isAtom("\\Recent"))
                        message.flags.push_back(flag.text);
            } else if (key.isAtom("INTERNALDATE")) {
                message.internalDate = parseInternalDate(value.text).value_or(0);
            } else if (key.isAtom("RFC822.SIZE")) {
                message.size = number(value);
            } else if (startsWithNoCase(key.text, "BODY[")) {
                message.header = value.text;
                hasHeader = true;
            }
        }
        // A FETCH the server sends of its own accord (a flag change) carries no header.
        if (message.uid != 0 && hasHeader)
            messages.push_back(std::move(message));
    });
    return messages;
}

std::vector<std::pair<std::uint32_t, std::string>>
ImapConnection::fetchMessages(const std::vector<std::uint32_t>& uids) {
    std::vector<std::pair<std::uint32_t, std::string>> messages;
    if (uids.empty())
        return messages;
    command("UID FETCH", {{"UID FETCH " + uidSetText(uids) + " (UID BODY.PEEK[])"}},
            [&](std::string_view response) {
                auto values = parseImapValues(response);
                auto* fetched = fetchItems(values);
                if (!fetched)
                    return;
                std::uint32_t uid = 0;
                ImapValue* body = nullptr;
                for (std::size_t i = 0; i + 1 < fetched->size(); i += 2) {
                    if ((*fetched)[i].isAtom("UID"))
                        uid = number((*fetched)[i + 1]);
                    else if (startsWithNoCase((*fetched)[i].text, "BODY[]"))
                        body = &(*fetched)[i + 1];
                }
                if (uid != 0 && body)
                    messages.emplace_back(uid, std::move(body->text));
            });
    return messages;
}

void ImapConnection::storeFlag(const std::vector<std::uint32_t>& uids, const std::string& flag, bool add) {
    command("UID STORE", {{"UID STORE " + uidSetText(uids) +
                           (add ? " +FLAGS.SILENT (\\" : " -FLAGS.SILENT (\\") + flag + ")"}});
}

void ImapConnection::move(const std::vector<std::uint32_t>& uids, const std::string& destination) {
    std::vector<Piece> pieces{{"UID MOVE " + uidSetText(uids) + " "}};
    addArgument(pieces, destination);
    command("UID MOVE", pieces);
}

void ImapConnection::copy(const std::vector<std::uint32_t>& uids, const std::string& destination) {
    std::vector<Piece> pieces{{"UID COPY " + uidSetText(uids) + " "}};
    addArgument(pieces, destination);
    command("UID COPY", pieces);
}

void ImapConnection::expunge(const std::vector<std::uint32_t>& uids) {
    command("UID EXPUNGE", {{"UID EXPUNGE " + uidSetText(uids)}});
}

std::optional<std::uint32_t> ImapConnection::append(const std::string& mailbox, const std::string& message,
                                                    const std::vector<std::string>& flags,
                                                    std::int64_t internalDate) {
    std::vector<Piece> pieces{{"APPEND "}};
    addArgument(pieces, mailbox);
    std::string flagList;
    for (const auto& flag : flags)
        if (strcasecmp(flag.c_str(), "\\Recent") != 0)
            flagList += (flagList.empty() ? "" : " ") + flag;
    pieces.push_back({" (" + flagList + ") \"" + internalDateText(internalDate) + "\" "});
    pieces.push_back({message, Piece::Literal});
    const std::string status = command("APPEND", pieces);
    const std::string_view code = responseCode(status);
    if (!startsWithNoCase(code, "APPENDUID "))
        return std::nullopt;
    const auto values = parseImapValues(code);
    if (values.size() < 3)
        return std::nullopt;
    return number(values[2]);
}

} // namespace mapi
