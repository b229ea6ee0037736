#include "dialogs.h"

#include <gtest/gtest.h>
#include <string.h>

#include "textops.h"

namespace {

TEST(SpaceDriveList, CommasBecomeBlanks)
{
    struct {
        const char *stored;
        const char *shown;
    } cases[] = {
        {"C:,D:, E:", "C: D: E:"},
        {"C:, D:", "C: D:"},
        {"C:,D:", "C: D:"},
        {"C:,,D:", "C:  D:"},     // two commas, two blanks
        {"C:,, D:", "C:  D:"},    // ", " goes first, then the lone comma
        {"C: D:", "C: D:"},
        {",", " "},
        {"", ""},
        {"C:,  D:", "C:  D:"},    // only one blank goes with the comma
    };
    for (const auto &c : cases) {
        char list[DriveListSize];
        CopyText(list, sizeof list, c.stored);
        SpaceDriveList(list, sizeof list);
        EXPECT_STREQ(list, c.shown) << c.stored;
    }
}

TEST(SpaceDriveList, FullFieldStaysWithinItsSize)
{
    char list[DriveListSize + 8];
    memset(list, '#', sizeof list);
    for (int i = 0; i < DriveListSize - 1; i++)
        list[i] = (i % 3 == 2) ? ',' : (i % 3 == 0 ? 'C' : ':');
    list[DriveListSize - 1] = '\0';
    SpaceDriveList(list, DriveListSize);
    EXPECT_EQ(strlen(list), (size_t)DriveListSize - 1);
    EXPECT_EQ(strchr(list, ','), nullptr);
    EXPECT_EQ(list[DriveListSize], '#');  // nothing written past the field
}

TEST(CheckBoxFlags, PlainAndInverted)
{
    struct {
        int flag;
        bool inverted;
        int shown;
    } toBox[] = {
        {0, false, 0}, {1, false, 1}, {7, false, 1}, {-1, false, 1},
        {0, true, 1},  {1, true, 0},  {7, true, 0},
    };
    for (const auto &c : toBox)
        EXPECT_EQ(CheckForFlag(c.flag, c.inverted), c.shown) << c.flag << " " << c.inverted;

    struct {
        int state;  // BM_GETCHECK: 0 clear, 1 ticked, 2 indeterminate
        bool inverted;
        int stored;
    } toFlag[] = {
        {0, false, 0}, {1, false, 1}, {2, false, 1},
        {0, true, 1},  {1, true, 0},  {2, true, 0},
    };
    for (const auto &c : toFlag)
        EXPECT_EQ(FlagForCheck(c.state, c.inverted), c.stored) << c.state << " " << c.inverted;
}

TEST(CheckBoxFlags, ForceViewRoundTrip)
{
    // "Force "My Computer" View" opens clear with the two-pane view on;
    // ticking it turns the view off.
    EXPECT_EQ(CheckForFlag(1, true), 0);
    EXPECT_EQ(FlagForCheck(1, true), 0);
    EXPECT_EQ(FlagForCheck(CheckForFlag(0, true), true), 0);
    EXPECT_EQ(FlagForCheck(CheckForFlag(1, true), true), 1);
}

TEST(ToolLocations, CancelTakesBackWhatBrowseStored)
{
    SettingsRecord before = Settings;
    CopyText(Settings.szExplorerLocation, LocationSize, "C:\\WINDOWS\\explorer.exe");
    CopyText(Settings.szScanLocation, LocationSize, "");
    CopyText(Settings.szCompressionAgentLocation, LocationSize, "C:\\CMPAGENT.EXE");
    Settings.lMinimumSpace = 10;

    SavedToolLocations saved;
    SaveToolLocations(&saved);
    // Browse picks files; something outside the locations changes too.
    CopyText(Settings.szExplorerLocation, LocationSize, "D:\\other\\explorer.exe");
    CopyText(Settings.szScanLocation, LocationSize, "D:\\SCANDSKW.EXE");
    memset(Settings.szCompressionAgentLocation, 'x', LocationSize - 1);
    Settings.lMinimumSpace = 99;
    RestoreToolLocations(&saved);

    EXPECT_STREQ(Settings.szExplorerLocation, "C:\\WINDOWS\\explorer.exe");
    EXPECT_STREQ(Settings.szScanLocation, "");
    EXPECT_STREQ(Settings.szCompressionAgentLocation, "C:\\CMPAGENT.EXE");
    EXPECT_EQ(Settings.lMinimumSpace, 99);  // not a location: left alone
    Settings = before;
}

TEST(ToolLocations, LongestLocationSurvivesWhole)
{
    SettingsRecord before = Settings;
    memset(Settings.szBackupLocation, 'b', LocationSize - 1);
    Settings.szBackupLocation[LocationSize - 1] = '\0';
    SavedToolLocations saved;
    SaveToolLocations(&saved);
    Settings.szBackupLocation[0] = '\0';
    RestoreToolLocations(&saved);
    EXPECT_EQ(strlen(Settings.szBackupLocation), (size_t)LocationSize - 1);
    Settings = before;
}

}  // namespace
