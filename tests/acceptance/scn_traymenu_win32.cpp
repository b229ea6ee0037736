// The tray menu: Explorer at a chosen drive, its failure message, and Exit.
#include "driver.h"

#include "commands.h"
#include "resource.h"

namespace {

const char ExplorerFailure[] =
    "The Windows Explorer (EXPLORER.EXE) could not be started.  You may need to locate it "
    "using \"Set Tool Locations\" in the \"Options\" dialog box.";

// Only the keys the scenario cares about.
void WriteExplorerSettings(const std::string &explorer, const char *explorerView)
{
    WriteSettings({"[Tessaron]", "iExplorerView = " + std::string(explorerView), "szExplorerLocation = " + explorer});
}

// Explorer at C: with the given view setting; returns the logged command line.
std::string OpenDriveC(const char *explorerView)
{
    CHECK_EQ(GetDriveTypeA("C:\\"), (UINT)DRIVE_FIXED);
    std::string explorer = InstallRecorder("explorer.exe");
    WriteExplorerSettings(explorer, explorerView);
    Program tessaron = StartTessaron();
    ChooseTrayMenuItem(tessaron, ItemFirstDrive + ('C' - 'A'));
    WaitRecorderLines("explorer.exe", 1);
    ExitTessaron(tessaron);
    CheckNoMessageBox(0);
    std::vector<std::string> lines = RecorderLines("explorer.exe");
    CHECK_EQ(lines.size(), 1u);
    return lines[0];
}

}  // namespace

SCENARIO(traymenu_drive_opens_explorer)
{
    CHECK_TEXT(OpenDriveC("YES"), "C:\\rec\\explorer.exe /n,/e,C:\\");
}

SCENARIO(traymenu_drive_single_pane_view)
{
    CHECK_TEXT(OpenDriveC("NO"), "C:\\rec\\explorer.exe /n,C:\\");
}

SCENARIO(traymenu_drive_missing_explorer_warns)
{
    WriteExplorerSettings("C:\\rec\\missing.exe", "YES");
    Program tessaron = StartTessaron();
    ChooseTrayMenuItem(tessaron, ItemFirstDrive + ('C' - 'A'));
    CheckMessageBox(ExplorerFailure, {IDOK}, IDOK);
    CHECK(!HasEnded(tessaron));
    ExitTessaron(tessaron);
}

SCENARIO(traymenu_exit_ends_with_code_0)
{
    Program tessaron = StartTessaron();
    ExitTessaron(tessaron);
    CheckHelpQuitRequests(tessaron, 0);
}

// Drive items follow the drive list: A: is item 8000, which as a command
// would be Help Topics, yet the item opens Explorer and asks for no help.
SCENARIO_DRIVES(traymenu_floppy_and_cdrom_drives, "a:floppy d:cdrom:missing")
{
    CHECK_EQ(GetDriveTypeA("A:\\"), (UINT)DRIVE_REMOVABLE);
    CHECK_EQ(GetDriveTypeA("D:\\"), (UINT)DRIVE_CDROM);
    std::string explorer = InstallRecorder("explorer.exe");
    WriteExplorerSettings(explorer, "YES");
    Program tessaron = StartTessaron();
    ChooseTrayMenuItem(tessaron, ItemFirstDrive + ('A' - 'A'));
    WaitRecorderLines("explorer.exe", 1);
    ChooseTrayMenuItem(tessaron, ItemFirstDrive + ('D' - 'A'));
    WaitRecorderLines("explorer.exe", 2);
    CHECK(HelpCalls().empty());
    ExitTessaron(tessaron);
    std::vector<std::string> lines = RecorderLines("explorer.exe");
    CHECK_EQ(lines.size(), 2u);
    CHECK_TEXT(lines[0], explorer + " /n,/e,A:\\");
    CHECK_TEXT(lines[1], explorer + " /n,/e,D:\\");
}

// Every item has an access key: "o" chooses "&Open...".
SCENARIO(traymenu_access_key_opens_open_path)
{
    Program tessaron = StartTessaron();
    PostCommand(tessaron, CmdTrayMenu);
    HWND menu = WaitPopupMenu();
    Step("type \"o\" in the menu");
    PostMessageA(menu, WM_CHAR, 'o', 1);
    PressButton(WaitDialogWith(tessaron, IDC_OPENPATH_PATH), IDCANCEL);
    ExitTessaron(tessaron);
}
