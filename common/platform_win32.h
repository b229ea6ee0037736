// The one place that asks Windows which system it is, and the calls that
// not every system has, looked up at run time.  Shared by the programs.
#pragma once
#include <windows.h>

#include <stddef.h>

#include "platform.h"

// Filled at the first call: GetVersion, and IsWow64Process where the
// system has it.
const Platform &CurrentPlatform(void);

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

