// TESSARON.INI in the Windows directory: the system side of the settings.
#include "app_win32.h"
#include "settings.h"

static const char SaveFailedText[] = "There was an error while attempting to save your options.";

enum { WindowsDirSize = 512, SettingsPathSize = 4096 };

bool GetWindowsDir(char *buffer, size_t size)
{
    UINT n = GetWindowsDirectoryA(buffer, (UINT)size);
    return n != 0 && n < size;
}

// MoveFileEx replaces an existing file, which rename() on Windows will not.
// It fails while another program (a scanner, a backup) holds the old file
// open for a moment, so try again for up to half a second; the old file is
// never overwritten in place, so a failure leaves it whole.
static bool ReplaceFileWin32(const char *from, const char *to)
{
    for (int attempt = 0; attempt < 10; attempt++) {
        if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING))
            return true;
        Sleep(50);
    }
    return false;
}

static bool GetSettingsPath(char *path, size_t size)
{
    char windowsDir[SettingsPathSize];
    return GetWindowsDir(windowsDir, sizeof windowsDir) &&
           SettingsFilePath(windowsDir, path, size);
}

void LoadSettings(void)
{
    char path[SettingsPathSize];
    if (GetSettingsPath(path, sizeof path))
        LoadSettingsFile(path);  // a missing file leaves the start-up values
}

void SaveSettings(void)
{
    char path[SettingsPathSize];
    if (!GetSettingsPath(path, sizeof path) || !SaveSettingsFile(path, ReplaceFileWin32))
        MessageBoxA(NULL, SaveFailedText, BoxTitle, MB_ICONWARNING);
}

void FillDefaultToolLocations(void)
{
    char windowsDir[WindowsDirSize];
    if (!GetWindowsDir(windowsDir, sizeof windowsDir))
        windowsDir[0] = '\0';  // the locations stay empty
    ApplyDefaultToolLocations(windowsDir);
}
