#pragma once
// The one language file of the process, held in memory. English is built in: without a file,
// with a missing entry, or once disabled, every lookup gives the caller's default. A loader whose
// file cannot be read or written becomes disabled quietly, so a bad language file never stops the
// program and never gets overwritten with a partial copy.

#include "i18n/LanguageFile.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace i18n {

class TStringLoader {
public:
    // A disabled loader without a file.
    TStringLoader();
    // Creates the file's folder when missing and reads the file, found whatever the letter case
    // of its name on disk; a missing file reads as empty.
    explicit TStringLoader(std::filesystem::path path);

    bool disabled() const { return m_disabled; }
    const std::filesystem::path& path() const { return m_path; }
    const LanguageFile& file() const { return m_file; }

    // The raw value of a key, or nothing when the loader is disabled or the key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // The text of a message ID from section "global", escapes decoded (throws EscapeError);
    // `fallback` when there is none.
    std::string loadText(int textId, std::string_view fallback) const;

    // Stores `text` under the key and saves the whole file; a failure disables the loader.
    void RecordEntry(std::string_view section, std::string_view key, std::string_view text);

private:
    std::filesystem::path m_path;
    LanguageFile m_file;
    bool m_disabled = true;
};

// The process-wide loader; a disabled one is created when none is installed yet.
TStringLoader& GetLoader();
// Frees the current loader and installs `loader`.
void SetLoader(std::unique_ptr<TStringLoader> loader);

} // namespace i18n
