#include "platform_win32.h"

#include <string.h>

#include "textops.h"

SystemFunction FindSystemFunction(const char *library, const char *name)
{
    HMODULE module = GetModuleHandleA(library);
    if (module == NULL)
        module = LoadLibraryA(library);
    return module != NULL ? (SystemFunction)GetProcAddress(module, name) : NULL;
}

typedef BOOL(WINAPI *IsWow64Function)(HANDLE, PBOOL);
typedef BOOL(WINAPI *RedirectionOffFunction)(PVOID *);
typedef BOOL(WINAPI *RedirectionBackFunction)(PVOID);

const Platform &CurrentPlatform(void)
{
    // Filled once, without a static initialised by a call (that would bring
    // in the C++ library's guard, and with it calls Windows 98 lacks).
    static Platform platform;
    static bool known;
    if (!known) {
        known = true;
        // GetVersion answers on every system; its top bit marks 95, 98 and ME.
        DWORD version = GetVersion();
        platform.nt = (version & 0x80000000u) == 0;
        platform.major = (int)LOBYTE(LOWORD(version));
        platform.minor = (int)HIBYTE(LOWORD(version));
        // XP SP2 and later; a system without it runs no 32-bit emulation.
        IsWow64Function isWow64 = (IsWow64Function)FindSystemFunction("kernel32.dll", "IsWow64Process");
        BOOL wow64 = FALSE;
        platform.wow64 = platform.nt && isWow64 != NULL && isWow64(GetCurrentProcess(), &wow64) && wow64;
    }
    return platform;
}

static bool GetFolder(UINT(WINAPI *get)(LPSTR, UINT), char *buffer, size_t size)
{
    UINT n = get(buffer, (UINT)size);
    if (n != 0 && n < size)
        return true;
    if (size > 0)
        buffer[0] = '\0';
    return false;
}

bool GetWindowsDir(char *buffer, size_t size)
{
    return GetFolder(GetWindowsDirectoryA, buffer, size);
}

bool GetSystemDir(char *buffer, size_t size)
{
    return GetFolder(GetSystemDirectoryA, buffer, size);
}

bool SwitchRedirectionOff(void **state)
{
    if (!CurrentPlatform().wow64)
        return false;
    RedirectionOffFunction off =
        (RedirectionOffFunction)FindSystemFunction("kernel32.dll", "Wow64DisableWow64FsRedirection");
    return off != NULL && off(state);
}

void RestoreRedirection(void *state)
{
    RedirectionBackFunction back =
        (RedirectionBackFunction)FindSystemFunction("kernel32.dll", "Wow64RevertWow64FsRedirection");
    if (back != NULL)
        back(state);
}

// ---------------------------------------------------------------- paths

static bool FullPathWin32(const char *path, char *out, size_t size)
{
    DWORD length = GetFullPathNameA(path, (DWORD)size, out, NULL);
    return length > 0 && length < size;
}

static bool StoredNameWin32(const char *path, char *name, size_t size)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return lstrcpynA(name, found.cFileName, (int)size) != NULL && strlen(found.cFileName) < size;
}

static bool IdentityWin32(const char *path, FileIdentity *id)
{
    // Only the NT family opens a folder, with the backup semantics.
    if (!CurrentPlatform().nt)
        return false;
    HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION information;
    bool known = GetFileInformationByHandle(file, &information) != 0;
    CloseHandle(file);
    if (known) {
        id->volume = information.dwVolumeSerialNumber;
        id->indexHigh = information.nFileIndexHigh;
        id->indexLow = information.nFileIndexLow;
    }
    return known;
}

static bool IsLinkWin32(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

static bool ListFolderWin32(const char *folder, FoundEntry found, void *context)
{
    char pattern[PathTextSize];
    lstrcpynA(pattern, folder, (int)sizeof pattern - 2);
    size_t length = strlen(pattern);
    if (length + 2 >= sizeof pattern || length != strlen(folder))
        return false;
    if (!EndsWithBackslash(pattern))
        pattern[length++] = '\\';
    pattern[length++] = '*';
    pattern[length] = '\0';
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        const char *name = entry.cFileName;
        if (strcmp(name, ".") != 0 && strcmp(name, "..") != 0)
            found(context, name, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                  (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return true;
}

const PathOps SystemPaths = {FullPathWin32, StoredNameWin32, IdentityWin32, IsLinkWin32, ListFolderWin32};

void GetSystemPlaces(SystemPlaces *places)
{
    char windowsDir[PathTextSize], systemDir[PathTextSize];
    GetWindowsDir(windowsDir, sizeof windowsDir);
    GetSystemDir(systemDir, sizeof systemDir);
    static char others[2 + 26][PathTextSize];
    const char *list[2 + 26];
    int count = 0;
    for (const char *name : {"SysWOW64", "Sysnative"})
        if (windowsDir[0] != '\0' && FormatText(others[count], PathTextSize, "%s\\%s", windowsDir, name)) {
            list[count] = others[count];
            count++;
        }
    // A drive without a disc must not ask for one.
    UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    DWORD drives = CurrentPlatform().nt ? GetLogicalDrives() : 0;
    for (int letter = 0; letter < 26; letter++)
        if (drives & (1u << letter)) {
            char *root = others[count];
            root[0] = (char)('A' + letter);
            root[1] = ':';
            root[2] = '\\';
            root[3] = '\0';
            list[count] = root;
            count++;
        }
    FindSystemPlaces(SystemPaths, windowsDir, systemDir, list, count, places);
    SetErrorMode(mode);
}

static bool IsSystemLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != 0;
}

void UseSystemLeadBytes(void)
{
    UseLeadByteTest(IsSystemLeadByte);
}
