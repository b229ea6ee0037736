// The settings file as the program writes it.
#include "driver.h"

#include "commands.h"

#include <algorithm>

namespace {

// TESSARON.INI after a first start without the file, Windows directory C:\windows.
std::string FirstStartSettings(int today)
{
    std::string d = std::to_string(today);
    return SettingsText({
        {"iSingleDriveView", "NO"},
        {"iExplorerView", "YES"},
        {"iShowScanIcon", "YES"},
        {"iShowExplorerIcon", "YES"},
        {"iCheckFloppySpace", "NO"},
        {"iShowDefragmentIcon", "YES"},
        {"iShowBackupIcon", "NO"},
        {"iShowDriveSpaceIcon", "NO"},
        {"iShowCompressionAgentIcon", "NO"},
        {"szExplorerLocation", "C:\\windows\\explorer.exe"},
        {"szScanLocation", "C:\\windows\\scandskw.exe"},
        {"szDefragmentLocation", "C:\\windows\\defrag.exe"},
        {"szBackupLocation", "<undefined>"},
        {"szDriveSpaceLocation", "<undefined>"},
        {"szCompressionAgentLocation", "<undefined>"},
        {"iLowSpaceWarningEnabled", "NO"},
        {"lMinimumSpace", "10"},
        {"iEnableMaintenance", "NO"},
        {"iLastScan", d},
        {"iLastDefragment", d},
        {"iLastBackup", d},
        {"iLastCompression", d},
        {"iScanInterval", "0"},
        {"iDefragmentInterval", "0"},
        {"iBackupInterval", "0"},
        {"iCompressionInterval", "0"},
        {"iScanDiskDrivesSetting", "TWO"},
        {"iDefragDiskDrivesSetting", "TWO"},
        {"iStartStopSetting", "YES"},
        {"iIgnore", "NO"},
        {"iDefragmentMode", "ONE"},
        {"iDefragmentDisplayMode", "THREE"},
        {"szDrivesToScan", "<undefined>"},
        {"szDrivesToDefrag", "<undefined>"},
    });
}

}  // namespace

SCENARIO(settings_first_start_file)
{
    std::string path = SettingsPath();
    CHECK(!FileExists(path));
    std::vector<std::string> before = FolderEntries(WindowsDirectory());
    int dayBefore = TodayDayNumber();
    Program tessaron = StartTessaron();
    PostCommand(tessaron, CmdMaintenance);
    // The command writes the file after its dialog, whichever button closes
    // it; while the dialog does not exist the file comes at once.
    HWND dialog = nullptr;
    if (!WaitFor([&] { return FileExists(path) || (dialog = FindDialogOf(tessaron)) != nullptr; }))
        Fail("command %d wrote no %s and opened no dialog", CmdMaintenance, path.c_str());
    if (dialog) {
        Step("cancel the dialog that the command opened");
        ClickButton(dialog, IDCANCEL);
    }
    if (!WaitFor([&] { return FileExists(path); }))
        Fail("command %d wrote no %s", CmdMaintenance, path.c_str());
    // The command has finished once the program handles the next one.
    ExitTessaron(tessaron);
    // The file is written whole or not at all: no temporary file stays.
    std::vector<std::string> added;
    for (const std::string &name : FolderEntries(WindowsDirectory()))
        if (std::find(before.begin(), before.end(), name) == before.end())
            added.push_back(name);
    CHECK(added == std::vector<std::string>{"TESSARON.INI"});
    std::string written = ReadFileOrFail(path);
    int dayAfter = TodayDayNumber();
    if (dayAfter != dayBefore && written == FirstStartSettings(dayAfter))
        return;  // the day changed while the program ran
    CHECK_TEXT(written, FirstStartSettings(dayBefore));
}
