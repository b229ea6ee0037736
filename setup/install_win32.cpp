#include <stdio.h>
#include <string.h>

#include "platform_win32.h"
#include "setup_win32.h"
#include "startup_win32.h"

static const char SetupCaption[] = "Setup";
static const char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron";
static char UninstallKeyClass[] = "None";

static void WindowsDirectory(char *dir, size_t size)
{
    GetWindowsDir(dir, size);
}

static void SystemDirectory(char *dir, size_t size)
{
    GetSystemDir(dir, size);
}

static void CurrentDirectory(char *dir, size_t size)
{
    DWORD length = GetCurrentDirectoryA((DWORD)size, dir);
    if (length == 0 || length >= size)
        dir[0] = '\0';
}

static bool FullPath(const char *path, char *out, size_t size)
{
    DWORD length = GetFullPathNameA(path, (DWORD)size, out, NULL);
    return length > 0 && length < size;
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
    CurrentPlatform, WindowsDirectory, SystemDirectory, CurrentDirectory, FullPath, CreateFolder,
    TouchFile, RemoveFile, CopyOneFile, ClearReadOnly, WriteScriptFile, RegisterUninstallKey,
    QueryStartupFolder, CreateShortcut, Warn,
};
