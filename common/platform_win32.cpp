#include "platform_win32.h"

#include <winioctl.h>

#include <stddef.h>
#include <string.h>

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

// DllGetVersion's record: the first layout, which every version fills.
struct DllVersionInfo {
    DWORD cbSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
};
typedef HRESULT(CALLBACK *DllGetVersionFunction)(DllVersionInfo *);

const ShellVersion &CurrentShellVersion(void)
{
    static ShellVersion shell;
    static bool known;
    if (!known) {
        known = true;
        shell.major = 4;  // the first Shell32 has no DllGetVersion
        shell.minor = 0;
        DllGetVersionFunction get =
            (DllGetVersionFunction)FindSystemFunction("shell32.dll", "DllGetVersion");
        DllVersionInfo info = {};
        info.cbSize = sizeof info;
        if (get != NULL && get(&info) == S_OK) {
            shell.major = (int)info.dwMajorVersion;
            shell.minor = (int)info.dwMinorVersion;
        }
    }
    return shell;
}

bool KeyboardTrayIcons(void)
{
    return HasKeyboardTrayIcons(CurrentPlatform(), CurrentShellVersion());
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

bool QueryRegistryText(HKEY root, const char *subkey, const char *value, char *text, size_t size)
{
    if (size < 3)
        return false;
    HKEY key = NULL;
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    text[0] = '\0';
    // Two bytes short of the buffer, so that a value stored without its
    // terminator can still be ended.
    DWORD bytes = (DWORD)(size - 2);
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, value, NULL, &type, (BYTE *)text, &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        text[0] = '\0';
        return false;
    }
    text[bytes < size ? bytes : size - 1] = '\0';
    return true;
}

static bool RunsUnderWine(void)
{
    return FindSystemFunction("ntdll.dll", "wine_get_version") != NULL;
}

bool WineTestSetting(const char *name, char *text, size_t size)
{
    if (size > 0)
        text[0] = '\0';
    return RunsUnderWine() && QueryRegistryText(HKEY_CURRENT_USER, "Software\\Wine\\Tessaron", name, text, size);
}

static bool WineTestDriveListed(const char *name, char letter)
{
    char letters[32];
    if (!WineTestSetting(name, letters, sizeof letters))
        return false;
    for (const char *p = letters; *p != '\0'; p++)
        if ((*p & ~0x20) == (letter & ~0x20))
            return true;
    return false;
}

DiskMedia VolumeMedia(const char *root)
{
    char device[] = "\\\\.\\?:";
    device[4] = root[0];
    DiskMedia media = DiskMedia::Unknown;
    // No access rights: the query needs none, and a drive without its disc
    // must not bring up the system's box.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    HANDLE volume = CreateFileA(device, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
    if (volume != INVALID_HANDLE_VALUE) {
        STORAGE_PROPERTY_QUERY query = {};
        query.PropertyId = StorageDeviceSeekPenaltyProperty;
        query.QueryType = PropertyStandardQuery;
        DEVICE_SEEK_PENALTY_DESCRIPTOR answer = {};
        DWORD bytes = 0;
        if (DeviceIoControl(volume, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &answer, sizeof answer,
                            &bytes, NULL) &&
            bytes >= offsetof(DEVICE_SEEK_PENALTY_DESCRIPTOR, IncursSeekPenalty) + sizeof answer.IncursSeekPenalty)
            media = answer.IncursSeekPenalty ? DiskMedia::Rotating : DiskMedia::SolidState;
        CloseHandle(volume);
    }
    SetErrorMode(oldMode);
    if (media == DiskMedia::Unknown && WineTestDriveListed("SolidStateDrives", root[0]))
        media = DiskMedia::SolidState;
    if (media == DiskMedia::Unknown && WineTestDriveListed("RotatingDrives", root[0]))
        media = DiskMedia::Rotating;
    return media;
}

bool VolumeIsNtfs(const char *root)
{
    char fileSystem[16] = "";
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    BOOL known = GetVolumeInformationA(root, NULL, 0, NULL, NULL, NULL, fileSystem, sizeof fileSystem);
    SetErrorMode(oldMode);
    return known && strcmp(fileSystem, "NTFS") == 0;
}
