#include "pathrules_win32.h"

#include <string.h>

#include "platform_win32.h"
#include "textops.h"

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
    char pattern[PathNameSize];
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
        if (name[0] != '.' || (name[1] != '\0' && (name[1] != '.' || name[2] != '\0')))
            found(context, name, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                  (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return true;
}

const PathOps SystemPaths = {FullPathWin32, StoredNameWin32, IdentityWin32, IsLinkWin32, ListFolderWin32};

void GetSystemPlaces(SystemPlaces *places)
{
    char windowsDir[PathNameSize], systemDir[PathNameSize];
    GetWindowsDir(windowsDir, sizeof windowsDir);
    GetSystemDir(systemDir, sizeof systemDir);
    static char others[2 + 26][PathNameSize];
    const char *list[2 + 26];
    int count = 0;
    static const char *const names[] = {"SysWOW64", "Sysnative"};
    for (const char *name : names)
        if (windowsDir[0] != '\0' && FormatText(others[count], PathNameSize, "%s\\%s", windowsDir, name)) {
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
