// The tray menu: Explorer at a chosen drive, its failure message, and Exit.
#include "driver.h"

#include "commands.h"

namespace {

const char ExplorerFailure[] =
    "The Windows Explorer (EXPLORER.EXE) could not be started.  You may need to locate it "
    "using \"Set Tool Locations\" in the \"Options\" dialog box.";

// A settings file that names only the keys the scenario cares about: the
// reader looks for each key anywhere and leaves the others alone.
void WriteSettings(const std::string &explorer, const char *explorerView)
{
    WriteFileBytes(WindowsFile("TESSARON.INI"),
                   CrLfLines({"[Tessaron]", "iExplorerView = " + std::string(explorerView),
                              "szExplorerLocation = " + explorer}));
}

void ExitTessaron(Program &tessaron)
{
    ChooseTrayMenuItem(tessaron, ItemExit);
    CHECK_EQ(WaitForExit(tessaron), 0ul);
}

// Explorer at C: with the given view setting; returns the logged command line.
std::string OpenDriveC(const char *explorerView)
{
    CHECK_EQ(GetDriveTypeA("C:\\"), (UINT)DRIVE_FIXED);
    std::string explorer = InstallRecorder("explorer.exe");
    WriteSettings(explorer, explorerView);
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
    WriteSettings("C:\\rec\\missing.exe", "YES");
    Program tessaron = StartTessaron();
    ChooseTrayMenuItem(tessaron, ItemFirstDrive + ('C' - 'A'));
    HWND box = WaitMessageBox();
    CHECK_TEXT(MessageBoxText(box), ExplorerFailure);
    CHECK(MessageBoxButtons(box) == std::vector<int>{IDOK});
    CHECK(MessageBoxHasIcon(box));
    AnswerMessageBox(IDOK);
    CHECK(!HasEnded(tessaron));
    ExitTessaron(tessaron);
}

SCENARIO(traymenu_exit_ends_with_code_0)
{
    Program tessaron = StartTessaron();
    ChooseTrayMenuItem(tessaron, ItemExit);
    CHECK_EQ(WaitForExit(tessaron), 0ul);
    // Closing asks WinHelp to quit twice: the program's help file (beside
    // the program, upper case), then with no file.
    std::vector<HelpCall> calls = HelpCalls();
    CHECK_EQ(calls.size(), 2u);
    CHECK_EQ(calls[0].command, (UINT)HELP_QUIT);
    CHECK_TEXT(calls[0].file, "C:\\TESSARON\\TESSARON.HLP");
    CHECK_EQ(calls[1].command, (UINT)HELP_QUIT);
    CHECK_TEXT(calls[1].file, "");
}

// Drive items follow the drive list: A: is item 8000, which as a command
// would be Help Topics, yet the item opens Explorer and asks for no help.
SCENARIO_DRIVES(traymenu_floppy_and_cdrom_drives, "a:floppy d:cdrom:missing")
{
    CHECK_EQ(GetDriveTypeA("A:\\"), (UINT)DRIVE_REMOVABLE);
    CHECK_EQ(GetDriveTypeA("D:\\"), (UINT)DRIVE_CDROM);
    std::string explorer = InstallRecorder("explorer.exe");
    WriteSettings(explorer, "YES");
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
