// The option dialogs: Options (2000), Tool Locations (5000), Maintenance (3),
// ScanDisk settings (103) and Defragmenter settings (104), driven from
// outside the running Tessaron.exe.
#include "driver.h"

#include "commands.h"
#include "resource.h"

#include <commctrl.h>

#include <algorithm>
#include <string.h>

namespace {

using namespace LayoutStyle;

// ---------------------------------------------------------------- the settings file
// Every key in the writer's order, with values that differ from the
// built-in defaults wherever a dialog shows them.
SettingsValues BaseSettings()
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

// Tessaron started on this settings file.
Program StartWith(const SettingsValues &values)
{
    WriteFileBytes(SettingsPath(), SettingsText(values));
    return StartTessaron();
}

// Closes the outer dialog with button: the command then rewrites the file,
// which must hold these values.
void CloseAndCheckFile(HWND dialog, int button, const SettingsValues &expected)
{
    MarkSettingsFile();
    PressButton(dialog, button);
    CHECK_TEXT(WaitSettingsRewritten(), SettingsText(expected));
}

// ---------------------------------------------------------------- opening the dialogs
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

// ---------------------------------------------------------------- the dialogs as they open
const DialogLook Options = {
    167, 209,
    {
        // Each label comes before what it names; a check box holds its
        // label's words, hidden by its size.
        {-1, "Static", "Windows Explorer", 24, 18, 60, 8, Left},
        {2004, "Button", "Windows Explorer", 14, 16, 8, 12, CheckBox},
        {-1, "Static", "Disk Defragmenter", 96, 18, 60, 8, Left},
        {2005, "Button", "Disk Defragmenter", 88, 16, 8, 12, CheckBox},
        {-1, "Static", "ScanDisk", 24, 34, 60, 8, Left},
        {2006, "Button", "ScanDisk", 14, 32, 8, 12, CheckBox},
        {-1, "Static", "DriveSpace", 96, 34, 60, 8, Left},
        {2003, "Button", "DriveSpace", 88, 32, 8, 12, CheckBox},
        {-1, "Static", "Compression Agent", 24, 50, 64, 8, Left},
        {2002, "Button", "Compression Agent", 14, 48, 8, 12, CheckBox},
        {-1, "Static", "Backup", 96, 50, 60, 8, Left},
        {2001, "Button", "Backup", 88, 48, 8, 12, CheckBox},
        {-1, "Static", "Force \"My Computer\" View", 26, 82, 96, 8, Left},
        {2012, "Button", "Force \"My Computer\" View", 16, 80, 8, 12, CheckBox},
        {-1, "Static", "Enable Free Space Monitor", 24, 114, 96, 8, Left},
        {2014, "Button", "Enable Free Space Monitor", 16, 112, 8, 12, CheckBox},
        {-1, "Static", "Monitor Floppy Disk(s) Too", 24, 130, 96, 8, Left},
        {2015, "Button", "Monitor Floppy Disk(s) Too", 16, 128, 8, 12, CheckBox},
        {-1, "Static", "&Min. Space Before Warning:", 16, 146, 90, 8, Left},
        {2017, "Edit", nullptr, 107, 144, 24, 12, Field},
        {-1, "Static", "MB", 136, 146, 16, 8, Left},
        {2016, "Button", "&Set Tool Locations", 4, 172, 160, 16, Push},
        {1, "Button", "&OK", 2, 192, 50, 14, Default},
        {2, "Button", "&Cancel", 59, 192, 50, 14, Push},
        {4, "Button", "&Help", 115, 192, 50, 14, Push},
        {2018, "Button", "System Tray Quick Access Icons", 8, 8, 152, 56, Group},
        {2019, "Button", "Explorer Options", 8, 72, 152, 24, Group},
        {2020, "Button", "Free Space Monitoring", 8, 104, 152, 64, Group},
    },
    {{2006, "Add ScanDisk Icon"}, {2005, "Add Disk Defragmenter Icon"},
     {2004, "Add Explorer Icon"}, {2003, "Add DriveSpace Icon"},
     {2001, "Add Backup Icon"}, {2002, "Add Compression Agent Icon"},
     {2, TipCancel}, {1, TipOk}, {4, "Help"},
     {2012, "Enable Simplified 'My Computer' View"}, {2014, "Enable Space Monitor"},
     {2015, "Include Floppy(s) In Free Space Scan"},
     {2017, "Minimum Free Space Before Warning"}, {2016, "Set Disk Tool Locations"}},
    IDD_OPTIONS, "dialog-options.png",
};

const char Browse[] = "Browse.";

const DialogLook ToolLocations = {
    252, 145,
    {
        {-1, "Static", "&Windows Explorer:", 2, 27, 64, 8, Left},
        {5012, "Edit", nullptr, 72, 25, 128, 12, Field},
        {5005, "Button", "Browse...", 208, 24, 40, 14, Push},
        {-1, "Static", "&ScanDisk:", 2, 43, 34, 8, Left},
        {5011, "Edit", nullptr, 72, 42, 128, 12, Field},
        {5004, "Button", "Browse...", 208, 41, 40, 14, Push},
        {-1, "Static", "&Defragmenter:", 2, 59, 48, 8, Left},
        {5010, "Edit", nullptr, 72, 58, 128, 12, Field},
        {5003, "Button", "Browse...", 208, 57, 40, 14, Push},
        {-1, "Static", "&Backup:", 2, 75, 32, 8, Left},
        {5009, "Edit", nullptr, 72, 74, 128, 12, Field},
        {5002, "Button", "Browse...", 208, 73, 40, 14, Push},
        {-1, "Static", "D&riveSpace:", 2, 91, 40, 8, Left},
        {5008, "Edit", nullptr, 72, 90, 128, 12, Field},
        {5001, "Button", "Browse...", 208, 89, 40, 14, Push},
        {-1, "Static", "Compression &Agent:", 2, 107, 66, 8, Left},
        {5007, "Edit", nullptr, 72, 106, 128, 12, Field},
        {5006, "Button", "Browse...", 208, 105, 40, 14, Push},
        {1, "Button", "&OK", 2, 128, 72, 14, Default},
        {2, "Button", "&Cancel", 89, 128, 72, 14, Push},
        {4, "Button", "&Help", 176, 128, 73, 14, Push},
        {-1, "Static", "Tessaron.  In most situations, these fields will already contain correct values.",
         2, 11, 246, 8, Left},
        {-1, "Static", "In the fields below, please supply the locations of the various tools used by",
         2, 3, 240, 8, Left},
    },
    {{5011, "Enter Location:  SCANDSKW.EXE"}, {5012, "Enter Location:  EXPLORER.EXE"},
     {5010, "Enter Location:  DEFRAG.EXE"}, {5007, "Enter Location:  CMPAGENT.EXE"},
     {5008, "Enter Location:  DRVSPACE.EXE"}, {5009, "Enter Location:  BACKUP.EXE"},
     {5005, Browse}, {5004, Browse}, {5002, Browse}, {5003, Browse},
     {5001, Browse}, {5006, Browse},
     {2, TipCancel}, {1, TipOk}, {4, "Help"}},
    IDD_TOOLLOCATIONS, "dialog-toollocations.png",
};

const DialogLook Maintenance = {
    257, 97,
    {
        {1, "Button", "&OK", 4, 80, 52, 16, Default},
        {2, "Button", "&Cancel", 103, 80, 51, 16, Push},
        {4, "Button", "&Help", 204, 80, 48, 16, Push},
        {-1, "Static", "Enable Automatic Device Maintenance", 16, 2, 128, 8, Left},
        {2009, "Button", "Enable Automatic Device Maintenance", 3, 0, 8, 12, CheckBox},
        {-1, "Static", "&Disk Defragment Service", 16, 18, 96, 8, Left},
        {2011, "Edit", nullptr, 144, 16, 16, 12, Field},
        {-1, "Static", "Disk Sc&an Service", 16, 34, 72, 10, Left},
        {2010, "Edit", nullptr, 144, 32, 16, 12, Field},
        {-1, "Static", "&Backup Service", 16, 50, 56, 8, Left},
        {2007, "Edit", nullptr, 144, 48, 16, 12, Field},
        {-1, "Static", "Co&mpression Service", 16, 66, 72, 8, Left},
        {2008, "Edit", nullptr, 144, 64, 16, 12, Field},
        {-1, "Static", "days.", 166, 18, 24, 8, Left},
        {-1, "Static", "days.", 166, 34, 24, 8, Left},
        {-1, "Static", "days.", 166, 50, 24, 8, Left},
        {-1, "Static", "days.", 166, 66, 24, 8, Left},
        {-1, "Static", "Every", 112, 18, 24, 8, Right},
        {-1, "Static", "Every", 112, 34, 24, 8, Right},
        {-1, "Static", "Every", 112, 50, 24, 8, Right},
        {-1, "Static", "Every", 112, 66, 24, 8, Right},
        {3001, "Button", "&Settings...", 204, 16, 48, 16, Push},
        {3002, "Button", "S&ettings...", 204, 32, 48, 16, Push},
    },
    {{2010, "ScanDisk Interval (Days)"}, {2008, "Compression Interval (Days)"},
     {2011, "Defragmentation Interval (Days)"}, {2007, "Backup Interval (Days)"},
     {2009, "Automatically Perform Maintenance Duties"},
     {2, TipCancel}, {1, TipOk}, {4, "Help"},
     {3002, "Edit/View ScanDisk Settings"}, {3001, "View/Edit Defragmenter Settings"}},
    IDD_MAINTENANCE, "dialog-maintenance.png",
};

const DialogLook ScanDisk = {
    180, 114,
    {
        {-1, "Button", "&Drive(s) To Scan", 4, 4, 172, 56, Group},
        {3003, "Button", " Specified", 12, 16, 60, 12, Radio},
        {3004, "Button", " All Local, Fixed Hard Disks", 12, 44, 108, 12, Radio},
        {3005, "Edit", nullptr, 24, 28, 148, 12, Scrolling},
        {3006, "Button", " Start/Stop Automatically", 4, 68, 112, 12, CheckBox},
        {3007, "Button", " Ignore Disk Errors If Found", 4, 80, 152, 12, CheckBox},
        {1, "Button", "&OK", 4, 96, 52, 16, Push},
        {2, "Button", "&Cancel", 64, 96, 52, 16, Push},
        {4, "Button", "&Help", 124, 96, 52, 16, Push},
    },
    {{3003, "Scan Specified Disks (listed below)"}, {3004, "Scan All Local, Fixed Drives"},
     {3005, "These drives will be scanned."},
     {3006, "Automatically Open/Close ScanDisk Service"},
     {3007, "If errors are found, ignore them."},
     {2, TipCancel}, {1, TipOk}, {4, "Help"}},
    IDD_SCANDISK, "dialog-scandisk.png",
};

const DialogLook Defrag = {
    179, 200,
    {
        {-1, "Button", "&Drive(s) To Defragment", 4, 4, 172, 56, Group | WS_GROUP},
        {3003, "Button", " Specific", 12, 16, 60, 12, Radio},
        {3004, "Button", " All Local, Fixed Hard Disks", 12, 44, 108, 12, Radio},
        {3005, "Edit", nullptr, 24, 28, 20, 12, Scrolling},
        {1, "Button", "&OK", 4, 180, 52, 16, Push},
        {2, "Button", "&Cancel", 64, 180, 52, 16, Push},
        {4, "Button", "&Help", 124, 180, 52, 16, Push},
        {-1, "Button", "Defragment &Method", 4, 64, 172, 52, Group | WS_GROUP},
        {3014, "Button", " Full Defragment", 12, 76, 124, 12, Radio},
        {3015, "Button", " Defragment Files Only", 12, 88, 128, 12, Radio},
        {3016, "Button", " Defragment Free Space Only", 12, 100, 128, 12, Radio},
        {-1, "Button", "&Interaction Level", 4, 120, 172, 52, Group | WS_GROUP},
        {3020, "Button", "Concise", 12, 132, 140, 12, Radio},
        {3021, "Button", "Detailed", 12, 144, 140, 12, Radio},
        {3022, "Button", "Unattended", 12, 156, 140, 12, Radio},
    },
    {{3014, "Accumulate free space and defragment files."},
     {3015, "Defragment files, do not accumulate free space."},
     {3016, "Accumulate free space, but do not defragment files."},
     {3020, "Show Summarized Display"}, {3021, "Show Complete Graphical Display"},
     {3022, "No prompts/error messages."},
     {3003, "Defragment Specified Disks (listed below)"},
     {3004, "Defragment All Local, Fixed Drives"},
     {3005, "These drives will be defragmented."},
     {2, TipCancel}, {1, TipOk}, {4, "Help"}},
    IDD_DEFRAG, "dialog-defrag.png",
};


// ---------------------------------------------------------------- file chooser
// Browse for ScanDisk in Tool Locations picks the file.
void BrowseScanDisk(HWND dialog, const char *path)
{
    ClickButton(dialog, IDC_TOOLS_BROWSE_SCANDISK);
    AnswerFileChooser(WaitDialog("Locate:  ScanDisk (SCANDSKW.EXE)"), path, IDOK);
    CHECK(WaitFor([&] { return ControlText(dialog, IDC_TOOLS_SCANDISK) == path; }));
}

// ---------------------------------------------------------------- tray icons
// Whether the tray received a call of this operation for icon id (0: any).
bool TrayCallSeen(DWORD operation, UINT id)
{
    for (const TrayCall &call : TrayCalls())
        if (call.operation == operation && (id == 0 || call.id == id))
            return true;
    return false;
}

// After the Options dialog: every icon removed, then added as the settings
// say.  A modify pass posted now runs after the whole renewal, so once it
// shows, every icon that the renewal adds has been added.
void CheckIconsRenewed(const Program &tessaron, bool backupShown)
{
    PostMessageA(tessaron.window, WM_COMMAND, CmdModifyIcons, 0);
    if (!WaitFor([] { return TrayCallSeen(NIM_MODIFY, 0); }))
        Fail("the icons were not renewed after the Options dialog");
    CHECK(TrayCallSeen(NIM_DELETE, IconMain) && TrayCallSeen(NIM_ADD, IconMain));
    CHECK_EQ(TrayCallSeen(NIM_ADD, IconBackup), backupShown);
}

// ---------------------------------------------------------------- non-click commands
// OK, Cancel and Help with a notification code other than a click (what an
// accelerator would send) change nothing: the dialog stays open.  A
// character posted to one of its fields after them shows when all three
// have been handled.  The tooltip window is a popup of its own that always
// shows its tips.
void AuditDialog(HWND dialog, int fieldId)
{
    DWORD style = (DWORD)GetWindowLongA(WaitToolTipWindow(dialog), GWL_STYLE);
    CHECK_EQ(style & (WS_POPUP | WS_CHILD), (DWORD)WS_POPUP);
    CHECK_EQ(style & TTS_ALWAYSTIP, (DWORD)TTS_ALWAYSTIP);

    for (int id : {IDOK, IDCANCEL, IDC_HELPBUTTON})
        CHECK(PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 1), 0));
    HWND field = ControlWindow(dialog, fieldId);
    std::string before = ControlText(dialog, fieldId);
    CHECK(PostMessageA(field, WM_CHAR, '7', 1));
    if (!WaitFor([&] { return ControlText(dialog, fieldId) != before; }))
        Fail("field %d did not take the character", fieldId);
    CHECK(IsWindow(dialog) && IsWindowVisible(dialog));
    CHECK(HelpCalls().empty());
}

// ---------------------------------------------------------------- names and keys
// A control's text as it shows, without its access key mark ("&&" shows
// one "&") and the blanks round it; the key, in capitals, in *key.
std::string Shown(const std::string &text, char *key = nullptr)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '&' && i + 1 < text.size() && text[++i] != '&' && key)
            *key = (char)toupper((unsigned char)text[i]);
        shown += text[i];
    }
    size_t from = shown.find_first_not_of(' '), to = shown.find_last_not_of(' ');
    return from == std::string::npos ? "" : shown.substr(from, to - from + 1);
}

bool IsClass(const Control &c, const char *name) { return lstrcmpiA(c.className.c_str(), name) == 0; }

// What a screen reader names a control by, by the system's rule: a button,
// check box or radio button by its own text; an edit field by the nearest
// static text before it, looking back no further than a control that is a
// tab stop or starts a group.
std::string ReaderName(const std::vector<Control> &controls, size_t at)
{
    if (IsClass(controls[at], "Button"))
        return Shown(controls[at].text);
    size_t i = at;
    while (i-- > 0 && !IsClass(controls[i], "Static"))
        if (controls[i].style & (WS_TABSTOP | WS_GROUP))
            return "";
    return i < at ? Shown(controls[i].text) : "";
}

struct Naming {
    // Each check box and edit field, with the label that shows for it ("" for
    // a field with none of its own); push and radio buttons show their names.
    std::vector<std::pair<int, std::string>> labels;
    // A label's access key and the control it gives the focus to.
    std::vector<std::pair<char, int>> keys;
};

// Each focusable control's name equals its visible label; no two controls
// share an access key; each label's key reaches what it names.
void CheckNamesAndKeys(HWND dialog, const Naming &naming)
{
    std::vector<Control> controls = DialogControls(dialog);
    std::string keys;
    size_t listed = 0;
    for (size_t i = 0; i < controls.size(); i++) {
        const Control &c = controls[i];
        char key = 0;
        Shown(c.text, &key);
        CHECK(key == 0 || keys.find(key) == std::string::npos);
        keys += key != 0 ? std::string(1, key) : "";
        DWORD kind = c.style & BS_TYPEMASK;
        bool box = IsClass(c, "Button") && kind == BS_AUTOCHECKBOX;
        if (!box && !IsClass(c, "Edit")) {
            if ((c.style & WS_TABSTOP) || (IsClass(c, "Button") && kind == BS_AUTORADIOBUTTON))
                CHECK(!ReaderName(controls, i).empty());
            continue;
        }
        auto label = std::find_if(naming.labels.begin(), naming.labels.end(),
                                  [&](const auto &entry) { return entry.first == c.id; });
        if (label == naming.labels.end())
            Fail("control %d is not in the table", c.id);
        Step("  %d is named \"%s\"", c.id, ReaderName(controls, i).c_str());
        CHECK_TEXT(ReaderName(controls, i), label->second);
        listed++;
    }
    CHECK_EQ(listed, naming.labels.size());
    for (const auto &key : naming.keys) {
        Step("  Alt+%c", key.first);
        CHECK(PostMessageA(dialog, WM_SYSCHAR, (WPARAM)tolower(key.first), 0x20000001));
        if (!WaitFor([&] { return FocusedControl(dialog) == key.second; }))
            Fail("Alt+%c moved the focus to %d, not %d", key.first, FocusedControl(dialog), key.second);
    }
}

// ---------------------------------------------------------------- focus on labels
// The screen's pixels round the label just before a control, once the
// dialog has painted what is pending.
std::vector<COLORREF> LabelRingPixels(HWND dialog, int boxId)
{
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::vector<Control> controls = DialogControls(dialog);
    auto box = std::find_if(controls.begin(), controls.end(), [&](const Control &c) { return c.id == boxId; });
    CHECK(box != controls.end() && box != controls.begin());
    RECT ring = (box - 1)->pixels;
    InflateRect(&ring, 2, 1);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT *>(&ring), 2);
    int width = ring.right - ring.left, height = ring.bottom - ring.top;
    return Pixels(width, height, [&](HDC dc, HDC screen) {
        BitBlt(dc, 0, 0, width, height, screen, ring.left, ring.top, SRCCOPY);
    });
}

void FocusOn(HWND dialog, int id)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog, WM_NEXTDLGCTL, (WPARAM)ControlWindow(dialog, id), TRUE, SMTO_ABORTIFHUNG,
                        5000, &ignored);
    if (!WaitFor([&] { return FocusedControl(dialog) == id; }))
        Fail("the focus did not move to %d", id);
}

// Once the keyboard is used, the focus on each of these check boxes shows
// round its label, and goes when the focus moves on.
void CheckFocusOnLabels(HWND dialog, std::initializer_list<int> boxes)
{
    // Posted: the focus moves once it is handled.
    int before = FocusedControl(dialog);
    CHECK(PostMessageA(dialog, WM_KEYDOWN, VK_TAB, 0));
    CHECK(WaitFor([&] { return FocusedControl(dialog) != before; }));
    for (int box : boxes) {
        FocusOn(dialog, IDCANCEL);
        std::vector<COLORREF> without = LabelRingPixels(dialog, box);
        FocusOn(dialog, box);
        std::vector<COLORREF> with = LabelRingPixels(dialog, box);
        size_t changed = 0;
        for (size_t i = 0; i < with.size() && i < without.size(); i++)
            changed += with[i] != without[i];
        Step("  the focus on %d changes %u pixels round its label", box, (unsigned)changed);
        CHECK(changed >= 20);
        FocusOn(dialog, IDCANCEL);
        CHECK(LabelRingPixels(dialog, box) == without);
    }
}

}  // namespace

// ---------------------------------------------------------------- Options
SCENARIO(dialog_options_ok)
{
    SettingsValues values = BaseSettings();
    Program tessaron = StartWith(values);
    HWND dialog = OpenOptions(tessaron, ByMenu);
    CheckDialogLook(tessaron, dialog, Options);

    Step("the boxes show the settings; \"Force \"My Computer\" View\" is inverted");
    CheckButtonStates(dialog, {{2004, 0}, {2005, 1}, {2006, 1}, {2003, 1}, {2002, 0},
                               {2001, 0}, {2012, 0}, {2014, 0}, {2015, 1}});
    CHECK_TEXT(ControlText(dialog, IDC_OPTIONS_MINSPACE), "25");

    Step("tick Backup, Explorer and Force View, clear ScanDisk and Floppy; 12MB; OK");
    for (int id : {2001, 2004, 2012, 2006, 2015})
        ClickButton(dialog, id);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, 2015) == 0; }));
    SetControlText(dialog, IDC_OPTIONS_MINSPACE, "12MB");
    ClearTrayCalls();
    SetSettings(values, {{"iShowBackupIcon", "YES"}, {"iShowExplorerIcon", "YES"}, {"iExplorerView", "NO"},
                         {"iShowScanIcon", "NO"}, {"iCheckFloppySpace", "NO"}, {"lMinimumSpace", "12"}});
    CloseAndCheckFile(dialog, IDOK, values);
    CheckIconsRenewed(tessaron, true);

    Step("numbers: what the field holds, or the old value when it holds none");
    struct {
        const char *typed;
        const char *stored;
    } numbers[] = {{" 7", "7"}, {"abc", "7"}, {"2147483648", "7"}, {"-5", "-5"}};
    for (const auto &number : numbers) {
        dialog = OpenOptions(tessaron);
        SetControlText(dialog, IDC_OPTIONS_MINSPACE, number.typed);
        SetSettings(values, {{"lMinimumSpace", number.stored}});
        CloseAndCheckFile(dialog, IDOK, values);
    }
}

SCENARIO(dialog_options_cancel)
{
    SettingsValues values = BaseSettings();
    Program tessaron = StartWith(values);
    HWND dialog = OpenOptions(tessaron);
    Step("change every box and the number, then Cancel");
    for (int id : {2001, 2002, 2003, 2004, 2005, 2006, 2012, 2014, 2015})
        ClickButton(dialog, id);
    SetControlText(dialog, IDC_OPTIONS_MINSPACE, "99");
    CHECK(WaitFor([&] { return ButtonCheck(dialog, 2015) == 0; }));
    ClearTrayCalls();
    CloseAndCheckFile(dialog, IDCANCEL, values);  // written all the same, unchanged
    CheckIconsRenewed(tessaron, false);
}

// ---------------------------------------------------------------- Tool Locations
SCENARIO(dialog_toollocations_ok_then_options_cancel)
{
    SettingsValues values = BaseSettings();
    Program tessaron = StartWith(values);
    HWND options = OpenOptions(tessaron);
    HWND dialog = OpenNested(tessaron, options, IDC_OPTIONS_TOOLLOCATIONS, IDC_TOOLS_EXPLORER);
    CheckDialogLook(tessaron, dialog, ToolLocations);

    Step("the fields show the six locations");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_EXPLORER), "C:\\windows\\explorer.exe");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_SCANDISK), "C:\\windows\\scandskw.exe");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_DEFRAG), "C:\\windows\\defrag.exe");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_BACKUP), "");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_DRIVESPACE), "C:\\tools\\drvspace.exe");
    CHECK_TEXT(ControlText(dialog, IDC_TOOLS_COMPRESSION), "");

    Step("set Backup, clear Explorer, a 511-character Compression Agent path; OK; Options Cancel");
    std::string longest = "C:\\" + std::string(508, 'p');
    SetControlText(dialog, IDC_TOOLS_BACKUP, "C:\\rec\\backup.exe");
    SetControlText(dialog, IDC_TOOLS_EXPLORER, "");
    SetControlText(dialog, IDC_TOOLS_COMPRESSION, longest);
    PressButton(dialog, IDOK);
    CHECK(IsWindowVisible(options));
    SetSettings(values, {{"szBackupLocation", "C:\\rec\\backup.exe"},
                         {"szExplorerLocation", "<undefined>"},
                         {"szCompressionAgentLocation", longest}});
    CloseAndCheckFile(options, IDCANCEL, values);
}

SCENARIO(dialog_toollocations_cancel_takes_back_browse)
{
    SettingsValues values = BaseSettings();
    MakeFolder("C:\\tools");
    WriteFileBytes("C:\\tools\\scan2.exe", "MZ");
    Program tessaron = StartWith(values);
    HWND options = OpenOptions(tessaron);
    HWND dialog = OpenNested(tessaron, options, IDC_OPTIONS_TOOLLOCATIONS, IDC_TOOLS_EXPLORER);

    Step("Browse for ScanDisk picks C:\\tools\\scan2.exe");
    BrowseScanDisk(dialog, "C:\\tools\\scan2.exe");

    Step("type a Backup location too, then Cancel: neither is kept");
    SetControlText(dialog, IDC_TOOLS_BACKUP, "C:\\rec\\backup.exe");
    PressButton(dialog, IDCANCEL);
    CloseAndCheckFile(options, IDOK, values);

    Step("Browse again, then OK: the picked path is stored");
    options = OpenOptions(tessaron);
    dialog = OpenNested(tessaron, options, IDC_OPTIONS_TOOLLOCATIONS, IDC_TOOLS_EXPLORER);
    BrowseScanDisk(dialog, "C:\\tools\\scan2.exe");
    PressButton(dialog, IDOK);
    SetSettings(values, {{"szScanLocation", "C:\\tools\\scan2.exe"}});
    CloseAndCheckFile(options, IDCANCEL, values);
}

// ---------------------------------------------------------------- Maintenance
SCENARIO(dialog_maintenance_ok)
{
    SettingsValues values = BaseSettings();
    Program tessaron = StartWith(values);
    HWND dialog = OpenMaintenance(tessaron, ByMenu);
    CheckDialogLook(tessaron, dialog, Maintenance);

    Step("the fields show the intervals");
    CHECK_EQ(ButtonCheck(dialog, IDC_MAINT_ENABLE), 0);
    CHECK_TEXT(ControlText(dialog, IDC_MAINT_SCANDAYS), "7");
    CHECK_TEXT(ControlText(dialog, IDC_MAINT_DEFRAGDAYS), "14");
    CHECK_TEXT(ControlText(dialog, IDC_MAINT_BACKUPDAYS), "30");
    CHECK_TEXT(ControlText(dialog, IDC_MAINT_COMPRESSDAYS), "31");

    Step("enable; scan cleared, defragment 0, backup -5, compression \"12 days\"; OK");
    ClickButton(dialog, IDC_MAINT_ENABLE);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, IDC_MAINT_ENABLE) == 1; }));
    SetControlText(dialog, IDC_MAINT_SCANDAYS, "");
    SetControlText(dialog, IDC_MAINT_DEFRAGDAYS, "0");
    SetControlText(dialog, IDC_MAINT_BACKUPDAYS, "-5");
    SetControlText(dialog, IDC_MAINT_COMPRESSDAYS, "12 days");
    SetSettings(values, {{"iEnableMaintenance", "YES"}, {"iDefragmentInterval", "0"},
                         {"iBackupInterval", "-5"}, {"iCompressionInterval", "12"}});
    CloseAndCheckFile(dialog, IDOK, values);

    Step("clear the box again; Cancel changes nothing, OK stores it");
    dialog = OpenMaintenance(tessaron);
    CHECK_EQ(ButtonCheck(dialog, IDC_MAINT_ENABLE), 1);
    ClickButton(dialog, IDC_MAINT_ENABLE);
    SetControlText(dialog, IDC_MAINT_SCANDAYS, "99");
    CloseAndCheckFile(dialog, IDCANCEL, values);
    dialog = OpenMaintenance(tessaron);
    ClickButton(dialog, IDC_MAINT_ENABLE);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, IDC_MAINT_ENABLE) == 0; }));
    SetSettings(values, {{"iEnableMaintenance", "NO"}});
    CloseAndCheckFile(dialog, IDOK, values);
}

// ---------------------------------------------------------------- ScanDisk settings
SCENARIO(dialog_scandisk_ok_then_maintenance_cancel)
{
    SettingsValues values = BaseSettings();
    SetSettings(values, {{"szDrivesToScan", "C:,D:, E:"}});
    Program tessaron = StartWith(values);
    HWND maintenance = OpenMaintenance(tessaron);
    HWND dialog = OpenNested(tessaron, maintenance, IDC_MAINT_SCANSETTINGS, IDC_SCAN_IGNORE);
    CheckDialogLook(tessaron, dialog, ScanDisk);

    Step("the controls show the settings, the list without commas");
    CheckButtonStates(dialog, {{IDC_SCAN_SPECIFIED, 1}, {IDC_SCAN_ALLFIXED, 0},
                               {IDC_SCAN_STARTSTOP, 1}, {IDC_SCAN_IGNORE, 0}});
    CHECK_TEXT(ControlText(dialog, IDC_SCAN_DRIVES), "C: D: E:");

    Step("all fixed disks, ignore errors, no start/stop, \"C:,D:\"; OK; Maintenance Cancel");
    ClickButton(dialog, IDC_SCAN_ALLFIXED);
    ClickButton(dialog, IDC_SCAN_IGNORE);
    ClickButton(dialog, IDC_SCAN_STARTSTOP);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, IDC_SCAN_STARTSTOP) == 0; }));
    CHECK_EQ(ButtonCheck(dialog, IDC_SCAN_SPECIFIED), 0);
    SetControlText(dialog, IDC_SCAN_DRIVES, "C:,D:");
    PressButton(dialog, IDOK);
    SetControlText(maintenance, IDC_MAINT_SCANDAYS, "99");
    SetSettings(values, {{"iScanDiskDrivesSetting", "TWO"}, {"iIgnore", "YES"}, {"iStartStopSetting", "NO"},
                         {"szDrivesToScan", "C:,D:"}});  // stored as typed
    CloseAndCheckFile(maintenance, IDCANCEL, values);
}

SCENARIO(dialog_scandisk_cancel_keeps_blanks)
{
    SettingsValues values = BaseSettings();
    SetSettings(values, {{"szDrivesToScan", "C:,D:, E:"}});
    Program tessaron = StartWith(values);
    HWND maintenance = OpenMaintenance(tessaron);
    HWND dialog = OpenNested(tessaron, maintenance, IDC_MAINT_SCANSETTINGS, IDC_SCAN_IGNORE);
    ClickButton(dialog, IDC_SCAN_IGNORE);
    PressButton(dialog, IDCANCEL);
    SetSettings(values, {{"szDrivesToScan", "C: D: E:"}});
    CloseAndCheckFile(maintenance, IDCANCEL, values);

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
    PressButton(dialog, IDOK);
    SetSettings(values, {{"szDrivesToScan", typed}});
    CloseAndCheckFile(maintenance, IDOK, values);
}

// ---------------------------------------------------------------- Defragmenter settings
SCENARIO(dialog_defrag_ok)
{
    SettingsValues values = BaseSettings();
    SetSettings(values, {{"szDrivesToDefrag", "C:,D:"}});
    Program tessaron = StartWith(values);
    HWND maintenance = OpenMaintenance(tessaron);
    HWND dialog = OpenNested(tessaron, maintenance, IDC_MAINT_DEFRAGSETTINGS, IDC_DEFRAG_FULL);
    CheckDialogLook(tessaron, dialog, Defrag);

    Step("Files Only, Unattended, Specific and \"C: D:\" are shown");
    CheckButtonStates(dialog, {{3014, 0}, {3015, 1}, {3016, 0}, {3020, 0}, {3021, 0},
                               {3022, 1}, {3003, 1}, {3004, 0}});
    CHECK_TEXT(ControlText(dialog, IDC_DEFRAG_DRIVES), "C: D:");

    Step("each group is exclusive within itself");
    ClickButton(dialog, IDC_DEFRAG_FREESPACE);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, IDC_DEFRAG_FREESPACE) == 1; }));
    CheckButtonStates(dialog, {{IDC_DEFRAG_FILESONLY, 0}, {IDC_DEFRAG_UNATTENDED, 1}, {IDC_DEFRAG_SPECIFIC, 1}});
    ClickButton(dialog, IDC_DEFRAG_CONCISE);
    ClickButton(dialog, IDC_DEFRAG_ALLFIXED);
    CHECK(WaitFor([&] { return ButtonCheck(dialog, IDC_DEFRAG_ALLFIXED) == 1; }));
    CheckButtonStates(dialog, {{IDC_DEFRAG_UNATTENDED, 0}, {IDC_DEFRAG_SPECIFIC, 0}, {IDC_DEFRAG_FREESPACE, 1}});
    SetControlText(dialog, IDC_DEFRAG_DRIVES, "D:,E:");
    PressButton(dialog, IDOK);
    SetSettings(values, {{"iDefragmentMode", "THREE"}, {"iDefragmentDisplayMode", "ONE"},
                         {"iDefragDiskDrivesSetting", "TWO"}, {"szDrivesToDefrag", "D:,E:"}});
    CloseAndCheckFile(maintenance, IDCANCEL, values);

    Step("Cancel after opening still leaves the list without commas");
    maintenance = OpenMaintenance(tessaron);
    dialog = OpenNested(tessaron, maintenance, IDC_MAINT_DEFRAGSETTINGS, IDC_DEFRAG_FULL);
    CHECK_TEXT(ControlText(dialog, IDC_DEFRAG_DRIVES), "D: E:");
    CheckButtonStates(dialog, {{IDC_DEFRAG_FREESPACE, 1}, {IDC_DEFRAG_CONCISE, 1}, {IDC_DEFRAG_ALLFIXED, 1}});
    ClickButton(dialog, IDC_DEFRAG_DETAILED);
    PressButton(dialog, IDCANCEL);
    SetSettings(values, {{"szDrivesToDefrag", "D: E:"}});
    CloseAndCheckFile(maintenance, IDOK, values);
}

// ---------------------------------------------------------------- every dialog
// What the scenarios above leave unchecked: the tooltip windows as created,
// and commands that are not button clicks.
SCENARIO(audit_dialogs_tooltips_and_non_click_commands)
{
    Program tessaron = StartTessaron();
    ClearHelpCalls();

    Step("Options and Tool Locations");
    HWND options = OpenOptions(tessaron);
    AuditDialog(options, IDC_OPTIONS_MINSPACE);
    HWND tools = OpenNested(tessaron, options, IDC_OPTIONS_TOOLLOCATIONS, IDC_TOOLS_EXPLORER);
    AuditDialog(tools, IDC_TOOLS_EXPLORER);
    PressButton(tools, IDCANCEL);
    PressButton(options, IDCANCEL);

    Step("Maintenance, ScanDisk and Defragmenter settings");
    HWND maintenance = OpenMaintenance(tessaron);
    AuditDialog(maintenance, IDC_MAINT_SCANDAYS);
    HWND scan = OpenNested(tessaron, maintenance, IDC_MAINT_SCANSETTINGS, IDC_SCAN_IGNORE);
    AuditDialog(scan, IDC_SCAN_DRIVES);
    PressButton(scan, IDCANCEL);
    HWND defrag = OpenNested(tessaron, maintenance, IDC_MAINT_DEFRAGSETTINGS, IDC_DEFRAG_FULL);
    AuditDialog(defrag, IDC_DEFRAG_DRIVES);
    PressButton(defrag, IDCANCEL);
    PressButton(maintenance, IDCANCEL);

    ExitTessaron(tessaron);
}

// ---------------------------------------------------------------- screen readers and keys
// Every control that takes the focus is named by its visible label, every
// label of a field or a group of radio buttons has an access key that
// reaches it, and the check boxes that show no text of their own show the
// focus round their labels.
SCENARIO(dialog_controls_named_by_their_labels)
{
    Program tessaron = StartWith(BaseSettings());

    Step("Options");
    HWND options = OpenOptions(tessaron);
    CheckNamesAndKeys(options, {{{2004, "Windows Explorer"}, {2005, "Disk Defragmenter"}, {2006, "ScanDisk"},
                                 {2003, "DriveSpace"}, {2002, "Compression Agent"}, {2001, "Backup"},
                                 {2012, "Force \"My Computer\" View"}, {2014, "Enable Free Space Monitor"},
                                 {2015, "Monitor Floppy Disk(s) Too"}, {2017, "Min. Space Before Warning:"}},
                                {{'M', 2017}}});
    CheckFocusOnLabels(options, {2004, 2005, 2006, 2003, 2002, 2001, 2012, 2014, 2015});

    Step("Tool Locations");
    HWND tools = OpenNested(tessaron, options, IDC_OPTIONS_TOOLLOCATIONS, IDC_TOOLS_EXPLORER);
    CheckNamesAndKeys(tools, {{{5012, "Windows Explorer:"}, {5011, "ScanDisk:"}, {5010, "Defragmenter:"},
                               {5009, "Backup:"}, {5008, "DriveSpace:"}, {5007, "Compression Agent:"}},
                              {{'W', 5012}, {'S', 5011}, {'D', 5010}, {'B', 5009}, {'R', 5008}, {'A', 5007}}});
    PressButton(tools, IDCANCEL);
    PressButton(options, IDCANCEL);

    Step("Maintenance");
    HWND maintenance = OpenMaintenance(tessaron);
    CheckNamesAndKeys(maintenance,
                      {{{2009, "Enable Automatic Device Maintenance"}, {2011, "Disk Defragment Service"},
                        {2010, "Disk Scan Service"}, {2007, "Backup Service"}, {2008, "Compression Service"}},
                       {{'D', 2011}, {'A', 2010}, {'B', 2007}, {'M', 2008}}});
    CheckFocusOnLabels(maintenance, {2009});

    Step("ScanDisk and Defragmenter settings: the group boxes' keys reach the chosen radio button");
    HWND scan = OpenNested(tessaron, maintenance, IDC_MAINT_SCANSETTINGS, IDC_SCAN_IGNORE);
    // The drive field has no label of its own: it gets no name, not a wrong one.
    CheckNamesAndKeys(scan, {{{3005, ""}, {3006, "Start/Stop Automatically"},
                              {3007, "Ignore Disk Errors If Found"}},
                             {{'D', 3003}}});
    PressButton(scan, IDCANCEL);
    HWND defrag = OpenNested(tessaron, maintenance, IDC_MAINT_DEFRAGSETTINGS, IDC_DEFRAG_FULL);
    CheckNamesAndKeys(defrag, {{{3005, ""}}, {{'D', 3003}, {'M', 3015}, {'I', 3022}}});
    PressButton(defrag, IDCANCEL);
    PressButton(maintenance, IDCANCEL);

    Step("Open Path");
    PostCommand(tessaron, CmdOpenPath);
    HWND openPath = WaitDialogWith(tessaron, IDC_OPENPATH_PATH);
    CheckNamesAndKeys(openPath, {{{6001, "Open Path:"}, {6002, "Add To Quick Access List"}}, {{'P', 6001}}});
    CheckFocusOnLabels(openPath, {6002});
    PressButton(openPath, IDCANCEL);
    ExitTessaron(tessaron);
}

// ---------------------------------------------------------------- a new display
// Each dialog centres on the screen that is there when it opens, also
// after the display has changed (a laptop off its dock, a remote session).
SCENARIO(dialog_options_centred_after_display_change)
{
    Program tessaron = StartTessaron();
    HWND dialog = OpenOptions(tessaron);
    CheckCentred(dialog);
    PressButton(dialog, IDCANCEL);

    ChangeDisplaySize(640, 480);
    dialog = OpenOptions(tessaron);
    CheckCentred(dialog);
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    Step("the dialog at %ld,%ld to %ld,%ld", frame.left, frame.top, frame.right, frame.bottom);
    CHECK(frame.left >= 0 && frame.top >= 0 && frame.right <= 640 && frame.bottom <= 480);
    PressButton(dialog, IDCANCEL);
    ChangeDisplaySize(800, 600);
    ExitTessaron(tessaron);
}
