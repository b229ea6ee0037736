#include <gtest/gtest.h>

#include <string.h>
#include <time.h>

#include <string>
#include <vector>

#include "app.h"
#include "commands.h"
#include "settings.h"

TEST(DayNumber, CountsFebruaryAsTwentyNineDays)
{
    struct Case {
        int month, day, expected;
    } cases[] = {
        {1, 1, 1},     {1, 31, 31},   {2, 1, 32},   {2, 28, 59},    {2, 29, 60},
        {3, 1, 61},    {4, 1, 92},    {6, 30, 182}, {7, 1, 183},    {9, 30, 274},
        {12, 1, 336},  {12, 31, 366}, {0, 5, 0},    {13, 1, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DayNumber(c.month, c.day), c.expected) << c.month << "/" << c.day;
}

TEST(DayNumber, TodayFollowsTheLocalDate)
{
    time_t now = time(NULL);
    int before = DayNumber(localtime(&now)->tm_mon + 1, localtime(&now)->tm_mday);
    int today = TodayDayNumber();
    now = time(NULL);
    int after = DayNumber(localtime(&now)->tm_mon + 1, localtime(&now)->tm_mday);
    EXPECT_TRUE(today == before || today == after);  // midnight may pass in between
    EXPECT_GE(today, 1);
    EXPECT_LE(today, 366);
}

TEST(HelpPath, IsTheHelpFileInTheProgramsOwnFolder)
{
    struct Case {
        const char *module, *expected;
    } cases[] = {
        {"C:\\TOOLS\\TESSARON\\TESSARON.EXE", "C:\\TOOLS\\TESSARON\\TESSARON.HLP"},
        {"C:\\TESSARON.EXE", "C:\\TESSARON.HLP"},
        {"C:\\TOOLS\\OTHER.EXE", "C:\\TOOLS\\TESSARON.HLP"},               // renamed program
        {"C:\\TESSARON.EXE\\BIN\\TESSARON.EXE", "C:\\TESSARON.EXE\\BIN\\TESSARON.HLP"},  // folder so named
        {"C:\\ZEPH.EXE\\ZEPH.EXE", "C:\\ZEPH.EXE\\TESSARON.HLP"},
        {"c:\\program files\\tessaron\\tessaron.exe", "C:\\PROGRAM FILES\\TESSARON\\TESSARON.HLP"},
        {"C:\\\\TOOLS\\\\\\TESSARON.EXE", "C:\\TOOLS\\TESSARON.HLP"},     // doubled and tripled
        {"C:\\TOOLS\\\\\\\\\\TESSARON.EXE", "C:\\TOOLS\\TESSARON.HLP"},   // a run of five
        {"\\\\SERVER\\SHARE\\TESSARON.EXE", "\\\\SERVER\\SHARE\\TESSARON.HLP"},  // network path
        {"TESSARON.EXE", "TESSARON.HLP"},                                 // no folder at all
        {"C:/tools/tessaron.exe", "C:/TOOLS\\TESSARON.HLP"},
    };
    for (const Case &c : cases) {
        char out[HelpPathSize];
        memset(out, 'x', sizeof out);
        EXPECT_TRUE(HelpPathFromModulePath(c.module, out, sizeof out)) << c.module;
        EXPECT_STREQ(out, c.expected) << c.module;
    }
}

TEST(HelpPath, ThatDoesNotFitIsRefusedNotCut)
{
    std::string folder = "C:\\" + std::string(HelpPathSize, 'D');
    std::string module = folder + "\\TESSARON.EXE";
    char out[HelpPathSize];
    EXPECT_FALSE(HelpPathFromModulePath(module.c_str(), out, sizeof out));
    EXPECT_STREQ(out, "");

    // Exactly full: folder + "\TESSARON.HLP" takes size - 1 characters.
    std::string fits = "C:\\" + std::string(HelpPathSize - 1 - 3 - 13, 'D');
    EXPECT_TRUE(HelpPathFromModulePath((fits + "\\A.EXE").c_str(), out, sizeof out));
    EXPECT_EQ(strlen(out), (size_t)HelpPathSize - 1);
    EXPECT_FALSE(HelpPathFromModulePath((fits + "D\\A.EXE").c_str(), out, sizeof out));
}

TEST(DriveLabel, NamesEachTypeOfDrive)
{
    struct Case {
        char letter;
        unsigned type;
        const char *expected;
    } cases[] = {
        {'A', DriveTypeRemovable, "Drive A:\\ [Floppy Disk]"},
        {'B', DriveTypeRemovable, "Drive B:\\ [Floppy Disk]"},
        {'C', DriveTypeRemovable, "Drive C:\\ [Removable]"},
        {'Z', DriveTypeRemovable, "Drive Z:\\ [Removable]"},
        {'A', DriveTypeFixed, "Drive A:\\ [Hard Disk]"},
        {'C', DriveTypeFixed, "Drive C:\\ [Hard Disk]"},
        {'N', DriveTypeRemote, "Drive N:\\ [Network Connection]"},
        {'D', DriveTypeCdrom, "Drive D:\\ [CD-ROM]"},
        {'R', DriveTypeRamdisk, "Drive R:\\ [RAM Disk]"},
        {'Q', DriveTypeUnknown, "Drive Q:\\ []"},
        {'Q', DriveTypeNoRootDir, "Drive Q:\\ []"},
        {'Q', 99, "Drive Q:\\ []"},
    };
    for (const Case &c : cases) {
        char label[MenuLabelSize];
        DriveLabel(c.letter, c.type, label);
        EXPECT_STREQ(label, c.expected);
    }
}

namespace {

std::vector<std::string> AskedRoots;

unsigned SampleDriveType(const char *root)
{
    AskedRoots.push_back(root);
    switch (root[0]) {
    case 'A': return DriveTypeRemovable;
    case 'D': return DriveTypeCdrom;
    case 'E': return DriveTypeRemovable;
    default: return DriveTypeFixed;
    }
}

std::vector<std::string> Layout(unsigned long mask)
{
    MenuEntry entries[TrayMenuMaxEntries];
    int count = TrayMenuLayout(mask, SampleDriveType, entries);
    std::vector<std::string> lines;
    for (int i = 0; i < count; i++)
        lines.push_back(entries[i].separator ? std::string("-")
                                             : std::to_string(entries[i].id) + " " + entries[i].text);
    return lines;
}

const std::vector<std::string> FixedItems = {
    "3 Open...", "-", "7 AutoMaintenance...", "-", "4 Options...", "-",
    "6 Help Topics", "-", "2 About Tessaron...", "-", "1 Exit",
};

}  // namespace

TEST(TrayMenuLayout, ListsDrivesThenTheFixedItems)
{
    AskedRoots.clear();
    std::vector<std::string> expected = {
        "8000 Drive A:\\ [Floppy Disk]", "8002 Drive C:\\ [Hard Disk]", "8003 Drive D:\\ [CD-ROM]", "-"};
    expected.insert(expected.end(), FixedItems.begin(), FixedItems.end());
    EXPECT_EQ(Layout(0x1 | 0x4 | 0x8), expected);
    EXPECT_EQ(AskedRoots, (std::vector<std::string>{"A:\\", "C:\\", "D:\\"}));
}

TEST(TrayMenuLayout, EmptyMaskBeginsWithOpen)
{
    EXPECT_EQ(Layout(0), FixedItems);
    EXPECT_EQ(Layout(0xFC000000ul), FixedItems);  // bits beyond Z: are no drives
}

TEST(TrayMenuLayout, AllTwentySixDrivesFit)
{
    std::vector<std::string> lines = Layout(0x3FFFFFFul);
    ASSERT_EQ(lines.size(), (size_t)TrayMenuMaxEntries);
    EXPECT_EQ(lines[4], "8004 Drive E:\\ [Removable]");
    EXPECT_EQ(lines[25], "8025 Drive Z:\\ [Hard Disk]");
    EXPECT_EQ(lines[26], "-");
}

TEST(TrayMenuChoice, MapsItemsToActions)
{
    struct Case {
        int item;
        TrayChoiceKind kind;
        int command;
        char letter;
    } cases[] = {
        {0, TrayChoiceKind::Nothing, 0, 0},
        {ItemExit, TrayChoiceKind::PostClose, 0, 0},
        {ItemAbout, TrayChoiceKind::PostCommand, CmdAbout, 0},
        {ItemOpen, TrayChoiceKind::PostCommand, CmdOpenPath, 0},
        {ItemOptions, TrayChoiceKind::PostCommand, CmdOptions, 0},
        {5, TrayChoiceKind::Nothing, 0, 0},
        {ItemHelpTopics, TrayChoiceKind::PostCommand, CmdHelpTopics, 0},
        {ItemMaintenance, TrayChoiceKind::PostCommand, CmdMaintenance, 0},
        {7999, TrayChoiceKind::Nothing, 0, 0},
        {8000, TrayChoiceKind::OpenDrive, 0, 'A'},  // drive A:, not Help Topics
        {8002, TrayChoiceKind::OpenDrive, 0, 'C'},
        {8025, TrayChoiceKind::OpenDrive, 0, 'Z'},
        {8026, TrayChoiceKind::Nothing, 0, 0},
        {-1, TrayChoiceKind::Nothing, 0, 0},
    };
    for (const Case &c : cases) {
        TrayChoice choice = DecideTrayMenuChoice(c.item);
        EXPECT_EQ(choice.kind, c.kind) << c.item;
        if (c.kind == TrayChoiceKind::PostCommand) {
            EXPECT_EQ(choice.command, c.command) << c.item;
        }
        if (c.kind == TrayChoiceKind::OpenDrive) {
            EXPECT_EQ(choice.letter, c.letter) << c.item;
        }
    }
}

TEST(ExplorerCommand, JoinsProgramSwitchesAndTarget)
{
    struct Case {
        const char *location;
        int view;
        const char *target, *expected;
    } cases[] = {
        {"C:\\WINDOWS\\explorer.exe", 1, "C:\\", "C:\\WINDOWS\\explorer.exe /n,/e,C:\\"},
        {"C:\\WINDOWS\\explorer.exe", 0, "C:\\", "C:\\WINDOWS\\explorer.exe /n,C:\\"},
        {"", 1, "A:\\", "EXPLORER.EXE /n,/e,A:\\"},
        {"", 7, "D:\\My Files", "EXPLORER.EXE /n,/e,D:\\My Files"},
        {"", 0, "", "EXPLORER.EXE /n,"},
    };
    for (const Case &c : cases) {
        SettingsRecord s = InitialSettings();
        strcpy(s.szExplorerLocation, c.location);
        s.iExplorerView = c.view;
        char out[ExplorerCommandSize];
        EXPECT_TRUE(BuildExplorerCommand(s, c.target, out, sizeof out));
        EXPECT_STREQ(out, c.expected);
    }
}

TEST(ExplorerCommand, LongestLocationAndTargetAreNeverCut)
{
    SettingsRecord s = InitialSettings();
    std::string location(LocationSize - 1, 'L');
    std::string target(ExplorerTargetSize - 1, 'T');
    strcpy(s.szExplorerLocation, location.c_str());
    s.iExplorerView = 1;
    char out[ExplorerCommandSize];
    ASSERT_TRUE(BuildExplorerCommand(s, target.c_str(), out, sizeof out));
    EXPECT_EQ(std::string(out), location + " /n,/e," + target);
    EXPECT_EQ(strlen(out), sizeof out - 1);

    // A target beyond any source is refused whole rather than cut.
    std::string tooLong = target + "T";
    EXPECT_FALSE(BuildExplorerCommand(s, tooLong.c_str(), out, sizeof out));
    EXPECT_STREQ(out, "");
}

TEST(ExplorerCommand, FailureMessageIsExact)
{
    EXPECT_STREQ(ExplorerFailureMessage,
                 "The Windows Explorer (EXPLORER.EXE) could not be started.  You may need to locate "
                 "it using \"Set Tool Locations\" in the \"Options\" dialog box.");
}
