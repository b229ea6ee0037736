// Application state of the tray program and the entry points that its
// modules offer the main window.  Win32 side only.
#pragma once
#include <windows.h>

enum { PathTextSize = 512 };

extern HINSTANCE AppInstance;
extern HWND MainWindow;            // null until the window's creation returns
extern char HelpFilePath[PathTextSize];
extern char WarnedDrives[128];
extern HMENU QuickAccessMenu;
extern HMENU TrayMenu;
extern int QuickAccessPending;
extern char OpenPathText[PathTextSize];
extern const int StartShowCommand;  // SW_SHOWNORMAL, never changed

// The loaded icon for a tray icon id (5..11, 15); null for other ids.
HICON TrayIconHandle(int iconId);

// app_win32.cpp
void ShowHelpTopic(HWND owner, int *result, int topic);
// Starts Explorer at target; shows the Explorer failure message when
// reportFailure is set and the start failed.
void OpenExplorerAt(const char *target, bool reportFailure);
// trayicons_win32.cpp
void UpdateTrayIcons(HWND window, DWORD operation);
void HandleTrayMouse(int iconId, int mouseMessage);

// settings_win32.cpp
// The Windows directory, or false when it cannot be had or does not fit.
bool GetWindowsDir(char *buffer, size_t size);
void LoadSettings(void);
void SaveSettings(void);
void FillDefaultToolLocations(void);

// quickaccess_win32.cpp
void RebuildQuickAccessMenu(void);
void ShowQuickAccessMenu(POINT cursor);  // the menu and the action on the choice
void AppendQuickAccessPath(const char *path);

// maintenance_win32.cpp
void RunMaintenanceReminders(HWND owner);
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
