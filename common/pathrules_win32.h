// The path rules on this system.
#pragma once
#include <windows.h>

#include "pathrules.h"

// The path rules' view of this system: full paths, stored names, the
// identity of a file or folder (the NT family only: 95, 98 and ME cannot
// open a folder), reparse points and folder listings.
extern const PathOps SystemPaths;
// The places no product's files may be in: the Windows and system folders,
// SysWOW64 and Sysnative where they exist, and on the NT family every
// drive's root.
void GetSystemPlaces(SystemPlaces *places);
// The path rules step over the second byte of the ANSI code page's
// double-byte characters.
void UseSystemLeadBytes(void);
