#include "dialogs.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "textops.h"

namespace {

// The drive-list spacing rule; the maintenance command lines use it too.
TEST(SpaceDriveList, CommasBecomeBlanks)
{
    const struct {
        const char *stored, *shown;
    } cases[] = {
        {"C:,D:, E:", "C: D: E:"},
        {"C:,,D:", "C:  D:"},   // two commas, two blanks
        {"C:,, D:", "C:  D:"},  // ", " goes first, then the lone comma
        {"C:,  D:", "C:  D:"},  // only one blank goes with the comma
        {", ,", "  "},
        {"C: D:", "C: D:"},
        {"", ""},
    };
    for (const auto &c : cases) {
        char list[DriveListSize];
        CopyText(list, sizeof list, c.stored);
        SpaceDriveList(list, sizeof list);
        EXPECT_STREQ(list, c.shown) << c.stored;
    }
}

TEST(CheckBoxFlags, PlainAndInverted)
{
    // Inverted: "Force "My Computer" View" opens clear with the two-pane view on.
    const struct {
        int value;
        bool inverted;
        int result;
    } cases[] = {{0, false, 0}, {1, false, 1}, {-1, false, 1}, {0, true, 1}, {1, true, 0}, {2, true, 0}};
    for (const auto &c : cases) {
        EXPECT_EQ(CheckForFlag(c.value, c.inverted), c.result) << c.value << " " << c.inverted;
        EXPECT_EQ(FlagForCheck(c.value, c.inverted), c.result) << c.value << " " << c.inverted;
    }
}

TEST(ToolLocations, CancelTakesBackWhatBrowseStored)
{
    SettingsRecord before = Settings;
    const std::string longest(LocationSize - 1, 'b');
    CopyText(Settings.szExplorerLocation, LocationSize, "C:\\WINDOWS\\explorer.exe");
    CopyText(Settings.szScanLocation, LocationSize, "");
    CopyText(Settings.szBackupLocation, LocationSize, longest.c_str());
    CopyText(Settings.szCompressionAgentLocation, LocationSize, "C:\\CMPAGENT.EXE");

    SavedToolLocations saved;
    SaveToolLocations(&saved);
    // Browse picks files; something outside the locations changes too.
    CopyText(Settings.szExplorerLocation, LocationSize, "D:\\other\\explorer.exe");
    CopyText(Settings.szScanLocation, LocationSize, "D:\\SCANDSKW.EXE");
    Settings.szBackupLocation[0] = '\0';
    memset(Settings.szCompressionAgentLocation, 'x', LocationSize - 1);
    Settings.lMinimumSpace = 99;
    RestoreToolLocations(&saved);

    EXPECT_STREQ(Settings.szExplorerLocation, "C:\\WINDOWS\\explorer.exe");
    EXPECT_STREQ(Settings.szScanLocation, "");
    EXPECT_EQ(Settings.szBackupLocation, longest);  // the longest survives whole
    EXPECT_STREQ(Settings.szCompressionAgentLocation, "C:\\CMPAGENT.EXE");
    EXPECT_EQ(Settings.lMinimumSpace, 99);  // not a location: left alone
    Settings = before;
}

}  // namespace
