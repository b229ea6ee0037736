#include "virtualstore.h"

#include <string.h>

#include "textops.h"

static char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

bool VirtualStoreCopy(const char *path, const char *windowsDir, const char *localAppData,
                      char *out, size_t size)
{
    size_t n = strlen(windowsDir);
    if (n > 0 && windowsDir[n - 1] == '\\')
        n--;  // a drive root
    if (n < 2 || Lower(windowsDir[0]) < 'a' || Lower(windowsDir[0]) > 'z' || windowsDir[1] != ':' ||
        localAppData[0] == '\0' || strlen(path) <= n + 1 || path[n] != '\\')
        return false;
    for (size_t i = 0; i < n; i++)
        if (Lower(path[i]) != Lower(windowsDir[i]))
            return false;
    // From the drive on: "\WINDOWS\Tessaron.ini", or "\Tessaron.ini" at a root.
    return FormatText(out, size, "%s\\VirtualStore%s", localAppData, path + 2);
}
