// The settings file as the program writes it, and the warning when it cannot.
#include "driver.h"

#include "commands.h"
#include "resource.h"

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

namespace {

// The box's icon as the screen shows it is this system icon, drawn on the
// background that its corner shows.
bool BoxShowsIcon(HWND box, LPCSTR systemIcon)
{
    HWND icon = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child && !icon; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            icon = child;
    RECT area;
    if (!icon || !GetWindowRect(icon, &area) || IsRectEmpty(&area))
        return false;
    int width = area.right - area.left, height = area.bottom - area.top;
    std::vector<COLORREF> shown = Pixels(width, height, [&](HDC dc, HDC screen) {
        BitBlt(dc, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    });
    return shown == Pixels(width, height, [&](HDC dc, HDC) {
        RECT all = {0, 0, width, height};
        HBRUSH background = CreateSolidBrush(shown[0]);
        FillRect(dc, &all, background);
        DeleteObject(background);
        DrawIconEx(dc, 0, 0, LoadIconA(nullptr, systemIcon), width, height, 0, nullptr, DI_NORMAL);
    });
}

}  // namespace

SCENARIO(settings_save_failure_warns_and_runs_on)
{
    // A folder in the file's place cannot be replaced, even by root.
    MakeFolder(SettingsPath());
    std::vector<std::string> before = FolderEntries(WindowsDirectory());
    Program tessaron = StartTessaron();
    PostCommand(tessaron, CmdOpenPath);
    PressButton(WaitDialogWith(tessaron, IDC_OPENPATH_PATH), IDCANCEL);
    HWND box = WaitMessageBox();
    if (!WaitFor([&] { return BoxShowsIcon(box, IDI_WARNING); }))
        Fail("the save failure shows no warning icon");
    CheckMessageBox(box, "There was an error while attempting to save your options.", {IDOK}, IDOK);
    CHECK(!HasEnded(tessaron));
    ExitTessaron(tessaron);
    // Nothing was replaced or left behind.
    CHECK(FolderEntries(WindowsDirectory()) == before);
    DWORD attributes = GetFileAttributesA(SettingsPath().c_str());
    CHECK(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}
