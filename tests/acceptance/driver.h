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
//   The names must be C identifiers and unique across all files.  Each
//   SCENARIO line must start at the beginning of its line.  Scenarios with
//   extra drives run after the others, grouped by their drives (a change of
//   drives restarts the Wine session, about 3 s).
//
// Running
//   All:       ctest --test-dir <build> -L acceptance
//   One:       ctest --test-dir <build> -R acceptance.exit_ends_with_code_0
//              (CTest adds the set-up and clean-up fixtures by itself)
//   By hand:   h=tests/acceptance/harness.sh; s=<build>/acceptance
//              $h start $s <build>/windows; $h run $s <name> ["<drives>"]; $h stop $s
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
//   a dialog with the font "MS Sans Serif" 8, measured by the driver itself.
#pragma once

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

// ---------------------------------------------------------------- scenarios
typedef void (*ScenarioFunction)();

struct ScenarioRegistration {
    ScenarioRegistration(const char *name, const char *drives, ScenarioFunction function);
};

#define SCENARIO(name) SCENARIO_DRIVES(name, "")
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
// Starts Tessaron and waits only for its window (found during WM_CREATE),
// for start-ups that block without a box (a reminder's tool still running).
Program StartTessaronWindowOnly();
// Waits until the program has ended and returns its exit code.
DWORD WaitForExit(Program &program, DWORD limit = WaitLimit());
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
// Waits for the box, presses the button (BM_CLICK) and waits until the box
// has gone; returns the box's text.
std::string AnswerMessageBox(int buttonId, const char *caption = "Tessaron");
// Fails if a box with this caption appears within ms milliseconds.
void CheckNoMessageBox(DWORD ms, const char *caption = "Tessaron");
void WaitWindowGone(HWND window);

// ---------------------------------------------------------------- dialogs
// A visible top-level dialog (#32770) with this title, waited for.
HWND WaitDialog(const char *title);
// Any visible dialog or message box of the program, or null.
HWND FindDialogOf(const Program &program);
struct Control {
    int id;
    std::string className;
    std::string text;
    DWORD style;
    DWORD exStyle;
    RECT pixels;  // in the dialog's client coordinates
    RECT units;   // the same in dialog units
};
std::vector<Control> DialogControls(HWND dialog);
// The dialog's client area in dialog units (left and top 0).
RECT DialogClientUnits(HWND dialog);
// Dialog base units of "MS Sans Serif" 8 (x, y) in this Wine session.
POINT DialogBaseUnits();
HWND ControlWindow(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string &text);
// BM_CLICK: a check box or radio button is clicked before the step returns;
// a push button's click is posted, since it may open a modal window or close
// the dialog (wait for that: WaitDialog, WaitWindowGone ...).
void ClickButton(HWND dialog, int id);
int ButtonCheck(HWND dialog, int id);  // BST_CHECKED ...

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
// Joins lines with CR LF after each, as the programs write text files.
std::string CrLfLines(const std::vector<std::string> &lines);

// ---------------------------------------------------------------- recorder
// Copies the recorder to C:\rec\<name> (for instance "explorer.exe") and
// returns that path; started, it appends its command line to C:\rec\<base>.log.
std::string InstallRecorder(const char *name);
// The command lines logged so far by the recorder copy <name>.
std::vector<std::string> RecorderLines(const char *name);
// Waits until the copy has logged at least count lines; returns them all.
std::vector<std::string> WaitRecorderLines(const char *name, size_t count);

// ---------------------------------------------------------------- registry
bool ReadRegistryText(HKEY root, const char *key, const char *value, std::string *text);
bool ReadRegistryNumber(HKEY root, const char *key, const char *value, DWORD *number);
bool RegistryKeyExists(HKEY root, const char *key);
// The registry is not reset between scenarios (the Wine session lives on):
// a scenario that writes keys removes them first, so that it starts clean.
void WriteRegistryText(HKEY root, const char *key, const char *value, const std::string &text);
void DeleteRegistryKey(HKEY root, const char *key);  // with its subkeys; absent is fine

// ---------------------------------------------------------------- shell logs
// One Shell_NotifyIcon call as the tray received it.
struct TrayCall {
    DWORD operation;  // NIM_ADD 0, NIM_MODIFY 1, NIM_DELETE 2
    HWND window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    std::string tip;
};
std::vector<TrayCall> TrayCalls();
std::vector<TrayCall> WaitTrayCalls(size_t count);
void ClearTrayCalls();
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

// ---------------------------------------------------------------- calendar
// Today's day in the year by the programs' rule: February always 29 days.
int TodayDayNumber();
