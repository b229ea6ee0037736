// Placeholder until the settings file arrives.
#include "app_win32.h"

bool GetWindowsDir(char *buffer, size_t size)
{
    UINT n = GetWindowsDirectoryA(buffer, (UINT)size);
    return n != 0 && n < size;
}
void LoadSettings(void) {}
void SaveSettings(void) {}
void FillDefaultToolLocations(void) {}
