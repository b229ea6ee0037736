// The quick access list (TESSARON.QAL and its menu), the Open Path dialog
// (6000) and its file chooser, driven from outside the running Tessaron.exe.
// Menus cannot be read from another process: each menu is walked by its
// known layout, and what an item does shows that it is there.
#include "driver.h"

#include "commands.h"
#include "resource.h"

namespace {

using namespace LayoutStyle;

const char Explorer[] = "explorer.exe";  // the recorder copy standing in for it

std::string ListFile() { return WindowsFile("TESSARON.QAL"); }

// Explorer is the recorder, opened with "/e,".
void WriteExplorerSettings()
{
    WriteSettings({"[Tessaron]", "iExplorerView = YES", "szExplorerLocation = " + InstallRecorder(Explorer)});
}

std::string ExplorerLine(const std::string &target)
{
    return "C:\\rec\\explorer.exe /n,/e," + target;
}

Program Start()
{
    WriteExplorerSettings();
    return StartTessaron();
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
    // This Wine ends the menu on Enter over an item that cannot be chosen,
    // with no choice, however long that takes on a busy machine.
    if (!WaitFor([] { return !PopupMenuShown(); }))
        Fail("the menu did not close on Enter");
    CheckNothingStarted(logged);
}

// Chooses every entry in turn, then "&Clear" after them, which deletes the
// file and starts nothing.
void CheckEntriesThenClear(const Program &tessaron, const std::vector<std::string> &targets)
{
    for (size_t i = 0; i < targets.size(); i++)
        CHECK_TEXT(ChooseEntry(tessaron, (int)i + 1), ExplorerLine(targets[i]));
    size_t logged = RecorderLines(Explorer).size();
    OpenQuickAccessMenu(tessaron);
    ChooseMenuPosition((int)targets.size() + 1);
    if (!WaitFor([] { return !FileExists(ListFile()); }))
        Fail("item %u is not \"&Clear\": TESSARON.QAL is still there", (unsigned)targets.size() + 1);
    CheckNothingStarted(logged, 500);
}

// The list file as it is on disk, or "<missing>".
std::string ListBytes()
{
    std::string bytes;
    return ReadFileBytes(ListFile(), &bytes) ? bytes : "<missing>";
}

// ---------------------------------------------------------------- the dialog
HWND OpenOpenPath(const Program &tessaron)
{
    Step("open the Open Path dialog (command %d)", CmdOpenPath);
    PostCommand(tessaron, CmdOpenPath);
    return WaitDialogWith(tessaron, IDC_OPENPATH_PATH);
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
    PressButton(dialog, button);
}

// The dialog closed with the box ticked starts nothing and adds nothing,
// yet the command rewrites TESSARON.INI all the same.
void CheckNothingOpened(const Program &tessaron, const char *path, int button)
{
    MarkSettingsFile();
    FillAndClose(OpenOpenPath(tessaron), path, true, button);
    WaitSettingsRewritten();
    CheckNothingStarted(0);
    CheckNoMessageBox(0);
    CHECK(!FileExists(ListFile()));
}

// ---------------------------------------------------------------- the dialog as it opens
const DialogLook OpenPath = {
    195, 89,
    {
        {-1, "Static", "Open &Path:", 8, 34, 40, 8, Left},
        {6001, "Edit", "", 48, 32, 136, 12, Field},  // no ES_AUTOHSCROLL
        {-1, "Static", "Add To Quick Access List", 18, 58, 84, 8, Left},
        {6002, "Button", "Add To Quick Access List", 8, 56, 8, 12, CheckBox},
        {-1, "Static", "would like to open.", 8, 16, 60, 8, Left},
        {-1, "Static", "Please type the name of the drive and/or folder that you", 8, 8, 180, 8, Left},
        {6003, "Button", "&Browse...", 144, 54, 48, 14, Push},
        {1, "Button", "&OK", 2, 72, 50, 14, Default},
        {2, "Button", "&Cancel", 72, 72, 50, 14, Push},
        {4, "Button", "&Help", 142, 72, 50, 14, Push},
    },
    {{2, TipCancel}, {1, TipOk}, {4, "Help"},
     {6002, "Add this path to the quick access list."}, {6001, "Open which drive/folder?"}},
    IDD_OPENPATH, "dialog-openpath.png",
};

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
    AnswerFileChooser(chooser, file, button);
}

}  // namespace

// ---------------------------------------------------------------- scenarios
SCENARIO(quickaccess_open_adds_entry_then_clear)
{
    WriteFileBytes(ListFile(), CrLfLines({"C:\\first"}));
    Program tessaron = Start();
    MarkSettingsFile();

    Step("\"Open...\" from the tray menu");
    ChooseTrayMenuItem(tessaron, ItemOpen);
    FillAndClose(WaitDialogWith(tessaron, IDC_OPENPATH_PATH), " C:\\My Folder ", true, IDOK);

    CHECK_TEXT(WaitRecorderLines(Explorer, 1)[0], ExplorerLine(" C:\\My Folder "));
    CHECK_TEXT(ListBytes(), "C:\\first\r\n C:\\My Folder \r\n");
    WaitSettingsRewritten();
    CheckNoMessageBox(0);

    Step("the menu: both entries, then the separator and \"&Clear\"");
    CheckEntriesThenClear(tessaron, {"C:\\first", " C:\\My Folder "});

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
    // An empty line is an entry.
    CheckEntriesThenClear(tessaron, {"C:\\", "D:\\Data", "E:\\Data", "", longEntry, "F:\\last"});
    CheckNoMessageBox(0);
    ExitTessaron(tessaron);
}

SCENARIO(quickaccess_long_line_and_ctrl_z)
{
    // 3,000 characters give two entries; Ctrl-Z ends the list.
    std::string line(3000, 'x');
    WriteFileBytes(ListFile(), line + "\r\nG:\\kept\r\n\x1A" "H:\\hidden\r\n");
    Program tessaron = Start();
    CheckEntriesThenClear(tessaron, {line.substr(0, 2047), line.substr(2047), "G:\\kept"});
    ExitTessaron(tessaron);
}

// An "&" in an entry shows as itself and gives it no access key: "a",
// which "Q&A 2024" would have taken, chooses nothing; "c" is "&Clear"'s.
SCENARIO(quickaccess_ampersands_show_as_themselves)
{
    WriteFileBytes(ListFile(), CrLfLines({"C:\\Tom & Jerry", "D:\\Q&A 2024"}));
    Program tessaron = Start();
    OpenQuickAccessMenu(tessaron);
    Step("type \"a\"");
    PostMessageA(WaitPopupMenu(), WM_CHAR, 'a', 1);
    CheckNothingStarted(0, 500);
    DismissPopupMenu();
    CHECK_TEXT(ChooseEntry(tessaron, 1), ExplorerLine("C:\\Tom & Jerry"));
    CHECK_TEXT(ChooseEntry(tessaron, 2), ExplorerLine("D:\\Q&A 2024"));
    OpenQuickAccessMenu(tessaron);
    Step("type \"c\"");
    PostMessageA(WaitPopupMenu(), WM_CHAR, 'c', 1);
    if (!WaitFor([] { return !FileExists(ListFile()); }))
        Fail("\"c\" did not choose \"&Clear\"");
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
    CheckNothingOpened(tessaron, "C:\\cancelled", IDCANCEL);
    ChooseInertItem(tessaron, 1);
    ExitTessaron(tessaron);
}

SCENARIO(openpath_ok_empty_field_starts_nothing)
{
    Program tessaron = Start();
    CheckNothingOpened(tessaron, "", IDOK);  // the ticked box adds no empty entry
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
    CheckDialogLook(tessaron, dialog, OpenPath);

    Step("the dialog remembers nothing from one opening to the next");
    FillAndClose(dialog, "C:\\typed", true, IDCANCEL);
    dialog = OpenOpenPath(tessaron);
    CHECK_TEXT(ControlText(dialog, IDC_OPENPATH_PATH), "");
    CHECK_EQ(ButtonCheck(dialog, IDC_OPENPATH_ADD), BST_UNCHECKED);
    PressButton(dialog, IDCANCEL);
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
    PressButton(dialog, IDOK);
    CHECK_TEXT(WaitRecorderLines(Explorer, 1)[0], ExplorerLine("C:\\pick\\file.txt"));
    ExitTessaron(tessaron);
}
