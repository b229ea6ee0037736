#include "platform_win32.h"

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
