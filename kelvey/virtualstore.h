// Where Vista and later keep a program's own copy of a Windows-directory
// file: a program without a manifest that writes there (the tray program
// writing TESSARON.INI) is given the file in the user's VirtualStore.
// Portable.
#pragma once
#include <stddef.h>

// The VirtualStore copy of path, when path lies in windowsDir (a folder
// with a drive letter): localAppData\VirtualStore\<the Windows directory
// without its drive>\<the rest>.  C:\WINDOWS\Tessaron.ini gives
// <localAppData>\VirtualStore\WINDOWS\Tessaron.ini.  False for any other
// path, an empty localAppData, or a copy that does not fit.
bool VirtualStoreCopy(const char *path, const char *windowsDir, const char *localAppData,
                      char *out, size_t size);
