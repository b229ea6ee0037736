// Kelvey, the uninstaller: started as "<own path> <script path>", it checks
// that the system's uninstall list runs it on that script, asks once and
// then removes what the script lists.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "install.h"
#include "pathrules_win32.h"
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
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return RemoveFailed;  // made a link since the plan was checked
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
    char store[UninstallTextSize];
    // The user's own folders may hold links: never through one.
    if (LocalAppData[0] != '\0' && VirtualStoreCopy(path, WindowsDir, LocalAppData, copy, sizeof copy) &&
        FormatText(store, sizeof store, "%s\\VirtualStore", LocalAppData) &&
        !PassesThroughLink(SystemPaths, copy, store)) {
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
    // The plan holds no root, so a trailing backslash can go (a character
    // of its own, not the second byte of a double-byte one).
    if (EndsWithBackslash(folder))
        folder[strlen(folder) - 1] = '\0';
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return AbsentOrFailed();
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return RemoveAbsent;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return RemoveFailed;  // made a link since the plan was checked
    if (RemoveDirectoryA(folder))
        return RemoveDone;
    return GetLastError() == ERROR_DIR_NOT_EMPTY ? RemoveKept : RemoveFailed;
}

// Opened as the link where the system has registry links, never followed.
static LONG OpenKey(HKEY root, const char *subkey, REGSAM access, HKEY *key)
{
    DWORD options = HasRegistryLinks(CurrentPlatform()) ? REG_OPTION_OPEN_LINK : 0;
    return RegOpenKeyExA(root, subkey, options, access, key);
}

typedef LONG(WINAPI *DeleteKeyFunction)(HANDLE);

// A link key holds its target in the value SymbolicLinkValue (REG_LINK);
// it is deleted itself, with what it points to left alone.
static bool DeleteIfLink(HKEY key, LONG *result)
{
    DWORD type = 0;
    if (RegQueryValueExA(key, "SymbolicLinkValue", NULL, &type, NULL, NULL) != ERROR_SUCCESS || type != REG_LINK)
        return false;
    DeleteKeyFunction deleteKey = (DeleteKeyFunction)FindSystemFunction("ntdll.dll", "NtDeleteKey");
    *result = deleteKey != NULL && deleteKey(key) == 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    return true;
}

// Removes the key with all its subkeys and values.
static LONG DeleteKeyTree(HKEY root, const char *subkey)
{
    HKEY key = NULL;
    LONG result = OpenKey(root, subkey, KEY_READ | KEY_WRITE | DELETE, &key);
    if (result != ERROR_SUCCESS)
        return result;
    if (DeleteIfLink(key, &result)) {
        RegCloseKey(key);
        return result;
    }
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
    LONG opened = OpenKey(root, subkey, KEY_READ, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return RemoveAbsent;
    if (opened == ERROR_SUCCESS)
        RegCloseKey(key);
    return DeleteKeyTree(root, subkey) == ERROR_SUCCESS ? RemoveDone : RemoveFailed;
}

// A program group is a folder in the user's Programs folder and in all
// users' one.
static int GroupFolders(const char *name, char (*folders)[UninstallTextSize], int max)
{
    char programs[UninstallTextSize];
    if (!QueryShellFolder(HKEY_CURRENT_USER, "Programs", programs, sizeof programs)) {
        char windows[UninstallTextSize];
        GetWindowsDir(windows, sizeof windows);
        FormatText(programs, sizeof programs, "%s\\Start Menu\\Programs", windows);
    }
    int count = 0;
    for (int which = 0; which < 2 && count < max; which++) {
        if (which == 1 && !QueryShellFolder(HKEY_LOCAL_MACHINE, "Common Programs", programs, sizeof programs))
            break;
        if (FormatText(folders[count], UninstallTextSize, "%s\\%s", programs, name)) {
            CollapseFolderPath(folders[count], programs);
            count++;
        }
    }
    return count;
}

static RemoveResult RemoveStartupShortcut(char *path, size_t size)
{
    char startup[SetupPathSize];
    FindStartupFolder(QueryStartupFolder, startup, sizeof startup);
    StartupShortcutPath(path, size, startup);
    if (PassesThroughLink(SystemPaths, path, startup))
        return RemoveFailed;
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
    RemoveListedFile, RemoveEmptyFolder, RemoveRegistryKey, GroupFolders, RemoveStartupShortcut,
    FullLongPath, MachineText, &SystemPaths,
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
    UseSystemLeadBytes();
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
    // What the files are now, just before they go.
    static SystemPlaces places;
    GetSystemPlaces(&places);
    CheckPlanOnDisk(&Plan, places, Win32KelveyOps);
    UninstallOutcome outcome = CarryOutUninstall(Plan, registration, Win32KelveyOps, failures, sizeof failures);
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
    FormatOutcome(message, sizeof message, Plan, registration, outcome, failures);
    bool complete = RemovedCompletely(Plan, outcome);
    MessageBoxA(NULL, message, KelveyCaption, MB_OK | (complete ? MB_ICONINFORMATION : MB_ICONWARNING));
    return complete ? 0 : 1;
}
