#include "MailFixture.h"

namespace mailstore {
namespace {

using mapi::fault::FaultRule;
using mapi::fault::ObjectKind;

const std::string kNotFoundText =
    "MAPI_E_NOT_FOUND - The entry identifier specified by lpEntryID does not represent an object";

class EnumerationTest : public testing::MailFixture {
protected:
    EnumerationTest() : personal(mail.addStore("Personal Folders", true)), archive(mail.addStore("Archive")) {
        using mapi::memory::FolderRef;
        inbox = personal.addFolder(personal.root(), "Inbox");
        work = personal.addFolder(inbox, "Work");
        personal.addFolder(work, "Deep");
        personal.addFolder(inbox, "Family");
        personal.addFolder(personal.root(), "Sent");
        notes = personal.addFolder(personal.root(), "Notes");
        personal.addFolder(notes, "Hidden");
        personal.setProp(notes, mapi::PropValue::boolean(mapi::PR_SUBFOLDERS, false));
        archive.addFolder(archive.root(), "2023");
    }

    std::vector<std::string> enumerate() {
        session().EnumerateFolders(tree, tree.callback());
        return tree.lines();
    }

    mapi::memory::MemoryStore& personal;
    mapi::memory::MemoryStore& archive;
    mapi::memory::FolderRef inbox, work, notes;
    testing::RecordingTree tree;
};

TEST_F(EnumerationTest, StoresAndFoldersDepthFirst) {
    EXPECT_EQ(enumerate(),
              (std::vector<std::string>{"Personal Folders", "  Inbox", "    Work", "      Deep", "    Family",
                                        "  Sent", "  Notes", "Archive", "  2023"}));
    EXPECT_EQ(tree.nodes[0].image, 0);
    EXPECT_TRUE(tree.nodes[0].expanded);
    EXPECT_EQ(tree.nodes[0].folder->entryId().toBinary(), personal.entryIdOf(personal.root()));
    EXPECT_EQ(tree.nodes[1].folder->entryId().toBinary(), personal.entryIdOf(inbox));
    EXPECT_EQ(tree.nodes[1].folder->store(), session().stores()[0].second);
}

TEST_F(EnumerationTest, FolderWithoutSubfoldersFlagIsNotLookedInto) {
    enumerate();
    EXPECT_EQ(faults->count("GetHierarchyTable", ObjectKind::Folder, personal.entryIdOf(notes)), 0u);
    EXPECT_EQ(faults->count("GetHierarchyTable", ObjectKind::Folder, personal.entryIdOf(work)), 1u);
}

TEST_F(EnumerationTest, SubfoldersComeInOneBatch) {
    enumerate();
    for (const auto& call : faults->calls("QueryRows"))
        if (call.entryId == personal.entryIdOf(inbox)) {
            EXPECT_EQ(call.asked, 2);
            EXPECT_EQ(call.returned, 2);
        }
    EXPECT_EQ(faults->count("QueryRows", ObjectKind::Table, personal.entryIdOf(inbox)), 1u);
}

TEST_F(EnumerationTest, NodeRefusedByTheCallbackIsNotWalked) {
    session().EnumerateFolders(tree,
                               [&](const std::string& name, FolderNode parent,
                                   std::unique_ptr<TMapiUserFolder> folder) -> std::optional<FolderNode> {
                                   if (name == "Inbox")
                                       return std::nullopt;
                                   return tree.callback()(name, parent, std::move(folder));
                               });
    EXPECT_EQ(tree.lines(),
              (std::vector<std::string>{"Personal Folders", "  Sent", "  Notes", "Archive", "  2023"}));
    EXPECT_EQ(faults->count("GetHierarchyTable", ObjectKind::Folder, personal.entryIdOf(inbox)), 0u);
}

TEST_F(EnumerationTest, StoreThatCannotBeOpenedBecomesATextNode) {
    mail.addStoreEntry("Removed PST", "nosuch:/gone.pst", false);
    const auto lines = enumerate();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[9],
              "Position:OpenMsgStore:Removed PST MAPI_E_NO_SUPPORT - The container has no child containers "
              "and cannot provide a hierarchy table. \r\nDetails:\r\nError: store \"Removed PST\" "
              "(nosuch:/gone.pst): this program cannot open stores of this kind\r\nComponent: Larkspire "
              "mail profiles\r\n *");
}

TEST_F(EnumerationTest, StoreWithoutIpmSubtreeIsATextNodeAndOthersFollow) {
    personal.removeStoreProp(mapi::PR_IPM_SUBTREE_ENTRYID);
    EXPECT_EQ(enumerate(), (std::vector<std::string>{"Position:getFolderRoot.3 " + kNotFoundText + " *",
                                                     "Archive", "  2023"}));
}

TEST_F(EnumerationTest, PublicFolderStoreStartsAtTheNonIpmSubtree) {
    const auto publicRoot = archive.addFolder(archive.root(), "Public Folders");
    archive.addFolder(publicRoot, "Shared");
    archive.setStoreProp(
        mapi::PropValue::binary(mapi::PR_MDB_PROVIDER, {0x78, 0xB2, 0xFA, 0x70, 0xAF, 0xF7, 0x11, 0xCD, 0x9B,
                                                        0xC8, 0x00, 0xAA, 0x00, 0x2F, 0xC4, 0x5A}));
    archive.setStoreProp(
        mapi::PropValue::binary(mapi::PR_NON_IPM_SUBTREE_ENTRYID, archive.entryIdOf(publicRoot)));
    const auto lines = enumerate();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"Archive", "  Shared"}));

    tree.nodes.clear();
    archive.removeStoreProp(mapi::PR_NON_IPM_SUBTREE_ENTRYID);
    EXPECT_EQ(enumerate().back(), "Position:getFolderRoot.1 " + kNotFoundText + " *");

    tree.nodes.clear();
    archive.setStoreProp(
        mapi::PropValue::binary(mapi::PR_NON_IPM_SUBTREE_ENTRYID, archive.entryIdOf(publicRoot)));
    fail({.operation = "OpenEntry",
          .kind = ObjectKind::Store,
          .entryId = archive.entryId(),
          .result = mapi::MAPI_E_NO_ACCESS});
    EXPECT_EQ(enumerate().back().rfind("Position:getFolderRoot.2 MAPI_E_NO_ACCESS - ", 0), 0u);
}

TEST_F(EnumerationTest, ReleasedStoresStayAliveForTheTreesFolders) {
    enumerate();
    session().ListStores();
    TMapiUserFolder& inboxNode = *tree.nodes[1].folder;
    const auto folder = inboxNode.OpenFolder(inboxNode.store()->OpenStore());
    std::shared_ptr<mapi::IMAPITable> table;
    ASSERT_EQ(folder->GetHierarchyTable(0, table), mapi::S_OK);
    std::uint32_t count = 0;
    table->GetRowCount(0, count);
    EXPECT_EQ(count, 2u);
}

// The object a rule is aimed at, resolved once the stores exist.
enum class Target { Any, Root, Inbox, Store };

struct WalkFailure {
    const char* name;
    FaultRule rule;
    Target target;
    std::string firstLine; // the text of the first store's node, "*" marking one without data

    friend void PrintTo(const WalkFailure& failure, std::ostream* out) { *out << failure.name; }
};

class WalkFailureTable : public EnumerationTest, public ::testing::WithParamInterface<WalkFailure> {};

TEST_P(WalkFailureTable, BecomesTheStoresNodeTextAndOtherStoresFollow) {
    FaultRule rule = GetParam().rule;
    switch (GetParam().target) {
    case Target::Any:
        break;
    case Target::Root:
        rule.entryId = personal.entryIdOf(personal.root());
        break;
    case Target::Inbox:
        rule.entryId = personal.entryIdOf(inbox);
        break;
    case Target::Store:
        rule.entryId = personal.entryId();
        break;
    }
    fail(rule);
    const auto lines = enumerate();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), GetParam().firstLine);
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"Archive", "  2023"}));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, WalkFailureTable,
    ::testing::Values(
        WalkFailure{"OpenStore",
                    {.operation = "OpenMsgStore", .result = mapi::MAPI_E_NETWORK_ERROR},
                    Target::Any,
                    "Position:OpenMsgStore:Personal Folders MAPI_E_NETWORK_ERROR *"},
        // The store's first GetProps asks for its provider, the second for the root.
        WalkFailure{"RootNotFound",
                    {.operation = "GetProps",
                     .kind = ObjectKind::Store,
                     .nth = 2,
                     .result = mapi::MAPI_W_ERRORS_RETURNED},
                    Target::Any,
                    "Position:getFolderRoot.3 " + kNotFoundText + " *"},
        WalkFailure{"RootOtherPropError",
                    {.operation = "GetProps",
                     .kind = ObjectKind::Store,
                     .nth = 2,
                     .result = mapi::MAPI_W_ERRORS_RETURNED,
                     .errorCode = mapi::MAPI_E_NO_ACCESS},
                    Target::Any,
                    "Position:getFolderRoot.3 MAPI_E_CALL_FAILED *"},
        WalkFailure{
            "RootReadFails",
            {.operation = "GetProps", .kind = ObjectKind::Store, .nth = 2, .result = mapi::MAPI_E_NO_ACCESS},
            Target::Any,
            "Position:getFolderRoot.3 MAPI_E_CALL_FAILED *"},
        WalkFailure{
            "RootOfAnotherTag",
            {.operation = "GetProps",
             .kind = ObjectKind::Store,
             .nth = 2,
             .result = mapi::S_OK,
             .values = std::vector<mapi::PropValue>{mapi::PropValue::string(mapi::PR_DISPLAY_NAME_A, "x")}},
            Target::Any,
            "Position:getFolderRoot.3 MAPI_E_CALL_FAILED *"},
        WalkFailure{"RootWithoutValues",
                    {.operation = "GetProps",
                     .kind = ObjectKind::Store,
                     .nth = 2,
                     .result = mapi::S_OK,
                     .values = std::vector<mapi::PropValue>{}},
                    Target::Any,
                    "ZERO cValues variable *"},
        WalkFailure{"RootOtherWarningPasses",
                    {.operation = "GetProps",
                     .kind = ObjectKind::Store,
                     .nth = 2,
                     .result = mapi::hresult(0x00040482)},
                    Target::Any,
                    "Personal Folders"},
        // Buffers: the store list's tag array, the root id copy, then the walk's column set and tags.
        WalkFailure{"RootCopyAllocation",
                    {.operation = "AllocateBuffer", .nth = 2, .result = mapi::MAPI_E_CALL_FAILED},
                    Target::Any,
                    "Position:getFolderRoot.3 MAPI_E_NOT_ENOUGH_MEMORY *"},
        WalkFailure{
            "RootOpen",
            {.operation = "OpenEntry", .kind = ObjectKind::Store, .result = mapi::MAPI_E_NO_ACCESS},
            Target::Store,
            "Position:getFolderRoot.4 MAPI_E_NO_ACCESS - Either the user has insufficient permissions to "
            "open the object or an attempt was made to open a read-only object with read/write access *"},
        WalkFailure{
            "HierarchyTable",
            {.operation = "GetHierarchyTable", .result = mapi::MAPI_E_NO_SUPPORT},
            Target::Root,
            "Position:550 MAPI_E_NO_SUPPORT - The container has no child containers and cannot provide a "
            "hierarchy table. "},
        WalkFailure{"RowCount",
                    {.operation = "GetRowCount", .result = mapi::hresult(0x8004010B)},
                    Target::Root,
                    "Position:560 MAPI_E_BUSY"},
        WalkFailure{"ColumnAllocation",
                    {.operation = "AllocateBuffer", .nth = 3, .result = mapi::MAPI_E_NOT_ENOUGH_MEMORY},
                    Target::Any,
                    "Position:570 MAPI_E_NOT_ENOUGH_MEMORY"},
        WalkFailure{"SetColumns",
                    {.operation = "SetColumns", .result = mapi::MAPI_E_CALL_FAILED},
                    Target::Root,
                    "Position:580 MAPI_E_CALL_FAILED"},
        // Frees: the store list's tag array, then the walk's column set.
        WalkFailure{"ColumnFree",
                    {.operation = "FreeBuffer", .nth = 2, .result = mapi::MAPI_E_INVALID_PARAMETER},
                    Target::Any,
                    "Position:590 Invalid parameter!"},
        WalkFailure{"QueryRows",
                    {.operation = "QueryRows", .result = mapi::MAPI_E_NETWORK_ERROR},
                    Target::Root,
                    "Position:600 MAPI_E_NETWORK_ERROR"},
        WalkFailure{"TagAllocation",
                    {.operation = "AllocateBuffer", .nth = 4, .result = mapi::MAPI_E_NOT_ENOUGH_MEMORY},
                    Target::Any,
                    "Position:610 MAPI_E_NOT_ENOUGH_MEMORY"},
        WalkFailure{"OpenSubfolder",
                    {.operation = "OpenEntry", .kind = ObjectKind::Folder, .result = mapi::MAPI_E_NOT_FOUND},
                    Target::Root,
                    "Position:620 " + kNotFoundText},
        WalkFailure{
            "SubfolderProps",
            {.operation = "GetProps", .kind = ObjectKind::Folder, .result = mapi::MAPI_E_CORRUPT_DATA},
            Target::Inbox,
            "Position:630 MAPI_E_CORRUPT_DATA"}),
    [](const ::testing::TestParamInfo<WalkFailure>& info) { return std::string(info.param.name); });

} // namespace
} // namespace mailstore
