#include "settings/OptionFile.h"

#include "OptionFileSamples.h"
#include "settings/OptionFileStream.h"

#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace settings {
namespace {

using samples::ScratchFolder;

std::string bytes(std::initializer_list<int> values) {
    std::string result;
    for (const int value : values)
        result += static_cast<char>(value);
    return result;
}

// The error text of reading `data`, or "" when it reads.
std::string readError(const std::string& data, TSettings& settings) {
    std::istringstream in(data);
    try {
        readOptionFile(settings, in, data.size());
    } catch (const OptionFileError& error) {
        return error.what();
    }
    return "";
}

const std::string kHeader = bytes({'T', 'P', 'F', '0', 9}) + "TSettings" + bytes({0, 9}) + "TSettings";

TEST(OptionFileTest, SavingAndLoadingGivesBackEveryField) {
    ScratchFolder folder;
    const std::string path = folder / "job.lks";
    TSettings saved(nullptr);
    samples::fill(saved);
    saveOptionFile(saved, path);
    EXPECT_EQ(saved.optionFileName, path);

    TSettings loaded(nullptr);
    loadOptionFile(loaded, path);
    samples::expectSameJob(saved, loaded, true);
    EXPECT_EQ(loaded.fileVersion, 17);
    EXPECT_EQ(loaded.optionFileName, path);
    // Store display names are not part of the file.
    EXPECT_EQ(loaded.sourceFolder->store()->displayName(), "dummy");
}

TEST(OptionFileTest, TheFileIsLaidOutByteForByte) {
    TSettings settings(nullptr);
    samples::fill(settings);
    const std::string file = optionFileBytes(settings);
    ASSERT_GT(file.size(), kHeader.size() + 4);
    EXPECT_EQ(file.substr(0, kHeader.size()), kHeader);
    // The data block starts with the version 17 and the comment's short string.
    EXPECT_EQ(file.substr(kHeader.size(), 3), bytes({0x02, 0x11, 0x06}));
    const auto commentLength = static_cast<unsigned char>(file[kHeader.size() + 3]);
    const std::string comment = file.substr(kHeader.size() + 4, commentLength);
    EXPECT_EQ(
        comment.rfind("\r\nThis is an Larkspire options file, a program for saving emails to plain text "
                      "from MAPI clients. To find out more go to ",
                      0),
        0u);
    EXPECT_EQ(comment.substr(comment.size() - 2), "\r\n");
    // Then "Weftmark filter", "Save folder", "First number" (123456 needs four bytes).
    std::size_t at = kHeader.size() + 4 + commentLength;
    const std::string filter = "\x06\x17/opt/filters/strict.flt";
    EXPECT_EQ(file.substr(at, filter.size()), filter);
    at += filter.size();
    const std::string save = "\x06\x13/home/me/mail text/";
    EXPECT_EQ(file.substr(at, save.size()), save);
    at += save.size();
    EXPECT_EQ(file.substr(at, 5), bytes({0x04, 0x40, 0xE2, 0x01, 0x00}));
    // The last value is "wordmacro", then the ends of the property and child lists.
    EXPECT_EQ(file.substr(file.size() - 10), "\x06\x06Macro1" + bytes({0x00, 0x00}));
}

TEST(OptionFileTest, StringsChangeFormAbove255Bytes) {
    TSettings settings(nullptr);
    settings.saveFolder = std::string(255, 'a');
    settings.numberFormat = std::string(256, 'b');
    const std::string file = optionFileBytes(settings);
    EXPECT_NE(file.find("\x06\xff" + std::string(255, 'a') + "\x02\x00"), std::string::npos);
    EXPECT_NE(file.find(bytes({0x0C, 0x00, 0x01, 0x00, 0x00}) + std::string(256, 'b') + "\x08"),
              std::string::npos);
    TSettings loaded(nullptr);
    EXPECT_EQ(readError(file, loaded), "");
    EXPECT_EQ(loaded.saveFolder, settings.saveFolder);
    EXPECT_EQ(loaded.numberFormat, settings.numberFormat);
}

TEST(OptionFileTest, EntryIdBytesAreWrittenAsIntegers) {
    TSettings settings(nullptr);
    mapi::Binary id(24, 0x00);
    id[0] = 0x80;
    id[1] = 0x7F;
    id[23] = 0xFF;
    settings.sourceFolder->entryId().assign(id);
    const std::string file = optionFileBytes(settings);
    std::string expected = bytes({0x02, 24, 0x03, 0x80, 0x00, 0x02, 0x7F});
    for (int i = 2; i < 23; ++i)
        expected += bytes({0x02, 0x00});
    expected += bytes({0x03, 0xFF, 0x00});
    EXPECT_NE(file.find(expected), std::string::npos);
}

// Every cut of a whole file fails with its text; the object stays usable.
TEST(OptionFileTest, AFileCutShortAnywhereIsAReadError) {
    TSettings saved(nullptr);
    samples::fill(saved);
    const std::string file = optionFileBytes(saved);
    for (std::size_t size = 0; size < file.size(); ++size) {
        TSettings loaded(nullptr);
        EXPECT_EQ(readError(file.substr(0, size), loaded),
                  size < 4 ? "Invalid stream format" : "Stream read error")
            << "cut at " << size;
    }
    TSettings loaded(nullptr);
    EXPECT_EQ(readError(file, loaded), "");
}

// Any single byte changed to a tag or an extreme value either still reads or fails with one of
// the texts; no change makes the reader crash or reach for memory the file cannot back.
TEST(OptionFileTest, AnyChangedByteReadsOrFailsWithAText) {
    TSettings saved(nullptr);
    samples::fill(saved);
    const std::string file = optionFileBytes(saved);
    const std::set<std::string> texts = {"Invalid stream format", "Invalid property value",
                                         "Stream read error"};
    for (std::size_t at = 0; at < file.size(); ++at)
        for (const int value : {0x00, 0x04, 0x06, 0x0C, 0x7F, 0xFF}) {
            std::string changed = file;
            changed[at] = static_cast<char>(value);
            TSettings loaded(nullptr);
            const std::string error = readError(changed, loaded);
            EXPECT_TRUE(error.empty() || texts.count(error) || error.rfind("Property ", 0) == 0)
                << error << " at " << at;
        }
}

TEST(OptionFileTest, WrongTagsNamesAndSignaturesGiveTheirTexts) {
    TSettings saved(nullptr);
    samples::fill(saved);
    const std::string file = optionFileBytes(saved);
    TSettings loaded(nullptr);

    std::string wrongTag = file;
    wrongTag[kHeader.size()] = 0x06; // the version read as an integer finds a string tag
    EXPECT_EQ(readError(wrongTag, loaded), "Invalid property value");

    std::string signature = file;
    signature[3] = '1';
    EXPECT_EQ(readError(signature, loaded), "Invalid stream format");

    std::string property = file;
    property.replace(16, 9, "Something");
    EXPECT_EQ(readError(property, loaded), "Property Something does not exist");

    std::string lowerCase = file;
    lowerCase.replace(16, 9, "tsettings");
    EXPECT_EQ(readError(lowerCase, loaded), "");

    std::string child = file;
    child.back() = 0x05;
    EXPECT_EQ(readError(child, loaded), "Invalid stream format");
}

TEST(OptionFileTest, AFailedLoadKeepsTheOptionFileName) {
    ScratchFolder folder;
    TSettings settings(nullptr);
    settings.optionFileName = "before.lks";
    const std::string missing = folder / "missing.lks";
    try {
        loadOptionFile(settings, missing);
        FAIL() << "loaded a missing file";
    } catch (const OptionFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + missing);
        EXPECT_FALSE(error.reason().empty());
    }
    EXPECT_THROW(loadOptionFile(settings, folder.path().string()), OptionFileError);
    samples::writeFile(folder / "bad.lks", "TPF0\x09TSett");
    EXPECT_THROW(loadOptionFile(settings, folder / "bad.lks"), OptionFileError);
    EXPECT_EQ(settings.optionFileName, "before.lks");
}

TEST(OptionFileTest, AFileThatCannotBeCreatedIsReported) {
    ScratchFolder folder;
    TSettings settings(nullptr);
    for (const std::string& path : {folder / "no such folder/job.lks", folder.path().string()}) {
        try {
            saveOptionFile(settings, path);
            FAIL() << "saved " << path;
        } catch (const OptionFileError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot create file " + path);
        }
    }
    EXPECT_EQ(settings.optionFileName, "");
}

// A child process whose files may not grow past a few bytes stands in for a full disk.
TEST(OptionFileTest, AFailedWriteLeavesTheOldFileWhole) {
    ScratchFolder folder;
    const std::string path = folder / "job.lks";
    TSettings settings(nullptr);
    samples::fill(settings);
    saveOptionFile(settings, path);
    const std::string before = samples::readFile(path);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        TSettings changed(nullptr);
        changed.saveFolder = std::string(5000, 'x');
        try {
            saveOptionFile(changed, path);
        } catch (const OptionFileError& error) {
            ::_exit(std::string(error.what()) == "Stream write error" && changed.optionFileName.empty() ? 0
                                                                                                        : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(samples::readFile(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

} // namespace
} // namespace settings
