// The acceptance driver: runs the real Windows programs under Wine and
// drives them from outside, through what a user or the shell would use.
//
// Adding a scenario
//   Write a SCENARIO block in tests/acceptance/scn_<feature>_win32.cpp (a new
//   file or an existing one); nothing else.  CMake finds the names in those
//   files when it configures (a changed file re-runs it) and registers one
//   CTest test "acceptance.<name>" (label "acceptance") per scenario.
//
//       #include "driver.h"
//
//       SCENARIO(exit_ends_with_code_0) {
//           Program tessaron = StartTessaron();
//           ChooseTrayMenuItem(tessaron, ItemExit);
//           CHECK_EQ(WaitForExit(tessaron), 0u);
//       }
//
//   A scenario that needs more drives than C: and Z: names them, each as
//   letter:type[:missing] with type hd, floppy, cdrom, network or ramdisk;
//   ":missing" links the letter to a folder that does not exist (no disc):
//
//       SCENARIO_DRIVES(menu_lists_cdrom, "a:floppy d:cdrom:missing") { ... }
//
//   A scenario that needs another ANSI code page names the locale Wine
//   takes it from (its glibc locale is made for the run if need be):
//
//       SCENARIO_LOCALE(setup_in_code_page_932, "ja_JP.UTF-8") { ... }
//
//   A scenario about the display's scale names the DPIs it runs at; it runs
//   once at each, as "acceptance.<name>_<dpi>dpi", in a session at that DPI
//   (ScreenDpi).  Above 96 DPI "MS Shell Dlg", the programs' dialog font, is
//   a scalable face there, as on the NT family; at 96 DPI, in every other
//   session too, it is "MS Sans Serif", as on Windows 95, 98 and ME:
//
//       SCENARIO_DPI(scale_tray_icons_sharp, "96 120 144 192") { ... }
//
//   The names must be C identifiers and unique across all files.  Each
//   SCENARIO line must start at the beginning of its line.  Scenarios with
//   extra drives run after the others, grouped by their drives (a change of
//   drives restarts the Wine session, about 3 s); those with DPIs come last,
//   grouped by DPI.
//
// Running
//   All:       ctest --test-dir <build> -L acceptance
//   One:       ctest --test-dir <build> -R acceptance.exit_ends_with_code_0
//              (CTest adds the set-up and clean-up fixtures by itself)
//   By hand:   h=tests/acceptance/harness.sh; s=<build>/acceptance
//              $h start $s <build>/windows; $h run $s <name> ["<drives>" [<dpi>]]; $h stop $s
//   The output of each run is also in <build>/acceptance/logs/<name>.log.
//
// What the harness guarantees before each scenario
//   - a Wine prefix whose C: holds nothing that an earlier scenario created
//     (TESSARON.INI, TESSARON.QAL, recorder logs, installed folders, Start-up
//     shortcuts ...: every file or folder that the fresh prefix did not have
//     is removed); the folders behind extra drives are emptied.  Files that
//     the fresh prefix had are not restored if a scenario changed them, and
//     the registry lives on with the session (see DeleteRegistryKey);
//   - C:\Tessaron\Tessaron.exe (fresh copy of the build's program, without its
//     help file), C:\rec\recorder.exe (the recorder), and the environment
//     variable TESSARON_BIN naming the Windows build folder (BuildFile());
//   - the driver's own "Shell_TrayWnd" and "MS_WINHELP" windows, which log
//     every tray icon call (and forward it to Wine's tray) and every WinHelp
//     request (answering them, so that no help window ever blocks);
//   - afterwards, every process that the scenario started (Tessaron, tools,
//     recorders, WinHelp) is ended; after a failed scenario the whole Wine
//     session is restarted.
//
// Failing
//   CHECK(...), CHECK_EQ(a, b), CHECK_TEXT(actual, expected) and Fail(...)
//   end the scenario with a message naming the file and line; the driver then
//   exits 1.  Every waiting step below fails by itself when what it waits for
//   does not come within WaitLimit() (20 s, or ACCEPTANCE_WAIT_MS); none of
//   them sleeps for a fixed time.  Step(...) prints a progress line.
//
// Conventions of the steps
//   Positions in menus count from 1 and skip separators.  Texts are the
//   programs' ANSI texts.  Rectangles in dialog units use the base units of
//   a dialog with the programs' font, "MS Shell Dlg" 8, measured by the
//   driver itself.
//
// Steps that several scenario files share live here, not in the files:
//   - a dialog against its template's table: CheckDialogLayout with a table
//     of LayoutControl rows (id, class, text, rectangle in dialog units,
//     style; see LayoutStyle), which also checks the caption, the client
//     size and the centring (CheckCentred);
//   - the tooltips a dialog registered, read back from the program's memory
//     (CheckToolTips), and its Help button (CheckHelpButton); the three with
//     a screenshot for a dialog of Tessaron as it opens (CheckDialogLook);
//   - a message box's text, buttons and icon, then its answer (CheckMessageBox);
//   - TESSARON.INI: written from lines or from key and value pairs
//     (WriteSettings, SettingsText), marked and waited for when the program
//     rewrites it (MarkSettingsFile, WaitSettingsRewritten), read by key
//     (SettingsLine);
//   - screenshots of a window (SaveWindowScreenshot), Exit with code 0
//     (ExitTessaron) and the two WinHelp quit requests it sends
//     (CheckHelpQuitRequests).
#pragma once

#include <windows.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

// ---------------------------------------------------------------- scenarios
typedef void (*ScenarioFunction)();

struct ScenarioRegistration {
    ScenarioRegistration(const char *name, const char *drives, ScenarioFunction function);
    ScenarioRegistration(const char *name, const char *drives, const char *dpis, ScenarioFunction function);
};

#define SCENARIO(name) SCENARIO_DRIVES(name, "")
#define SCENARIO_LOCALE(name, locale) SCENARIO_DRIVES(name, "")
#define SCENARIO_DPI(name, dpis)                                                           \
    static void scenario_##name();                                                         \
    static ScenarioRegistration registration_##name(#name, "", dpis, scenario_##name);     \
    static void scenario_##name()
#define SCENARIO_DRIVES(name, drives)                                                      \
    static void scenario_##name();                                                         \
    static ScenarioRegistration registration_##name(#name, drives, scenario_##name);       \
    static void scenario_##name()

// ---------------------------------------------------------------- checks
[[noreturn]] void Fail(const char *format, ...) __attribute__((format(printf, 1, 2)));
void Step(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Shows control characters, so that CR LF differences are visible.
std::string Visible(const std::string &text);

[[noreturn]] void FailCheck(const char *file, int line, const std::string &message);

#define CHECK(condition)                                                                   \
    do {                                                                                   \
        if (!(condition))                                                                  \
            FailCheck(__FILE__, __LINE__, "CHECK(" #condition ") failed");                 \
    } while (0)

#define CHECK_EQ(actual, expected)                                                         \
    do {                                                                                   \
        auto actual_ = (actual);                                                           \
        auto expected_ = (expected);                                                       \
        if (!(actual_ == expected_)) {                                                     \
            std::ostringstream text_;                                                      \
            text_ << #actual " is " << actual_ << ", expected " << expected_;              \
            FailCheck(__FILE__, __LINE__, text_.str());                                    \
        }                                                                                  \
    } while (0)

// Compares texts byte for byte; the message shows both and the first difference.
void CheckText(const char *file, int line, const char *what, const std::string &actual,
               const std::string &expected);
#define CHECK_TEXT(actual, expected) CheckText(__FILE__, __LINE__, #actual, (actual), (expected))

// How long every waiting step waits before it fails, in milliseconds.
DWORD WaitLimit();
// Polls condition until it is true or limit ms have passed; true if it came.
template <class Condition> bool WaitFor(Condition condition, DWORD limit = WaitLimit())
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= limit)
            return condition();
        Sleep(20);
    }
}

// ---------------------------------------------------------------- programs
struct Program {
    HANDLE process = nullptr;
    DWORD id = 0;
    HWND window = nullptr;  // Tessaron's main window (StartTessaron)
};

// Starts a program (CreateProcess) with this command line and current folder.
Program StartProgram(const std::string &commandLine, const std::string &folder);
// The path of C:\Tessaron\Tessaron.exe.
std::string TessaronPath();
// Starts Tessaron and waits until its start-up has finished: its window
// "Win32Generic"/"Tessaron" exists, it waits for input, and its main tray
// icon has been added -- or a box of its own is open (a start-up reminder).
Program StartTessaron();
// Waits until the program has ended and returns its exit code.
DWORD WaitForExit(Program &program, DWORD limit = WaitLimit());
// Chooses Exit in the tray menu; Tessaron must end with code 0.
void ExitTessaron(Program &tessaron);
// Waits until start-up has added the main tray icon, e.g. after reminders.
void WaitStartUpFinished(const Program &tessaron);
bool HasEnded(const Program &program);
// A file from the Windows build folder, e.g. BuildFile("setup.exe").
std::string BuildFile(const char *name);

// ---------------------------------------------------------------- commands
// WM_COMMAND with the id in wParam and lParam 0, posted to the main window.
void PostCommand(const Program &tessaron, int command);
// The shell's notification 1125: icon id and mouse message (WM_RBUTTONUP...).
void PostTrayMouse(const Program &tessaron, int iconId, int mouseMessage);

// ---------------------------------------------------------------- menus
// The visible popup menu (class #32768), waited for.
HWND WaitPopupMenu();
bool PopupMenuShown();
// Chooses the item at position (1 = first item, separators not counted)
// of the visible menu with Down and Enter, and waits until it has closed.
void ChooseMenuPosition(int position);
// Escape: closes the visible menu without a choice.
void DismissPopupMenu();
// The drive letters present in this Wine session, "CZ" for instance.
std::string PresentDrives();
// The position of a tray menu item (ItemExit, ItemOptions, ..., or
// ItemFirstDrive + letter index) in the menu built for PresentDrives().
int TrayMenuPosition(int item);
// Posts command 101 and chooses the item in the tray menu that opens.
void ChooseTrayMenuItem(const Program &tessaron, int item);

// ---------------------------------------------------------------- message boxes
// A visible dialog box with this caption (class #32770), waited for.
HWND WaitMessageBox(const char *caption = "Tessaron");
HWND FindMessageBox(const char *caption = "Tessaron");
std::string MessageBoxText(HWND box);  // the text (control 0xFFFF)
// The ids of the box's push buttons, in creation order (IDOK 1, IDYES 6 ...).
std::vector<int> MessageBoxButtons(HWND box);
bool MessageBoxHasIcon(HWND box);
// Checks a box: its text, the ids of its push buttons in the order the box
// makes them ({IDYES, IDNO, IDCANCEL} for MB_YESNOCANCEL) and that it shows
// an icon; then presses answer and waits until the box has gone.
void CheckMessageBox(HWND box, const std::string &text, const std::vector<int> &buttons, int answer);
// The same for the box with this caption, waited for.
void CheckMessageBox(const std::string &text, const std::vector<int> &buttons, int answer,
                     const char *caption = "Tessaron");
// Fails if a box with this caption appears within ms milliseconds.
void CheckNoMessageBox(DWORD ms, const char *caption = "Tessaron");
void WaitWindowGone(HWND window);

// ---------------------------------------------------------------- dialogs
// A visible top-level dialog (#32770) with this title, waited for.
HWND WaitDialog(const char *title);
// Any visible dialog or message box of the program, or null.
HWND FindDialogOf(const Program &program);
// The program's visible dialog "Tessaron" that has this control (nested
// dialogs share the caption with their owners), or null; and waited for.
HWND FindDialogWith(const Program &program, int controlId);
HWND WaitDialogWith(const Program &program, int controlId);
struct Control {
    int id;
    std::string className;
    std::string text;
    DWORD style;
    DWORD exStyle;
    RECT pixels;  // in the dialog's client coordinates
    // The same in dialog units: position and size converted back apart, as
    // the dialog manager converted them (right = left + width).
    RECT units;
};
std::vector<Control> DialogControls(HWND dialog);
// The dialog's client area in dialog units (left and top 0).
RECT DialogClientUnits(HWND dialog);
// Dialog base units of "MS Shell Dlg" 8 (x, y) in this Wine session.
POINT DialogBaseUnits();
// The size of a line of text in that font, as a control draws it (an "&"
// marks the next character and is not drawn).
SIZE DialogTextExtent(const std::string &text);
// The family of scalable face that font comes out as, "" for a bitmap face
// ("MS Sans Serif" at 96 DPI).
std::string DialogFontFace();
// The display's DPI in this session (LOGPIXELSY).
int ScreenDpi();
HWND ControlWindow(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string &text);
// BM_CLICK: a check box or radio button is clicked before the step returns;
// a push button's click is posted, since it may open a modal window or close
// the dialog (wait for that: WaitDialog, WaitWindowGone ...).
void ClickButton(HWND dialog, int id);
int ButtonCheck(HWND dialog, int id);  // BST_CHECKED ...
// The system's Open dialog: types the file name into its name box (unless
// it is empty), presses button (IDOK or IDCANCEL) and waits until it has gone.
void AnswerFileChooser(HWND chooser, const std::string &file, int button);
struct ButtonState {
    int id;
    int checked;  // BST_CHECKED ...
};
void CheckButtonStates(HWND dialog, const std::vector<ButtonState> &states);
// Clicks a push button and waits until the window (a dialog, a page, a box)
// has gone.
void PressButton(HWND window, int id);
// The id of the dialog's control that has the keyboard focus, or 0.
int FocusedControl(HWND dialog);
// The window's top left corner lies half its client size off the middle
// of the desktop, as the programs centre their dialogs.
void CheckCentred(HWND window);
// Presses the Help button (4): one WinHelp request must come, HELP_CONTEXT
// with this context for C:\TESSARON\TESSARON.HLP from the dialog, and the
// dialog stays open.
void CheckHelpButton(HWND dialog, int context);

// ---------------------------------------------------------------- layout
// One row of a dialog's table, in template (tab) order.
struct LayoutControl {
    int id;  // -1: no id (0xFFFF)
    const char *className;
    const char *text;  // nullptr: not compared (a field filled from settings, an icon)
    int x, y, width, height;  // dialog units; an icon takes its image's size: only its place counts
    // Compared within the bits a template decides: the kind (BS_TYPEMASK
    // for buttons, the low word otherwise), WS_TABSTOP, WS_GROUP and
    // WS_DISABLED.  A radio button's WS_TABSTOP is not compared: the dialog
    // manager gives it to the checked one of each group, and that is checked.
    DWORD style;
};
// The styles of the templates' controls.
namespace LayoutStyle {
const DWORD CheckBox = BS_AUTOCHECKBOX | WS_TABSTOP;
const DWORD Radio = BS_AUTORADIOBUTTON;
// The dialog manager may show a focused push button as the default one.
const DWORD Push = BS_PUSHBUTTON | WS_TABSTOP;
const DWORD Default = BS_DEFPUSHBUTTON | WS_TABSTOP;
const DWORD Group = BS_GROUPBOX;
const DWORD Field = ES_LEFT | WS_TABSTOP;  // a border or a client edge is checked for every edit
const DWORD Scrolling = ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP;
const DWORD Left = SS_LEFT;
const DWORD Right = SS_RIGHT;
}  // namespace LayoutStyle
// The running dialog against its table: every control, the caption, the
// client size in dialog units, the frame (popup, caption, system menu,
// modal frame) and the centring.
void CheckDialogLayout(HWND dialog, const char *caption, int width, int height,
                       const std::vector<LayoutControl> &controls);

// ---------------------------------------------------------------- tooltips
struct ToolTip {
    int id;
    const char *text;
};
const char TipOk[] = "Exit; save changes.";
const char TipCancel[] = "Exit; do not save changes.";
// The dialog's tooltip window (tooltips_class32, owned by the dialog).
HWND WaitToolTipWindow(HWND dialog);
// The dialog's tooltip registrations in order, read with TTM_ENUMTOOLSA
// through a TOOLINFO placed in the program's memory: the control, the text,
// and TTF_IDISHWND | TTF_SUBCLASS for the dialog.
void CheckToolTips(const Program &program, HWND dialog, const std::vector<ToolTip> &expected);

// ---------------------------------------------------------------- files
std::string WindowsDirectory();                  // C:\windows
std::string WindowsFile(const char *name);       // C:\windows\<name>
bool FileExists(const std::string &path);
bool ReadFileBytes(const std::string &path, std::string *bytes);
std::string ReadFileOrFail(const std::string &path);
void WriteFileBytes(const std::string &path, const std::string &bytes);
void RemoveFile(const std::string &path);
void MakeFolder(const std::string &path);
// The names in a folder ("." and ".." left out), sorted.
std::vector<std::string> FolderEntries(const std::string &folder);
// A Unix symbolic link at link to target (Windows paths), made by a Unix
// program: this Wine can make neither a junction nor a symbolic link
// itself.  It shows a link to a folder as a reparse point
// (FILE_ATTRIBUTE_REPARSE_POINT); a link to a file it shows as the file.
void MakeLink(const std::string &link, const std::string &target);
// The same path on C: through Wine's drive Z: (the Unix root):
// Z:\<prefix>\drive_c\...; this Wine gives both the same identity.
std::string OtherDriveSpelling(const std::string &path);
// Joins lines with CR LF after each, as the programs write text files.
std::string CrLfLines(const std::vector<std::string> &lines);

// ---------------------------------------------------------------- a dialog as it opens
// One of Tessaron's dialogs (caption "Tessaron") before anything changes.
struct DialogLook {
    int width, height;  // the client area in dialog units
    std::vector<LayoutControl> controls;
    std::vector<ToolTip> tips;
    int helpContext;
    const char *screenshot;  // the file name
};
// CheckDialogLayout, CheckToolTips, SaveWindowScreenshot, then CheckHelpButton.
void CheckDialogLook(const Program &tessaron, HWND dialog, const DialogLook &look);

// ---------------------------------------------------------------- the settings file
std::string SettingsPath();  // C:\windows\TESSARON.INI
// Writes these lines, CR LF, as the settings file.  The reader finds each
// key anywhere, so a few lines are a whole file for the keys they name.
void WriteSettings(const std::vector<std::string> &lines);
// Keys and values in the writer's order.
typedef std::vector<std::pair<std::string, std::string>> SettingsValues;
// Changes the values of keys that values holds; fails for any other key.
void SetSettings(SettingsValues &values, const SettingsValues &changes);
// The file exactly as the program writes it: its header, then "key = value".
std::string SettingsText(const SettingsValues &values);
// The line "key = value" for key in a settings text, or "" without one.
std::string SettingsLine(const std::string &text, const char *key);
// Overwrites the file with a short mark, so that the program's next
// rewrite can be told from it; WaitSettingsRewritten waits for that
// rewrite and returns the new file.
void MarkSettingsFile();
std::string WaitSettingsRewritten();

// ---------------------------------------------------------------- recorder
// Copies the recorder to C:\rec\<name> (for instance "explorer.exe") and
// returns that path; started, it appends its command line to C:\rec\<base>.log.
// With system, to the system folder instead (C:\windows\system32, the 64-bit
// one, which the harness cleans as well), where it stands in for chkdsk.exe
// and the like.
std::string InstallRecorder(const char *name, bool system = false);
// The command lines logged so far by the recorder copy <name>.
std::vector<std::string> RecorderLines(const char *name, bool system = false);
// Waits until the copy has logged at least count lines; returns them all.
std::vector<std::string> WaitRecorderLines(const char *name, size_t count, bool system = false);

// ---------------------------------------------------------------- consoles
// The visible console window of a command the programs started, waited
// for; and Enter pressed in it, as a user ends "pause".
HWND WaitConsoleWindow();
void PressEnterInConsole(HWND console);

// ---------------------------------------------------------------- display
// Changes the size of Wine's desktop (ChangeDisplaySettings), as a new
// display would; the programs get WM_DISPLAYCHANGE.
void ChangeDisplaySize(int width, int height);

// ---------------------------------------------------------------- Windows version
// The version Wine reports to the programs started from now on (value
// Version of HKCU\Software\Wine): "win98" (every scenario starts with it),
// "winxp", "win7", "win10" ...
void UseWindowsVersion(const char *version);

// ---------------------------------------------------------------- registry
bool ReadRegistryText(HKEY root, const char *key, const char *value, std::string *text);
bool RegistryKeyExists(HKEY root, const char *key);
void CreateRegistryKey(HKEY root, const char *key);  // with its parents; present is fine
// Sets a text value (the key's default value for ""), creating the key.
void SetRegistryText(HKEY root, const char *key, const char *value, const std::string &text);
// What Wine cannot answer, the programs read from test settings of the
// prefix, text values of this key (platform_win32.h, WineTestSetting):
// "SolidStateDrives" and "RotatingDrives" (drive letters), "ConsentPrompt"
// ("declined").  Every scenario starts without any.
const char WineTestKey[] = "Software\\Wine\\Tessaron";
// The registry is not reset between scenarios (the Wine session lives on):
// a scenario that writes keys removes them first, so that it starts clean.
void DeleteRegistryKey(HKEY root, const char *key);  // with its subkeys; absent is fine

// ---------------------------------------------------------------- shell logs
// One Shell_NotifyIcon call as the tray received it.
struct TrayCall {
    DWORD operation;  // NIM_ADD 0, NIM_MODIFY 1, NIM_DELETE 2, NIM_SETFOCUS 3, NIM_SETVERSION 4
    HWND window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    std::string tip;
    UINT version;   // NIM_SETVERSION's; 0 from a record too small to carry it
    bool refused;   // by RefuseFirstTrayAdds, not passed on
};
std::vector<TrayCall> TrayCalls();
std::vector<TrayCall> WaitTrayCalls(size_t count);
void ClearTrayCalls();
// From now on the tray answers the first NIM_ADD of each icon id with
// FALSE, as a shell busy at log-on may, and passes it on to no tray.
void RefuseFirstTrayAdds();
// Sends a notification as the shell does (SendNotifyMessage, not posted):
// the icon id and the mouse message or NIN_KEYSELECT ...
void SendTrayNotification(const Program &tessaron, int iconId, UINT message);
// One WinHelp request.
struct HelpCall {
    HWND caller;
    UINT command;  // HELP_CONTEXT, HELP_QUIT ...
    ULONG_PTR data;  // the context number for HELP_CONTEXT
    std::string file;
};
std::vector<HelpCall> HelpCalls();
std::vector<HelpCall> WaitHelpCalls(size_t count);
void ClearHelpCalls();
// Where the programs find their help file (C:\Tessaron, upper case).
const char HelpFilePath[] = "C:\\TESSARON\\TESSARON.HLP";
// Closing the main window asks WinHelp to quit twice, for the help file and
// then with no file: checks that those are requests from and from + 1, and
// the last ones.
void CheckHelpQuitRequests(const Program &tessaron, size_t from);
// Closes the driver's MS_WINHELP window for the rest of the scenario: the
// programs' WinHelp requests then start Wine's own viewer (winhlp32.exe,
// whose main window has the same class) and HelpCalls() records no more.
void UseRealWinHelp();

// ---------------------------------------------------------------- screenshots
// The Unix folder named by TESSARON_SHOTS, or "": only runs that ask for
// screenshots write them, so that ordinary runs leave the source tree alone.
std::string ScreenshotFolder();
// Saves this screen area (pixels of Wine's desktop) as <folder>/<name>,
// enlarged scale times without smoothing; does nothing without a folder.
void SaveScreenshot(const RECT &area, const char *name, int scale = 1);
// The window as it shows, frame included.
void SaveWindowScreenshot(HWND window, const char *name);
// The pixels that paint leaves in a memory bitmap of this size.
template <class Paint> std::vector<COLORREF> Pixels(int width, int height, Paint paint)
{
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    paint(memory, screen);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            pixels.push_back(GetPixel(memory, x, y));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}
// Wine's own taskbar, where the icons are shown (not the driver's
// Shell_TrayWnd), or null.
HWND WineTaskbar();
// The right end of the taskbar, where the notification area shows this
// many icons, enlarged scale times so that they can be made out.
void SaveTrayScreenshot(const char *name, int icons, int scale);

// ---------------------------------------------------------------- calendar
// Today's day in the year by the programs' rule: February always 29 days.
int TodayDayNumber();
