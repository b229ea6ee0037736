// Kelvey, the uninstaller: started as "<own path> <script path>", it checks
// that the system's uninstall list runs it on that script, asks once and
// then removes what the script lists.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "install.h"
#include "platform_win32.h"
#include "startup_win32.h"
#include "textops.h"
#include "uninstall.h"
#include "virtualstore.h"

static RemoveResult AbsentOrFailed(void)
{
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? RemoveAbsent
                                                                          : RemoveFailed;
}

static RemoveResult RemoveFile(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return AbsentOrFailed();
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return RemoveAbsent;  // no file of that name
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileA(path) ? RemoveDone : RemoveFailed;
}

// Where Vista and later gave the tray program its own copies of its
// Windows-directory files: set from Vista on, empty before.
static char WindowsDir[UninstallTextSize];
static char LocalAppData[UninstallTextSize];

typedef HRESULT(WINAPI *FolderPathFunction)(HWND, int, HANDLE, DWORD, LPSTR);

static void FindVirtualStore(const char *windowsDir)
{
    CopyText(WindowsDir, sizeof WindowsDir, windowsDir);
    if (!IsVistaOrLater(CurrentPlatform()))
        return;
    // CSIDL_LOCAL_APPDATA (0x1c), in shell32 from 2000 on.
    FolderPathFunction folderPath = (FolderPathFunction)FindSystemFunction("shell32.dll", "SHGetFolderPathA");
    char path[MAX_PATH] = "";
    if (folderPath != NULL && SUCCEEDED(folderPath(NULL, 0x1c, NULL, 0, path)))
        CopyText(LocalAppData, sizeof LocalAppData, path);
}

// A file the script lists, and its VirtualStore copy where there is one.
static RemoveResult RemoveListedFile(const char *path)
{
    RemoveResult result = RemoveFile(path);
    char copy[UninstallTextSize];
    if (LocalAppData[0] != '\0' && VirtualStoreCopy(path, WindowsDir, LocalAppData, copy, sizeof copy)) {
        RemoveResult copied = RemoveFile(copy);
        if (copied == RemoveFailed || (copied == RemoveDone && result == RemoveAbsent))
            result = copied;
    }
    return result;
}

static RemoveResult RemoveEmptyFolder(const char *path)
{
    char folder[UninstallTextSize];
    CopyText(folder, sizeof folder, path);
    // The plan holds no root, so a trailing backslash can go.
    size_t length = strlen(folder);
    if (length > 0 && folder[length - 1] == '\\')
        folder[length - 1] = '\0';
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return AbsentOrFailed();
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return RemoveAbsent;
    if (RemoveDirectoryA(folder))
        return RemoveDone;
    return GetLastError() == ERROR_DIR_NOT_EMPTY ? RemoveKept : RemoveFailed;
}

// Removes the key with all its subkeys and values.
static LONG DeleteKeyTree(HKEY root, const char *subkey)
{
    HKEY key = NULL;
    LONG result = RegOpenKeyExA(root, subkey, 0, KEY_READ | KEY_WRITE, &key);
    if (result != ERROR_SUCCESS)
        return result;
    DWORD index = 0;
    char name[256];
    while (RegEnumKeyA(key, index, name, sizeof name) == ERROR_SUCCESS) {
        char child[UninstallTextSize + sizeof name];
        FormatText(child, sizeof child, "%s\\%s", subkey, name);
        if (DeleteKeyTree(root, child) != ERROR_SUCCESS)
            index++;  // step over what stays, or the loop would not end
    }
    RegCloseKey(key);
    return RegDeleteKeyA(root, subkey);
}

static RemoveResult RemoveRegistryKey(RegistryRoot which, const char *subkey)
{
    HKEY root = which == RootLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    HKEY key = NULL;
    LONG opened = RegOpenKeyExA(root, subkey, 0, KEY_READ, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return RemoveAbsent;
    if (opened == ERROR_SUCCESS)
        RegCloseKey(key);
    return DeleteKeyTree(root, subkey) == ERROR_SUCCESS ? RemoveDone : RemoveFailed;
}

// A program group is a folder of shortcuts in a Programs folder.
static RemoveResult RemoveGroupIn(const char *programs, const char *name)
{
    char group[UninstallTextSize];
    FormatText(group, sizeof group, "%s\\%s", programs, name);
    CollapseFolderPath(group, programs);
    DWORD attributes = GetFileAttributesA(group);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return RemoveAbsent;
    char pattern[UninstallTextSize];
    FormatText(pattern, sizeof pattern, "%s\\*", group);
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            char item[UninstallTextSize];
            FormatText(item, sizeof item, "%s\\%s", group, found.cFileName);
            RemoveFile(item);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(group) ? RemoveDone : RemoveFailed;
}

static RemoveResult RemoveGroup(const char *name)
{
    char programs[UninstallTextSize];
    RemoveResult result = RemoveAbsent;
    if (!QueryShellFolder(HKEY_CURRENT_USER, "Programs", programs, sizeof programs)) {
        char windows[UninstallTextSize];
        GetWindowsDir(windows, sizeof windows);
        FormatText(programs, sizeof programs, "%s\\Start Menu\\Programs", windows);
    }
    result = RemoveGroupIn(programs, name);
    if (result == RemoveFailed)
        return result;
    if (QueryShellFolder(HKEY_LOCAL_MACHINE, "Common Programs", programs, sizeof programs)) {
        RemoveResult common = RemoveGroupIn(programs, name);
        if (common != RemoveAbsent)
            result = common;
    }
    return result;
}

static RemoveResult RemoveStartupShortcut(char *path, size_t size)
{
    char startup[SetupPathSize];
    FindStartupFolder(QueryStartupFolder, startup, sizeof startup);
    StartupShortcutPath(path, size, startup);
    return RemoveFile(path);
}

typedef DWORD(WINAPI *LongPathFunction)(LPCSTR, LPSTR, DWORD);

static bool FullLongPath(const char *path, char *out, size_t size)
{
    DWORD length = GetFullPathNameA(path, (DWORD)size, out, NULL);
    if (length == 0 || length >= size)
        return false;
    // Windows 95 has no GetLongPathNameA; there the full path must do.
    // Looked up once, without a static initialised by a call (that would
    // bring in the C++ library's guard and calls Windows 98 lacks).
    static LongPathFunction longPath;
    static bool looked;
    if (!looked) {
        longPath = (LongPathFunction)FindSystemFunction("kernel32.dll", "GetLongPathNameA");
        looked = true;
    }
    char longer[UninstallTextSize];
    // A path that does not exist (yet or any more) keeps its full form.
    if (longPath != NULL) {
        length = longPath(out, longer, sizeof longer);
        if (length > 0 && length < sizeof longer)
            CopyText(out, size, longer);
    }
    return true;
}

static bool MachineText(const char *subkey, const char *value, char *out, size_t size)
{
    return QueryRegistryText(HKEY_LOCAL_MACHINE, subkey, value, out, size);
}

static const KelveyOps Win32KelveyOps = {
    RemoveListedFile, RemoveEmptyFolder, RemoveRegistryKey, RemoveGroup, RemoveStartupShortcut,
    FullLongPath, MachineText,
};

// Reads the whole script; false when it cannot be read or is too large to
// be a script (a cut one could name the wrong things).
static bool ReadScriptFile(const char *path, char *data, size_t size, size_t *length)
{
    FILE *file = fopen(path, "rb");
    if (file == NULL)
        return false;
    *length = fread(data, 1, size, file);
    bool whole = *length < size && !ferror(file);
    fclose(file);
    return whole;
}

static char ScriptData[64 * 1024];
static UninstallPlan Plan;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char ownPath[MAX_PATH] = "";
    DWORD ownLength = GetModuleFileNameA(NULL, ownPath, sizeof ownPath);
    if (ownLength == 0 || ownLength >= sizeof ownPath)
        ownPath[0] = '\0';
    char scriptPath[UninstallTextSize] = "";
    ScriptPathFromCommandLine(GetCommandLineA(), ownPath, scriptPath, sizeof scriptPath);

    char windowsDir[UninstallTextSize], systemDir[UninstallTextSize];
    // Unknown (empty), no file counts as the product's own there or in a folder.
    GetWindowsDir(windowsDir, sizeof windowsDir);
    GetSystemDir(systemDir, sizeof systemDir);
    FindVirtualStore(windowsDir);

    static char message[3 * UninstallListSize];
    size_t length = 0;
    if (scriptPath[0] == '\0' ||
        !ReadScriptFile(scriptPath, ScriptData, sizeof ScriptData, &length) ||
        !ReadUninstallScript(ScriptData, length, windowsDir, systemDir, &Plan)) {
        FormatUnreadable(message, sizeof message, scriptPath);
        MessageBoxA(NULL, message, KelveyCaption, MB_OK | MB_ICONWARNING);
        return 1;
    }
    static Registration registration;
    Vouching vouching = CheckRegistration(Plan.product, scriptPath, ownPath, Win32KelveyOps, &registration);
    if (vouching != Vouched) {
        FormatNotVouched(message, sizeof message, vouching, Plan.product, scriptPath, registration);
        MessageBoxA(NULL, message, KelveyCaption, MB_OK | MB_ICONWARNING);
        return 1;
    }

    FormatConfirmation(message, sizeof message, Plan.product);
    if (MessageBoxA(NULL, message, KelveyCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;

    static char failures[UninstallListSize];
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
    UninstallOutcome outcome = CarryOutUninstall(Plan, registration, Win32KelveyOps, failures, sizeof failures);
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
    FormatOutcome(message, sizeof message, Plan, registration, outcome, failures);
    bool complete = RemovedCompletely(Plan, outcome);
    MessageBoxA(NULL, message, KelveyCaption, MB_OK | (complete ? MB_ICONINFORMATION : MB_ICONWARNING));
    return complete ? 0 : 1;
}
