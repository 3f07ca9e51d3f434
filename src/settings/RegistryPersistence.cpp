#include "settings/RegistryPersistence.h"

#include "settings/OptionFileLines.h"
#include "settings/SettingNames.h"

#include <cstring>

namespace settings {
namespace {

using platform::HiveKey;
using platform::HiveValue;

std::string name(ValueName number) {
    return valueName(number);
}

std::string readText(const HiveKey& key, ValueName value, std::string_view fallback) {
    return key.readString(name(value), fallback);
}

std::int32_t readInteger(const HiveKey& key, ValueName value, std::int32_t fallback) {
    return static_cast<std::int32_t>(key.readDword(name(value), static_cast<std::uint32_t>(fallback)));
}

bool readBoolean(const HiveKey& key, ValueName value, bool fallback) {
    return key.readDword(name(value), fallback ? 1 : 0) != 0;
}

// Reads a REG_BINARY value into the entry id's current length. A missing value leaves the bytes;
// one of another type or longer than the length fails, as a registry query into that buffer would.
bool readEntryIdBytes(const HiveKey& key, ValueName value, mailstore::EntryId& id) {
    const auto stored = key.queryValue(name(value));
    if (!stored)
        return true;
    if (stored->type != platform::HiveType::Binary || stored->data.size() > id.size())
        return false;
    std::memcpy(id.data(), stored->data.data(), stored->data.size());
    return true;
}

struct EntryIdNames {
    ValueName folderLength;
    ValueName folderBytes;
    ValueName storeLength;
    ValueName storeBytes;
};

const EntryIdNames kSourceNames{ValueName::FromCb, ValueName::FromPentry, ValueName::FromStoreCb,
                                ValueName::FromStoreEntry};
const EntryIdNames kDestinationNames{ValueName::ToCb, ValueName::ToPentry, ValueName::ToStoreCb,
                                     ValueName::ToStoreEntry};

// False when a value could not be read; the rest of the block is then skipped.
bool readFolderIdentity(const HiveKey& key, const EntryIdNames& names, mailstore::TMapiUserFolder& folder) {
    folder.entryId().setSize(key.readDword(name(names.folderLength), 0));
    if (!readEntryIdBytes(key, names.folderBytes, folder.entryId()))
        return false;
    mailstore::EntryId& storeId = folder.store()->entryId();
    storeId.setSize(key.readDword(name(names.storeLength), 0));
    return readEntryIdBytes(key, names.storeBytes, storeId);
}

std::string bytesOf(const mailstore::EntryId& id) {
    return std::string(reinterpret_cast<const char*>(id.data()), id.size());
}

class ValueWriter {
public:
    explicit ValueWriter(HiveKey& key) : m_key(key) {}

    void text(ValueName value, const std::string& text) { put(value, HiveValue::string(text)); }
    void integer(ValueName value, std::int32_t number) {
        put(value, HiveValue::dword(static_cast<std::uint32_t>(number)));
    }
    void boolean(ValueName value, bool flag) { put(value, HiveValue::dword(flag ? 1 : 0)); }
    void entryId(ValueName length, ValueName bytes, const mailstore::EntryId& id) {
        integer(length, static_cast<std::int32_t>(id.size()));
        put(bytes, HiveValue::binary(bytesOf(id)));
    }

private:
    void put(ValueName value, const HiveValue& data) { writeRegistryValue(m_key, name(value), data); }

    HiveKey& m_key;
};

[[noreturn]] void failedToSet(const std::string& valueName) {
    throw RegistryError("Failed to set data for '" + valueName + "'");
}

// The key for a save; when even creating it fails, the first value is the one that was not set.
HiveKey keyForSaving(platform::Hive& hive, ValueName firstValue) {
    auto key = openProductKey(hive, true);
    if (!key)
        failedToSet(name(firstValue));
    return *key;
}

} // namespace

std::optional<HiveKey> openProductKey(platform::Hive& hive, bool create) {
    const std::string path = name(ValueName::ProductKey);
    if (!create)
        return hive.openKey(path);
    try {
        return hive.createKey(path);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void writeRegistryValue(HiveKey& key, const std::string& valueName, const HiveValue& value) {
    try {
        key.setValue(valueName, value);
    } catch (const std::exception&) {
        failedToSet(valueName);
    }
}

void loadSettingsFromRegistry(TSettings& s, platform::Hive& hive) {
    const auto key = openProductKey(hive, true);
    if (!key)
        return;
    s.weftmarkFilter = readText(*key, ValueName::WeftmarkFilter, defaultWeftmarkFilter());
    s.saveFolder = readText(*key, ValueName::SaveFolder, defaultSaveFolder());
    s.firstNumber = readInteger(*key, ValueName::FirstNumber, 0);
    s.numberFormat = readText(*key, ValueName::NumberFormat, kDefaultNumberFormat);
    const bool includeSubject = readBoolean(*key, ValueName::IncludeSubject, false);
    s.startTag = readText(*key, ValueName::StartTag, defaultStartTag());
    s.endTag = readText(*key, ValueName::EndTag, defaultEndTag());
    s.includeAttachments = readBoolean(*key, ValueName::IncludeAttachments, true);
    s.msgDestination = readText(*key, ValueName::MsgDestination, "");
    s.emailHeader = (includeSubject ? std::string(kIncludeSubjectPrefix) : std::string()) +
                    readText(*key, ValueName::EmailHeader, kDefaultEmailHeader);
    s.emailFooter = readText(*key, ValueName::EmailFooter, "");
    s.moveMessages = readInteger(*key, ValueName::MoveMessages, LeaveMessage);
    s.getFromDefaultFolder = readBoolean(*key, ValueName::GetFromDefaultFolder, true);
    s.fromFolderName = readText(*key, ValueName::FromFolderName, "");
    s.reprocessEmails = readBoolean(*key, ValueName::ReprocessEmails, false);
    s.sortOrder = readInteger(*key, ValueName::SortOrder, 0);
    s.sortDescending = readBoolean(*key, ValueName::SortDescending, false);
    s.tagText = readText(*key, ValueName::TagText, kDefaultTagText);
    s.extensions = splitLines(readText(*key, ValueName::Extensions, joinLines(defaultExtensions())));
    s.extensionActions =
        splitLines(readText(*key, ValueName::ExtensionActions, joinLines(defaultExtensionActions())));
    // A folder whose entry ids could not be read loses its name, so validation asks for it again.
    if (!readFolderIdentity(*key, kSourceNames, *s.sourceFolder))
        s.fromFolderName.clear();
    if (!readFolderIdentity(*key, kDestinationNames, *s.destinationFolder))
        s.msgDestination.clear();
    s.manualFolder = readText(*key, ValueName::ManualFolder, defaultManualFolder());
    s.manualFormat = readText(*key, ValueName::ManualFormat, kDefaultManualFormat);
    s.readStatus = readBoolean(*key, ValueName::ReadStatus, false);
    s.wordMacro = readText(*key, ValueName::WordMacro, "");
}

void saveSettingsToRegistry(const TSettings& s, platform::Hive& hive) {
    HiveKey key = keyForSaving(hive, ValueName::WeftmarkFilter);
    ValueWriter out(key);
    out.text(ValueName::WeftmarkFilter, s.weftmarkFilter);
    out.text(ValueName::SaveFolder, s.saveFolder);
    out.integer(ValueName::FirstNumber, s.firstNumber);
    out.text(ValueName::NumberFormat, s.numberFormat);
    out.boolean(ValueName::IncludeSubject, false); // the prefix is part of the header by now
    out.text(ValueName::StartTag, s.startTag);
    out.text(ValueName::EndTag, s.endTag);
    out.boolean(ValueName::IncludeAttachments, s.includeAttachments);
    out.text(ValueName::MsgDestination, s.msgDestination);
    out.text(ValueName::EmailHeader, s.emailHeader);
    out.text(ValueName::EmailFooter, s.emailFooter);
    out.integer(ValueName::MoveMessages, s.moveMessages);
    out.boolean(ValueName::GetFromDefaultFolder, s.getFromDefaultFolder);
    out.text(ValueName::FromFolderName, s.fromFolderName);
    out.boolean(ValueName::ReprocessEmails, s.reprocessEmails);
    out.integer(ValueName::SortOrder, s.sortOrder);
    out.boolean(ValueName::SortDescending, s.sortDescending);
    out.text(ValueName::TagText, s.tagText);
    out.text(ValueName::Extensions, joinLines(s.extensions));
    out.text(ValueName::ExtensionActions, joinLines(s.extensionActions));
    out.entryId(ValueName::FromCb, ValueName::FromPentry, s.sourceFolder->entryId());
    out.entryId(ValueName::ToCb, ValueName::ToPentry, s.destinationFolder->entryId());
    out.text(ValueName::ManualFolder, s.manualFolder);
    out.text(ValueName::ManualFormat, s.manualFormat);
    out.entryId(ValueName::FromStoreCb, ValueName::FromStoreEntry, s.sourceFolder->store()->entryId());
    out.entryId(ValueName::ToStoreCb, ValueName::ToStoreEntry, s.destinationFolder->store()->entryId());
    out.boolean(ValueName::ReadStatus, s.readStatus);
    out.text(ValueName::WordMacro, s.wordMacro);
}

bool loadMainWindowValues(MainWindowValues& values, platform::Hive& hive) {
    const auto key = openProductKey(hive, false);
    if (!key)
        return false;
    values.recentFiles = splitLines(readText(*key, ValueName::RecentFiles, ""));
    values.language = readText(*key, ValueName::Language, "English");
    values.showTips = readBoolean(*key, ValueName::ShowTips, true);
    values.currentTip = readInteger(*key, ValueName::CurrentTip, 0);
    return true;
}

void saveMainWindowValues(const MainWindowValues& values, platform::Hive& hive) {
    HiveKey key = keyForSaving(hive, ValueName::RecentFiles);
    ValueWriter out(key);
    out.text(ValueName::RecentFiles, joinLines(values.recentFiles));
    out.text(ValueName::Language, values.language);
    out.boolean(ValueName::ShowTips, values.showTips);
    out.integer(ValueName::CurrentTip, values.currentTip);
}

} // namespace settings
