#include <gtest/gtest.h>

#include <ctype.h>

#include <string>

#include "disktools.h"
#include "textops.h"

namespace {

const Platform Win98 = {false, 4, 10, false}, Win2000 = {true, 5, 0, false}, WinXp = {true, 5, 1, false},
               Vista = {true, 6, 0, false}, Win7 = {true, 6, 1, false}, Win10 = {true, 6, 2, false};

// C: and D: are hard disks, E: a CD-ROM, Z: a network drive.
unsigned Types(const char *root)
{
    return root[0] == 'C' || root[0] == 'D' ? DriveTypeFixed : root[0] == 'E' ? DriveTypeCdrom : DriveTypeRemote;
}
const uint32_t Drives = 1u << 2 | 1u << 3 | 1u << 4 | 1u << 25;
// The 64-bit view has every file but those under "missing".
bool NativeExists(const char *path)
{
    return std::string(path).find("missing") == std::string::npos;
}
// Under WOW64 the 32-bit view of the system folder lacks defrag.exe and
// dfrgui.exe.
bool Exists(const char *path)
{
    std::string lower = path;
    for (char &c : lower)
        c = (char)tolower((unsigned char)c);
    return lower != "c:\\windows\\system32\\defrag.exe" && lower != "c:\\windows\\system32\\dfrgui.exe" &&
           NativeExists(path);
}
const char Cmd[] = "C:\\WINDOWS\\system32\\cmd.exe /c \"";
const char Chkdsk[] = "C:\\WINDOWS\\system32\\chkdsk.exe", Defrag[] = "C:\\WINDOWS\\system32\\defrag.exe";

ToolStart Plan(const Platform &platform, ToolKind tool, StartPurpose purpose, const SettingsRecord &s)
{
    ToolSystem system = {platform, "C:\\WINDOWS\\system32", Drives, Types, Exists, NativeExists};
    ToolStart start;
    EXPECT_TRUE(PlanNtToolStart(s, tool, purpose, system, &start));
    return start;
}

TEST(DiskTools, SwitchesOfEachSystemForTheSettings)
{
    const std::string C = std::string(Chkdsk), D = std::string(Defrag);
    // mode and display are iDefragmentMode and iDefragmentDisplayMode for
    // defrag, iStartStopSetting and iIgnore for chkdsk.
    const struct {
        Platform platform;
        ToolKind tool;
        int mode, display;
        std::string runs;
    } cases[] = {
        // The defaults: both fixed disks, chkdsk mending, defrag unattended.
        {WinXp, ToolKind::ScanDisk, 1, 0, C + " C: /f&" + C + " D: /f"},
        {Win10, ToolKind::ScanDisk, 1, 0, C + " C: /f&" + C + " D: /f"},
        {Win2000, ToolKind::ScanDisk, 0, 1, C + " C:&" + C + " D:&pause"},
        {WinXp, ToolKind::Defragmenter, 0, 2, D + " C:&" + D + " D:"},
        {Vista, ToolKind::Defragmenter, 0, 2, D + " C:&" + D + " D:"},
        {Win7, ToolKind::Defragmenter, 0, 2, D + " C: D:"},
        {Win10, ToolKind::Defragmenter, 0, 2, D + " C: D:"},
        // Methods and displays; a display with prompts keeps the console open.
        {WinXp, ToolKind::Defragmenter, 2, 1, D + " C: -v&" + D + " D: -v&pause"},
        {Vista, ToolKind::Defragmenter, 1, 0, D + " C:&" + D + " D:&pause"},
        {Win7, ToolKind::Defragmenter, 2, 1, D + " C: D: /x /v&pause"},
        {Win7, ToolKind::Defragmenter, 1, 0, D + " C: D:&pause"},
        {Win10, ToolKind::Defragmenter, 0, 0, D + " C: D: /u&pause"},
        {Win10, ToolKind::Defragmenter, 1, 1, D + " C: D: /u /v&pause"},
        {Win10, ToolKind::Defragmenter, 2, 2, D + " C: D: /x"},
        {Win10, ToolKind::Defragmenter, 3, -1, D + " C: D:&pause"},  // out of range: nothing
    };
    for (const auto &c : cases) {
        SettingsRecord s = InitialSettings();
        CopyText(s.szScanLocation, LocationSize, Chkdsk);
        CopyText(s.szDefragmentLocation, LocationSize, Defrag);
        bool scan = c.tool == ToolKind::ScanDisk;
        (scan ? s.iStartStopSetting : s.iDefragmentMode) = c.mode;
        (scan ? s.iIgnore : s.iDefragmentDisplayMode) = c.display;
        ToolStart start = Plan(c.platform, c.tool, StartPurpose::Reminder, s);
        EXPECT_EQ(start.commandLine, Cmd + c.runs + "\"") << c.runs;
        EXPECT_STREQ(start.file, "C:\\WINDOWS\\system32\\cmd.exe");
        EXPECT_EQ(start.parameters, "/c \"" + c.runs + "\"");
        EXPECT_EQ(start.elevate, IsVistaOrLater(c.platform)) << c.runs;
        EXPECT_FALSE(start.elevateIfRefused);
    }
}

TEST(DiskTools, HowEachLocationStarts)
{
    const struct {
        Platform platform;
        ToolKind tool;
        const char *location;
        StartPurpose purpose;
        const char *commandLine;
        bool elevate, elevateIfRefused, redirectionOff;
    } cases[] = {
        // A tool clicked in the tray keeps its window open at the end.
        {WinXp, ToolKind::ScanDisk, Chkdsk, StartPurpose::Icon,
         R"(C:\WINDOWS\system32\cmd.exe /c "C:\WINDOWS\system32\chkdsk.exe C: /f&C:\WINDOWS\system32\chkdsk.exe D: /f&pause")",
         false, false, false},
        // A path with blanks is quoted; a path the console would read is not given to it.
        {WinXp, ToolKind::ScanDisk, "D:\\My Tools\\CHKDSK.EXE", StartPurpose::Reminder,
         R"(C:\WINDOWS\system32\cmd.exe /c ""D:\My Tools\CHKDSK.EXE" C: /f&"D:\My Tools\CHKDSK.EXE" D: /f")", false,
         false, false},
        {Win10, ToolKind::ScanDisk, "D:\\%x%\\chkdsk.exe", StartPurpose::Reminder, "D:\\%x%\\chkdsk.exe", false, true,
         false},
        // 2000 has no defrag.exe: a location of that name starts as it stands.
        {Win2000, ToolKind::Defragmenter, "C:\\WINNT\\defrag.exe", StartPurpose::Reminder, "C:\\WINNT\\defrag.exe",
         false, false, false},
        // Known tools only in their own fields; arguments make another command.
        {Win10, ToolKind::Backup, "C:\\WINDOWS\\system32\\chkdsk.exe", StartPurpose::Reminder,
         "C:\\WINDOWS\\system32\\chkdsk.exe", false, true, false},
        {Win10, ToolKind::ScanDisk, "C:\\WINDOWS\\system32\\chkdsk.exe /r", StartPurpose::Icon,
         "C:\\WINDOWS\\system32\\chkdsk.exe /r", false, true, false},
        // The Defragmenter's own window, through the prompt from Vista on.
        {WinXp, ToolKind::Defragmenter, "C:\\WINDOWS\\system32\\dfrgui.exe", StartPurpose::Icon,
         "C:\\WINDOWS\\system32\\dfrgui.exe", false, false, false},
        {Vista, ToolKind::Defragmenter, "C:\\WINDOWS\\system32\\dfrgui.exe", StartPurpose::Reminder,
         "C:\\WINDOWS\\system32\\dfrgui.exe", true, false, false},
        // WOW64: a file only in the 64-bit system folder.  The console
        // takes whichever name of it it can see; a direct start switches
        // the redirection off, the consent prompt never does.
        {{true, 6, 2, true}, ToolKind::Defragmenter, Defrag, StartPurpose::Reminder,
         R"~(C:\WINDOWS\system32\cmd.exe /c "(for %t in (C:\WINDOWS\Sysnative\defrag.exe C:\WINDOWS\system32\defrag.exe) do @if exist %t %t C: D:)")~",
         true, false, false},
        {{true, 5, 2, true}, ToolKind::Defragmenter, Defrag, StartPurpose::Icon,
         R"~(C:\WINDOWS\system32\cmd.exe /c "(for %t in (C:\WINDOWS\Sysnative\defrag.exe C:\WINDOWS\system32\defrag.exe) do @if exist %t %t C:)&(for %t in (C:\WINDOWS\Sysnative\defrag.exe C:\WINDOWS\system32\defrag.exe) do @if exist %t %t D:)&pause")~",
         false, false, true},
        {{true, 6, 1, true}, ToolKind::Defragmenter, "C:\\WINDOWS\\system32\\dfrgui.exe", StartPurpose::Icon,
         R"~(C:\WINDOWS\system32\cmd.exe /c "(for %t in (C:\WINDOWS\Sysnative\dfrgui.exe C:\WINDOWS\system32\dfrgui.exe) do @if exist %t start "" /wait %t)")~",
         true, false, false},
        {{true, 5, 2, true}, ToolKind::Backup, "c:\\windows\\SYSTEM32\\defrag.exe /x", StartPurpose::Icon,
         "c:\\windows\\SYSTEM32\\defrag.exe /x", false, false, true},
        {{true, 6, 2, true}, ToolKind::ScanDisk, Chkdsk, StartPurpose::Reminder,
         R"(C:\WINDOWS\system32\cmd.exe /c "C:\WINDOWS\system32\chkdsk.exe C: /f&C:\WINDOWS\system32\chkdsk.exe D: /f")",
         true, false, false},
        {Win10, ToolKind::Defragmenter, Defrag, StartPurpose::Reminder,
         R"(C:\WINDOWS\system32\cmd.exe /c "C:\WINDOWS\system32\defrag.exe C: D:")", true, false, false},
    };
    for (const auto &c : cases) {
        SettingsRecord s = InitialSettings();
        CopyText(c.tool == ToolKind::Backup ? s.szBackupLocation
                 : c.tool == ToolKind::ScanDisk ? s.szScanLocation
                                                : s.szDefragmentLocation,
                 LocationSize, c.location);
        ToolStart start = Plan(c.platform, c.tool, c.purpose, s);
        EXPECT_STREQ(start.commandLine, c.commandLine);
        EXPECT_EQ(start.elevate, c.elevate) << c.location;
        EXPECT_EQ(start.elevateIfRefused, c.elevateIfRefused) << c.location;
        EXPECT_EQ(start.redirectionOff, c.redirectionOff) << c.location;
        if (c.elevate && !c.platform.wow64 && DiskToolNamed(c.location) == DiskTool::DefragWindow) {
            EXPECT_STREQ(start.file, c.location);
            EXPECT_STREQ(start.parameters, "");
        }
    }

    // Nothing to work on, no tool, or a line too long for the console: no start.
    SettingsRecord s = InitialSettings();
    CopyText(s.szScanLocation, LocationSize, "C:\\missing\\chkdsk.exe");
    ToolSystem system = {Win10, "C:\\WINDOWS\\system32", Drives, Types, Exists, NativeExists};
    ToolStart start;
    EXPECT_FALSE(PlanNtToolStart(s, ToolKind::ScanDisk, StartPurpose::Reminder, system, &start));
    CopyText(s.szScanLocation, LocationSize, Chkdsk);
    s.iScanDiskDrivesSetting = 0;
    CopyText(s.szDrivesToScan, DriveListSize, "C:\\ & del");
    EXPECT_FALSE(PlanNtToolStart(s, ToolKind::ScanDisk, StartPurpose::Icon, system, &start));
    CopyText(s.szScanLocation, LocationSize, ("C:\\" + std::string(490, 'x') + "\\chkdsk.exe").c_str());
    CopyText(s.szDrivesToScan, DriveListSize, "A: B: C: D: E: F: G: H: I: J: K: L: M: N: O: P: Q: R: S: T:");
    EXPECT_FALSE(PlanNtToolStart(s, ToolKind::ScanDisk, StartPurpose::Icon, system, &start));

    // Windows 98 starts the location whole, as it always has.
    CopyText(s.szScanLocation, LocationSize, "C:\\WINDOWS\\scandskw.exe /a");
    ASSERT_TRUE(PlanIconStart(s, ToolKind::ScanDisk, nullptr, &start));
    EXPECT_STREQ(start.commandLine, "C:\\WINDOWS\\scandskw.exe /a");
    EXPECT_FALSE(start.elevate || start.elevateIfRefused || start.redirectionOff);
}

TEST(DiskTools, VolumesFromTheDrivesOrTheTypedList)
{
    const struct {
        int all;
        const char *list, *volumes;
    } cases[] = {
        {1, "X:", "C: D: "},  // the fixed drives only, whatever the list says
        {0, "d:, x y: C:\\ c:,D: D:&calc", "D: Y: C: "},
        {0, "E:,Z:", "E: Z: "},  // typed drives are taken whatever their type
        {0, "", ""},
        {2, "C:", "C: "},  // only exactly 1 means all
    };
    for (const auto &c : cases) {
        Volume volumes[VolumeCount];
        int count = RunVolumes(c.all, c.list, Drives, Types, volumes);
        std::string joined;
        for (int i = 0; i < count; i++)
            joined += std::string(volumes[i]) + " ";
        EXPECT_EQ(joined, c.volumes) << c.list;
    }
}

TEST(DiskTools, SplitCommandLineAsProcessCreationReadsIt)
{
    const struct {
        const char *line, *file, *parameters;
    } cases[] = {
        {"C:\\Program Files\\Tool\\tool.exe /a b", "C:\\Program Files\\Tool\\tool.exe", "/a b"},
        {"C:\\Program Files\\Tool\\tool /a", "C:\\Program Files\\Tool\\tool", "/a"},  // ".exe" added when looking
        {"\"C:\\Odd Place\\x.exe\"  /q", "C:\\Odd Place\\x.exe", "/q"},
        {"C:\\Nowhere\\x.exe /q", "C:\\Nowhere\\x.exe", "/q"},  // none seen: the first word
        {"C:\\Nowhere\\x.exe", "C:\\Nowhere\\x.exe", ""},
    };
    auto exists = [](const char *path) { return std::string(path) == "C:\\Program Files\\Tool\\tool.exe"; };
    for (const auto &c : cases) {
        char file[ToolFileSize], parameters[ToolLineSize];
        SplitCommandLine(c.line, exists, file, sizeof file, parameters, sizeof parameters);
        EXPECT_STREQ(file, c.file);
        EXPECT_STREQ(parameters, c.parameters);
    }
}

TEST(DiskTools, SystemToolsAreTheDefaultsOnTheNtFamily)
{
    const struct {
        Platform platform;
        const char *scan, *defrag;
    } cases[] = {
        {Win98, "C:\\WINDOWS\\scandskw.exe", "C:\\WINDOWS\\defrag.exe"},
        {Win2000, "C:\\WINDOWS\\system32\\chkdsk.exe", "C:\\WINDOWS\\defrag.exe"},
        {WinXp, "C:\\WINDOWS\\system32\\chkdsk.exe", "C:\\WINDOWS\\system32\\defrag.exe"},
        {Win10, "C:\\WINDOWS\\system32\\chkdsk.exe", "C:\\WINDOWS\\system32\\defrag.exe"},
    };
    for (const auto &c : cases) {
        Settings = InitialSettings();
        ApplySystemToolLocations(c.platform, "C:\\WINDOWS\\system32");
        ApplyDefaultToolLocations("C:\\WINDOWS");
        EXPECT_STREQ(Settings.szScanLocation, c.scan);
        EXPECT_STREQ(Settings.szDefragmentLocation, c.defrag);
        EXPECT_STREQ(Settings.szExplorerLocation, "C:\\WINDOWS\\explorer.exe");
    }
    // A location the user gave stays.
    CopyText(Settings.szDefragmentLocation, LocationSize, "D:\\dfrgui.exe");
    Settings.szScanLocation[0] = '\0';
    ApplySystemToolLocations(Win10, "");  // no system folder: nothing to name
    EXPECT_STREQ(Settings.szDefragmentLocation, "D:\\dfrgui.exe");
    EXPECT_STREQ(Settings.szScanLocation, "");
    Settings = InitialSettings();
}

}  // namespace
