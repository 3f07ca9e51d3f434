#include "MailFixture.h"

namespace mailstore {
namespace {

using mapi::fault::ObjectKind;
using testing::errorOf;

class FolderTest : public testing::MailFixture {
protected:
    FolderTest() : personal(mail.addStore("Personal Folders", true)), archive(mail.addStore("Archive")) {
        inbox = personal.addFolder(personal.root(), "Inbox");
        personal.setReceiveFolder(inbox);
        old = archive.addFolder(archive.root(), "Old");
    }

    std::shared_ptr<TStore> listedStore(const std::string& name) {
        session().ListStores();
        for (const auto& entry : session().stores())
            if (entry.first == name)
                return entry.second;
        return nullptr;
    }

    mapi::memory::MemoryStore& personal;
    mapi::memory::MemoryStore& archive;
    mapi::memory::FolderRef inbox, old;
};

TEST_F(FolderTest, FindDefaultInboxTakesTheReceiveFolder) {
    const auto store = session().DefaultStore();
    TMapiUserFolder folder(store);
    folder.FindDefaultInbox();
    EXPECT_EQ(folder.entryId().toBinary(), personal.entryIdOf(inbox));
    EXPECT_EQ(faults->calls("GetReceiveFolder").at(0).text, "IPM");
}

TEST_F(FolderTest, FindDefaultInboxFailureIsAPlainMessage) {
    personal.setReceiveFolder(std::nullopt);
    TMapiUserFolder folder(session().DefaultStore());
    EXPECT_EQ(errorOf([&] { folder.FindDefaultInbox(); }), "Failed to find default inbox");
}

TEST_F(FolderTest, OpenFolderOpensOnceWithBestAccess) {
    TMapiUserFolder folder(archive.entryIdOf(old), listedStore("Archive"));
    const auto first = folder.OpenFolder(folder.store()->OpenStore());
    const auto second = folder.OpenFolder(folder.store()->OpenStore());
    EXPECT_EQ(first, second);
    const auto opens = faults->calls("OpenEntry");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].flags, 0x18u);
    EXPECT_EQ(opens[0].text, "IMAPIFolder");
    EXPECT_EQ(faults->count("OpenMsgStore"), 1u) << "the store stays open too";
}

TEST_F(FolderTest, OpenFolderFailureCarriesTheStoresDetails) {
    TMapiUserFolder folder(archive.entryIdOf(old), listedStore("Archive"));
    faults->add({.operation = "OpenEntry",
                 .kind = ObjectKind::Store,
                 .result = mapi::MAPI_E_NO_ACCESS,
                 .lastError = mapi::MapiError{std::string("folder locked"), std::string("pst")}});
    EXPECT_EQ(
        errorOf([&] { folder.OpenFolder(folder.store()->OpenStore()); }),
        "Position:130 MAPI_E_NO_ACCESS - Either the user has insufficient permissions to open the object or "
        "an attempt was made to open a read-only object with read/write access\r\nDetails:\r\nError: folder "
        "locked\r\nComponent: pst\r\n");
}

TEST_F(FolderTest, StoreThatIsGoneFailsWithItsName) {
    const auto store = listedStore("Archive");
    mail.catalogue().remove(archive.name());
    EXPECT_EQ(errorOf([&] { store->OpenStore(); }),
              "Position:OpenMsgStore:Archive " + MapiErrorText(mapi::MAPI_E_NOT_FOUND) +
                  "\r\nDetails:\r\nError: store \"Archive\" (" + archive.url() +
                  ") could not be opened\r\nComponent: Larkspire mail profiles\r\n");
}

TEST_F(FolderTest, IdentityCopyLeavesOpenedObjectsInUse) {
    auto target = TMapiUserFolder::makeEmpty(&session());
    TMapiUserFolder inboxFolder(personal.entryIdOf(inbox), listedStore("Personal Folders"));
    copyFolderIdentity(*target, inboxFolder);
    const auto opened = target->OpenFolder(target->store()->OpenStore());

    TMapiUserFolder oldFolder(archive.entryIdOf(old), listedStore("Archive"));
    copyFolderIdentity(*target, oldFolder);
    EXPECT_EQ(target->store()->displayName(), "Archive");
    EXPECT_EQ(target->entryId().toBinary(), archive.entryIdOf(old));
    EXPECT_EQ(target->OpenFolder(target->store()->OpenStore()), opened);
    EXPECT_EQ(faults->count("OpenMsgStore"), 1u);
}

} // namespace
} // namespace mailstore
