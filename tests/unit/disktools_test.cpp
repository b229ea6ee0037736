#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "disktools.h"
#include "textops.h"

namespace {

const Platform Win98 = {false, 4, 10, false}, Win2000 = {true, 5, 0, false}, WinXp = {true, 5, 1, false},
               Vista = {true, 6, 0, false}, Win7 = {true, 6, 1, false}, Win10 = {true, 6, 2, false},
               Xp64 = {true, 5, 2, true}, Win10x64 = {true, 6, 2, true};

// C: and D: are hard disks, E: a CD-ROM, Z: a network drive.  C: seeks
// and holds NTFS; D: is a solid-state disk with FAT; no other disk says.
unsigned Types(const char *root)
{
    return root[0] <= 'D' ? DriveTypeFixed : root[0] == 'E' ? DriveTypeCdrom : DriveTypeRemote;
}
DiskMedia Media(const char *root)
{
    return root[0] == 'C' ? DiskMedia::Rotating : root[0] == 'D' ? DiskMedia::SolidState : DiskMedia::Unknown;
}
bool Ntfs(const char *root) { return root[0] == 'C'; }
const uint32_t Drives = 1u << 2 | 1u << 3 | 1u << 4 | 1u << 25;
// Nothing holds what lies under "missing"; the 32-bit view of the system
// folder lacks defrag.exe and dfrgui.exe.
bool NativeExists(const char *path) { return !strstr(path, "missing"); }
bool Exists(const char *path) { return NativeExists(path) && !strstr(path, "\\defrag.exe") && !strstr(path, "dfrgui"); }
ToolSystem SystemOf(const Platform &platform)
{
    return {platform, "C:\\WINDOWS\\system32", Drives, Types, Media, Ntfs, Exists, NativeExists};
}
const std::string Sys = "C:\\WINDOWS\\system32\\", Cmd = Sys + "cmd.exe /d /s /c \"", C = Sys + "chkdsk.exe",
                  D = Sys + "defrag.exe", W = Sys + "dfrgui.exe",
                  LeftOut = "echo D: is a solid-state disk: it is not defragmented.&";

TEST(DiskTools, EachSystemsToolsAndSwitches)
{
    const auto R = StartPurpose::Reminder;
    const auto N = ToolKind::ScanDisk, F = ToolKind::Defragmenter;
    const std::string Native = "(for %t in (C:\\WINDOWS\\Sysnative\\defrag.exe " + D + ") do @if exist %t %t";
    // a and b are iStartStopSetting and iIgnore for ScanDisk, otherwise
    // iDefragmentMode and iDefragmentDisplayMode.
    const struct {
        Platform platform;
        ToolKind tool;
        std::string location;
        int a, b;
        StartPurpose purpose;
        std::string line;
        bool elevate, elevateIfRefused, redirectionOff;
        const char *drives = nullptr;  // typed; null: every hard disk
    } cases[] = {
        // The defaults: every hard disk, chkdsk mending (and so waiting for
        // a key: it may ask), defrag unattended.  From 8 on, NTFS is
        // scanned online and every disk optimised as its media needs; 7
        // leaves the solid-state disk out.
        {Win2000, N, C, 1, 0, R, Cmd + C + " C: /f&" + C + " D: /f&pause\"", false, false, false},
        {WinXp, F, D, 0, 2, R, Cmd + D + " C:&" + D + " D:\"", false, false, false},
        {Win7, F, D, 0, 2, R, Cmd + LeftOut + D + " C:\"", true, false, false},
        {Win10, N, C, 1, 0, R, Cmd + C + " C: /scan&" + C + " D: /f&pause\"", true, false, false},
        {Win10, F, D, 0, 2, R, Cmd + D + " C: D: /o\"", true, false, false},
        // Other settings; a display that prompts keeps the console open.
        {Win10, N, C, 0, 1, R, Cmd + C + " C:&" + C + " D:&pause\"", true, false, false},
        {Win10, N, C, 1, 0, R, Cmd + C + " C: /scan\"", true, false, false, "C:"},
        {WinXp, F, D, 2, 1, R, Cmd + D + " C:&" + D + " D:&pause\"", false, false, false},
        {Vista, F, D, 1, 0, R, Cmd + D + " C:&" + D + " D:&pause\"", true, false, false},
        {Win7, F, D, 2, 1, R, Cmd + LeftOut + D + " C: /x /v&pause\"", true, false, false},
        {Win7, F, D, 1, 2, R, Cmd + LeftOut + "pause\"", true, false, false, "D:"},  // nothing ran: its words stay
        {Win10, F, D, 0, 0, R, Cmd + D + " C: D: /o /u&pause\"", true, false, false},
        {Win10, F, D, 1, 1, R, Cmd + D + " C: D: /o /u /v&pause\"", true, false, false},
        {Win10, F, D, 2, 2, R, Cmd + D + " E: D: /o&" + D + " C: /x\"", true, false, false, "E: C: D:"},
        {Win10, F, D, 3, -1, R, Cmd + D + " C: D: /o&pause\"", true, false, false},  // out of range
        // The icon always keeps the console open.
        {WinXp, N, C, 1, 1, StartPurpose::Icon, Cmd + C + " C:&" + C + " D:&pause\"", false, false, false},
        {Win10, F, D, 0, 2, StartPurpose::Icon, Cmd + D + " C: D: /o&pause\"", true, false, false},
        // Blanks and "&" are quoted; a path the console would read starts as it stands.
        {WinXp, N, "D:\\My Tools\\CHKDSK.EXE", 1, 1, R,
         Cmd + "\"D:\\My Tools\\CHKDSK.EXE\" C:&\"D:\\My Tools\\CHKDSK.EXE\" D:\"", false, false, false},
        {WinXp, N, "D:\\R&D\\chkdsk.exe", 1, 1, R, Cmd + "\"D:\\R&D\\chkdsk.exe\" C:&\"D:\\R&D\\chkdsk.exe\" D:\"",
         false, false, false},
        {Win10, N, "D:\\%x%\\chkdsk.exe", 1, 0, R, "D:\\%x%\\chkdsk.exe", false, true, false},
        // Not known: 2000's defrag.exe, chkdsk in another field or with arguments.
        {Win2000, F, "C:\\WINNT\\defrag.exe", 0, 2, R, "C:\\WINNT\\defrag.exe", false, false, false},
        {Win10, ToolKind::Backup, C, 0, 0, R, C, false, true, false},
        {Win10, N, C + " /r", 1, 0, R, C + " /r", false, true, false},
        // The defragmenter's window, through the prompt from Vista on.
        {WinXp, F, W, 0, 2, R, W, false, false, false},
        {Vista, F, W, 0, 2, R, W, true, false, false},
        // WOW64, a file only in the 64-bit folder: the console takes the name
        // of it that it sees; only a direct start switches the redirection off.
        {Win10x64, F, D, 0, 2, R, Cmd + Native + " C: D: /o)\"", true, false, false},
        {Xp64, F, D, 0, 2, R, Cmd + Native + " C:)&" + Native + " D:)\"", false, false, true},
        {Win10x64, F, W, 0, 2, R,
         Cmd + "(for %t in (C:\\WINDOWS\\Sysnative\\dfrgui.exe " + W + ") do @if exist %t start \"\" /wait %t)\"",
         true, false, false},
        {Xp64, ToolKind::Backup, D + " /x", 0, 0, R, D + " /x", false, false, true},
        {Win10, N, "C:\\missing\\chkdsk.exe", 1, 0, R, "", false, false, false},  // no tool: no start
    };
    for (const auto &c : cases) {
        SettingsRecord s = InitialSettings();
        CopyText(c.tool == ToolKind::Backup ? s.szBackupLocation
                 : c.tool == N              ? s.szScanLocation
                                            : s.szDefragmentLocation,
                 LocationSize, c.location.c_str());
        (c.tool == N ? s.iStartStopSetting : s.iDefragmentMode) = c.a;
        (c.tool == N ? s.iIgnore : s.iDefragmentDisplayMode) = c.b;
        if (c.drives != nullptr) {
            (c.tool == N ? s.iScanDiskDrivesSetting : s.iDefragDiskDrivesSetting) = 0;
            CopyText(c.tool == N ? s.szDrivesToScan : s.szDrivesToDefrag, DriveListSize, c.drives);
        }
        ToolSystem system = SystemOf(c.platform);
        ToolStart start;
        EXPECT_EQ(PlanNtToolStart(s, c.tool, c.purpose, system, &start), !c.line.empty()) << c.location;
        EXPECT_EQ(start.commandLine, c.line);
        EXPECT_EQ(start.elevate, c.elevate) << c.line;
        EXPECT_EQ(start.elevateIfRefused, c.elevateIfRefused) << c.line;
        EXPECT_EQ(start.redirectionOff, c.redirectionOff) << c.line;
        EXPECT_FALSE(start.winExec) << c.line;
        std::string apart = std::string(start.file) + (start.parameters[0] ? " " : "") + start.parameters;
        EXPECT_TRUE(!c.elevate || apart == c.line) << apart;  // the prompt gets the same start
    }

    // No volume (a typed list keeps only drive letters), or a line too long
    // for the console: no start.
    SettingsRecord s = InitialSettings();
    ToolSystem system = SystemOf(Win10);
    ToolStart start;
    s.iScanDiskDrivesSetting = 0;
    CopyText(s.szScanLocation, LocationSize, ("C:\\" + std::string(490, 'x') + "\\chkdsk.exe").c_str());
    CopyText(s.szDrivesToScan, DriveListSize, "C:\\ & del");
    EXPECT_FALSE(PlanNtToolStart(s, N, R, system, &start));
    CopyText(s.szDrivesToScan, DriveListSize, "A: B: C: D: E: F: G: H: I: J: K: L: M: N: O: P: Q: R: S: T:");
    EXPECT_FALSE(PlanNtToolStart(s, N, R, system, &start));

    // Windows 98 starts the location whole, as it always has.
    CopyText(s.szScanLocation, LocationSize, "C:\\WINDOWS\\scandskw.exe /a");
    ASSERT_TRUE(PlanIconStart(s, N, nullptr, &start));
    EXPECT_STREQ(start.commandLine, "C:\\WINDOWS\\scandskw.exe /a");
    EXPECT_TRUE(start.winExec);
    EXPECT_FALSE(start.elevate || start.elevateIfRefused || start.redirectionOff);
}

TEST(DiskTools, VolumesAndCommandLinesTakenApart)
{
    const struct {
        int all;
        const char *list, *volumes;
    } volumeCases[] = {
        {1, "X:", "C: D: "},  // the hard disks, whatever the list says
        {0, "d:, x y: C:\\ c:,D: D:&calc", "D: Y: C: "},
        {2, "E:,Z:", "E: Z: "},  // only exactly 1 means all; typed drives of any type
    };
    for (const auto &c : volumeCases) {
        Volume volumes[VolumeCount];
        std::string joined;
        for (int i = 0, n = RunVolumes(c.all, c.list, Drives, Types, volumes); i < n; i++)
            joined += std::string(volumes[i]) + " ";
        EXPECT_EQ(joined, c.volumes) << c.list;
    }

    // ".exe" added to look; a quoted program; none seen: the first word.
    const char *const lines[][2] = {{"C:\\Program Files\\Tool\\tool /a b", "C:\\Program Files\\Tool\\tool|/a b"},
                                    {"\"C:\\Odd Place\\x.exe\"  /q", "C:\\Odd Place\\x.exe|/q"},
                                    {"C:\\missing\\x.exe /q", "C:\\missing\\x.exe|/q"}};
    auto exists = [](const char *path) { return std::string(path) == "C:\\Program Files\\Tool\\tool.exe"; };
    for (const auto &c : lines) {
        char file[ToolFileSize], parameters[ToolLineSize];
        SplitCommandLine(c[0], exists, file, sizeof file, parameters, sizeof parameters);
        EXPECT_EQ(std::string(file) + "|" + parameters, c[1]);
    }
}

TEST(DiskTools, NotStartedMessages)
{
    const std::string Tail = " could not be started.  It may already be open, or you may not have located it "
                             "using \"Set Tool Locations\" in the \"Options\" dialog box.";
    const ToolSystem Nt = SystemOf(Win10);
    auto message = [](ToolKind tool, const char *location, const ToolSystem *system, StartOutcome outcome) {
        SettingsRecord s = InitialSettings();
        CopyText(s.*ToolInfoFor(tool).location, LocationSize, location);
        char text[ToolMessageSize];
        NotStartedMessage(s, tool, ToolInfoFor(tool).failureMessage, system, outcome, text, sizeof text);
        return std::string(text);
    };
    const auto N = ToolKind::ScanDisk, B = ToolKind::Backup;
    EXPECT_EQ(message(N, "", nullptr, StartOutcome::Failed), "The scanning service (SCANDSKW.EXE)" + Tail);  // 98
    EXPECT_EQ(message(N, C.c_str(), &Nt, StartOutcome::Failed), "The scanning service (chkdsk.exe)" + Tail);
    EXPECT_EQ(message(B, "D:\\bk.exe /x", &Nt, StartOutcome::Failed), "The backup service (BACKUP.EXE)" + Tail);
    EXPECT_EQ(message(B, "D:\\bk.exe /x", &Nt, StartOutcome::Declined),
              "The backup service (bk.exe) was not started, because administrator rights were not given.");
}

TEST(DiskTools, SystemToolsAreTheDefaultsOnTheNtFamily)
{
    // 98 keeps the Windows directory's tools, 2000 has no defrag.exe, the
    // user's own location stays.
    const struct {
        Platform platform;
        const char *before, *locations;
    } cases[] = {{Win98, "", "C:\\WINDOWS\\scandskw.exe|C:\\WINDOWS\\defrag.exe"},
                 {Win2000, "", "C:\\WINDOWS\\system32\\chkdsk.exe|C:\\WINDOWS\\defrag.exe"},
                 {WinXp, "D:\\check.exe", "D:\\check.exe|C:\\WINDOWS\\system32\\defrag.exe"}};
    for (const auto &c : cases) {
        Settings = InitialSettings();
        CopyText(Settings.szScanLocation, LocationSize, c.before);
        ApplySystemToolLocations(c.platform, "C:\\WINDOWS\\system32");
        ApplyDefaultToolLocations("C:\\WINDOWS");
        EXPECT_EQ(std::string(Settings.szScanLocation) + "|" + Settings.szDefragmentLocation, c.locations);
    }
    Settings = InitialSettings();
}

}  // namespace
