// Application state of the tray program and the entry points that its
// modules offer the main window.  Win32 side only.
#pragma once
#include <windows.h>

#include "app.h"  // ToolKind
#include "platform_win32.h"  // FindSystemFunction, CurrentPlatform

struct ToolStart;
struct ToolSystem;
enum class StartOutcome;

enum { PathTextSize = 512 };

extern HINSTANCE AppInstance;
extern HWND MainWindow;            // null until the window's creation begins
extern char HelpFilePath[PathTextSize];
extern char WarnedDrives[128];
extern HMENU QuickAccessMenu;
extern HMENU TrayMenu;
extern int QuickAccessPending;
extern char OpenPathText[PathTextSize];
extern const int StartShowCommand;  // SW_SHOWNORMAL, never changed
extern const char BoxTitle[];       // the caption of every message box

// app_win32.cpp
void ShowHelpTopic(HWND owner, int *result, int topic);
// Starts Explorer at target (up to 2,047 characters, never cut) under the
// wait cursor; shows the Explorer failure message when reportFailure is set
// and the start failed.
void OpenExplorerAt(const char *target, bool reportFailure);

// trayicons_win32.cpp
enum { FreeSpaceTimer = 1, IconRetryTimer = 2 };  // the main window's timers
// The icon's image drawn for the small size of this display (the tray's
// slot: 16 pixels at 100 percent, 24 at 150), not the large one shrunk.
HICON LoadSmallIcon(int iconId);
void LoadTrayIcons(void);          // the eight tray icons, at start-up
// The loaded icon for a tray icon id (5..11, 15); null for other ids.
HICON TrayIconHandle(int iconId);
// Icons whose add the shell refuses are asked for again: every second
// (IconRetryTimer) in the first minute after start-up, and at every tick of
// FreeSpaceTimer, both calling RetryRefusedTrayIcons.
void UpdateTrayIcons(HWND window, DWORD operation);
void RetryRefusedTrayIcons(HWND window, UINT_PTR timer);
void HandleTrayMouse(int iconId, int mouseMessage);
// A menu opened from the icon has closed: when the keyboard opened it, the
// focus goes back to the tray (NIM_SETFOCUS).
void TrayMenuClosed(HWND window, int iconId);
void LaunchTool(ToolKind tool);
// The shell's "TaskbarCreated" message, sent when the taskbar (re)starts:
// the main window adds its icons again on it (AddIconsToNewTaskbar).
void WatchShellRestart(void);
bool IsShellRestartMessage(UINT message);
void AddIconsToNewTaskbar(HWND window);

// toolstart_win32.cpp
// The NT system the tools run on, its drives as they are now; null on
// Windows 95, 98 and ME.
const ToolSystem *CurrentToolSystem(void);
// Carries out a planned start (disktools.h) and, when wait is set, waits
// for the tool to end, answering the messages other programs send.
StartOutcome StartTool(ToolStart *start, bool wait);

// settings_win32.cpp
void LoadSettings(void);
void SaveSettings(void);
void FillDefaultToolLocations(void);

// quickaccess_win32.cpp
void RebuildQuickAccessMenu(void);
// Command 103 reads the cursor (GetCursorPos) and calls this only when
// QuickAccessPending is 1, with the main window made foreground first (so
// the menu closes on a click elsewhere); it posts WM_NULL afterwards.  This
// waits 200 ms, clears the flag, shows the menu at cursor and acts on the
// choice (an entry's whole text, up to 2,047 characters, goes to
// OpenExplorerAt with reportFailure false).  Adding the tray icons
// afterwards stays with command 103.
void ShowQuickAccessMenu(POINT cursor);
// Adds nothing for an empty path or one that cannot be a single line; a
// failed write leaves the list as it was.  The caller rebuilds the menu.
void AppendQuickAccessPath(const char *path);
void ClearQuickAccessList(void);  // deletes TESSARON.QAL, then rebuilds

// maintenance_win32.cpp
void RunMaintenanceReminders(void);  // inside WM_CREATE
void CheckFreeSpace(void);

// One file per dialog: dlg_<name>_win32.cpp
void RunOptionsDialog(HWND owner);      // template 2000 (opens 5000 itself)
void RunMaintenanceDialog(HWND owner);  // template 3 (opens 103 and 104 itself)
void RunOpenPathDialog(HWND owner);     // template 6000

// filechooser_win32.cpp: the system's Open dialog with the single filter
// "All Files (*.*)"; non-zero when a file was picked, its path then in
// ChosenFile.
extern char ChosenFile[PathTextSize];
int ChooseFile(HWND owner, const char *title, DWORD flags, DWORD filterIndex);
