// What the setup program's Windows modules share.
#pragma once
#include <windows.h>

#include "install.h"

extern HINSTANCE SetupInstance;
extern HWND SetupWindow;  // owner of every page and message box

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FolderPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FinishedPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The installation sequence's operations on this system.
extern const InstallOps SetupInstallOps;
// A warning box with caption "Setup", OK and the warning icon.
void ShowSetupWarning(HWND owner, const char *text);
