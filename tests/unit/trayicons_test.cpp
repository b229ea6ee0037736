#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "app.h"
#include "commands.h"
#include "settings.h"
#include "textops.h"

namespace {

// "id:flags:tip" for each call of a plan, or only "id".
std::vector<std::string> Calls(const TrayPlan &plan, bool full = true)
{
    std::vector<std::string> calls;
    for (int i = 0; i < plan.count; i++) {
        const TrayCall &c = plan.calls[i];
        calls.push_back(std::to_string(c.iconId) + (full ? ":" + std::to_string(c.flags) + ":" + c.tooltip : ""));
    }
    return calls;
}

std::vector<std::string> Ids(const TrayPlan &plan) { return Calls(plan, false); }

// The flags in icon order 11, 15, 10, 7, 6, 8, 9.
std::vector<int> Flags(const TrayIconShown &s)
{
    return {s.explorer, s.quickAccess, s.scanDisk, s.defragmenter, s.driveSpace, s.compressionAgent, s.backup};
}

SettingsRecord AllTools(int on)
{
    SettingsRecord s = InitialSettings();
    s.iShowExplorerIcon = s.iShowScanIcon = s.iShowDefragmentIcon = on;
    s.iShowDriveSpaceIcon = s.iShowCompressionAgentIcon = s.iShowBackupIcon = on;
    return s;
}

}  // namespace

TEST(TrayIcons, InitialSettingsAddFiveIconsThenDeleteByTheFlags)
{
    SettingsRecord s = InitialSettings();
    TrayIconShown shown = {};
    TrayPlan plan = PlanTrayIcons(TrayAdd, s, &shown);
    EXPECT_EQ(plan.operation, TrayAdd);
    EXPECT_EQ(Calls(plan), (std::vector<std::string>{"5:7:Tessaron", "11:7:Windows Explorer",
                                                     "15:7:Quick Access List", "10:7:ScanDisk", "7:7:Defragment"}));
    EXPECT_EQ(Flags(shown), (std::vector<int>{1, 1, 1, 1, 0, 0, 0}));

    s.iShowScanIcon = 0;    // turned off after it was added
    s.iShowBackupIcon = 1;  // turned on but never added
    plan = PlanTrayIcons(TrayDelete, s, &shown);
    EXPECT_EQ(Calls(plan), (std::vector<std::string>{"5:0:Tessaron", "7:0:Defragment", "15:0:Quick Access List",
                                                     "10:0:ScanDisk", "11:0:Windows Explorer"}));
    EXPECT_EQ(Flags(shown), (std::vector<int>{0, 0, 0, 0, 0, 0, 0}));

    // A second removal finds no flags: only the main icon is asked for.
    EXPECT_EQ(Ids(PlanTrayIcons(TrayDelete, s, &shown)), (std::vector<std::string>{"5"}));
}

TEST(TrayIcons, EachOperationFollowsItsRule)
{
    const struct {
        const char *name;
        int operation;
        SettingsRecord settings;
        TrayIconShown before;
        std::vector<std::string> ids;
        unsigned flags;
        std::vector<int> after;
    } cases[] = {
        {"all tools off", TrayAdd, AllTools(0), {}, {"5", "15"}, 7, {0, 1, 0, 0, 0, 0, 0}},
        {"any non-zero shows", TrayAdd, AllTools(-3), {}, {"5", "11", "15", "10", "7", "6", "8", "9"}, 7,
         {1, 1, 1, 1, 1, 1, 1}},
        // A skipped icon keeps its flag: here scan was shown earlier.
        {"skipped keeps flag", TrayAdd, AllTools(0), {0, 0, 1, 0, 0, 0, 0}, {"5", "15"}, 7, {0, 1, 1, 0, 0, 0, 0}},
        {"modify tips only", TrayModify, InitialSettings(), {}, {"5", "11", "15", "10", "7"}, 4, {1, 1, 1, 1, 0, 0, 0}},
        {"delete in the remove order", TrayDelete, AllTools(0), {1, 1, 1, 1, 1, 1, 1},
         {"5", "7", "15", "10", "9", "8", "6", "11"}, 0, {0, 0, 0, 0, 0, 0, 0}},
        {"unknown operation", 3, AllTools(1), {1, 1, 1, 1, 1, 1, 1}, {}, 0, {1, 1, 1, 1, 1, 1, 1}},
    };
    for (const auto &c : cases) {
        TrayIconShown shown = c.before;
        TrayPlan plan = PlanTrayIcons(c.operation, c.settings, &shown);
        EXPECT_EQ(Ids(plan), c.ids) << c.name;
        for (int i = 0; i < plan.count; i++)
            EXPECT_EQ(plan.calls[i].flags, c.flags) << c.name;
        EXPECT_EQ(Flags(shown), c.after) << c.name;
    }
}

TEST(Tools, EachStartsItsLocationWholeOrItsFallbackName)
{
    const struct {
        ToolKind kind;
        char (SettingsRecord::*location)[LocationSize];
        const char *fallback;
    } cases[] = {
        {ToolKind::Explorer, &SettingsRecord::szExplorerLocation, "EXPLORER.EXE"},
        {ToolKind::ScanDisk, &SettingsRecord::szScanLocation, "SCANDSKW.EXE"},
        {ToolKind::Defragmenter, &SettingsRecord::szDefragmentLocation, "DEFRAG.EXE"},
        {ToolKind::Backup, &SettingsRecord::szBackupLocation, "BACKUP.EXE"},
        {ToolKind::DriveSpace, &SettingsRecord::szDriveSpaceLocation, "DRVSPACE.EXE"},
        {ToolKind::CompressionAgent, &SettingsRecord::szCompressionAgentLocation, "CMPAGENT.EXE"},
    };
    // The longest location, with an argument, is started whole.
    const std::string longest = "C:\\" + std::string(LocationSize - 1 - 3 - 3, 'P') + " /a";
    for (const auto &c : cases) {
        SettingsRecord s = {};
        char out[LocationSize];
        ASSERT_TRUE(BuildToolCommand(s, c.kind, out, sizeof out));
        EXPECT_STREQ(out, c.fallback);
        // The failure message names the tool's own program.
        EXPECT_NE(strstr(ToolInfoFor(c.kind).failureMessage, (std::string("(") + c.fallback + ")").c_str()), nullptr);

        CopyText(s.*c.location, LocationSize, longest.c_str());
        ASSERT_TRUE(BuildToolCommand(s, c.kind, out, sizeof out));
        EXPECT_EQ(out, longest) << c.fallback;
        char small[256];  // a buffer too small refuses instead of cutting
        EXPECT_FALSE(BuildToolCommand(s, c.kind, small, sizeof small));
        EXPECT_STREQ(small, "");
    }
}

TEST(TrayMouse, DecidesByIconAndMessage)
{
    const int LeftUp = 0x0202, RightDown = 0x0204;
    const struct {
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
        // The left button acts on tools only, on the press only; the right
        // button on the main and quick access icons only, on the release.
        {5, MouseLeftDown, TrayMouseKind::Nothing, ToolKind::Explorer},
        {15, MouseLeftDown, TrayMouseKind::Nothing, ToolKind::Explorer},
        {9, LeftUp, TrayMouseKind::Nothing, ToolKind::Explorer},
        {9, MouseRightUp, TrayMouseKind::Nothing, ToolKind::Explorer},
        {5, RightDown, TrayMouseKind::Nothing, ToolKind::Explorer},
        {100, MouseLeftDown, TrayMouseKind::Nothing, ToolKind::Explorer},
        // The keyboard: Enter or Space is each icon's primary action, the
        // menu key opens the two menus only.
        {5, TrayKeySelect, TrayMouseKind::PostTrayMenu, ToolKind::Explorer},
        {15, TrayKeySelect, TrayMouseKind::PostQuickAccessMenu, ToolKind::Explorer},
        {10, TrayKeySelect, TrayMouseKind::Launch, ToolKind::ScanDisk},
        {8, TrayKeySelect, TrayMouseKind::Launch, ToolKind::CompressionAgent},
        {5, TrayContextMenu, TrayMouseKind::PostTrayMenu, ToolKind::Explorer},
        {15, TrayContextMenu, TrayMouseKind::PostQuickAccessMenu, ToolKind::Explorer},
        {10, TrayContextMenu, TrayMouseKind::Nothing, ToolKind::Explorer},
        {10, 0x0400, TrayMouseKind::Nothing, ToolKind::Explorer},  // NIN_SELECT: the mouse's, already acted on
    };
    for (const auto &c : cases) {
        TrayMouseAction action = DecideTrayMouse(c.icon, c.message);
        EXPECT_EQ(action.kind, c.kind) << c.icon << " " << c.message;
        EXPECT_EQ(action.keyboard, c.message == TrayKeySelect || c.message == TrayContextMenu) << c.message;
        if (c.kind == TrayMouseKind::Launch) {
            EXPECT_EQ(action.tool, c.tool) << c.icon;
        }
    }
}

TEST(TrayMouse, KeyboardActionActsOnceWithinTheDoubleClickTime)
{
    const struct {
        const char *name;
        TrayActionMemory last;
        int icon;
        uint32_t now;
        bool repeats;
    } cases[] = {
        {"nothing before", {0, 0, false}, 5, 100, false},
        {"the doubled Enter", {10, 1000, false}, 10, 1200, true},
        {"after the double-click time", {10, 1000, false}, 10, 1500, false},
        {"another icon", {10, 1000, false}, 7, 1200, false},
        {"its action still runs", {10, 1000, true}, 10, 90000, true},
        {"across the tick count's wrap", {5, 0xFFFFFF00u, false}, 5, 0x80, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RepeatsTrayAction(c.last, c.icon, c.now, 500), c.repeats) << c.name;
}

TEST(TrayIcons, RefusedAddsAreAskedAgainUntilAccepted)
{
    const int Add = TrayAdd, Delete = TrayDelete, Modify = TrayModify;
    const struct {
        int operation, icon;
        bool accepted;
        unsigned present, refused;  // afterwards
    } steps[] = {
        {Add, 5, false, 0, 1u << 5},                // a busy shell
        {Add, 15, true, 1u << 15, 1u << 5},
        {Add, 15, false, 1u << 15, 1u << 5},        // added again while there: no refusal
        {Modify, 5, false, 1u << 15, 1u << 5},
        {Add, 5, true, 1u << 15 | 1u << 5, 0},
        {Delete, 15, true, 1u << 5, 0},
        {Add, 10, false, 1u << 5, 1u << 10},
        {Delete, 10, false, 1u << 5, 0},            // removed: nothing left to ask for
    };
    TrayIconAnswers answers = {};
    for (const auto &step : steps) {
        NoteTrayAnswer(&answers, step.operation, step.icon, step.accepted);
        EXPECT_EQ(answers.present, step.present) << step.operation << " " << step.icon;
        EXPECT_EQ(answers.refused, step.refused) << step.operation << " " << step.icon;
    }

    TrayIconShown shown = {};
    TrayPlan all = PlanTrayIcons(TrayAdd, InitialSettings(), &shown);
    answers = {0, 1u << 15 | 1u << 7};
    TrayPlan again = RefusedTrayCalls(all, answers);
    EXPECT_EQ(Calls(again), (std::vector<std::string>{"15:7:Quick Access List", "7:7:Defragment"}));
    EXPECT_EQ(again.operation, TrayAdd);
    EXPECT_EQ(RefusedTrayCalls(all, {}).count, 0);
}

TEST(TrayIcons, KeyboardIconsFromShell32FiveOnSystemsThatHaveIt)
{
    const struct {
        Platform system;
        ShellVersion shell;
        bool keyboard;
    } cases[] = {
        {{false, 4, 0, false}, {4, 0}, false},    // 95
        {{false, 4, 10, false}, {4, 72}, false},  // 98
        {{false, 4, 10, false}, {6, 0}, false},   // 98 as Wine reports it, with its own Shell32
        {{false, 4, 90, false}, {5, 50}, true},   // ME
        {{true, 4, 0, false}, {4, 71}, false},    // NT 4.0 with the desktop update
        {{true, 5, 0, false}, {5, 0}, true},      // 2000
        {{true, 10, 0, true}, {6, 0}, true},
        {{true, 5, 1, false}, {4, 0}, false},     // a Shell32 that does not say
    };
    for (const auto &c : cases)
        EXPECT_EQ(HasKeyboardTrayIcons(c.system, c.shell), c.keyboard)
            << c.system.major << "." << c.system.minor << " shell " << c.shell.major;
}
