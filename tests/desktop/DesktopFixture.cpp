#include "DesktopFixture.h"

#include "mapi/ProfileSubsystem.h"
#include "mapi/maildir/MaildirProvider.h"
#include "support/MaildirBuilder.h"
#include "support/SampleMessages.h"

#include <QTest>

#include "ui/RequestChannel.h"

#include <algorithm>
#include <future>

namespace desktoptest {

DesktopFixture::DesktopFixture()
    : mailRoot(folder / "Maildir"), archiveRoot(folder / "ArchiveMail"), output(folder / "out"),
      hive(folder / "registry.reg") {
    testsupport::MaildirBuilder mail(mailRoot);
    for (const char* key : {".Projects", ".Projects.Inbox", ".Receipts"})
        mail.addFolder(key);
    for (int i = 1; i <= kInboxMessages; ++i)
        mail.addMessage(
            "", testsupport::simpleMessage("Message " + std::to_string(i), "Body " + std::to_string(i)),
            {.inNew = false, .flags = {}, .unique = {}, .mtime = 1700000000 + i * 60, .sizeMarkers = false});
    testsupport::MaildirBuilder archive(archiveRoot);
    archive.addFolder(".2024");
    std::filesystem::create_directories(output);
}

desktop::TForm1& DesktopFixture::start(std::vector<std::string> arguments) {
    auto registry = std::make_shared<mapi::ProviderRegistry>();
    mapi::registerMaildirProvider(*registry);
    const auto store = [](const std::string& name, const std::filesystem::path& root, bool isDefault) {
        mapi::StoreLocation location;
        location.displayName = name;
        location.url = "maildir:" + root.string();
        location.isDefault = isDefault;
        return location;
    };
    mapi::Profile profile{
        "Work", true, {store("Personal Folders", mailRoot, true), store("Archive", archiveRoot, false)}};
    profile.stores.insert(profile.stores.end(), extraStores.begin(), extraStores.end());
    const mapi::Profile other{"Home", false, {store("Home Mail", archiveRoot, true)}};
    desktop::DesktopServices services;
    services.mapi = std::make_shared<mapi::ProfileSubsystem>(mapi::fixedProfiles({profile, other}), registry);
    services.hive = &hive;
    services.dialogs = &dialogs;
    services.files = &files;
    services.shellOpen = [this](const std::string& target) { opened.push_back(target); };
    services.version = "9.8.7";
    services.programFolder = std::filesystem::path(LARKSPIRE_SOURCE_DIR) / "data";
    services.greetAtStart = greet;
    form = std::make_unique<desktop::TForm1>(std::move(services), std::move(arguments));
    form->show();
    if (form->created() && !QTest::qWaitFor([this] { return form->startupDone(); }))
        throw std::runtime_error("the start-up did not finish");
    return *form;
}

void DesktopFixture::setUpJob() {
    form->setDirectory(output.string());
    form->setFileNameFormat("%5.5d.txt");
    form->setFirstNumber(1);
}

std::filesystem::path DesktopFixture::saveJob(const std::string& name) {
    const auto job = folder / name;
    form->window().SaveFile(job.string());
    return job;
}

std::vector<std::string> DesktopFixture::boxTexts() const {
    std::vector<std::string> texts;
    for (const auto& dialog : dialogs.dialogs)
        texts.push_back(dialog.text);
    texts.insert(texts.end(), dialogs.infos.begin(), dialogs.infos.end());
    return texts;
}

bool DesktopFixture::sendServed(const std::filesystem::path& socket, const std::string& text) {
    auto reply = std::async(std::launch::async, [socket, text] { return ui::sendRequest(socket, text); });
    if (!QTest::qWaitFor(
            [&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }))
        throw std::runtime_error("no reply from the request channel");
    return reply.get();
}

std::vector<std::string> DesktopFixture::outputFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(output))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace desktoptest
