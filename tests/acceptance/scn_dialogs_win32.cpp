// The option dialogs: Options (2000), Tool Locations (5000), Maintenance (3),
// ScanDisk settings (103) and Defragmenter settings (104), driven from
// outside the running Tessaron.exe.
#include "driver.h"

#include "commands.h"
#include "resource.h"

#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <utility>

namespace {

// ---------------------------------------------------------------- the settings file
typedef std::vector<std::pair<std::string, std::string>> Values;

// Every key in the writer's order, with values that differ from the
// built-in defaults wherever a dialog shows them.
Values BaseSettings()
{
    return {
        {"iSingleDriveView", "NO"},
        {"iExplorerView", "YES"},
        {"iShowScanIcon", "YES"},
        {"iShowExplorerIcon", "NO"},
        {"iCheckFloppySpace", "YES"},
        {"iShowDefragmentIcon", "YES"},
        {"iShowBackupIcon", "NO"},
        {"iShowDriveSpaceIcon", "YES"},
        {"iShowCompressionAgentIcon", "NO"},
        {"szExplorerLocation", "C:\\windows\\explorer.exe"},
        {"szScanLocation", "C:\\windows\\scandskw.exe"},
        {"szDefragmentLocation", "C:\\windows\\defrag.exe"},
        {"szBackupLocation", "<undefined>"},
        {"szDriveSpaceLocation", "C:\\tools\\drvspace.exe"},
        {"szCompressionAgentLocation", "<undefined>"},
        {"iLowSpaceWarningEnabled", "NO"},
        {"lMinimumSpace", "25"},
        {"iEnableMaintenance", "NO"},
        {"iLastScan", "100"},
        {"iLastDefragment", "101"},
        {"iLastBackup", "102"},
        {"iLastCompression", "103"},
        {"iScanInterval", "7"},
        {"iDefragmentInterval", "14"},
        {"iBackupInterval", "30"},
        {"iCompressionInterval", "31"},
        {"iScanDiskDrivesSetting", "ONE"},
        {"iDefragDiskDrivesSetting", "ONE"},
        {"iStartStopSetting", "YES"},
        {"iIgnore", "NO"},
        {"iDefragmentMode", "TWO"},
        {"iDefragmentDisplayMode", "THREE"},
        {"szDrivesToScan", "C: D:"},
        {"szDrivesToDefrag", "C:"},
    };
}

void Set(Values &values, const std::string &key, const std::string &value)
{
    for (auto &entry : values)
        if (entry.first == key) {
            entry.second = value;
            return;
        }
    Fail("no setting %s", key.c_str());
}

// The file exactly as the program writes it for these values.
std::string SettingsText(const Values &values)
{
    std::vector<std::string> lines = {
        "[Tessaron]",
        "[iVersionMajor=1]",
        "[iVersionMinor=0]",
        "[iRevision=0]",
        "[This file should not be altered manually.]",
        "[Format:  typeVariableName <space> = <space> <value>]",
        "[<value> = YES, NO, NUMERIC, PATHNAME -- NO ABBREVIATIONS.]",
    };
    for (const auto &entry : values)
        lines.push_back(entry.first + " = " + entry.second);
    return CrLfLines(lines);
}

std::string SettingsPath()
{
    return WindowsFile("TESSARON.INI");
}

// Tessaron started on this settings file.
Program StartWith(const Values &values)
{
    WriteFileBytes(SettingsPath(), SettingsText(values));
    return StartTessaron();
}

// The settings file once the program has rewritten it; marked beforehand so
// that the rewrite can be told from the file it started with.
void MarkSettingsFile()
{
    WriteFileBytes(SettingsPath(), "stale\r\n");
}

// Polled by its size alone: a reader's open handle would make the program's
// replacing of the file fail.
DWORD SettingsSize()
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(SettingsPath().c_str(), GetFileExInfoStandard, &data))
        return 0;
    return data.nFileSizeHigh != 0 ? MAXDWORD : data.nFileSizeLow;
}

// Longer than the mark, and no longer growing.
bool SettingsWritten()
{
    DWORD size = SettingsSize();
    if (size <= 100)
        return false;
    Sleep(50);
    return SettingsSize() == size;
}

std::string RewrittenSettings()
{
    if (!WaitFor(SettingsWritten)) {
        HWND box = FindMessageBox();
        Fail("%s was not written%s%s", SettingsPath().c_str(), box ? "; message box: " : "",
             box ? MessageBoxText(box).c_str() : "");
    }
    return ReadFileOrFail(SettingsPath());
}

void CheckSettingsFile(const Values &expected)
{
    CHECK_TEXT(RewrittenSettings(), SettingsText(expected));
}

// ---------------------------------------------------------------- finding the dialogs
// The program's visible dialog that has this control: the nested dialogs
// share the caption "Tessaron" with their owners.
HWND FindDialogWith(const Program &program, int controlId)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", "Tessaron")) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == program.id && IsWindowVisible(window) && GetDlgItem(window, controlId))
            return window;
    }
    return nullptr;
}

HWND WaitDialogWith(const Program &program, int controlId)
{
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindDialogWith(program, controlId)) != nullptr; }))
        Fail("no dialog with control %d appeared", controlId);
    return dialog;
}

// Through the tray menu as a user opens it, or by the command alone.
enum Way { ByCommand, ByMenu };

HWND OpenOptions(const Program &tessaron, Way way = ByCommand)
{
    Step("open the Options dialog");
    if (way == ByMenu)
        ChooseTrayMenuItem(tessaron, ItemOptions);
    else
        PostCommand(tessaron, CmdOptions);
    return WaitDialogWith(tessaron, IDC_OPTIONS_TOOLLOCATIONS);
}

HWND OpenMaintenance(const Program &tessaron, Way way = ByCommand)
{
    Step("open the Maintenance dialog");
    if (way == ByMenu)
        ChooseTrayMenuItem(tessaron, ItemMaintenance);
    else
        PostCommand(tessaron, CmdMaintenance);
    return WaitDialogWith(tessaron, IDC_MAINT_SCANSETTINGS);
}

HWND OpenNested(const Program &tessaron, HWND owner, int button, int controlOfNested)
{
    Step("open the dialog of button %d", button);
    ClickButton(owner, button);
    HWND nested = WaitDialogWith(tessaron, controlOfNested);
    CHECK(GetWindow(nested, GW_OWNER) == owner);
    return nested;
}

void Press(HWND dialog, int button)
{
    ClickButton(dialog, button);
    WaitWindowGone(dialog);
}

// ---------------------------------------------------------------- layout
const DWORD Check = BS_AUTOCHECKBOX | WS_TABSTOP;
const DWORD Radio = BS_AUTORADIOBUTTON;
const DWORD Push = BS_PUSHBUTTON | WS_TABSTOP;
const DWORD Default = BS_DEFPUSHBUTTON | WS_TABSTOP;
const DWORD Group = BS_GROUPBOX;
const DWORD Field = ES_LEFT | WS_TABSTOP;  // with a border
const DWORD Scrolling = ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
const DWORD Left = SS_LEFT;
const DWORD Right = SS_RIGHT;

struct Expected {
    int id;
    const char *className;
    const char *text;
    int x, y, width, height;
    DWORD style;
};

struct Layout {
    int x, y, width, height;  // the template's own position and size
    const Expected *controls;
    size_t count;
};

const Expected OptionsControls[] = {
    {2004, "Button", "", 14, 16, 8, 12, Check},
    {2005, "Button", "", 88, 16, 8, 12, Check},
    {2006, "Button", "", 14, 32, 8, 12, Check},
    {2003, "Button", "", 88, 32, 8, 12, Check},
    {2002, "Button", "", 14, 48, 8, 12, Check},
    {2001, "Button", "", 88, 48, 8, 12, Check},
    {2012, "Button", "", 16, 80, 8, 12, Check},
    {-1, "Static", "Force \"My Computer\" View", 26, 82, 96, 8, Left},
    {2014, "Button", "", 16, 112, 8, 12, Check},
    {-1, "Static", "Enable Free Space Monitor", 24, 114, 96, 8, Left},
    {2015, "Button", "", 16, 128, 8, 12, Check},
    {-1, "Static", "Monitor Floppy Disk(s) Too", 24, 130, 96, 8, Left},
    {2017, "Edit", nullptr, 107, 144, 24, 12, Field},
    {-1, "Static", "Min. Space Before Warning:", 16, 146, 88, 8, Left},
    {-1, "Static", "MB", 136, 146, 16, 8, Left},
    {2016, "Button", "&Set Tool Locations", 4, 172, 160, 16, Push},
    {1, "Button", "&OK", 2, 192, 50, 14, Default},
    {2, "Button", "&Cancel", 59, 192, 50, 14, Push},
    {4, "Button", "&Help", 115, 192, 50, 14, Push},
    {2018, "Button", "System Tray Quick Access Icons", 8, 8, 152, 56, Group},
    {2019, "Button", "Explorer Options", 8, 72, 152, 24, Group},
    {2020, "Button", "Free Space Monitoring", 8, 104, 152, 64, Group},
    {-1, "Static", "Windows Explorer", 24, 18, 60, 8, Left},
    {-1, "Static", "ScanDisk", 24, 34, 60, 8, Left},
    {-1, "Static", "Compression Agent", 24, 50, 60, 8, Left},
    {-1, "Static", "Disk Defragmenter", 96, 18, 60, 8, Left},
    {-1, "Static", "DriveSpace", 96, 34, 60, 8, Left},
    {-1, "Static", "Backup", 96, 50, 60, 8, Left},
};

const Expected ToolLocationsControls[] = {
    {5012, "Edit", nullptr, 72, 25, 128, 12, Field},
    {5005, "Button", "Browse...", 208, 24, 40, 14, Push},
    {5011, "Edit", nullptr, 72, 42, 128, 12, Field},
    {5004, "Button", "Browse...", 208, 41, 40, 14, Push},
    {5010, "Edit", nullptr, 72, 58, 128, 12, Field},
    {5003, "Button", "Browse...", 208, 57, 40, 14, Push},
    {5009, "Edit", nullptr, 72, 74, 128, 12, Field},
    {5002, "Button", "Browse...", 208, 73, 40, 14, Push},
    {5008, "Edit", nullptr, 72, 90, 128, 12, Field},
    {5001, "Button", "Browse...", 208, 89, 40, 14, Push},
    {5007, "Edit", nullptr, 72, 106, 128, 12, Field},
    {5006, "Button", "Browse...", 208, 105, 40, 14, Push},
    {1, "Button", "&OK", 2, 128, 72, 14, Default},
    {2, "Button", "&Cancel", 89, 128, 72, 14, Push},
    {4, "Button", "&Help", 176, 128, 73, 14, Push},
    {-1, "Static", "Compression Agent:", 2, 107, 64, 8, Left},
    {-1, "Static", "DriveSpace:", 2, 91, 40, 8, Left},
    {-1, "Static", "Backup:", 2, 75, 32, 8, Left},
    {-1, "Static", "Defragmenter:", 2, 59, 48, 8, Left},
    {-1, "Static", "ScanDisk:", 2, 43, 32, 8, Left},
    {-1, "Static", "Windows Explorer:", 2, 27, 64, 8, Left},
    {-1, "Static", "Tessaron.  In most situations, these fields will already contain correct values.",
     2, 11, 240, 8, Left},
    {-1, "Static", "In the fields below, please supply the locations of the various tools used by",
     2, 3, 240, 8, Left},
};

const Expected MaintenanceControls[] = {
    {1, "Button", "&OK", 4, 80, 52, 16, Default},
    {2, "Button", "&Cancel", 103, 80, 51, 16, Push},
    {4, "Button", "&Help", 204, 80, 48, 16, Push},
    {2009, "Button", "", 3, 0, 8, 12, Check},
    {-1, "Static", "Enable Automatic Device Maintenance", 16, 2, 128, 8, Left},
    {-1, "Static", "Disk Defragment Service", 16, 18, 96, 8, Left},
    {-1, "Static", "days.", 166, 18, 24, 8, Left},
    {-1, "Static", "Disk Scan Service", 16, 34, 72, 10, Left},
    {2011, "Edit", nullptr, 144, 16, 16, 12, Field},
    {2010, "Edit", nullptr, 144, 32, 16, 12, Field},
    {2007, "Edit", nullptr, 144, 48, 16, 12, Field},
    {2008, "Edit", nullptr, 144, 64, 16, 12, Field},
    {-1, "Static", "days.", 166, 34, 24, 8, Left},
    {-1, "Static", "days.", 166, 50, 24, 8, Left},
    {-1, "Static", "days.", 166, 66, 24, 8, Left},
    {-1, "Static", "Backup Service", 16, 50, 56, 8, Left},
    {-1, "Static", "Compression Service", 16, 66, 72, 8, Left},
    {-1, "Static", "Every", 112, 18, 24, 8, Right},
    {-1, "Static", "Every", 112, 34, 24, 8, Right},
    {-1, "Static", "Every", 112, 50, 24, 8, Right},
    {-1, "Static", "Every", 112, 66, 24, 8, Right},
    {3001, "Button", "&Settings...", 204, 16, 48, 16, Push},
    {3002, "Button", "S&ettings...", 204, 32, 48, 16, Push},
};

const Expected ScanDiskControls[] = {
    {-1, "Button", "Drive(s) To Scan", 4, 4, 172, 56, Group},
    {3003, "Button", " Specified", 12, 16, 60, 12, Radio},
    {3004, "Button", " All Local, Fixed Hard Disks", 12, 44, 108, 12, Radio},
    {3005, "Edit", nullptr, 24, 28, 148, 12, Scrolling},
    {3006, "Button", " Start/Stop Automatically", 4, 68, 112, 12, Check},
    {3007, "Button", " Ignore Disk Errors If Found", 4, 80, 152, 12, Check},
    {1, "Button", "&OK", 4, 96, 52, 16, Push},
    {2, "Button", "&Cancel", 64, 96, 52, 16, Push},
    {4, "Button", "&Help", 124, 96, 52, 16, Push},
};

const Expected DefragControls[] = {
    {-1, "Button", "Drive(s) To Defragment", 4, 4, 172, 56, Group | WS_GROUP},
    {3003, "Button", " Specific", 12, 16, 60, 12, Radio},
    {3004, "Button", " All Local, Fixed Hard Disks", 12, 44, 108, 12, Radio},
    {3005, "Edit", nullptr, 24, 28, 20, 12, Scrolling},
    {1, "Button", "&OK", 4, 180, 52, 16, Push},
    {2, "Button", "&Cancel", 64, 180, 52, 16, Push},
    {4, "Button", "&Help", 124, 180, 52, 16, Push},
    {-1, "Button", "Defragment Method", 4, 64, 172, 52, Group | WS_GROUP},
    {3014, "Button", " Full Defragment", 12, 76, 124, 12, Radio},
    {3015, "Button", " Defragment Files Only", 12, 88, 128, 12, Radio},
    {3016, "Button", " Defragment Free Space Only", 12, 100, 128, 12, Radio},
    {-1, "Button", "Interaction Level", 4, 120, 172, 52, Group | WS_GROUP},
    {3020, "Button", "Concise", 12, 132, 140, 12, Radio},
    {3021, "Button", "Detailed", 12, 144, 140, 12, Radio},
    {3022, "Button", "Unattended", 12, 156, 140, 12, Radio},
};

#define LAYOUT(x, y, w, h, table) Layout{x, y, w, h, table, sizeof table / sizeof table[0]}

// A control's place in dialog units as its template gives it: the dialog
// manager converts position and size separately (MulDiv, rounding), so
// they are converted back separately.
struct Units {
    int x, y, width, height;
};

Units UnitsOf(const Control &c)
{
    POINT base = DialogBaseUnits();
    return Units{MulDiv(c.pixels.left, 4, base.x), MulDiv(c.pixels.top, 8, base.y),
                 MulDiv(c.pixels.right - c.pixels.left, 4, base.x),
                 MulDiv(c.pixels.bottom - c.pixels.top, 8, base.y)};
}

std::string Describe(const Control &c)
{
    char text[512];
    Units u = UnitsOf(c);
    snprintf(text, sizeof text, "%d %s \"%s\" %d,%d %dx%d style %08lx", c.id,
             c.className.c_str(), c.text.c_str(), u.x, u.y, u.width, u.height,
             (unsigned long)c.style);
    return text;
}

// The running dialog against its table: every control in template (tab)
// order with its id, class, text, rectangle in dialog units and style; the
// client size; and the centring on the desktop.
void CheckLayout(HWND dialog, const Layout &layout)
{
    std::vector<Control> controls = DialogControls(dialog);
    for (const Control &c : controls)
        Step("  %s", Describe(c).c_str());
    CHECK_EQ(controls.size(), layout.count);
    for (size_t i = 0; i < layout.count; i++) {
        const Expected &e = layout.controls[i];
        const Control &c = controls[i];
        int id = (c.id & 0xFFFF) == 0xFFFF ? -1 : c.id;
        Units u = UnitsOf(c);
        if (id != e.id || lstrcmpiA(c.className.c_str(), e.className) != 0 ||
            (e.text && c.text != e.text) || u.x != e.x || u.y != e.y || u.width != e.width ||
            u.height != e.height)
            Fail("control %u is %s, expected %d %s \"%s\" %d,%d %dx%d", (unsigned)i,
                 Describe(c).c_str(), e.id, e.className, e.text ? e.text : "", e.x, e.y, e.width,
                 e.height);
        // What the template decides; the dialog manager may add state bits.
        DWORD kind = lstrcmpiA(e.className, "Button") == 0 ? 0x0F : 0xFFFF & ~ES_NUMBER;
        DWORD mask = kind | WS_TABSTOP | WS_GROUP | WS_CHILD | WS_VISIBLE | WS_DISABLED;
        // A radio button is a tab stop while it is selected, whatever its template.
        if (e.style == Radio)
            mask &= ~WS_TABSTOP;
        if ((c.style & mask) != (e.style | WS_CHILD | WS_VISIBLE))
            Fail("control %u (%d) has style %08lx, expected %08lx within mask %08lx", (unsigned)i,
                 e.id, (unsigned long)(c.style & mask), (unsigned long)(e.style | WS_CHILD | WS_VISIBLE),
                 (unsigned long)mask);
        if (lstrcmpiA(e.className, "Edit") == 0)
            CHECK((c.style & WS_BORDER) || (c.exStyle & WS_EX_CLIENTEDGE));
    }
    RECT client = DialogClientUnits(dialog);
    CHECK_EQ(client.right, (LONG)layout.width);
    CHECK_EQ(client.bottom, (LONG)layout.height);
    for (size_t i = 0; i < layout.count; i++)
        if (layout.controls[i].style == Radio) {
            bool tabStop = (controls[i].style & WS_TABSTOP) != 0;
            CHECK_EQ(tabStop, ButtonCheck(dialog, layout.controls[i].id) == BST_CHECKED);
        }

    char caption[64] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    CHECK_TEXT(std::string(caption), "Tessaron");
    DWORD style = (DWORD)GetWindowLongA(dialog, GWL_STYLE);
    DWORD wanted = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    CHECK_EQ(style & wanted, wanted);

    // Centred: the client size, halved, off the middle of the desktop.
    RECT desktop, window, pixels;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &pixels);
    CHECK_EQ(window.left, desktop.right / 2 - pixels.right / 2);
    CHECK_EQ(window.top, desktop.bottom / 2 - pixels.bottom / 2);
}

// ---------------------------------------------------------------- tooltips
struct Tip {
    int id;
    const char *text;
};

const char TipOk[] = "Exit; save changes.";
const char TipCancel[] = "Exit; do not save changes.";

HWND ToolTipsOf(HWND dialog)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "tooltips_class32", nullptr)) != nullptr)
        if (GetWindow(window, GW_OWNER) == dialog)
            return window;
    return nullptr;
}

// Reads the dialog's tooltip registrations from the program's own memory:
// TTM_ENUMTOOLSA with a TOOLINFOA placed in the program's address space.
void CheckToolTips(const Program &tessaron, HWND dialog, const std::vector<Tip> &expected)
{
    HWND tips = nullptr;
    if (!WaitFor([&] { return (tips = ToolTipsOf(dialog)) != nullptr; }))
        Fail("the dialog has no tooltip window");
    DWORD_PTR count = 0;
    WaitFor([&] {
        return SendMessageTimeoutA(tips, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count) &&
               count >= expected.size();
    });
    CHECK_EQ((size_t)count, expected.size());

    const SIZE_T textOffset = 1024, size = 4096;
    char *remote = (char *)VirtualAllocEx(tessaron.process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    CHECK(remote != nullptr);
    for (size_t i = 0; i < expected.size(); i++) {
        TTTOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.lpszText = remote + textOffset;
        char empty[1024] = "";
        CHECK(WriteProcessMemory(tessaron.process, remote, &tool, sizeof tool, nullptr));
        CHECK(WriteProcessMemory(tessaron.process, remote + textOffset, empty, sizeof empty, nullptr));
        DWORD_PTR found = 0;
        SendMessageTimeoutA(tips, TTM_ENUMTOOLSA, i, (LPARAM)remote, SMTO_ABORTIFHUNG, 5000, &found);
        CHECK(found != 0);
        char text[1024] = "";
        CHECK(ReadProcessMemory(tessaron.process, remote, &tool, sizeof tool, nullptr));
        CHECK(ReadProcessMemory(tessaron.process, remote + textOffset, text, sizeof text - 1, nullptr));
        int id = GetDlgCtrlID((HWND)tool.uId);
        if (id != expected[i].id || strcmp(text, expected[i].text) != 0)
            Fail("tooltip %u is %d \"%s\", expected %d \"%s\"", (unsigned)i, id, text,
                 expected[i].id, expected[i].text);
        CHECK(tool.hwnd == dialog);
        CHECK_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), (UINT)(TTF_IDISHWND | TTF_SUBCLASS));
    }
    VirtualFreeEx(tessaron.process, remote, 0, MEM_RELEASE);
}

// ---------------------------------------------------------------- help
void CheckHelp(HWND dialog, int context)
{
    ClearHelpCalls();
    ClickButton(dialog, IDC_HELPBUTTON);
    std::vector<HelpCall> calls = WaitHelpCalls(1);
    CHECK_EQ(calls[0].command, (UINT)HELP_CONTEXT);
    CHECK_EQ(calls[0].data, (ULONG_PTR)context);
    const std::string suffix = "\\TESSARON.HLP";
    CHECK(calls[0].file.size() > suffix.size() &&
          lstrcmpiA(calls[0].file.c_str() + calls[0].file.size() - suffix.size(), suffix.c_str()) == 0);
    CHECK(IsWindow(dialog) && IsWindowVisible(dialog));  // Help leaves it open
}

// ---------------------------------------------------------------- file chooser
// Types a path into the system Open dialog's file name box and opens it.
void PickInChooser(HWND chooser, const char *path)
{
    const int fileNameBox = 1148;  // cmb13: ComboBoxEx32, ComboBox, Edit
    HWND combo = FindWindowExA(ControlWindow(chooser, fileNameBox), nullptr, "ComboBox", nullptr);
    HWND edit = combo ? FindWindowExA(combo, nullptr, "Edit", nullptr) : nullptr;
    CHECK(edit != nullptr);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, (LPARAM)path, SMTO_ABORTIFHUNG, 5000, &ignored);
    Press(chooser, IDOK);
}

// ---------------------------------------------------------------- tray icons
bool IconAdded(UINT id)
{
    for (const TrayCall &call : TrayCalls())
        if (call.operation == NIM_ADD && call.id == id)
            return true;
    return false;
}

// After the Options dialog: every icon removed, then added as the settings say.
void CheckIconsRenewed(bool backupShown)
{
    if (!WaitFor([] { return IconAdded(IconMain); }))
        Fail("the icons were not added again after the Options dialog");
    bool deleted = false;
    for (const TrayCall &call : TrayCalls())
        if (call.operation == NIM_DELETE && call.id == IconMain)
            deleted = true;
    CHECK(deleted);
    // Icon 9 comes in the same pass as the main icon, if at all.
    WaitFor([] { return IconAdded(IconBackup); }, 1000);
    CHECK_EQ(IconAdded(IconBackup), backupShown);
}

// ---------------------------------------------------------------- screenshots
// With TESSARON_SHOTS naming a Unix folder, saves the dialog as it looks on
// screen as <folder>/dialog-<name>.png (ImageMagick's import, run natively).
void Screenshot(HWND dialog, const char *name)
{
    char folder[1024];
    DWORD length = GetEnvironmentVariableA("TESSARON_SHOTS", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return;
    RECT r;
    GetWindowRect(dialog, &r);
    UpdateWindow(dialog);
    Sleep(300);  // let the dialog finish painting before the capture
    std::string target = std::string(folder) + "/dialog-" + name + ".png";
    std::string partial = target + ".part.png";
    char command[4096];
    snprintf(command, sizeof command,
             "Z:\\bin\\sh -c \"/usr/bin/import -window root -crop %ldx%ld+%ld+%ld +repage '%s' && mv '%s' '%s'\"",
             r.right - r.left, r.bottom - r.top, r.left, r.top, partial.c_str(), partial.c_str(),
             target.c_str());
    std::string unixTarget = "Z:" + target;
    for (char &ch : unixTarget)
        if (ch == '/')
            ch = '\\';
    DeleteFileA(unixTarget.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        Fail("cannot run import for %s", target.c_str());
    if (!WaitFor([&] { return FileExists(unixTarget); }))
        Fail("no screenshot %s", target.c_str());
    Step("screenshot %s", target.c_str());
}

}  // namespace

// ---------------------------------------------------------------- Options
SCENARIO(dialog_options_ok)
{
    Values values = BaseSettings();
    Program tessaron = StartWith(values);
    HWND dialog = OpenOptions(tessaron, ByMenu);
    CheckLayout(dialog, LAYOUT(11, 18, 167, 209, OptionsControls));
    CheckToolTips(tessaron, dialog,
                  {{2006, "Add ScanDisk Icon"}, {2005, "Add Disk Defragmenter Icon"},
                   {2004, "Add Explorer Icon"}, {2003, "Add DriveSpace Icon"},
                   {2001, "Add Backup Icon"}, {2002, "Add Compression Agent Icon"},
                   {2, TipCancel}, {1, TipOk}, {4, "Help"},
                   {2012, "Enable Simplified 'My Computer' View"}, {2014, "Enable Space Monitor"},
                   {2015, "Include Floppy(s) In Free Space Scan"},
                   {2017, "Minimum Free Space Before Warning"}, {2016, "Set Disk Tool Locations"}});
    Screenshot(dialog, "options");

    Step("the boxes show the settings; \"Force \"My Computer\" View\" is inverted");
    struct {
        int id;
        int checked;
    } boxes[] = {{2004, 0}, {2005, 1}, {2006, 1}, {2003, 1}, {2002, 0},
                 {2001, 0}, {2012, 0}, {2014, 0}, {2015, 1}};
    for (const auto &box : boxes)
        if (ButtonCheck(dialog, box.id) != box.checked)
            Fail("box %d is %d, expected %d", box.id, ButtonCheck(dialog, box.id), box.checked);
    CHECK_TEXT(ControlText(dialog, IDC_OPTIONS_MINSPACE), "25");
    CheckHelp(dialog, IDD_OPTIONS);

    Step("tick Backup, Explorer and Force View, clear ScanDisk and Floppy; 12MB; OK");
    for (int id : {2001, 2004, 2012, 2006, 2015})
        ClickButton(dialog, id);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, 2015) == 0; }));
    SetControlText(dialog, IDC_OPTIONS_MINSPACE, "12MB");
    MarkSettingsFile();
    ClearTrayCalls();
    Press(dialog, IDOK);
    Set(values, "iShowBackupIcon", "YES");
    Set(values, "iShowExplorerIcon", "YES");
    Set(values, "iExplorerView", "NO");
    Set(values, "iShowScanIcon", "NO");
    Set(values, "iCheckFloppySpace", "NO");
    Set(values, "lMinimumSpace", "12");
    CheckSettingsFile(values);
    CheckIconsRenewed(true);

    Step("numbers: what the field holds, or the old value when it holds none");
    struct {
        const char *typed;
        const char *stored;
    } numbers[] = {{" 7", "7"}, {"abc", "7"}, {"2147483648", "7"}, {"-5", "-5"}};
    for (const auto &number : numbers) {
        dialog = OpenOptions(tessaron);
        SetControlText(dialog, IDC_OPTIONS_MINSPACE, number.typed);
        MarkSettingsFile();
        Press(dialog, IDOK);
        Set(values, "lMinimumSpace", number.stored);
        CheckSettingsFile(values);
    }
}

SCENARIO(dialog_options_cancel)
{
    Values values = BaseSettings();
    Program tessaron = StartWith(values);
    HWND dialog = OpenOptions(tessaron);
    Step("change every box and the number, then Cancel");
    for (int id : {2001, 2002, 2003, 2004, 2005, 2006, 2012, 2014, 2015})
        ClickButton(dialog, id);
    SetControlText(dialog, IDC_OPTIONS_MINSPACE, "99");
    CHECK(WaitFor([&] { return ButtonCheck(dialog, 2015) == 0; }));
    MarkSettingsFile();
    ClearTrayCalls();
    Press(dialog, IDCANCEL);
    CheckSettingsFile(values);  // written all the same, unchanged
    CheckIconsRenewed(false);
}

// ---------------------------------------------------------------- Tool Locations
SCENARIO(dialog_toollocations_ok_then_options_cancel)
{
    Values values = BaseSettings();
    Program tessaron = StartWith(values);
    HWND options = OpenOptions(tessaron);
    HWND dialog = OpenNested(tessaron, options, IDC_OPTIONS_TOOLLOCATIONS, IDC_TOOLS_EXPLORER);
    CheckLayout(dialog, LAYOUT(6, 21, 252, 145, ToolLocationsControls));
    const char browse[] = "Browse.";
    CheckToolTips(tessaron, dialog,
                  {{5011, "Enter Location:  SCANDSKW.EXE"}, {5012, "Enter Location:  EXPLORER.EXE"},
                   {5010, "Enter Location:  DEFRAG.EXE"}, {5007, "Enter Location:  CMPAGENT.EXE"},
                   {5008, "Enter Location:  DRVSPACE.EXE"}, {5009, "Enter Location:  BACKUP.EXE"},
                   {5005, browse}, {5004, browse}, {5002, browse}, {5003, browse},
                   {5001, browse}, {5006, browse},
                   {2, TipCancel}, {1, TipOk}, {4, "Help"}});
    Screenshot(dialog, "toollocations");

    Step("the fields show the six locations");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_EXPLORER), "C:\\windows\\explorer.exe");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_SCANDISK), "C:\\windows\\scandskw.exe");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_DEFRAG), "C:\\windows\\defrag.exe");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_BACKUP), "");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_DRIVESPACE), "C:\\tools\\drvspace.exe");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_COMPRESSION), "");
    CheckHelp(dialog, IDD_TOOLLOCATIONS);

    Step("set Backup, clear Explorer, a 511-character Compression Agent path; OK; Options Cancel");
    std::string longest = "C:\\" + std::string(508, 'p');
    SetControlText(dialog, IDC_TOOLS_BACKUP, "C:\\rec\\backup.exe");
    SetControlText(dialog, IDC_TOOLS_EXPLORER, "");
    SetControlText(dialog, IDC_TOOLS_COMPRESSION, longest);
    Press(dialog, IDOK);
    CHECK(IsWindowVisible(options));
    MarkSettingsFile();
    Press(options, IDCANCEL);
    Set(values, "szBackupLocation", "C:\\rec\\backup.exe");
    Set(values, "szExplorerLocation", "<undefined>");
    Set(values, "szCompressionAgentLocation", longest);
    CheckSettingsFile(values);
}

SCENARIO(dialog_toollocations_cancel_takes_back_browse)
{
    Values values = BaseSettings();
    MakeFolder("C:\\tools");
    WriteFileBytes("C:\\tools\\scan2.exe", "MZ");
    Program tessaron = StartWith(values);
    HWND options = OpenOptions(tessaron);
    HWND dialog = OpenNested(tessaron, options, IDC_OPTIONS_TOOLLOCATIONS, IDC_TOOLS_EXPLORER);

    Step("Browse for ScanDisk picks C:\\tools\\scan2.exe");
    ClickButton(dialog, IDC_TOOLS_BROWSE_SCANDISK);
    HWND chooser = WaitDialog("Locate:  ScanDisk (SCANDSKW.EXE)");
    PickInChooser(chooser, "C:\\tools\\scan2.exe");
    CHECK(WaitFor([&] { return ControlText(dialog, IDC_TOOLS_SCANDISK) == "C:\\tools\\scan2.exe"; }));

    Step("type a Backup location too, then Cancel: neither is kept");
    SetControlText(dialog, IDC_TOOLS_BACKUP, "C:\\rec\\backup.exe");
    Press(dialog, IDCANCEL);
    MarkSettingsFile();
    Press(options, IDOK);
    CheckSettingsFile(values);

    Step("Browse again, then OK: the picked path is stored");
    options = OpenOptions(tessaron);
    dialog = OpenNested(tessaron, options, IDC_OPTIONS_TOOLLOCATIONS, IDC_TOOLS_EXPLORER);
    ClickButton(dialog, IDC_TOOLS_BROWSE_SCANDISK);
    chooser = WaitDialog("Locate:  ScanDisk (SCANDSKW.EXE)");
    PickInChooser(chooser, "C:\\tools\\scan2.exe");
    CHECK(WaitFor([&] { return ControlText(dialog, IDC_TOOLS_SCANDISK) == "C:\\tools\\scan2.exe"; }));
    Press(dialog, IDOK);
    MarkSettingsFile();
    Press(options, IDCANCEL);
    Set(values, "szScanLocation", "C:\\tools\\scan2.exe");
    CheckSettingsFile(values);
}

// ---------------------------------------------------------------- Maintenance
SCENARIO(dialog_maintenance_ok)
{
    Values values = BaseSettings();
    Program tessaron = StartWith(values);
    HWND dialog = OpenMaintenance(tessaron, ByMenu);
    CheckLayout(dialog, LAYOUT(6, 15, 257, 97, MaintenanceControls));
    CheckToolTips(tessaron, dialog,
                  {{2010, "ScanDisk Interval (Days)"}, {2008, "Compression Interval (Days)"},
                   {2011, "Defragmentation Interval (Days)"}, {2007, "Backup Interval (Days)"},
                   {2009, "Automatically Perform Maintenance Duties"},
                   {2, TipCancel}, {1, TipOk}, {4, "Help"},
                   {3002, "Edit/View ScanDisk Settings"}, {3001, "View/Edit Defragmenter Settings"}});
    Screenshot(dialog, "maintenance");

    Step("the fields show the intervals");
    CHECK_EQ(ButtonCheck(dialog, IDC_MAINT_ENABLE), 0);
    CHECK_TEXT(ControlText(dialog, IDC_MAINT_SCANDAYS), "7");
    CHECK_TEXT(ControlText(dialog, IDC_MAINT_DEFRAGDAYS), "14");
    CHECK_TEXT(ControlText(dialog, IDC_MAINT_BACKUPDAYS), "30");
    CHECK_TEXT(ControlText(dialog, IDC_MAINT_COMPRESSDAYS), "31");
    CheckHelp(dialog, IDD_MAINTENANCE);

    Step("enable; scan cleared, defragment 0, backup -5, compression \"12 days\"; OK");
    ClickButton(dialog, IDC_MAINT_ENABLE);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, IDC_MAINT_ENABLE) == 1; }));
    SetControlText(dialog, IDC_MAINT_SCANDAYS, "");
    SetControlText(dialog, IDC_MAINT_DEFRAGDAYS, "0");
    SetControlText(dialog, IDC_MAINT_BACKUPDAYS, "-5");
    SetControlText(dialog, IDC_MAINT_COMPRESSDAYS, "12 days");
    MarkSettingsFile();
    Press(dialog, IDOK);
    Set(values, "iEnableMaintenance", "YES");
    Set(values, "iDefragmentInterval", "0");
    Set(values, "iBackupInterval", "-5");
    Set(values, "iCompressionInterval", "12");
    CheckSettingsFile(values);

    Step("clear the box again; Cancel changes nothing, OK stores it");
    dialog = OpenMaintenance(tessaron);
    CHECK_EQ(ButtonCheck(dialog, IDC_MAINT_ENABLE), 1);
    ClickButton(dialog, IDC_MAINT_ENABLE);
    SetControlText(dialog, IDC_MAINT_SCANDAYS, "99");
    MarkSettingsFile();
    Press(dialog, IDCANCEL);
    CheckSettingsFile(values);
    dialog = OpenMaintenance(tessaron);
    ClickButton(dialog, IDC_MAINT_ENABLE);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, IDC_MAINT_ENABLE) == 0; }));
    MarkSettingsFile();
    Press(dialog, IDOK);
    Set(values, "iEnableMaintenance", "NO");
    CheckSettingsFile(values);
}

// ---------------------------------------------------------------- ScanDisk settings
SCENARIO(dialog_scandisk_ok_then_maintenance_cancel)
{
    Values values = BaseSettings();
    Set(values, "szDrivesToScan", "C:,D:, E:");
    Program tessaron = StartWith(values);
    HWND maintenance = OpenMaintenance(tessaron);
    HWND dialog = OpenNested(tessaron, maintenance, IDC_MAINT_SCANSETTINGS, IDC_SCAN_IGNORE);
    CheckLayout(dialog, LAYOUT(10, 10, 180, 114, ScanDiskControls));
    CheckToolTips(tessaron, dialog,
                  {{3003, "Scan Specified Disks (listed below)"}, {3004, "Scan All Local, Fixed Drives"},
                   {3005, "These drives will be scanned."},
                   {3006, "Automatically Open/Close ScanDisk Service"},
                   {3007, "If errors are found, ignore them."},
                   {2, TipCancel}, {1, TipOk}, {4, "Help"}});
    Screenshot(dialog, "scandisk");

    Step("the controls show the settings, the list without commas");
    CHECK_EQ(ButtonCheck(dialog, IDC_SCAN_SPECIFIED), 1);
    CHECK_EQ(ButtonCheck(dialog, IDC_SCAN_ALLFIXED), 0);
    CHECK_EQ(ButtonCheck(dialog, IDC_SCAN_STARTSTOP), 1);
    CHECK_EQ(ButtonCheck(dialog, IDC_SCAN_IGNORE), 0);
    CHECK_TEXT(ControlText(dialog, IDC_SCAN_DRIVES), "C: D: E:");
    CheckHelp(dialog, IDD_SCANDISK);

    Step("all fixed disks, ignore errors, no start/stop, \"C:,D:\"; OK; Maintenance Cancel");
    ClickButton(dialog, IDC_SCAN_ALLFIXED);
    ClickButton(dialog, IDC_SCAN_IGNORE);
    ClickButton(dialog, IDC_SCAN_STARTSTOP);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, IDC_SCAN_STARTSTOP) == 0; }));
    CHECK_EQ(ButtonCheck(dialog, IDC_SCAN_SPECIFIED), 0);
    SetControlText(dialog, IDC_SCAN_DRIVES, "C:,D:");
    Press(dialog, IDOK);
    SetControlText(maintenance, IDC_MAINT_SCANDAYS, "99");
    MarkSettingsFile();
    Press(maintenance, IDCANCEL);
    Set(values, "iScanDiskDrivesSetting", "TWO");
    Set(values, "iIgnore", "YES");
    Set(values, "iStartStopSetting", "NO");
    Set(values, "szDrivesToScan", "C:,D:");  // stored as typed
    CheckSettingsFile(values);
}

SCENARIO(dialog_scandisk_cancel_keeps_blanks)
{
    Values values = BaseSettings();
    Set(values, "szDrivesToScan", "C:,D:, E:");
    Program tessaron = StartWith(values);
    HWND maintenance = OpenMaintenance(tessaron);
    HWND dialog = OpenNested(tessaron, maintenance, IDC_MAINT_SCANSETTINGS, IDC_SCAN_IGNORE);
    ClickButton(dialog, IDC_SCAN_IGNORE);
    Press(dialog, IDCANCEL);
    MarkSettingsFile();
    Press(maintenance, IDCANCEL);
    Set(values, "szDrivesToScan", "C: D: E:");
    CheckSettingsFile(values);

    Step("typing stops at 127 characters");
    maintenance = OpenMaintenance(tessaron);
    dialog = OpenNested(tessaron, maintenance, IDC_MAINT_SCANSETTINGS, IDC_SCAN_IGNORE);
    HWND field = ControlWindow(dialog, IDC_SCAN_DRIVES);
    DWORD_PTR limit = 0;
    SendMessageTimeoutA(field, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 5000, &limit);
    CHECK_EQ((unsigned long)limit, 127ul);
    SetControlText(dialog, IDC_SCAN_DRIVES, "");
    for (int i = 0; i < 140; i++) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(field, WM_CHAR, i % 3 == 2 ? ' ' : (i % 3 == 0 ? 'C' : ':'), 1,
                            SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    std::string typed = ControlText(dialog, IDC_SCAN_DRIVES);
    CHECK_EQ(typed.size(), (size_t)127);
    Press(dialog, IDOK);
    MarkSettingsFile();
    Press(maintenance, IDOK);
    Set(values, "szDrivesToScan", typed);
    CheckSettingsFile(values);
}

// ---------------------------------------------------------------- Defragmenter settings
SCENARIO(dialog_defrag_ok)
{
    Values values = BaseSettings();
    Set(values, "szDrivesToDefrag", "C:,D:");
    Program tessaron = StartWith(values);
    HWND maintenance = OpenMaintenance(tessaron);
    HWND dialog = OpenNested(tessaron, maintenance, IDC_MAINT_DEFRAGSETTINGS, IDC_DEFRAG_FULL);
    CheckLayout(dialog, LAYOUT(10, 10, 179, 200, DefragControls));
    CheckToolTips(tessaron, dialog,
                  {{3014, "Accumulate free space and defragment files."},
                   {3015, "Defragment files, do not accumulate free space."},
                   {3016, "Accumulate free space, but do not defragment files."},
                   {3020, "Show Summarized Display"}, {3021, "Show Complete Graphical Display"},
                   {3022, "No prompts/error messages."},
                   {3003, "Defragment Specified Disks (listed below)"},
                   {3004, "Defragment All Local, Fixed Drives"},
                   {3005, "These drives will be defragmented."},
                   {2, TipCancel}, {1, TipOk}, {4, "Help"}});
    Screenshot(dialog, "defrag");

    Step("Files Only, Unattended, Specific and \"C: D:\" are shown");
    struct {
        int id;
        int checked;
    } radios[] = {{3014, 0}, {3015, 1}, {3016, 0}, {3020, 0}, {3021, 0},
                  {3022, 1}, {3003, 1}, {3004, 0}};
    for (const auto &radio : radios)
        if (ButtonCheck(dialog, radio.id) != radio.checked)
            Fail("radio %d is %d, expected %d", radio.id, ButtonCheck(dialog, radio.id), radio.checked);
    CHECK_TEXT(ControlText(dialog, IDC_DEFRAG_DRIVES), "C: D:");
    CheckHelp(dialog, IDD_DEFRAG);

    Step("each group is exclusive within itself");
    ClickButton(dialog, IDC_DEFRAG_FREESPACE);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, IDC_DEFRAG_FREESPACE) == 1; }));
    CHECK_EQ(ButtonCheck(dialog, IDC_DEFRAG_FILESONLY), 0);
    CHECK_EQ(ButtonCheck(dialog, IDC_DEFRAG_UNATTENDED), 1);
    CHECK_EQ(ButtonCheck(dialog, IDC_DEFRAG_SPECIFIC), 1);
    ClickButton(dialog, IDC_DEFRAG_CONCISE);
    ClickButton(dialog, IDC_DEFRAG_ALLFIXED);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, IDC_DEFRAG_ALLFIXED) == 1; }));
    CHECK_EQ(ButtonCheck(dialog, IDC_DEFRAG_UNATTENDED), 0);
    CHECK_EQ(ButtonCheck(dialog, IDC_DEFRAG_SPECIFIC), 0);
    CHECK_EQ(ButtonCheck(dialog, IDC_DEFRAG_FREESPACE), 1);
    SetControlText(dialog, IDC_DEFRAG_DRIVES, "D:,E:");
    Press(dialog, IDOK);
    MarkSettingsFile();
    Press(maintenance, IDCANCEL);
    Set(values, "iDefragmentMode", "THREE");
    Set(values, "iDefragmentDisplayMode", "ONE");
    Set(values, "iDefragDiskDrivesSetting", "TWO");
    Set(values, "szDrivesToDefrag", "D:,E:");
    CheckSettingsFile(values);

    Step("Cancel after opening still leaves the list without commas");
    maintenance = OpenMaintenance(tessaron);
    dialog = OpenNested(tessaron, maintenance, IDC_MAINT_DEFRAGSETTINGS, IDC_DEFRAG_FULL);
    CHECK_TEXT(ControlText(dialog, IDC_DEFRAG_DRIVES), "D: E:");
    CHECK_EQ(ButtonCheck(dialog, IDC_DEFRAG_FREESPACE), 1);
    CHECK_EQ(ButtonCheck(dialog, IDC_DEFRAG_CONCISE), 1);
    CHECK_EQ(ButtonCheck(dialog, IDC_DEFRAG_ALLFIXED), 1);
    ClickButton(dialog, IDC_DEFRAG_DETAILED);
    Press(dialog, IDCANCEL);
    MarkSettingsFile();
    Press(maintenance, IDOK);
    Set(values, "szDrivesToDefrag", "D: E:");
    CheckSettingsFile(values);
}
