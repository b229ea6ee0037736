#include "dialogs.h"

#include "textops.h"

void SpaceDriveList(char *list, size_t size)
{
    BoundedReplaceText(list, size, ", ", " ", -1);
    BoundedReplaceText(list, size, ",", " ", -1);
}

int CheckForFlag(int flag, bool inverted)
{
    return (flag != 0) != inverted ? 1 : 0;
}

int FlagForCheck(int state, bool inverted)
{
    return (state != 0) != inverted ? 1 : 0;
}

static char *ToolLocation(int index)
{
    char *const fields[ToolLocationCount] = {
        Settings.szExplorerLocation, Settings.szScanLocation,
        Settings.szDefragmentLocation, Settings.szBackupLocation,
        Settings.szDriveSpaceLocation, Settings.szCompressionAgentLocation,
    };
    return fields[index];
}

void SaveToolLocations(SavedToolLocations *saved)
{
    for (int i = 0; i < ToolLocationCount; i++)
        CopyText(saved->text[i], sizeof saved->text[i], ToolLocation(i));
}

void RestoreToolLocations(const SavedToolLocations *saved)
{
    for (int i = 0; i < ToolLocationCount; i++)
        CopyText(ToolLocation(i), LocationSize, saved->text[i]);
}
