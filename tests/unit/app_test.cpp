#include <gtest/gtest.h>

#include <string.h>
#include <time.h>

#include <string>
#include <vector>

#include "app.h"
#include "commands.h"
#include "settings.h"
#include "textops.h"

TEST(DayNumber, CountsFebruaryAsTwentyNineDays)
{
    const struct {
        int month, day, expected;
    } cases[] = {
        {1, 1, 1},   {2, 28, 59},   {2, 29, 60},   {3, 1, 61}, {4, 1, 92}, {7, 1, 183},
        {10, 1, 275}, {12, 31, 366}, {0, 5, 0},    {13, 1, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DayNumber(c.month, c.day), c.expected) << c.month << "/" << c.day;

    // Today's number comes from the local date (midnight may pass in between).
    time_t now = time(NULL);
    int before = DayNumber(localtime(&now)->tm_mon + 1, localtime(&now)->tm_mday);
    int today = TodayDayNumber();
    now = time(NULL);
    EXPECT_TRUE(today == before || today == DayNumber(localtime(&now)->tm_mon + 1, localtime(&now)->tm_mday));
}

TEST(HelpPath, IsTheHelpFileInTheProgramsOwnFolder)
{
    const struct {
        const char *module, *expected;
    } cases[] = {
        {"C:\\TOOLS\\TESSARON\\TESSARON.EXE", "C:\\TOOLS\\TESSARON\\TESSARON.HLP"},
        {"C:\\TOOLS\\OTHER.EXE", "C:\\TOOLS\\TESSARON.HLP"},  // renamed program
        {"C:\\TESSARON.EXE\\BIN\\TESSARON.EXE", "C:\\TESSARON.EXE\\BIN\\TESSARON.HLP"},  // folder so named
        {"c:\\program files\\tessaron\\tessaron.exe", "C:\\PROGRAM FILES\\TESSARON\\TESSARON.HLP"},
        {"C:\\\\TOOLS\\\\\\\\\\TESSARON.EXE", "C:\\TOOLS\\TESSARON.HLP"},  // runs of two and five
        {"\\\\SERVER\\SHARE\\TESSARON.EXE", "\\\\SERVER\\SHARE\\TESSARON.HLP"},
        {"TESSARON.EXE", "TESSARON.HLP"},  // no folder at all
        {"C:/tools/tessaron.exe", "C:/TOOLS\\TESSARON.HLP"},
    };
    for (const auto &c : cases) {
        char out[HelpPathSize];
        memset(out, 'x', sizeof out);
        EXPECT_TRUE(HelpPathFromModulePath(c.module, out, sizeof out)) << c.module;
        EXPECT_STREQ(out, c.expected) << c.module;
    }

    // Exactly full fits; one more character is refused, not cut.
    char out[HelpPathSize];
    std::string fits = "C:\\" + std::string(HelpPathSize - 1 - 3 - 13, 'D');
    EXPECT_TRUE(HelpPathFromModulePath((fits + "\\A.EXE").c_str(), out, sizeof out));
    EXPECT_EQ(strlen(out), (size_t)HelpPathSize - 1);
    EXPECT_FALSE(HelpPathFromModulePath((fits + "D\\A.EXE").c_str(), out, sizeof out));
    EXPECT_STREQ(out, "");
}

namespace {

std::vector<std::string> AskedRoots;

unsigned SampleDriveType(const char *root)
{
    AskedRoots.push_back(root);
    const unsigned types[] = {DriveTypeRemovable, DriveTypeRemovable, DriveTypeFixed, DriveTypeCdrom,
                              DriveTypeRemovable, DriveTypeRemote, DriveTypeRamdisk, DriveTypeUnknown};
    return root[0] - 'A' < 8 ? types[root[0] - 'A'] : (unsigned)DriveTypeFixed;
}

std::vector<std::string> Layout(unsigned long mask)
{
    AskedRoots.clear();
    MenuEntry entries[TrayMenuMaxEntries];
    int count = TrayMenuLayout(mask, SampleDriveType, entries);
    std::vector<std::string> lines;
    for (int i = 0; i < count; i++)
        lines.push_back(entries[i].separator ? "-" : std::to_string(entries[i].id) + " " + entries[i].text);
    return lines;
}

}  // namespace

TEST(TrayMenuLayout, ListsDrivesThenTheFixedItems)
{
    const std::vector<std::string> fixed = {
        "3 &Open...", "-", "7 Auto&Maintenance...", "-", "4 O&ptions...", "-",
        "6 &Help Topics", "-", "2 &About Tessaron...", "-", "1 E&xit",
    };
    // Drives A: to H: take their letters first: Help Topics and About give
    // way to other letters of their words.
    const std::vector<std::string> expected = {
        "8000 Drive &A:\\ [Floppy Disk]", "8001 Drive &B:\\ [Floppy Disk]", "8002 Drive &C:\\ [Hard Disk]",
        "8003 Drive &D:\\ [CD-ROM]", "8004 Drive &E:\\ [Removable]", "8005 Drive &F:\\ [Network Connection]",
        "8006 Drive &G:\\ [RAM Disk]", "8007 Drive &H:\\ []", "-",
        "3 &Open...", "-", "7 Auto&Maintenance...", "-", "4 O&ptions...", "-",
        "6 Help &Topics", "-", "2 Abo&ut Tessaron...", "-", "1 E&xit"};
    EXPECT_EQ(Layout(0xFF), expected);
    EXPECT_EQ(AskedRoots, (std::vector<std::string>{"A:\\", "B:\\", "C:\\", "D:\\", "E:\\", "F:\\", "G:\\", "H:\\"}));

    EXPECT_EQ(Layout(0), fixed);  // no drives: no separator either
    EXPECT_EQ(Layout(0xFC000000ul), fixed);  // bits beyond Z: are no drives
    std::vector<std::string> all = Layout(0x3FFFFFFul);
    ASSERT_EQ(all.size(), (size_t)TrayMenuMaxEntries);
    EXPECT_EQ(all[25], "8025 Drive &Z:\\ [Hard Disk]");
    EXPECT_EQ(all[26], "-");
    EXPECT_EQ(all[27], "3 &Open...");  // every letter taken: the preferred one

    char label[MenuLabelSize];
    DriveLabel('A', DriveTypeFixed, label);  // only a removable A: is a floppy
    EXPECT_STREQ(label, "Drive A:\\ [Hard Disk]");
    DriveLabel('Q', 99, label);
    EXPECT_STREQ(label, "Drive Q:\\ []");
}

TEST(AccessKey, PreferredThenWordStartsThenAnyFreeLetter)
{
    const struct {
        const char *text;
        size_t preferred;
        const char *taken;  // letters earlier items took
        const char *expected;
    } cases[] = {
        {"Open...", 0, "", "&Open..."},
        {"Options...", 1, "O", "O&ptions..."},
        {"Options...", 1, "P", "&Options..."},          // the word's first letter next
        {"Options...", 1, "OP", "Op&tions..."},         // then any other
        {"About Tessaron...", 0, "A", "About &Tessaron..."},
        {"About Tessaron...", 0, "at", "A&bout Tessaron..."},  // taken letters ignore case
        {"Exit", 1, "EXIT", "E&xit"},                    // all taken: the preferred one
        {"Drive C:\\ [Hard Disk]", 6, "CD", "Drive C:\\ [&Hard Disk]"},
        {"Drive C:\\ [Hard Disk]", 99, "", "&Drive C:\\ [Hard Disk]"},  // no letter there
        {"...", 0, "", "..."},                           // nothing to mark
    };
    for (const auto &c : cases) {
        AccessKeys keys = {};
        for (const char *p = c.taken; *p != '\0'; p++)
            keys.taken[(*p | 0x20) - 'a'] = true;
        char out[MenuLabelSize];
        ASSERT_TRUE(AddAccessKey(c.text, c.preferred, &keys, out, sizeof out)) << c.text;
        EXPECT_STREQ(out, c.expected) << c.text << " with " << c.taken;
        const char *key = strchr(out, '&');
        if (key != nullptr) {
            EXPECT_TRUE(keys.taken[(key[1] | 0x20) - 'a']) << c.text;
        }
    }
    AccessKeys keys = {};
    char small[8];
    EXPECT_FALSE(AddAccessKey("Options", 1, &keys, small, sizeof small));  // the "&" does not fit
    EXPECT_STREQ(small, "");
    EXPECT_TRUE(AddAccessKey("Option", 1, &keys, small, sizeof small));
    EXPECT_STREQ(small, "O&ption");
}

TEST(TrayMenuChoice, MapsItemsToActions)
{
    const struct {
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
        {8025, TrayChoiceKind::OpenDrive, 0, 'Z'},
        {8026, TrayChoiceKind::Nothing, 0, 0},
    };
    for (const auto &c : cases) {
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

TEST(ExplorerCommand, JoinsProgramSwitchesAndTargetNeverCut)
{
    const struct {
        const char *location;
        int view;
        const char *target, *expected;
    } cases[] = {
        {"C:\\WINDOWS\\explorer.exe", 1, "C:\\", "C:\\WINDOWS\\explorer.exe /n,/e,C:\\"},
        {"C:\\WINDOWS\\explorer.exe", 0, "C:\\", "C:\\WINDOWS\\explorer.exe /n,C:\\"},
        {"", 7, "D:\\My Files", "EXPLORER.EXE /n,/e,D:\\My Files"},
        {"", 0, "", "EXPLORER.EXE /n,"},
    };
    SettingsRecord s = InitialSettings();
    char out[ExplorerCommandSize];
    for (const auto &c : cases) {
        CopyText(s.szExplorerLocation, LocationSize, c.location);
        s.iExplorerView = c.view;
        EXPECT_TRUE(BuildExplorerCommand(s, c.target, out, sizeof out));
        EXPECT_STREQ(out, c.expected);
    }

    // The longest location and the longest target fit whole.
    std::string location(LocationSize - 1, 'L'), target(ExplorerTargetSize - 1, 'T');
    CopyText(s.szExplorerLocation, LocationSize, location.c_str());
    s.iExplorerView = 1;
    ASSERT_TRUE(BuildExplorerCommand(s, target.c_str(), out, sizeof out));
    EXPECT_EQ(std::string(out), location + " /n,/e," + target);
    // A target beyond any source is refused whole rather than cut.
    EXPECT_FALSE(BuildExplorerCommand(s, (target + "T").c_str(), out, sizeof out));
    EXPECT_STREQ(out, "");
}
