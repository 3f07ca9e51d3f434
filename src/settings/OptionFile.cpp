#include "settings/OptionFile.h"

#include "platform/DurableWrite.h"
#include "settings/OptionFileLines.h"
#include "settings/OptionFileStream.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <system_error>

namespace settings {
namespace {

constexpr std::string_view kClassName = "TSettings";
constexpr std::string_view kPropertyName = "TSettings";
constexpr std::string_view kMakerAddress = "https://www.tamberlock.example";
// The fixed header lines that files before version 11 kept outside their stored header text.
constexpr std::string_view kOldHeaderLines =
    "From: %FROM\r\nSent: %SENT\r\nTo: %TO\r\nSubject: %SUBJECT\r\n\r\n";

std::string comment() {
    return "\r\nThis is an Larkspire options file, a program for saving emails to plain text from MAPI "
           "clients. To find out more go to " +
           std::string(kMakerAddress) + "\r\n";
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::span<const std::uint8_t> bytesOf(const mailstore::EntryId& id) {
    return {id.data(), id.size()};
}

void readEntryId(OptionStreamReader& reader, mailstore::EntryId& id) {
    id.assign(reader.readEntryId(mailstore::EntryId::MinimumSize));
}

void writeDataBlock(OptionStreamWriter& out, const TSettings& s) {
    out.writeInteger(kOptionFileVersion);
    out.writeString(comment());
    out.writeString(s.weftmarkFilter);
    out.writeString(s.saveFolder);
    out.writeInteger(s.firstNumber);
    out.writeString(s.numberFormat);
    out.writeBoolean(false); // "Include subject": the prefix is part of the header by now
    out.writeString(s.startTag);
    out.writeString(s.endTag);
    out.writeBoolean(s.includeAttachments);
    out.writeString(s.msgDestination);
    // Retired values keep their places so every reader finds the later ones.
    out.writeString("");
    out.writeBoolean(false);
    out.writeString("");
    out.writeString("");
    out.writeString(s.emailHeader);
    out.writeString(s.emailFooter);
    out.writeInteger(s.moveMessages);
    out.writeBoolean(s.getFromDefaultFolder);
    out.writeString(s.fromFolderName);
    out.writeString("");
    out.writeBoolean(s.reprocessEmails);
    out.writeInteger(s.sortOrder);
    out.writeBoolean(s.sortDescending);
    out.writeString(s.tagText);
    out.writeString(joinLines(s.extensions));
    out.writeString(joinLines(s.extensionActions));
    out.writeEntryId(bytesOf(s.sourceFolder->entryId()));
    out.writeEntryId(bytesOf(s.destinationFolder->entryId()));
    out.writeInteger(s.Profile);
    out.writeInteger(s.reservedLoginValue);
    out.writeString(s.profileName);
    out.writeString(s.reservedLoginText);
    out.writeString(s.manualFolder);
    out.writeString(s.manualFormat);
    out.writeEntryId(bytesOf(s.sourceFolder->store()->entryId()));
    out.writeEntryId(bytesOf(s.destinationFolder->store()->entryId()));
    out.writeBoolean(s.readStatus);
    out.writeString(s.wordMacro);
}

// Each step follows the version that introduced the value; what an older file lacks gets the
// value that version of the program used.
void readDataBlock(OptionStreamReader& in, TSettings& s) {
    const std::int32_t v = in.readInteger();
    s.fileVersion = v;
    if (v >= 13)
        in.readString(); // the comment
    s.weftmarkFilter = in.readString();
    s.saveFolder = in.readString();
    s.firstNumber = in.readInteger();
    s.numberFormat = in.readString();
    const bool includeSubject = in.readBoolean();
    s.startTag = in.readString();
    s.endTag = in.readString();
    s.includeAttachments = in.readBoolean();
    s.msgDestination = v < 2 ? std::string() : in.readString();
    if (v >= 3)
        in.readString();
    if (v >= 4) {
        in.readBoolean();
        in.readString();
        in.readString();
    }
    if (v < 5) {
        s.emailHeader.clear();
        s.emailFooter.clear();
    } else {
        std::string header = includeSubject ? std::string(kIncludeSubjectPrefix) : std::string();
        if (v <= 10)
            header += kOldHeaderLines;
        s.emailHeader = header + in.readString();
        s.emailFooter = in.readString();
    }
    if (v < 6) {
        s.moveMessages = MoveToFolder;
        s.getFromDefaultFolder = true;
        s.fromFolderName.clear();
    } else {
        // Before version 10 the post-action was a switch: move or leave.
        s.moveMessages = v < 10 ? (in.readBoolean() ? MoveToFolder : LeaveMessage) : in.readInteger();
        s.getFromDefaultFolder = in.readBoolean();
        s.fromFolderName = in.readString();
        in.readString();
    }
    s.reprocessEmails = v < 7 ? false : in.readBoolean();
    s.sortOrder = v < 8 ? 0 : in.readInteger();
    s.sortDescending = v < 9 ? false : in.readBoolean();
    s.tagText = v < 10 ? std::string(kDefaultTagText) : in.readString();
    s.extensions.clear();
    s.extensionActions.clear();
    if (v < 12) {
        s.extensions = defaultExtensions();
        s.extensionActions = defaultExtensionActions();
    } else {
        s.extensions = splitLines(in.readString());
        s.extensionActions = splitLines(in.readString());
    }
    if (v < 13) {
        s.fromFolderName.clear();
        s.msgDestination.clear();
        s.profileName.clear();
        s.reservedLoginText.clear();
        s.Profile = DefaultProfile;
        s.reservedLoginValue = 0;
    } else {
        readEntryId(in, s.sourceFolder->entryId());
        readEntryId(in, s.destinationFolder->entryId());
        s.Profile = in.readInteger();
        s.reservedLoginValue = in.readInteger();
        s.profileName = in.readString();
        s.reservedLoginText = in.readString();
    }
    if (v < 14) {
        s.manualFolder = defaultManualFolder();
        s.manualFormat = kDefaultManualFormat;
    } else {
        s.manualFolder = in.readString();
        s.manualFormat = in.readString();
    }
    if (v < 15) {
        // Folder entry ids without their stores cannot be opened: the user chooses again.
        s.fromFolderName.clear();
        s.msgDestination.clear();
        s.Profile = DefaultProfile;
        s.reservedLoginValue = 0;
    } else {
        readEntryId(in, s.sourceFolder->store()->entryId());
        readEntryId(in, s.destinationFolder->store()->entryId());
    }
    if (v < 16) {
        s.readStatus = true;
        s.wordMacro.clear();
    } else {
        s.readStatus = in.readBoolean();
        s.wordMacro = in.readString();
    }
}

} // namespace

std::string optionFileBytes(const TSettings& settings) {
    OptionStreamWriter out;
    out.writeSignature();
    out.writeShortName(kClassName);
    out.writeShortName(""); // the component has no name
    out.writeShortName(kPropertyName);
    writeDataBlock(out, settings);
    out.writeListEnd(); // properties
    out.writeListEnd(); // child components
    return out.bytes();
}

void readOptionFile(TSettings& settings, std::istream& in, std::uint64_t size) {
    OptionStreamReader reader(in, size);
    reader.readSignature();
    reader.readShortName(); // class name
    reader.readShortName(); // component name
    while (const std::uint8_t length = reader.readByte()) {
        const std::string name = reader.readBytes(length);
        if (!equalsIgnoringCase(name, kPropertyName))
            throw OptionFileError("Property " + name + " does not exist");
        readDataBlock(reader, settings);
    }
    if (reader.readByte() != stream::kNull)
        throw OptionFileError("Invalid stream format");
}

void saveOptionFile(TSettings& settings, const std::string& path) {
    const std::string bytes = optionFileBytes(settings);
    const std::string cannotCreate = "Cannot create file " + path;
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        throw OptionFileError(cannotCreate, std::strerror(EISDIR));
    std::optional<platform::DurableFileWriter> writer;
    try {
        writer.emplace(path);
    } catch (const std::system_error& error) {
        throw OptionFileError(cannotCreate, error.code().message());
    }
    try {
        writer->write(bytes);
        writer->commit();
    } catch (const std::system_error& error) {
        throw OptionFileError("Stream write error", error.code().message());
    }
    settings.optionFileName = path;
}

void loadOptionFile(TSettings& settings, const std::string& path) {
    const std::string cannotOpen = "Cannot open file " + path;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error)
        throw OptionFileError(cannotOpen, error.message());
    if (!std::filesystem::is_regular_file(status))
        throw OptionFileError(cannotOpen,
                              std::strerror(std::filesystem::is_directory(status) ? EISDIR : EINVAL));
    // Saves replace the file by rename, so the file opened here stays whole while it is read;
    // nothing else needs to be kept from writing it.
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw OptionFileError(cannotOpen, std::strerror(errno));
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || !in)
        throw OptionFileError(cannotOpen, std::strerror(errno));
    readOptionFile(settings, in, static_cast<std::uint64_t>(size));
    settings.optionFileName = path;
}

} // namespace settings
