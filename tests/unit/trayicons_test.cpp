#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "app.h"
#include "commands.h"
#include "settings.h"

namespace {

struct Call {
    int id;
    unsigned flags;
    std::string tip;
    bool operator==(const Call &o) const { return id == o.id && flags == o.flags && tip == o.tip; }
};

std::ostream &operator<<(std::ostream &os, const Call &c)
{
    return os << "{" << c.id << ", " << c.flags << ", \"" << c.tip << "\"}";
}

std::vector<int> Ids(const TrayPlan &plan)
{
    std::vector<int> ids;
    for (int i = 0; i < plan.count; i++)
        ids.push_back(plan.calls[i].iconId);
    return ids;
}

std::vector<Call> Calls(const TrayPlan &plan)
{
    std::vector<Call> calls;
    for (int i = 0; i < plan.count; i++)
        calls.push_back({plan.calls[i].iconId, plan.calls[i].flags, plan.calls[i].tooltip});
    return calls;
}

std::vector<int> Flags(const TrayIconShown &s)
{
    // In icon order 11, 15, 10, 7, 6, 8, 9.
    return {s.explorer, s.quickAccess, s.scanDisk, s.defragmenter, s.driveSpace, s.compressionAgent,
            s.backup};
}

SettingsRecord AllTools(int on)
{
    SettingsRecord s = InitialSettings();
    s.iShowExplorerIcon = s.iShowScanIcon = s.iShowDefragmentIcon = on;
    s.iShowDriveSpaceIcon = s.iShowCompressionAgentIcon = s.iShowBackupIcon = on;
    return s;
}

}  // namespace

TEST(TrayIcons, InitialSettingsAddFiveIconsInOrder)
{
    SettingsRecord s = InitialSettings();
    TrayIconShown shown = {};
    TrayPlan plan = PlanTrayIcons(TrayAdd, s, &shown);
    EXPECT_EQ(plan.operation, TrayAdd);
    EXPECT_EQ(Calls(plan), (std::vector<Call>{{5, 7, "Tessaron"},
                                              {11, 7, "Windows Explorer"},
                                              {15, 7, "Quick Access List"},
                                              {10, 7, "ScanDisk"},
                                              {7, 7, "Defragment"}}));
    EXPECT_EQ(Flags(shown), (std::vector<int>{1, 1, 1, 1, 0, 0, 0}));
}

TEST(TrayIcons, AddAndModifyFollowTheSettings)
{
    struct Case {
        const char *name;
        int operation;
        SettingsRecord settings;
        TrayIconShown before;
        std::vector<int> ids;
        unsigned flags;
        std::vector<int> after;
    } cases[] = {
        {"all tools off", TrayAdd, AllTools(0), {}, {5, 15}, 7, {0, 1, 0, 0, 0, 0, 0}},
        {"all tools on", TrayAdd, AllTools(1), {}, {5, 11, 15, 10, 7, 6, 8, 9}, 7,
         {1, 1, 1, 1, 1, 1, 1}},
        {"any non-zero shows", TrayAdd, AllTools(-3), {}, {5, 11, 15, 10, 7, 6, 8, 9}, 7,
         {1, 1, 1, 1, 1, 1, 1}},
        // A skipped icon keeps its flag: here scan was shown earlier.
        {"skipped keeps flag", TrayAdd, AllTools(0), {0, 0, 1, 0, 0, 0, 0}, {5, 15}, 7,
         {0, 1, 1, 0, 0, 0, 0}},
        {"modify tips only", TrayModify, InitialSettings(), {}, {5, 11, 15, 10, 7}, 4,
         {1, 1, 1, 1, 0, 0, 0}},
        {"modify all off", TrayModify, AllTools(0), {}, {5, 15}, 4, {0, 1, 0, 0, 0, 0, 0}},
    };
    for (Case &c : cases) {
        TrayIconShown shown = c.before;
        TrayPlan plan = PlanTrayIcons(c.operation, c.settings, &shown);
        EXPECT_EQ(Ids(plan), c.ids) << c.name;
        for (int i = 0; i < plan.count; i++)
            EXPECT_EQ(plan.calls[i].flags, c.flags) << c.name;
        EXPECT_EQ(Flags(shown), c.after) << c.name;
    }
}

TEST(TrayIcons, DeleteRemovesByTheFlagsNotTheSettings)
{
    SettingsRecord s = InitialSettings();
    TrayIconShown shown = {};
    PlanTrayIcons(TrayAdd, s, &shown);

    s.iShowScanIcon = 0;        // turned off after it was added
    s.iShowBackupIcon = 1;      // turned on but never added
    TrayPlan plan = PlanTrayIcons(TrayDelete, s, &shown);
    EXPECT_EQ(Calls(plan), (std::vector<Call>{{5, 0, "Tessaron"},
                                              {7, 0, "Defragment"},
                                              {15, 0, "Quick Access List"},
                                              {10, 0, "ScanDisk"},
                                              {11, 0, "Windows Explorer"}}));
    EXPECT_EQ(Flags(shown), (std::vector<int>{0, 0, 0, 0, 0, 0, 0}));

    // A second removal finds no flags: only the main icon is asked for.
    plan = PlanTrayIcons(TrayDelete, s, &shown);
    EXPECT_EQ(Ids(plan), (std::vector<int>{5}));
}

TEST(TrayIcons, DeleteFollowsTheRemoveOrder)
{
    TrayIconShown shown = {1, 1, 1, 1, 1, 1, 1};
    TrayPlan plan = PlanTrayIcons(TrayDelete, AllTools(0), &shown);
    EXPECT_EQ(Ids(plan), (std::vector<int>{5, 7, 15, 10, 9, 8, 6, 11}));
}

TEST(TrayIcons, TurningBackupOnReaddsItLast)
{
    SettingsRecord s = InitialSettings();
    TrayIconShown shown = {};
    PlanTrayIcons(TrayAdd, s, &shown);
    s.iShowBackupIcon = 1;  // the Options dialog's change
    EXPECT_EQ(Ids(PlanTrayIcons(TrayDelete, s, &shown)), (std::vector<int>{5, 7, 15, 10, 11}));
    EXPECT_EQ(Ids(PlanTrayIcons(TrayAdd, s, &shown)), (std::vector<int>{5, 11, 15, 10, 7, 9}));
    EXPECT_EQ(Flags(shown), (std::vector<int>{1, 1, 1, 1, 0, 0, 1}));
}

TEST(TrayIcons, UnknownOperationPlansNothing)
{
    TrayIconShown shown = {1, 1, 1, 1, 1, 1, 1};
    TrayPlan plan = PlanTrayIcons(3, AllTools(1), &shown);
    EXPECT_EQ(plan.count, 0);
    EXPECT_EQ(Flags(shown), (std::vector<int>{1, 1, 1, 1, 1, 1, 1}));
}

TEST(ToolKind, TableMatchesIconsAndNames)
{
    struct Case {
        ToolKind kind;
        int icon;
        const char *fallback;
        const char *lead;  // the message's first sentence
    } cases[] = {
        {ToolKind::Explorer, 11, "EXPLORER.EXE", "The Windows Explorer (EXPLORER.EXE) could not be started."},
        {ToolKind::ScanDisk, 10, "SCANDSKW.EXE", "The scanning service (SCANDSKW.EXE) could not be started."},
        {ToolKind::Defragmenter, 7, "DEFRAG.EXE",
         "The disk defragmenting service (DEFRAG.EXE) could not be started."},
        {ToolKind::Backup, 9, "BACKUP.EXE", "The backup service (BACKUP.EXE) could not be started."},
        {ToolKind::DriveSpace, 6, "DRVSPACE.EXE", "The DriveSpace manager (DRVSPACE.EXE) could not be started."},
        {ToolKind::CompressionAgent, 8, "CMPAGENT.EXE",
         "The compression service (CMPAGENT.EXE) could not be started."},
    };
    const std::string rest =
        "  It may already be open, or you may not have located it using \"Set Tool Locations\" in "
        "the \"Options\" dialog box.";
    for (const Case &c : cases) {
        const ToolInfo &tool = ToolInfoFor(c.kind);
        EXPECT_EQ(tool.kind, c.kind);
        EXPECT_EQ(tool.iconId, c.icon);
        EXPECT_STREQ(tool.fallbackName, c.fallback);
        ToolKind found;
        ASSERT_TRUE(ToolForIcon(c.icon, &found));
        EXPECT_EQ(found, c.kind);
        if (c.kind == ToolKind::Explorer) {
            EXPECT_STREQ(tool.failureMessage, ExplorerFailureMessage);
        } else {
            EXPECT_EQ(std::string(tool.failureMessage), c.lead + rest);
        }
    }
    ToolKind unused;
    for (int icon : {0, 5, 15, 100, -1})
        EXPECT_FALSE(ToolForIcon(icon, &unused)) << icon;
}

TEST(ToolKind, EachToolReadsItsOwnLocation)
{
    SettingsRecord s = InitialSettings();
    strcpy(s.szExplorerLocation, "E");
    strcpy(s.szScanLocation, "S");
    strcpy(s.szDefragmentLocation, "D");
    strcpy(s.szBackupLocation, "B");
    strcpy(s.szDriveSpaceLocation, "V");
    strcpy(s.szCompressionAgentLocation, "C");
    const char *expected[ToolKindCount] = {"E", "S", "D", "B", "V", "C"};
    for (int k = 0; k < ToolKindCount; k++) {
        char out[LocationSize];
        ASSERT_TRUE(BuildToolCommand(s, static_cast<ToolKind>(k), out, sizeof out));
        EXPECT_STREQ(out, expected[k]);
    }
}

TEST(ToolCommand, LocationWholeOrFallbackName)
{
    struct Case {
        const char *location, *expected;
    } cases[] = {
        {"", "BACKUP.EXE"},
        {"D:\\TOOLS\\BACKUP.EXE", "D:\\TOOLS\\BACKUP.EXE"},
        {"C:\\WINDOWS\\SCANDSKW.EXE /a", "C:\\WINDOWS\\SCANDSKW.EXE /a"},
    };
    for (const Case &c : cases) {
        SettingsRecord s = InitialSettings();
        strcpy(s.szBackupLocation, c.location);
        char out[LocationSize];
        ASSERT_TRUE(BuildToolCommand(s, ToolKind::Backup, out, sizeof out));
        EXPECT_STREQ(out, c.expected);
    }
}

TEST(ToolCommand, LongestLocationIsStartedWhole)
{
    SettingsRecord s = InitialSettings();
    std::string location = "C:\\" + std::string(LocationSize - 1 - 3 - 3, 'P') + " /a";
    ASSERT_EQ(location.size(), (size_t)LocationSize - 1);
    strcpy(s.szDriveSpaceLocation, location.c_str());
    char out[LocationSize];
    ASSERT_TRUE(BuildToolCommand(s, ToolKind::DriveSpace, out, sizeof out));
    EXPECT_EQ(std::string(out), location);

    char small[256];  // a buffer too small refuses instead of cutting
    EXPECT_FALSE(BuildToolCommand(s, ToolKind::DriveSpace, small, sizeof small));
    EXPECT_STREQ(small, "");
}

TEST(TrayMouse, DecidesByIconAndMessage)
{
    const int LeftUp = 0x0202, LeftDouble = 0x0203, RightDown = 0x0204, Move = 0x0200;
    struct Case {
        int icon, message;
        TrayMouseKind kind;
        ToolKind tool;
    } cases[] = {
        {5, MouseRightUp, TrayMouseKind::PostTrayMenu, ToolKind::Explorer},
        {15, MouseRightUp, TrayMouseKind::PostQuickAccessMenu, ToolKind::Explorer},
        {11, MouseLeftDown, TrayMouseKind::Launch, ToolKind::Explorer},
        {10, MouseLeftDown, TrayMouseKind::Launch, ToolKind::ScanDisk},
        {7, MouseLeftDown, TrayMouseKind::Launch, ToolKind::Defragmenter},
        {9, MouseLeftDown, TrayMouseKind::Launch, ToolKind::Backup},
        {6, MouseLeftDown, TrayMouseKind::Launch, ToolKind::DriveSpace},
        {8, MouseLeftDown, TrayMouseKind::Launch, ToolKind::CompressionAgent},
        // The left button acts on tools only, on the press only.
        {5, MouseLeftDown, TrayMouseKind::Nothing, ToolKind::Explorer},
        {15, MouseLeftDown, TrayMouseKind::Nothing, ToolKind::Explorer},
        {9, LeftUp, TrayMouseKind::Nothing, ToolKind::Explorer},
        {9, LeftDouble, TrayMouseKind::Nothing, ToolKind::Explorer},
        // The right button acts on the main and quick access icons only.
        {9, MouseRightUp, TrayMouseKind::Nothing, ToolKind::Explorer},
        {11, MouseRightUp, TrayMouseKind::Nothing, ToolKind::Explorer},
        {5, RightDown, TrayMouseKind::Nothing, ToolKind::Explorer},
        {5, Move, TrayMouseKind::Nothing, ToolKind::Explorer},
        {100, MouseLeftDown, TrayMouseKind::Nothing, ToolKind::Explorer},
        {0, MouseRightUp, TrayMouseKind::Nothing, ToolKind::Explorer},
    };
    for (const Case &c : cases) {
        TrayMouseAction action = DecideTrayMouse(c.icon, c.message);
        EXPECT_EQ(action.kind, c.kind) << c.icon << " " << c.message;
        if (c.kind == TrayMouseKind::Launch) {
            EXPECT_EQ(action.tool, c.tool) << c.icon;
        }
    }
}
