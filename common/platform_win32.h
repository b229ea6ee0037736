// The one place that asks Windows which system it is, and the calls that
// not every system has, looked up at run time.  Shared by the programs.
#pragma once
#include <windows.h>

#include <stddef.h>

#include "platform.h"

// Filled at the first call: GetVersion, and IsWow64Process where the
// system has it.
const Platform &CurrentPlatform(void);

// Shell32's version, asked once (the library is loaded for it), and
// whether the tray icons take the keyboard (HasKeyboardTrayIcons).
const ShellVersion &CurrentShellVersion(void);
bool KeyboardTrayIcons(void);

// A function that not every system has, looked up at run time in a system
// library, which is loaded if need be and stays loaded; null when either
// is missing.  The caller casts it to the function's own type.
typedef void (*SystemFunction)(void);
SystemFunction FindSystemFunction(const char *library, const char *name);

// The Windows directory (GetWindowsDirectoryA) and the system folder
// (GetSystemDirectoryA); false, and the buffer empty, when it cannot be had
// or does not fit.  A 32-bit program on 64-bit Windows gets System32 too,
// but its opening of files there lands in the 32-bit folder (SysWOW64).
bool GetWindowsDir(char *buffer, size_t size);
bool GetSystemDir(char *buffer, size_t size);

// Switches the redirection of System32 off for this thread, so that a
// 32-bit program on 64-bit Windows reaches the 64-bit folder; false (and
// nothing to restore) where there is none.  Only around a single start:
// the system's own libraries are found through it too.
bool SwitchRedirectionOff(void **state);
void RestoreRedirection(void *state);

// A text value (REG_SZ or REG_EXPAND_SZ, not expanded); false when it is
// missing, of another type or longer than the buffer.
bool QueryRegistryText(HKEY root, const char *subkey, const char *value, char *text, size_t size);

// The disk under a volume ("C:\"), by its seek penalty; Unknown where the
// system does not answer (Wine 8 does not, nor a volume over several disks).
DiskMedia VolumeMedia(const char *root);
// Whether the volume's file system is NTFS.
bool VolumeIsNtfs(const char *root);

// A setting of the tests, read only under Wine, which cannot answer some
// questions a scenario needs answered: a text value under
// HKEY_CURRENT_USER\Software\Wine\Tessaron.  False (and the text empty)
// on Windows, whatever its registry holds.
//   SolidStateDrives, RotatingDrives: the letters whose disk VolumeMedia
//       reports so where the system itself cannot say ("D" ...);
//   ConsentPrompt: "declined" makes the consent prompt fail as a user's
//       refusal does (Wine has no prompt).
bool WineTestSetting(const char *name, char *text, size_t size);
