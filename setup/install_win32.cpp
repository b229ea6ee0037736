#include <stdio.h>
#include <string.h>

#include "pathrules_win32.h"
#include "platform_win32.h"
#include "setup_win32.h"
#include "startup_win32.h"
#include "textops.h"

static const char SetupCaption[] = "Setup";
static const char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron";
static char UninstallKeyClass[] = "None";

static void WindowsDirectory(char *dir, size_t size)
{
    GetWindowsDir(dir, size);
}

static void CurrentDirectory(char *dir, size_t size)
{
    DWORD length = GetCurrentDirectoryA((DWORD)size, dir);
    if (length == 0 || length >= size)
        dir[0] = '\0';
}

static bool CreateFolder(const char *path)
{
    return CreateDirectoryA(path, NULL) != 0;
}

static bool TouchFile(const char *path)
{
    FILE *file = fopen(path, "w");
    if (file == NULL)
        return false;
    fclose(file);
    return true;
}

static void RemoveFile(const char *path)
{
    remove(path);  // DeleteFileA, a stream name included
}

static bool CopyOneFile(const char *source, const char *dest)
{
    return CopyFileA(source, dest, FALSE) != 0;
}

static void ClearReadOnly(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}

// The system's reason for the last error, in its own words, on one line.
static void LastErrorText(char *why, size_t size)
{
    DWORD error = GetLastError();
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, why,
                       (DWORD)size, NULL) == 0)
        FormatText(why, size, "error %lu.", (unsigned long)error);
    size_t n = strlen(why);
    while (n > 0 && (why[n - 1] == '\r' || why[n - 1] == '\n' || why[n - 1] == ' '))
        why[--n] = '\0';
}

typedef BOOL(WINAPI *MoveFileExFunction)(LPCSTR, LPCSTR, DWORD);

// The new script goes to a file of its own, forced to disk, and only then
// takes the old one's place: a failure leaves the old script whole.
static bool WriteScript(const char *path, const char *text, char *why, size_t whySize)
{
    char temporary[SetupPathSize + 8];
    FormatText(temporary, sizeof temporary, "%s.TMP", path);
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        LastErrorText(why, whySize);
        return false;
    }
    DWORD length = (DWORD)strlen(text), written = 0;
    bool whole = WriteFile(file, text, length, &written, NULL) && written == length && FlushFileBuffers(file);
    if (!whole)
        LastErrorText(why, whySize);
    if (!CloseHandle(file) && whole) {
        LastErrorText(why, whySize);
        whole = false;
    }
    // MoveFileEx replaces in one step; 95, 98 and ME have only a failing
    // stub, and there the old script goes first.
    MoveFileExFunction moveFileEx = (MoveFileExFunction)FindSystemFunction("kernel32.dll", "MoveFileExA");
    bool placed = whole && ((moveFileEx != NULL && moveFileEx(temporary, path, MOVEFILE_REPLACE_EXISTING)) ||
                            ((GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES || DeleteFileA(path)) &&
                             MoveFileA(temporary, path)));
    if (whole && !placed)
        LastErrorText(why, whySize);
    if (!placed)
        DeleteFileA(temporary);
    return placed;
}

static bool ReadWholeFile(const char *path, char *data, size_t size)
{
    FILE *file = fopen(path, "rb");
    if (file == NULL)
        return false;
    size_t length = fread(data, 1, size - 1, file);
    bool whole = length < size - 1 && !ferror(file);
    fclose(file);
    data[length] = '\0';
    return whole;
}

static bool Registered(void)
{
    char command[SetupPathSize];
    return QueryRegistryText(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString", command, sizeof command);
}

static void RegisterUninstallKey(const char *displayName, const char *uninstallString)
{
    HKEY key = NULL;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, 0, UninstallKeyClass,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key,
                        &disposition) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, (const BYTE *)displayName,
                   (DWORD)strlen(displayName) + 1);
    RegSetValueExA(key, "UninstallString", 0, REG_SZ, (const BYTE *)uninstallString,
                   (DWORD)strlen(uninstallString) + 1);
    RegCloseKey(key);
}

static void CreateShortcut(const char *target, const char *file, const char *description)
{
    CreateStartupShortcut(SetupWindow, target, file, description);
}

void ShowSetupWarning(HWND owner, const char *text)
{
    MessageBoxA(owner, text, SetupCaption, MB_OK | MB_ICONWARNING);
}

static void Warn(const char *text)
{
    ShowSetupWarning(SetupWindow, text);
}

const InstallOps SetupInstallOps = {
    CurrentPlatform, WindowsDirectory, CurrentDirectory, &SystemPaths, GetSystemPlaces, CreateFolder, TouchFile,
    RemoveFile, CopyOneFile, ClearReadOnly, WriteScript, ReadWholeFile, Registered, RegisterUninstallKey,
    QueryStartupFolder, CreateShortcut, Warn,
};
