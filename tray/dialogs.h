// What the option dialogs decide without a window.  Portable: no <windows.h>.
#pragma once
#include <stddef.h>

#include "settings.h"

// The drive lists are shown with blanks between the drives: every ", " and
// then every remaining "," becomes one blank.  The text never grows.
void SpaceDriveList(char *list, size_t size);

// Check box state for a flag and back: ticked exactly when the flag is
// non-zero (zero when inverted); any non-zero state counts as ticked and
// stores 1 (0 when inverted).
int CheckForFlag(int flag, bool inverted);
int FlagForCheck(int state, bool inverted);

// The six tool locations as the Tool Locations dialog found them, so that
// Cancel can take back what Browse stored meanwhile.
enum { ToolLocationCount = 6 };
struct SavedToolLocations {
    char text[ToolLocationCount][LocationSize];
};
void SaveToolLocations(SavedToolLocations *saved);
void RestoreToolLocations(const SavedToolLocations *saved);
