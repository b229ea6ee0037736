// The user's Start-up folder and the shortcut in it; the uninstaller finds
// the shortcut the same way.
#pragma once
#include <windows.h>

#include <stddef.h>

#include "platform_win32.h"  // QueryRegistryText
// A value of the Shell Folders key under root ("Startup", "Programs" ...);
// false when it is missing or empty.
bool QueryShellFolder(HKEY root, const char *value, char *dir, size_t size);
// The "Startup" value of the user's Shell Folders.
bool QueryStartupFolder(char *dir, size_t size);

// A shell link to target with description, saved at file.  Needs COM.
void CreateStartupShortcut(HWND owner, const char *target, const char *file,
                           const char *description);
