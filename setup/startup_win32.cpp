#include "startup_win32.h"

static const char ShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

bool QueryShellFolder(HKEY root, const char *value, char *dir, size_t size)
{
    return QueryRegistryText(root, ShellFoldersKey, value, dir, size) && dir[0] != '\0';
}

bool QueryStartupFolder(char *dir, size_t size)
{
    return QueryShellFolder(HKEY_CURRENT_USER, "Startup", dir, size);
}
