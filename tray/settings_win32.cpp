// TESSARON.INI in the Windows directory: the system side of the settings.
#include <io.h>

#include "app_win32.h"
#include "settings.h"

static const char SaveFailedText[] = "There was an error while attempting to save your options.";

enum { WindowsDirSize = 512, SettingsPathSize = 4096 };

typedef BOOL(WINAPI *MoveFileExFunction)(LPCSTR, LPCSTR, DWORD);

// MoveFileEx replaces an existing file in one step.  Windows 98 and ME have
// it only as a stub that always fails, so it is looked up at run time and
// the save falls back to removing and renaming.  It fails while another
// program (a scanner, a backup) holds the old file open for a moment, so
// try again for up to half a second; a failure leaves the old file whole.
static bool ReplaceFileWin32(const char *from, const char *to)
{
    // Looked up once.  (A static initialised by a call would bring in the
    // C++ library's thread-safe guard, and with it calls Windows 98 lacks.)
    static MoveFileExFunction moveFileEx;
    static bool looked;
    if (!looked) {
        moveFileEx = (MoveFileExFunction)FindSystemFunction("kernel32.dll", "MoveFileExA");
        looked = true;
    }
    if (moveFileEx == NULL)
        return false;
    for (int attempt = 0; attempt < 10; attempt++) {
        if (moveFileEx(from, to, MOVEFILE_REPLACE_EXISTING))
            return true;
        if (GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
            return false;
        Sleep(50);
    }
    return false;
}

static FILE *OpenFileWin32(const char *path, const char *mode)
{
    return fopen(path, mode);
}

static bool RenameFileWin32(const char *from, const char *to)
{
    return MoveFileA(from, to) != 0;
}

static bool RemoveFileWin32(const char *path)
{
    return DeleteFileA(path) != 0;
}

static bool FileExistsWin32(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static bool FlushFileWin32(FILE *file)
{
    return FlushFileBuffers((HANDLE)_get_osfhandle(_fileno(file))) != 0;
}

static const SettingsFileOps SettingsFileOpsWin32 = {
    OpenFileWin32, ReplaceFileWin32, RenameFileWin32, RemoveFileWin32, FileExistsWin32, FlushFileWin32,
};

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
    if (!GetSettingsPath(path, sizeof path) || !SaveSettingsFile(path, SettingsFileOpsWin32))
        MessageBoxA(NULL, SaveFailedText, BoxTitle, MB_ICONWARNING);
}

void FillDefaultToolLocations(void)
{
    // The system folder's own tools first, where the system has them.
    char systemDir[WindowsDirSize];
    GetSystemDir(systemDir, sizeof systemDir);  // empty: the 9x defaults below, or nothing
    ApplySystemToolLocations(CurrentPlatform(), systemDir);

    char windowsDir[WindowsDirSize];
    GetWindowsDir(windowsDir, sizeof windowsDir);  // empty: the locations stay empty
    ApplyDefaultToolLocations(windowsDir);
}
