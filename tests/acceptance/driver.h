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
//   SCENARIO line must start at the beginning of its line.
//   Run one:   ctest --test-dir <build> -R acceptance.exit_ends_with_code_0
//   By hand:   wine <build>/windows/driver.exe --list  (inside the prefix
//              the harness made; see tests/acceptance/harness.sh)
//
// What the harness guarantees before each scenario
//   - a Wine prefix whose C:\windows holds no TESSARON.INI, TESSARON.QAL or
//     other file that an earlier scenario left; everything a scenario creates
//     on C: is removed afterwards, and so are the folders of its extra drives;
//   - C:\Tessaron\Tessaron.exe (fresh copy of the build's program),
//     C:\rec\recorder.exe (the recorder), and the environment variable
//     TESSARON_BIN naming the Windows build folder (BuildFile() below);
//   - the driver's own "Shell_TrayWnd" and "MS_WINHELP" windows, which log
//     every tray icon call (and forward it to Wine's tray) and every WinHelp
//     request (answering them, so that no help window ever blocks);
//   - afterwards, every process that the scenario started (Tessaron, tools,
//     recorders, WinHelp) is ended.
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
// icon has been added (or a "Tessaron" message box is up, e.g. a reminder).
Program StartTessaron();
// Starts Tessaron and waits only for its window (found during WM_CREATE).
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

// ---------------------------------------------------------------- calendar
// Today's day in the year by the programs' rule: February always 29 days.
int TodayDayNumber();
