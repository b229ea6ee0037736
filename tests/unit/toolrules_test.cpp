// The rules that several parts of the tray program share must give the same
// answer wherever they are applied: which program starts a tool, how a
// drive list reads on a command line.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "app.h"
#include "dialogs.h"
#include "maintenance.h"
#include "textops.h"

namespace {

void SetAllLocations(SettingsRecord &s)
{
    CopyText(s.szExplorerLocation, LocationSize, "X:\\EXPLORE.EXE");
    CopyText(s.szScanLocation, LocationSize, "X:\\SCAN.EXE");
    CopyText(s.szDefragmentLocation, LocationSize, "X:\\DEFRAG.EXE");
    CopyText(s.szBackupLocation, LocationSize, "X:\\BACKUP.EXE");
    CopyText(s.szDriveSpaceLocation, LocationSize, "X:\\DRVSPACE.EXE");
    CopyText(s.szCompressionAgentLocation, LocationSize, "X:\\AGENT.EXE");
}

TEST(ToolProgram, LocationOrFallbackNameForEveryTool)
{
    struct Case {
        ToolKind kind;
        const char *fallback, *location;
    } cases[] = {
        {ToolKind::Explorer, "EXPLORER.EXE", "X:\\EXPLORE.EXE"},
        {ToolKind::ScanDisk, "SCANDSKW.EXE", "X:\\SCAN.EXE"},
        {ToolKind::Defragmenter, "DEFRAG.EXE", "X:\\DEFRAG.EXE"},
        {ToolKind::Backup, "BACKUP.EXE", "X:\\BACKUP.EXE"},
        {ToolKind::DriveSpace, "DRVSPACE.EXE", "X:\\DRVSPACE.EXE"},
        {ToolKind::CompressionAgent, "CMPAGENT.EXE", "X:\\AGENT.EXE"},
    };
    SettingsRecord empty = {};
    SettingsRecord located = {};
    SetAllLocations(located);
    for (const Case &c : cases) {
        EXPECT_STREQ(ToolProgram(empty, c.kind), c.fallback);
        EXPECT_STREQ(ToolProgram(located, c.kind), c.location);
    }
}

// The reminders start the same program as the tray icon of the same tool.
TEST(ToolProgram, RemindersStartTheToolsOfTheirIcons)
{
    struct Case {
        MaintenanceTask task;
        ToolKind kind;
    } cases[] = {
        {TaskScan, ToolKind::ScanDisk},
        {TaskDefragment, ToolKind::Defragmenter},
        {TaskBackup, ToolKind::Backup},
        {TaskCompression, ToolKind::CompressionAgent},
    };
    SettingsRecord empty = InitialSettings();
    SettingsRecord located = InitialSettings();
    SetAllLocations(located);
    for (const SettingsRecord *s : {&empty, &located}) {
        for (const Case &c : cases) {
            char line[ToolCommandLineSize];
            ASSERT_TRUE(TaskCommandLine(*s, c.task, line, sizeof line));
            char tool[LocationSize];
            ASSERT_TRUE(BuildToolCommand(*s, c.kind, tool, sizeof tool));
            EXPECT_EQ(std::string(line).substr(0, strlen(tool)), tool) << line;
        }
    }
    char explorer[ExplorerCommandSize];
    ASSERT_TRUE(BuildExplorerCommand(located, "C:\\", explorer, sizeof explorer));
    EXPECT_STREQ(explorer, "X:\\EXPLORE.EXE /n,/e,C:\\");
}

// A drive list reads on the command line as the drive-list dialogs show it.
TEST(DriveListRule, CommandLinesSpaceListsAsTheDialogsDo)
{
    const char *lists[] = {"C:, D:,E:", "C:,D:", "C:, D:", "", ",,", ", ,", "C:,, D:", "A: B:"};
    for (const char *list : lists) {
        SettingsRecord s = InitialSettings();
        s.iScanDiskDrivesSetting = 0;
        s.iStartStopSetting = 0;
        s.iIgnore = 0;
        CopyText(s.szDrivesToScan, DriveListSize, list);
        s.iDefragDiskDrivesSetting = 0;
        s.iDefragmentMode = 3;  // no switch
        s.iDefragmentDisplayMode = 3;
        CopyText(s.szDrivesToDefrag, DriveListSize, list);

        char shown[DriveListSize];
        CopyText(shown, sizeof shown, list);
        SpaceDriveList(shown, sizeof shown);
        std::string expected = std::string(" ") + shown;

        char scan[ToolArgumentsSize];
        char defrag[ToolArgumentsSize];
        ASSERT_TRUE(ScanDiskArguments(s, scan, sizeof scan));
        ASSERT_TRUE(DefragArguments(s, defrag, sizeof defrag));
        EXPECT_EQ(std::string(scan), expected) << list;
        EXPECT_EQ(std::string(defrag), expected) << list;
    }
}

}  // namespace
