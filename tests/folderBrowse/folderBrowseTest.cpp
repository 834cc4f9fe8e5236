// TBrowseForFolder driven through a scripted dialog backend.
#include "folderBrowse.h"
#include "fakeBrowseDialog.h"
#include "namedRow.h"
#include "qtPrinters.h"

#include <QMetaEnum>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using Message = FakeBrowseDialog::Message;

using sorvane::testkit::NamedRow;
using sorvane::testkit::RowName;

namespace {

class BrowseForFolderTest : public ::testing::Test {
protected:
    QWidget form;
    FakeBrowseDialog shell;
    TBrowseForFolder& browse = *new TBrowseForFolder(&form, shell);

    const FakeBrowseDialog::Run& LastRun() const { return shell.runs.back(); }

    void Confirm(const std::string& path, const std::string& displayName)
    {
        shell.answer = FakeBrowseDialog::Answer{path, displayName};
        ASSERT_TRUE(browse.Execute());
    }
};

QStringList PropertyNames(const QMetaObject& type)
{
    QStringList names;
    for (int i = type.propertyOffset(); i < type.propertyCount(); ++i)
        names << QString::fromLatin1(type.property(i).name());
    return names;
}

template <typename Enum>
QStringList KeysInOrder()
{
    const QMetaEnum meta = QMetaEnum::fromType<Enum>();
    QStringList keys;
    for (int i = 0; i < meta.keyCount(); ++i)
        keys << QString::fromLatin1(meta.key(i));
    return keys;
}

TEST_F(BrowseForFolderTest, NewComponentHasTheValuesOfCreation)
{
    EXPECT_EQ(browse.DisplayName(), "");
    EXPECT_EQ(browse.StatusText(), "Plase select folder");
    EXPECT_EQ(browse.FolderName(), "C:\\");
    EXPECT_EQ(browse.Flags(), TBrowseFlags());
    EXPECT_EQ(browse.Root(), TBrowseLocation::bl_STANDART);
    EXPECT_EQ(browse.Caption(), "Select Folder");
    EXPECT_EQ(browse.FlagWord(), 0u);
    EXPECT_EQ(browse.CustomRoot(), nullptr);
    EXPECT_EQ(browse.parent(), &form);
}

TEST_F(BrowseForFolderTest, PublishesSixPropertiesInOrderWithOnlyDisplayNameReadOnly)
{
    const QMetaObject& type = TBrowseForFolder::staticMetaObject;
    EXPECT_EQ(PropertyNames(type),
              QStringList({"DisplayName", "StatusText", "FolderName", "Flags", "Root", "Caption"}));
    for (int i = type.propertyOffset(); i < type.propertyCount(); ++i)
        EXPECT_EQ(type.property(i).isWritable(), QByteArray(type.property(i).name()) != "DisplayName");
    EXPECT_EQ(browse.property("StatusText").toString(), "Plase select folder");
    EXPECT_EQ(browse.property("Root").value<TBrowseLocation>(), TBrowseLocation::bl_STANDART);
}

TEST(BrowseForFolderTypes, MembersAreSpelledAndOrderedAsTheWindowResourceNamesThem)
{
    EXPECT_EQ(KeysInOrder<TBrowseFlags>(),
              QStringList({"bf_BrowseForComputer", "bf_BrowseForPrinter", "bf_DontGoBelowDomain", "bf_statustext",
                           "bf_ReturnFSanceStors", "bf_ReturnOnlyFSDIRS", "bf_EditBox"}));
    EXPECT_EQ(KeysInOrder<TBrowseLocation>(), QStringList({"bl_STANDART",
                                                           "bl_CUSTOM",
                                                           "bl_DESKTOP",
                                                           "bl_PROGRAMS",
                                                           "bl_CONTROLS",
                                                           "bl_PRINTERS",
                                                           "bl_PERSONAL",
                                                           "bl_FAVORITES",
                                                           "bl_STARTUP",
                                                           "bl_RECENT",
                                                           "bl_SENDTO",
                                                           "bl_BITBUCKET",
                                                           "bl_STARTMENU",
                                                           "bl_DESKTOPDIRECTORY",
                                                           "bl_DRIVES",
                                                           "bl_NETWORK",
                                                           "bl_NETHOOD",
                                                           "bl_FONTS",
                                                           "bl_TEMPLATES",
                                                           "bl_COMMON_STARTMENU",
                                                           "bl_COMMON_PROGRAMS",
                                                           "bl_COMMON_STARTUP",
                                                           "bl_COMMON_DESKTOPDIRECTORY",
                                                           "bl_APPDATA",
                                                           "bl_PRINTHOOD"}));
    for (int ordinal = 0; ordinal < 25; ++ordinal)
        EXPECT_EQ(int(QMetaEnum::fromType<TBrowseLocation>().value(ordinal)), ordinal);
}

// ------------------------------------------------------------ flag word --

struct FlagRow : NamedRow {
    TBrowseFlag member;
    unsigned bit;
};

class FlagBitTest : public BrowseForFolderTest, public ::testing::WithParamInterface<FlagRow> {};

TEST_P(FlagBitTest, EachMemberSetsAndClearsItsOwnBitOnly)
{
    const FlagRow row = GetParam();
    browse.SetFlags(row.member);
    EXPECT_EQ(browse.FlagWord(), row.bit);
    EXPECT_EQ(browse.Flags(), TBrowseFlags(row.member));

    browse.SetFlags(~TBrowseFlags(row.member) & TBrowseFlags::fromInt(0x7F));
    EXPECT_EQ(browse.FlagWord(), 0x301Fu & ~row.bit) << "every other member set";
}

INSTANTIATE_TEST_SUITE_P(Members, FlagBitTest,
                         ::testing::Values(FlagRow{"BrowseForComputer", TBrowseFlag::bf_BrowseForComputer, 0x1000},
                                           FlagRow{"BrowseForPrinter", TBrowseFlag::bf_BrowseForPrinter, 0x2000},
                                           FlagRow{"DontGoBelowDomain", TBrowseFlag::bf_DontGoBelowDomain, 0x0002},
                                           FlagRow{"statustext", TBrowseFlag::bf_statustext, 0x0004},
                                           FlagRow{"ReturnFSanceStors", TBrowseFlag::bf_ReturnFSanceStors, 0x0008},
                                           FlagRow{"ReturnOnlyFSDIRS", TBrowseFlag::bf_ReturnOnlyFSDIRS, 0x0001},
                                           FlagRow{"EditBox", TBrowseFlag::bf_EditBox, 0x0010}),
                         RowName<FlagRow>);

TEST_F(BrowseForFolderTest, FlagsRoundTripAndARunAddsValidateToTheWordOnly)
{
    const TBrowseFlags chosen = TBrowseFlag::bf_EditBox | TBrowseFlag::bf_ReturnOnlyFSDIRS;
    browse.SetFlags(chosen);
    EXPECT_EQ(browse.FlagWord(), 0x0011u);
    EXPECT_EQ(browse.Flags(), chosen);

    browse.Execute();
    EXPECT_EQ(LastRun().flags, 0x0031u);
    EXPECT_EQ(browse.FlagWord(), 0x0031u);
    EXPECT_EQ(browse.Flags(), chosen);

    browse.SetFlags({});
    EXPECT_EQ(browse.FlagWord(), BIF_VALIDATE);
    EXPECT_EQ(browse.Flags(), TBrowseFlags());
}

TEST_F(BrowseForFolderTest, RootAndFlagsCanBeSetByMemberName)
{
    ASSERT_TRUE(browse.setProperty("Flags", "bf_EditBox|bf_ReturnOnlyFSDIRS"));
    ASSERT_TRUE(browse.setProperty("Root", "bl_DRIVES"));
    EXPECT_EQ(browse.FlagWord(), 0x0011u);
    EXPECT_EQ(browse.Root(), TBrowseLocation::bl_DRIVES);
}

// ------------------------------------------------------- opening messages --

struct OpeningRow : NamedRow {
    QString folderName;
    QString statusText;
    std::vector<Message> expected;
};

class OpeningMessagesTest : public BrowseForFolderTest, public ::testing::WithParamInterface<OpeningRow> {};

TEST_P(OpeningMessagesTest, SelectsTheFolderAndShowsTheStatusOnlyWhenNotEmpty)
{
    browse.SetFolderName(GetParam().folderName);
    browse.SetStatusText(GetParam().statusText);
    browse.Execute();
    EXPECT_THAT(shell.sent, ElementsAreArray(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OpeningMessagesTest,
    ::testing::Values(OpeningRow{"Both",
                                 "C:\\",
                                 "Plase select folder",
                                 {{BFFM_SETSELECTIONA, 1, "C:\\"}, {BFFM_SETSTATUSTEXTA, 1, "Plase select folder"}}},
                      OpeningRow{
                          "NoFolder", "", "Plase select folder", {{BFFM_SETSTATUSTEXTA, 1, "Plase select folder"}}},
                      OpeningRow{"NoStatus", "/nowhere/at all", "", {{BFFM_SETSELECTIONA, 1, "/nowhere/at all"}}},
                      OpeningRow{"Neither", "", "", {}},
                      OpeningRow{"NotAscii",
                                 QString::fromUtf8("/tmp/d\xc3\xa9p\xc3\xb4t"),
                                 "",
                                 {{BFFM_SETSELECTIONA, 1, "/tmp/d\xc3\xa9p\xc3\xb4t"}}}),
    RowName<OpeningRow>);

// ----------------------------------------------------------------- runs --

TEST_F(BrowseForFolderTest, RecordIsModalToTheOwnersWindowWithTheCaptionAndTheCallback)
{
    auto* panel = new QWidget(&form);
    TBrowseForFolder& onPanel = *new TBrowseForFolder(panel, shell);
    onPanel.SetCaption(QString::fromUtf8("Choisissez le dossier \xc3\xa9"));
    onPanel.Execute();
    EXPECT_EQ(LastRun().owner, form.winId());
    EXPECT_EQ(LastRun().title, "Choisissez le dossier \xc3\xa9");
    EXPECT_EQ(LastRun().callback, &TBrowseForFolder::BrowseCallback);
}

TEST_F(BrowseForFolderTest, ConfirmedFolderGivesItsPathAndDisplayName)
{
    Confirm("/home/web/scripts", "scripts");
    EXPECT_EQ(browse.FolderName(), "/home/web/scripts");
    EXPECT_EQ(browse.DisplayName(), "scripts");
    EXPECT_EQ(shell.liveItems, 0);
}

TEST_F(BrowseForFolderTest, ConfirmedItemWithoutFileSystemPathEmptiesFolderName)
{
    Confirm("", "Control Panel");
    EXPECT_EQ(browse.FolderName(), "");
    EXPECT_EQ(browse.DisplayName(), "Control Panel");
}

TEST_F(BrowseForFolderTest, CancelKeepsTheResultOfTheLastConfirmedRun)
{
    browse.SetStatusText("");
    Confirm("/srv/www", "www");
    shell.answer.reset();
    EXPECT_FALSE(browse.Execute());
    EXPECT_EQ(browse.FolderName(), "/srv/www");
    EXPECT_EQ(browse.DisplayName(), "www");
    EXPECT_EQ(shell.sent.back(), (Message{BFFM_SETSELECTIONA, 1, "/srv/www"})) << "the result is the next selection";
}

TEST_F(BrowseForFolderTest, CancelOnANewComponentChangesNothing)
{
    EXPECT_FALSE(browse.Execute());
    EXPECT_EQ(browse.FolderName(), "C:\\");
    EXPECT_EQ(browse.DisplayName(), "");
}

struct OwnerRow : NamedRow {
    bool hasOwner;
};

class NonWindowOwnerTest : public ::testing::TestWithParam<OwnerRow> {};

TEST_P(NonWindowOwnerTest, FailsWithTheTypeCastErrorBeforeAnythingIsShown)
{
    QObject plainOwner;
    FakeBrowseDialog shell;
    TBrowseForFolder browse(GetParam().hasOwner ? &plainOwner : nullptr, shell);
    browse.SetRoot(TBrowseLocation::bl_DRIVES);
    try {
        browse.Execute();
        ADD_FAILURE() << "Execute did not fail";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Invalid class typecast");
    }
    EXPECT_THAT(shell.runs, IsEmpty());
    EXPECT_THAT(shell.requestedFolders, IsEmpty());
    EXPECT_EQ(browse.FlagWord(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Owners, NonWindowOwnerTest,
                         ::testing::Values(OwnerRow{"PlainObject", true}, OwnerRow{"None", false}), RowName<OwnerRow>);

// ----------------------------------------------------------------- roots --

// name: the location's member name.
struct RootRow : NamedRow {
    int csidl;  // FakeBrowseDialog::NoSpecialFolder: no special folder is asked for

    TBrowseLocation Location() const
    {
        return TBrowseLocation(QMetaEnum::fromType<TBrowseLocation>().keyToValue(name));
    }
};

class RootTest : public BrowseForFolderTest, public ::testing::WithParamInterface<RootRow> {};

TEST_P(RootTest, EachLocationRootsTheTreeAtItsSpecialFolder)
{
    ASSERT_NE(int(GetParam().Location()), -1) << "no location named " << GetParam().name;
    browse.SetRoot(GetParam().Location());
    browse.Execute();
    if (GetParam().csidl == FakeBrowseDialog::NoSpecialFolder) {
        EXPECT_THAT(shell.requestedFolders, IsEmpty());
        EXPECT_EQ(LastRun().root, nullptr);
    } else {
        EXPECT_THAT(shell.requestedFolders, ElementsAre(GetParam().csidl));
        EXPECT_EQ(LastRun().rootCsidl, GetParam().csidl);
    }
    EXPECT_EQ(shell.liveItems, 0) << "the root's item list is released after the run";
}

INSTANTIATE_TEST_SUITE_P(
    Locations, RootTest,
    ::testing::Values(RootRow{"bl_STANDART", FakeBrowseDialog::NoSpecialFolder},
                      RootRow{"bl_CUSTOM", FakeBrowseDialog::NoSpecialFolder}, RootRow{"bl_DESKTOP", 0x00},
                      RootRow{"bl_PROGRAMS", 0x02}, RootRow{"bl_CONTROLS", 0x03}, RootRow{"bl_PRINTERS", 0x04},
                      RootRow{"bl_PERSONAL", 0x05}, RootRow{"bl_FAVORITES", 0x06}, RootRow{"bl_STARTUP", 0x07},
                      RootRow{"bl_RECENT", 0x08}, RootRow{"bl_SENDTO", 0x09}, RootRow{"bl_BITBUCKET", 0x0A},
                      RootRow{"bl_STARTMENU", 0x0B}, RootRow{"bl_DESKTOPDIRECTORY", 0x10}, RootRow{"bl_DRIVES", 0x11},
                      RootRow{"bl_NETWORK", 0x12}, RootRow{"bl_NETHOOD", 0x13}, RootRow{"bl_FONTS", 0x14},
                      RootRow{"bl_TEMPLATES", 0x15}, RootRow{"bl_COMMON_STARTMENU", 0x16},
                      RootRow{"bl_COMMON_PROGRAMS", 0x17}, RootRow{"bl_COMMON_STARTUP", 0x18},
                      RootRow{"bl_COMMON_DESKTOPDIRECTORY", 0x19}, RootRow{"bl_APPDATA", 0x1A},
                      RootRow{"bl_PRINTHOOD", 0x1B}),
    RowName<RootRow>);

TEST_F(BrowseForFolderTest, MissingSpecialFolderShowsTheWholeNamespace)
{
    shell.missingFolders = {CSIDL_NETWORK};
    browse.SetRoot(TBrowseLocation::bl_NETWORK);
    Confirm("/home", "home");
    EXPECT_EQ(LastRun().root, nullptr);
    EXPECT_EQ(browse.FolderName(), "/home");
}

TEST_F(BrowseForFolderTest, CustomLocationUsesTheCustomRootAndKeepsIt)
{
    browse.SetCustomRoot(shell.MakeItem("/srv/www"));
    browse.SetRoot(TBrowseLocation::bl_CUSTOM);
    browse.Execute();
    browse.Execute();
    EXPECT_EQ(LastRun().root, browse.CustomRoot());
    EXPECT_THAT(shell.requestedFolders, IsEmpty());
    EXPECT_EQ(shell.liveItems, 1);
}

// -------------------------------------------------------------- callback --

struct CallbackRow : NamedRow {
    unsigned message;
    int result;
    bool sendsOpeningMessages;
};

class CallbackTest : public ::testing::TestWithParam<CallbackRow> {};

TEST_P(CallbackTest, AnswersEachMessageAsTheDialogExpects)
{
    FakeBrowseDialog shell;
    TBrowseCallbackData data{"D:\\scripts", "Plase select folder", &shell};
    const int result = TBrowseForFolder::BrowseCallback(FakeBrowseDialog::DialogWindow, GetParam().message, 0,
                                                        reinterpret_cast<std::intptr_t>(&data));
    EXPECT_EQ(result, GetParam().result);
    EXPECT_EQ(shell.sent.size(), GetParam().sendsOpeningMessages ? 2u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Messages, CallbackTest,
                         ::testing::Values(CallbackRow{"Initialized", BFFM_INITIALIZED, 0, true},
                                           CallbackRow{"SelectionChanged", BFFM_SELCHANGED, 0, false},
                                           CallbackRow{"ValidateFailed", BFFM_VALIDATEFAILEDA, 1, false},
                                           CallbackRow{"Other", 4, 0, false}),
                         RowName<CallbackRow>);

}  // namespace
