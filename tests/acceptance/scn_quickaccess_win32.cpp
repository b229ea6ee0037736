// The quick access list (TESSARON.QAL and its menu), the Open Path dialog
// (6000) and its file chooser, driven from outside the running Tessaron.exe.
// Menus cannot be read from another process: each menu is walked by its
// known layout, and what an item does shows that it is there.
#include "driver.h"

#include "commands.h"
#include "resource.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

namespace {

const char Explorer[] = "explorer.exe";  // the recorder copy standing in for it

std::string ListFile() { return WindowsFile("TESSARON.QAL"); }

// Explorer is the recorder, opened with "/e,".
void WriteSettings()
{
    std::string explorer = InstallRecorder(Explorer);
    WriteFileBytes(WindowsFile("TESSARON.INI"),
                   CrLfLines({"[Tessaron]", "iExplorerView = YES", "szExplorerLocation = " + explorer}));
}

std::string ExplorerLine(const std::string &target)
{
    return "C:\\rec\\explorer.exe /n,/e," + target;
}

Program Start()
{
    WriteSettings();
    return StartTessaron();
}

void ExitTessaron(Program &tessaron)
{
    ChooseTrayMenuItem(tessaron, ItemExit);
    CHECK_EQ(WaitForExit(tessaron), 0ul);
}

void OpenQuickAccessMenu(const Program &tessaron)
{
    Step("right-button release over the quick access icon");
    PostTrayMouse(tessaron, IconQuickAccess, WM_RBUTTONUP);
    WaitPopupMenu();
}

// Chooses an entry and waits for Explorer; returns its command line.
std::string ChooseEntry(const Program &tessaron, int position)
{
    size_t before = RecorderLines(Explorer).size();
    OpenQuickAccessMenu(tessaron);
    ChooseMenuPosition(position);
    return WaitRecorderLines(Explorer, before + 1)[before];
}

// Fails if Explorer starts within ms milliseconds.
void CheckNothingStarted(size_t logged, DWORD ms = 1500)
{
    if (WaitFor([&] { return RecorderLines(Explorer).size() > logged; }, ms))
        Fail("Explorer was started: %s", Visible(RecorderLines(Explorer).back()).c_str());
}

// Chooses the item at position in a menu whose items there cannot act (the
// grayed "(Empty)"): nothing may start, and the menu goes away.
void ChooseInertItem(const Program &tessaron, int position)
{
    size_t logged = RecorderLines(Explorer).size();
    OpenQuickAccessMenu(tessaron);
    HWND menu = WaitPopupMenu();
    Step("Enter on item %d, which cannot be chosen", position);
    for (int i = 0; i < position; i++)
        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    if (!WaitFor([] { return !PopupMenuShown(); }, 1000))
        DismissPopupMenu();
    CheckNothingStarted(logged);
}

// The list file as it is on disk, or "<missing>".
std::string ListBytes()
{
    std::string bytes;
    return ReadFileBytes(ListFile(), &bytes) ? bytes : "<missing>";
}

// ---------------------------------------------------------------- the dialog
HWND FindOpenPath(const Program &program)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", "Tessaron")) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == program.id && IsWindowVisible(window) && GetDlgItem(window, IDC_OPENPATH_PATH))
            return window;
    }
    return nullptr;
}

HWND OpenOpenPath(const Program &tessaron)
{
    Step("open the Open Path dialog (command %d)", CmdOpenPath);
    PostCommand(tessaron, CmdOpenPath);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindOpenPath(tessaron)) != nullptr; }))
        Fail("the Open Path dialog did not appear");
    return dialog;
}

// Types a path, sets the box, and closes the dialog with button.
void FillAndClose(HWND dialog, const std::string &path, bool add, int button)
{
    Step("path \"%s\", box %s, button %d", path.c_str(), add ? "ticked" : "clear", button);
    SetControlText(dialog, IDC_OPENPATH_PATH, path);
    if (add)
        ClickButton(dialog, IDC_OPENPATH_ADD);
    int wanted = add ? BST_CHECKED : BST_UNCHECKED;
    if (!WaitFor([&] { return ButtonCheck(dialog, IDC_OPENPATH_ADD) == wanted; }))
        Fail("box 6002 is %d, expected %d", ButtonCheck(dialog, IDC_OPENPATH_ADD), wanted);
    ClickButton(dialog, button);
    WaitWindowGone(dialog);
}

// Removes TESSARON.INI so that its rewriting after the dialog shows.
void ForgetSettingsFile()
{
    RemoveFile(WindowsFile("TESSARON.INI"));
    CHECK(!FileExists(WindowsFile("TESSARON.INI")));
}

void CheckSettingsRewritten()
{
    if (!WaitFor([] { return FileExists(WindowsFile("TESSARON.INI")); }))
        Fail("TESSARON.INI was not written after the dialog closed");
}

// ---------------------------------------------------------------- layout
const DWORD CheckBox = BS_AUTOCHECKBOX | WS_TABSTOP;
const DWORD Push = BS_PUSHBUTTON | WS_TABSTOP;
const DWORD Default = BS_DEFPUSHBUTTON | WS_TABSTOP;
const DWORD Field = ES_LEFT | WS_TABSTOP;  // bordered, no ES_AUTOHSCROLL
const DWORD Left = SS_LEFT;

struct Expected {
    int id;
    const char *className;
    const char *text;
    int x, y, width, height;
    DWORD style;
};

// Template order, which is the tab order.
const Expected OpenPathControls[] = {
    {6001, "Edit", "", 48, 32, 136, 12, Field},
    {6002, "Button", "", 8, 56, 8, 12, CheckBox},
    {-1, "Static", "Add To Quick Access List", 18, 58, 80, 8, Left},
    {-1, "Static", "Open Path:", 8, 34, 40, 8, Left},
    {-1, "Static", "would like to open.", 8, 16, 60, 8, Left},
    {-1, "Static", "Please type the name of the drive and/or folder that you", 8, 8, 176, 8, Left},
    {6003, "Button", "&Browse...", 144, 54, 48, 14, Push},
    {1, "Button", "&OK", 2, 72, 50, 14, Default},
    {2, "Button", "&Cancel", 72, 72, 50, 14, Push},
    {4, "Button", "&Help", 142, 72, 50, 14, Push},
};

void CheckOpenPathLayout(HWND dialog)
{
    std::vector<Control> controls = DialogControls(dialog);
    const size_t count = sizeof OpenPathControls / sizeof OpenPathControls[0];
    CHECK_EQ(controls.size(), count);
    for (size_t i = 0; i < count; i++) {
        const Expected &e = OpenPathControls[i];
        const Control &c = controls[i];
        int id = (c.id & 0xFFFF) == 0xFFFF ? -1 : c.id;
        Step("  %d %s \"%s\" %ld,%ld %ldx%ld style %08lx", id, c.className.c_str(), c.text.c_str(),
             c.units.left, c.units.top, c.units.right - c.units.left, c.units.bottom - c.units.top,
             (unsigned long)c.style);
        if (id != e.id || lstrcmpiA(c.className.c_str(), e.className) != 0 || c.text != e.text ||
            c.units.left != e.x || c.units.top != e.y || c.units.right - c.units.left != e.width ||
            c.units.bottom - c.units.top != e.height)
            Fail("control %u differs from %d %s \"%s\" %d,%d %dx%d", (unsigned)i, e.id,
                 e.className, e.text, e.x, e.y, e.width, e.height);
        DWORD kind = lstrcmpiA(e.className, "Button") == 0 ? 0x0F : 0xFFFF;
        DWORD mask = kind | WS_TABSTOP | WS_GROUP | WS_CHILD | WS_VISIBLE | WS_DISABLED;
        CHECK_EQ(c.style & mask, e.style | WS_CHILD | WS_VISIBLE);
    }
    // The dialog manager turns an edit's border into a client edge.
    CHECK((controls[0].style & WS_BORDER) || (controls[0].exStyle & WS_EX_CLIENTEDGE));
    RECT client = DialogClientUnits(dialog);
    CHECK_EQ(client.right, 195L);
    CHECK_EQ(client.bottom, 89L);
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

// The tooltips as registered, read through TTM_ENUMTOOLSA with a TOOLINFO
// placed in the program's own memory.
void CheckOpenPathToolTips(const Program &tessaron, HWND dialog)
{
    struct Tip {
        int id;
        const char *text;
    } expected[] = {
        {2, "Exit; do not save changes."},
        {1, "Exit; save changes."},
        {4, "Help"},
        {6002, "Add this path to the quick access list."},
        {6001, "Open which drive/folder?"},
    };
    HWND tips = nullptr;
    while ((tips = FindWindowExA(nullptr, tips, "tooltips_class32", nullptr)) != nullptr)
        if (GetWindow(tips, GW_OWNER) == dialog)
            break;
    CHECK(tips != nullptr);
    DWORD_PTR count = 0;
    SendMessageTimeoutA(tips, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
    CHECK_EQ((size_t)count, sizeof expected / sizeof expected[0]);
    const SIZE_T textOffset = 1024, size = 4096;
    char *remote = (char *)VirtualAllocEx(tessaron.process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    CHECK(remote != nullptr);
    for (size_t i = 0; i < count; i++) {
        TTTOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.lpszText = remote + textOffset;
        char text[1024] = "";
        CHECK(WriteProcessMemory(tessaron.process, remote, &tool, sizeof tool, nullptr));
        CHECK(WriteProcessMemory(tessaron.process, remote + textOffset, text, sizeof text, nullptr));
        DWORD_PTR found = 0;
        SendMessageTimeoutA(tips, TTM_ENUMTOOLSA, i, (LPARAM)remote, SMTO_ABORTIFHUNG, 5000, &found);
        CHECK(found != 0);
        CHECK(ReadProcessMemory(tessaron.process, remote, &tool, sizeof tool, nullptr));
        CHECK(ReadProcessMemory(tessaron.process, remote + textOffset, text, sizeof text - 1, nullptr));
        int id = GetDlgCtrlID((HWND)tool.uId);
        Step("  tooltip %u: %d \"%s\"", (unsigned)i, id, text);
        CHECK_EQ(id, expected[i].id);
        CHECK_TEXT(std::string(text), expected[i].text);
        CHECK(tool.hwnd == dialog);
        CHECK_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), (UINT)(TTF_IDISHWND | TTF_SUBCLASS));
    }
    VirtualFreeEx(tessaron.process, remote, 0, MEM_RELEASE);
}

// With TESSARON_SHOTS naming a Unix folder, saves the dialog as it looks
// on screen as <folder>/dialog-openpath.png (ImageMagick's import).
void Screenshot(HWND dialog)
{
    char folder[1024];
    DWORD length = GetEnvironmentVariableA("TESSARON_SHOTS", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return;
    RECT r;
    GetWindowRect(dialog, &r);
    UpdateWindow(dialog);
    Sleep(300);  // let the dialog finish painting before the capture
    std::string target = std::string(folder) + "/dialog-openpath.png";
    char command[4096];
    snprintf(command, sizeof command,
             "Z:\\bin\\sh -c \"/usr/bin/import -window root -crop %ldx%ld+%ld+%ld +repage '%s'\"",
             r.right - r.left, r.bottom - r.top, r.left, r.top, target.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        Fail("cannot run import for %s", target.c_str());
    WaitForSingleObject(process.hProcess, WaitLimit());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Step("screenshot %s", target.c_str());
}

// ---------------------------------------------------------------- the chooser
// The system's Open dialog titled "Select Path": types a file name into it
// and presses Open (or Cancel).
void AnswerChooser(const std::string &file, int button)
{
    HWND chooser = WaitDialog("Select Path");
    // The one filter, and no read-only box.
    CHECK_TEXT(ControlText(chooser, 0x470), "All Files (*.*)");
    HWND readOnly = GetDlgItem(chooser, 0x410);
    CHECK(readOnly == nullptr || !IsWindowVisible(readOnly));
    if (!file.empty()) {
        // The name field: an edit (edt1), or the edit of a combo box (cmb13).
        HWND field = GetDlgItem(chooser, 0x480);
        HWND combo = GetDlgItem(chooser, 0x47c);
        if (!field && combo)
            field = (HWND)SendMessageA(combo, CBEM_GETEDITCONTROL, 0, 0);
        if (!field && combo)
            field = FindWindowExA(combo, nullptr, "Edit", nullptr);
        if (!field) {
            for (const Control &c : DialogControls(chooser))
                Step("  chooser control %d %s \"%s\"", c.id, c.className.c_str(), c.text.c_str());
            Fail("the chooser has no file name field");
        }
        SendMessageA(field, WM_SETTEXT, 0, (LPARAM)file.c_str());
    }
    Step("answer the chooser with \"%s\" and button %d", file.c_str(), button);
    PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 (LPARAM)GetDlgItem(chooser, button));
    WaitWindowGone(chooser);
}

}  // namespace

// ---------------------------------------------------------------- scenarios
SCENARIO(quickaccess_open_adds_entry_then_clear)
{
    WriteFileBytes(ListFile(), CrLfLines({"C:\\first"}));
    Program tessaron = Start();
    ForgetSettingsFile();

    Step("\"Open...\" from the tray menu");
    ChooseTrayMenuItem(tessaron, ItemOpen);
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindOpenPath(tessaron)) != nullptr; }))
        Fail("the Open Path dialog did not appear");
    FillAndClose(dialog, " C:\\My Folder ", true, IDOK);

    CHECK_TEXT(WaitRecorderLines(Explorer, 1)[0], ExplorerLine(" C:\\My Folder "));
    CHECK_TEXT(ListBytes(), "C:\\first\r\n C:\\My Folder \r\n");
    CheckSettingsRewritten();
    CheckNoMessageBox(0);

    Step("the menu: both entries, then the separator and \"&Clear\"");
    CHECK_TEXT(ChooseEntry(tessaron, 1), ExplorerLine("C:\\first"));
    CHECK_TEXT(ChooseEntry(tessaron, 2), ExplorerLine(" C:\\My Folder "));
    OpenQuickAccessMenu(tessaron);
    ChooseMenuPosition(3);
    if (!WaitFor([] { return !FileExists(ListFile()); }))
        Fail("\"&Clear\" did not delete TESSARON.QAL");
    CheckNothingStarted(3, 500);

    Step("after Clear only the grayed \"(Empty)\"; a file written now shows at the next rebuild");
    WriteFileBytes(ListFile(), CrLfLines({"C:\\by hand"}));
    ChooseInertItem(tessaron, 1);
    ChooseInertItem(tessaron, 2);  // one item only: Down comes back to it

    Step("the next append rebuilds the menu from the file");
    FillAndClose(OpenOpenPath(tessaron), "D:\\new", true, IDOK);
    CHECK_TEXT(WaitRecorderLines(Explorer, 4)[3], ExplorerLine("D:\\new"));
    CHECK_TEXT(ChooseEntry(tessaron, 1), ExplorerLine("C:\\by hand"));
    CHECK_TEXT(ChooseEntry(tessaron, 2), ExplorerLine("D:\\new"));
    ExitTessaron(tessaron);
}

SCENARIO(quickaccess_entries_come_from_the_file)
{
    // An entry far beyond the 510 characters a short buffer would keep.
    std::string longEntry = "C:\\" + std::string(1500, 'L');
    WriteFileBytes(ListFile(), "C:\\\r\nD:\\Data\nE:\\Da\rta\r\n\r\n" + longEntry + "\r\nF:\\last");
    Program tessaron = Start();
    CHECK_TEXT(ChooseEntry(tessaron, 1), ExplorerLine("C:\\"));
    CHECK_TEXT(ChooseEntry(tessaron, 2), ExplorerLine("D:\\Data"));
    CHECK_TEXT(ChooseEntry(tessaron, 3), ExplorerLine("E:\\Data"));
    CHECK_TEXT(ChooseEntry(tessaron, 4), ExplorerLine(""));  // an empty line is an entry
    CHECK_TEXT(ChooseEntry(tessaron, 5), ExplorerLine(longEntry));
    CHECK_TEXT(ChooseEntry(tessaron, 6), ExplorerLine("F:\\last"));
    CheckNoMessageBox(0);
    OpenQuickAccessMenu(tessaron);
    ChooseMenuPosition(7);
    if (!WaitFor([] { return !FileExists(ListFile()); }))
        Fail("item 7 is not \"&Clear\"");
    ExitTessaron(tessaron);
}

SCENARIO(quickaccess_long_line_and_ctrl_z)
{
    // 3,000 characters give two entries; Ctrl-Z ends the list.
    std::string line(3000, 'x');
    WriteFileBytes(ListFile(), line + "\r\nG:\\kept\r\n\x1A" "H:\\hidden\r\n");
    Program tessaron = Start();
    CHECK_TEXT(ChooseEntry(tessaron, 1), ExplorerLine(line.substr(0, 2047)));
    CHECK_TEXT(ChooseEntry(tessaron, 2), ExplorerLine(line.substr(2047)));
    CHECK_TEXT(ChooseEntry(tessaron, 3), ExplorerLine("G:\\kept"));
    OpenQuickAccessMenu(tessaron);
    ChooseMenuPosition(4);
    if (!WaitFor([] { return !FileExists(ListFile()); }))
        Fail("item 4 is not \"&Clear\"");
    ExitTessaron(tessaron);
}

SCENARIO(quickaccess_missing_file_shows_empty)
{
    Program tessaron = Start();
    ChooseInertItem(tessaron, 1);
    CHECK(!FileExists(ListFile()));
    ExitTessaron(tessaron);
}

SCENARIO(quickaccess_nul_entry_cannot_be_chosen)
{
    // An entry cut by a NUL byte would open the wrong place: it cannot be
    // chosen, and the entries after it keep their places.
    WriteFileBytes(ListFile(), std::string("C:\\a\0b\r\nD:\\\r\n", 12));
    Program tessaron = Start();
    ChooseInertItem(tessaron, 1);
    CHECK_TEXT(ChooseEntry(tessaron, 2), ExplorerLine("D:\\"));
    ExitTessaron(tessaron);
}

SCENARIO(quickaccess_failed_append_still_opens)
{
    // A folder where the file should be: it can be neither read nor appended to.
    MakeFolder(ListFile());
    Program tessaron = Start();
    FillAndClose(OpenOpenPath(tessaron), "C:\\somewhere", true, IDOK);
    CHECK_TEXT(WaitRecorderLines(Explorer, 1)[0], ExplorerLine("C:\\somewhere"));
    CheckNoMessageBox(500);
    ChooseInertItem(tessaron, 1);  // still "(Empty)"
    ExitTessaron(tessaron);
}

SCENARIO(openpath_cancel_adds_nothing)
{
    Program tessaron = Start();
    ForgetSettingsFile();
    FillAndClose(OpenOpenPath(tessaron), "C:\\cancelled", true, IDCANCEL);
    CheckSettingsRewritten();
    CheckNothingStarted(0);
    CHECK(!FileExists(ListFile()));
    ChooseInertItem(tessaron, 1);
    ExitTessaron(tessaron);
}

SCENARIO(openpath_ok_empty_field_starts_nothing)
{
    Program tessaron = Start();
    ForgetSettingsFile();
    FillAndClose(OpenOpenPath(tessaron), "", true, IDOK);
    CheckSettingsRewritten();
    CheckNothingStarted(0);
    CheckNoMessageBox(0);
    // The ticked box adds no empty entry.
    CHECK(!FileExists(ListFile()));
    ExitTessaron(tessaron);
}

SCENARIO(openpath_ok_box_clear_only_opens)
{
    WriteFileBytes(ListFile(), CrLfLines({"C:\\first"}));
    Program tessaron = Start();
    FillAndClose(OpenOpenPath(tessaron), "C:\\Program Files", false, IDOK);
    CHECK_TEXT(WaitRecorderLines(Explorer, 1)[0], ExplorerLine("C:\\Program Files"));
    CHECK_TEXT(ListBytes(), "C:\\first\r\n");
    ExitTessaron(tessaron);
}

SCENARIO(openpath_layout_tooltips_help)
{
    Program tessaron = Start();
    HWND dialog = OpenOpenPath(tessaron);
    CheckOpenPathLayout(dialog);
    CheckOpenPathToolTips(tessaron, dialog);
    Screenshot(dialog);

    Step("Help: context 6000, the dialog stays open");
    ClearHelpCalls();
    ClickButton(dialog, IDC_HELPBUTTON);
    std::vector<HelpCall> calls = WaitHelpCalls(1);
    CHECK_EQ(calls[0].command, (UINT)HELP_CONTEXT);
    CHECK_EQ(calls[0].data, (ULONG_PTR)IDD_OPENPATH);
    CHECK(IsWindow(dialog) && IsWindowVisible(dialog));

    Step("the dialog remembers nothing from one opening to the next");
    FillAndClose(dialog, "C:\\typed", true, IDCANCEL);
    dialog = OpenOpenPath(tessaron);
    CHECK_TEXT(ControlText(dialog, IDC_OPENPATH_PATH), "");
    CHECK_EQ(ButtonCheck(dialog, IDC_OPENPATH_ADD), BST_UNCHECKED);
    ClickButton(dialog, IDCANCEL);
    WaitWindowGone(dialog);
    ExitTessaron(tessaron);
}

SCENARIO(openpath_browse_fills_the_field)
{
    MakeFolder("C:\\pick");
    WriteFileBytes("C:\\pick\\file.txt", "x");
    Program tessaron = Start();
    HWND dialog = OpenOpenPath(tessaron);
    SetControlText(dialog, IDC_OPENPATH_PATH, "C:\\typed");

    Step("Browse, then Cancel: the field is unchanged");
    PostMessageA(dialog, WM_COMMAND, IDC_OPENPATH_BROWSE, 0);
    AnswerChooser("", IDCANCEL);
    CHECK_TEXT(ControlText(dialog, IDC_OPENPATH_PATH), "C:\\typed");

    Step("Browse, pick a file: its full path replaces the field");
    PostMessageA(dialog, WM_COMMAND, IDC_OPENPATH_BROWSE, 0);
    AnswerChooser("C:\\pick\\file.txt", IDOK);
    if (!WaitFor([&] { return ControlText(dialog, IDC_OPENPATH_PATH) == "C:\\pick\\file.txt"; }))
        Fail("the field holds \"%s\"", ControlText(dialog, IDC_OPENPATH_PATH).c_str());
    ClickButton(dialog, IDOK);
    WaitWindowGone(dialog);
    CHECK_TEXT(WaitRecorderLines(Explorer, 1)[0], ExplorerLine("C:\\pick\\file.txt"));
    ExitTessaron(tessaron);
}
