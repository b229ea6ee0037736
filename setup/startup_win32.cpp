#include "startup_win32.h"

static const char ShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

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

bool QueryShellFolder(HKEY root, const char *value, char *dir, size_t size)
{
    return QueryRegistryText(root, ShellFoldersKey, value, dir, size) && dir[0] != '\0';
}

bool QueryStartupFolder(char *dir, size_t size)
{
    return QueryShellFolder(HKEY_CURRENT_USER, "Startup", dir, size);
}
