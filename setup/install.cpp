#include "install.h"

#include <stdio.h>
#include <string.h>

#include "helppages.h"
#include "textops.h"
#include "uninstall.h"

const char DefaultInstallFolder[] = "C:\\Tessaron";
const char FallbackStartupFolder[] = "C:\\WINDOWS\\Start Menu\\Programs\\Startup";
const char ScriptWarningText[] =
    "The uninstallation script could not be created.  "
    "The setup wizard will try to continue the installation process.";
const char FolderTooLongText[] =
    "The installation folder is too long.  "
    "Please type a folder of at most 246 characters.";
const char FolderNotAPathText[] =
    "Tessaron could not be removed again from a folder named this way.  "
    "Please type a folder such as C:\\Tessaron or \\\\server\\share\\Tessaron: a drive or a network share, "
    "then the names of folders, with no \\\\?\\ or \\\\.\\ in front, no colon after the drive letter "
    "and none of the characters * ? \" < > |.";
const char FolderSystemPlaceText[] =
    "Tessaron could not be removed again from the root of a drive or network share, from the "
    "Windows folder or the system folder, or from a folder that holds one of them.  "
    "Please type a folder of its own, such as C:\\Tessaron.";

static const char ProductName[] = "Tessaron";
static const char TestFileName[] = "X9LK831M.TMP";

void CollapseBackslashes(char *path)
{
    ReplaceText(path, "\\\\", "\\", -1);
}

// Two backslashes, then a server name.
static bool IsNetworkFolder(const char *folder)
{
    return folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\0' && folder[2] != '\\';
}

void CollapseFolderPath(char *path, const char *folder)
{
    // \\server\share must keep both of its leading backslashes.
    if (IsNetworkFolder(folder) && path[0] == '\\' && path[1] == '\\')
        CollapseBackslashes(path + 1);
    else
        CollapseBackslashes(path);
}

bool MakeInstallFolder(const char *typed, char *out, size_t size)
{
    bool fits = CopyText(out, size, typed) && AppendText(out, size, "\\");
    CollapseFolderPath(out, typed);
    return fits && strlen(out) <= InstallFolderLimit;
}

// Length of the part of a path that is never created: "D:\" (3), "D:" (2),
// "\\server\share\" (through the backslash after the share, or the whole
// text when it names no more than the share), "\" (1), or nothing.
static size_t RootLength(const char *path)
{
    size_t len = strlen(path);
    if (path[0] != '\0' && path[1] == ':')
        return path[2] == '\\' ? 3 : 2;
    if (path[0] == '\\' && path[1] == '\\') {
        const char *server = strchr(path + 2, '\\');
        const char *share = server ? strchr(server + 1, '\\') : nullptr;
        return share ? (size_t)(share - path) + 1 : len + 1;
    }
    return path[0] == '\\' ? 1 : 0;
}

void CreateFolderChain(char *path, bool (*createFolder)(const char *path))
{
    size_t full = strlen(path);
    size_t root = RootLength(path);
    // Climb while the folder cannot be made and a parent lies above the root.
    while (!createFolder(path)) {
        char *cut = strrchr(path, '\\');
        if (cut == nullptr || (size_t)(cut - path) < root)
            break;
        *cut = '\0';
    }
    // Come back down, putting each backslash back and making that folder.
    for (size_t len = strlen(path); len < full; len = strlen(path)) {
        path[len] = '\\';
        createFolder(path);
    }
}

void PrepareInstallFolder(const InstallOps &ops, const char *folder)
{
    char test[SetupPathSize];
    CopyText(test, sizeof test, folder);
    AppendText(test, sizeof test, TestFileName);
    if (ops.touchFile(test)) {
        ops.removeFile(test);
        return;
    }
    char scratch[SetupPathSize];
    CopyText(scratch, sizeof scratch, folder);
    size_t len = strlen(scratch);
    if (len > 0)
        scratch[len - 1] = '\0';  // the trailing backslash
    CreateFolderChain(scratch, ops.createFolder);
}

struct ShippedFile {
    const char *source;
    const char *dest;
    bool toWindows;
    const char *failure;
};

static const ShippedFile ShippedFiles[] = {
    {"\\Tessaron.hl_", "Tessaron.hlp", false,
     "There was a file installation error (Tessaron.hl_) which cannot be ignored.  "
     "Please correct the error and repeat the setup process."},
    {"\\Tessaron.ex_", "Tessaron.exe", false,
     "There was a file installation error (Tessaron.ex_) which cannot be ignored.  "
     "Please correct the error and repeat the setup process."},
    {"\\ReadMe.txt", "ReadMe.txt", false,
     "There was a file installation error (ReadMe.txt) which cannot be ignored.  "
     "Please correct the error and repeat the setup process."},
    {"\\Tessaron.txt", "Tessaron.txt", false,
     "There was a file installation error (Tessaron.txt) which cannot be ignored.  "
     "Please correct the error and repeat the setup process."},
    {"\\Kelvey.ex_", "\\Kelvey.exe", true,
     "There was a file installation error (Kelvey.ex_) which cannot be ignored.  "
     "Please correct the error and repeat the setup process."},
};

bool CopyShippedFile(const InstallOps &ops, const char *source, const char *dest)
{
    if (!ops.copyFile(source, dest))
        return false;
    if (ops.platform().nt) {
        // The attribute first: a read-only file's streams cannot be removed.
        ops.clearReadOnly(dest);
        char mark[SetupPathSize];
        if (FormatText(mark, sizeof mark, "%s:Zone.Identifier", dest))
            ops.removeFile(mark);
    }
    return true;
}

bool InstallFiles(const InstallOps &ops, const char *sourceDir, const char *folder,
                  const char *windowsDir)
{
    for (const ShippedFile &file : ShippedFiles) {
        char source[SetupPathSize];
        CopyText(source, sizeof source, sourceDir);
        AppendText(source, sizeof source, file.source);
        CollapseFolderPath(source, sourceDir);

        const char *destDir = file.toWindows ? windowsDir : folder;
        char dest[SetupPathSize];
        CopyText(dest, sizeof dest, destDir);
        AppendText(dest, sizeof dest, file.dest);
        CollapseFolderPath(dest, destDir);

        if (!CopyShippedFile(ops, source, dest)) {
            ops.warn(file.failure);
            return false;
        }
    }
    return true;
}

static const char HelpPageFailureText[] =
    "There was a file installation error (%s\\%s) which cannot be ignored.  "
    "Please correct the error and repeat the setup process.";

bool InstallHelpPages(const InstallOps &ops, const char *sourceDir, const char *folder)
{
    char pages[SetupPathSize];
    FormatText(pages, sizeof pages, "%s%s", folder, HelpPagesFolder);
    ops.createFolder(pages);  // present already is fine; a failure shows at the copy
    for (int i = 0; i < HelpPageCount; i++) {
        char source[SetupPathSize], dest[SetupPathSize];
        bool fits = FormatText(source, sizeof source, "%s\\%s\\%s", sourceDir, HelpPagesFolder, HelpPages[i]) &&
                    FormatText(dest, sizeof dest, "%s\\%s", pages, HelpPages[i]);
        CollapseFolderPath(source, sourceDir);
        CollapseFolderPath(dest, folder);
        if (!fits || !CopyShippedFile(ops, source, dest)) {
            char text[256];
            FormatText(text, sizeof text, HelpPageFailureText, HelpPagesFolder, HelpPages[i]);
            ops.warn(text);
            return false;
        }
    }
    return true;
}

void UninstallScriptPath(char *out, size_t size, const char *windowsDir)
{
    FormatText(out, size, "%s\\Tessaron - Uninstallation Data", windowsDir);
    CollapseFolderPath(out, windowsDir);
}

// Lines 2 to 14 of the script: an entry with a folder in it, collapsed once.
struct ScriptEntry {
    const char *format;
    bool inWindows;  // %s is the Windows directory, else the installation folder
};

static const ScriptEntry ScriptEntries[] = {
    {"[FILE] %s\\Tessaron.hlp", false},
    {"[FILE] %s\\Tessaron.exe", false},
    {"[FILE] %s\\ReadMe.txt", false},
    {"[FILE] %s\\Tessaron.txt", false},
    {"[FILE] %s\\Tessaron - Uninstallation Data", true},
    {"[FILE] %s\\Tessaron - Uninstallation Data.bak", true},
    {"[FILE] %s\\Tessaron.ini", true},
    {"[FILE] %s\\Start Menu\\Programs\\Tessaron.lnk", true},
    {"[FILE] %s\\Tessaron.bak", false},
    {"[FILE] %s\\ReadMe.bak", false},
    {"[FILE] %s\\Tessaron.GID", false},
    {"[FILE] %s\\Tessaron.FTS", false},
    {"[EMPTY FOLDER] %s", false},
};

// Lines 15 to 17, written as they stand.
static const char *const ScriptFixedLines[] = {
    "[REGISTRY KEY] HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaron",
    "[REGISTRY KEY] HKEY_CURRENT_USER\\Software\\Varnholt\\Tessaron",
    "[GROUP] Tessaron",
};

void BuildUninstallScript(char *out, size_t size, const char *windowsDir, const char *folder,
                          bool helpPages)
{
    CopyText(out, size, ProductName);
    AppendText(out, size, "\r\n");
    for (const ScriptEntry &entry : ScriptEntries) {
        const char *dir = entry.inWindows ? windowsDir : folder;
        char line[SetupPathSize];
        // A cut line would name something else: leave it out instead.
        if (!FormatText(line, sizeof line, entry.format, dir))
            continue;
        // The kind word has no backslash, so collapsing from the folder on
        // is the same as collapsing the line, except that a network folder
        // keeps its leading pair.
        size_t at = (size_t)(strchr(entry.format, '%') - entry.format);
        CollapseFolderPath(line + at, dir);
        AppendText(out, size, line);
        AppendText(out, size, "\r\n");
    }
    for (const char *line : ScriptFixedLines) {
        AppendText(out, size, line);
        AppendText(out, size, "\r\n");
    }
    if (!helpPages)
        return;
    // The pages, then their folder, which the uninstaller empties first.
    for (int i = 0; i <= HelpPageCount; i++) {
        bool page = i < HelpPageCount;
        char path[SetupPathSize], line[SetupPathSize];
        if (!FormatText(path, sizeof path, "%s%s\\%s", folder, HelpPagesFolder, page ? HelpPages[i] : ""))
            continue;
        CollapseFolderPath(path, folder);
        if (!FormatText(line, sizeof line, "%s %s", page ? "[FILE]" : "[EMPTY FOLDER]", path))
            continue;
        AppendText(out, size, line);
        AppendText(out, size, "\r\n");
    }
}

void BuildUninstallString(char *out, size_t size, const char *windowsDir)
{
    // Each of the two paths collapsed twice on its own, so that a network
    // Windows directory keeps its leading pair in both.
    char kelvey[SetupPathSize];
    FormatText(kelvey, sizeof kelvey, "%s\\kelvey.exe", windowsDir);
    CollapseFolderPath(kelvey, windowsDir);
    CollapseFolderPath(kelvey, windowsDir);
    char script[SetupPathSize];
    UninstallScriptPath(script, sizeof script, windowsDir);
    CollapseFolderPath(script, windowsDir);
    FormatText(out, size, "%s %s", kelvey, script);
}

bool WriteScriptFile(const char *path, const char *text)
{
    FILE *file = fopen(path, "wb");
    if (file == nullptr)
        return false;
    size_t len = strlen(text);
    bool written = fwrite(text, 1, len, file) == len;
    bool closed = fclose(file) == 0;
    return written && closed;
}

void WriteUninstallScript(const InstallOps &ops, const char *windowsDir, const char *folder,
                          bool helpPages)
{
    char path[SetupPathSize];
    UninstallScriptPath(path, sizeof path, windowsDir);
    static char script[UninstallScriptSize];
    BuildUninstallScript(script, sizeof script, windowsDir, folder, helpPages);
    if (!ops.writeScript(path, script))
        ops.warn(ScriptWarningText);
}

void RegisterUninstall(const InstallOps &ops, const char *windowsDir)
{
    char command[SetupPathSize];
    BuildUninstallString(command, sizeof command, windowsDir);
    ops.registerUninstall(ProductName, command);
}

void FindStartupFolder(bool (*query)(char *dir, size_t size), char *out, size_t size)
{
    out[0] = '\0';
    // An empty value would put the shortcut at the root of the current drive.
    if (!query(out, size) || out[0] == '\0')
        CopyText(out, size, FallbackStartupFolder);
}

void StartupShortcutPath(char *out, size_t size, const char *startupFolder)
{
    FormatText(out, size, "%s\\Tessaron.LNK", startupFolder);
    CollapseFolderPath(out, startupFolder);
    CollapseFolderPath(out, startupFolder);
}

void ShortcutTarget(char *out, size_t size, const char *folder)
{
    FormatText(out, size, "%s\\Tessaron.exe", folder);
    CollapseFolderPath(out, folder);
}

// The installation folder as the uninstaller will find it: full, with
// backslashes only, ending in one ("C:/Tessaron/" or, from C:\, "Tessaron\"
// give C:\Tessaron\).
static void InstalledFolder(const InstallOps &ops, const char *folder, char *out, size_t size)
{
    // Unresolved, the folder is still the one the copies went to.
    if (!ops.fullPath(folder, out, size) || out[0] == '\0') {
        CopyText(out, size, folder);
        return;
    }
    size_t len = strlen(out);
    if (out[len - 1] != '\\' && !AppendText(out, size, "\\"))
        CopyText(out, size, folder);
    CollapseFolderPath(out, out);
}

InstallFolderCheck CheckInstallFolder(const InstallOps &ops, const char *typed)
{
    char folder[SetupPathSize];
    if (!MakeInstallFolder(typed, folder, sizeof folder))
        return InstallFolderTooLong;
    char installed[SetupPathSize], windowsDir[SetupPathSize] = "", systemDir[SetupPathSize] = "";
    InstalledFolder(ops, folder, installed, sizeof installed);
    ops.windowsDirectory(windowsDir, sizeof windowsDir);
    ops.systemDirectory(systemDir, sizeof systemDir);
    switch (JudgeProductFolder(installed, windowsDir, systemDir)) {
    case FolderUsable:
        return InstallFolderAccepted;
    case FolderNotAPath:
        return InstallFolderNotAPath;
    case FolderSystemPlace:
        return InstallFolderSystemPlace;
    }
    return InstallFolderNotAPath;
}

const char *InstallFolderRefusal(InstallFolderCheck check)
{
    switch (check) {
    case InstallFolderAccepted:
        return nullptr;
    case InstallFolderTooLong:
        return FolderTooLongText;
    case InstallFolderNotAPath:
        return FolderNotAPathText;
    case InstallFolderSystemPlace:
        return FolderSystemPlaceText;
    }
    return FolderNotAPathText;
}

bool RunInstallSequence(const InstallOps &ops, const char *typedFolder)
{
    char windowsDir[SetupPathSize] = "";
    ops.windowsDirectory(windowsDir, sizeof windowsDir);

    // The folder page refuses such a folder; never work on a cut one, nor
    // on one that Tessaron could not be removed from.
    const char *refusal = InstallFolderRefusal(CheckInstallFolder(ops, typedFolder));
    if (refusal != nullptr) {
        ops.warn(refusal);
        return false;
    }
    char folder[SetupPathSize];
    MakeInstallFolder(typedFolder, folder, sizeof folder);  // accepted, so it fits
    PrepareInstallFolder(ops, folder);

    char sourceDir[SetupPathSize] = "";
    ops.currentDirectory(sourceDir, sizeof sourceDir);
    if (!InstallFiles(ops, sourceDir, folder, windowsDir))
        return false;
    // The pages serve where WinHelp cannot; 95, 98 and ME get none.
    bool helpPages = ops.platform().nt;
    if (helpPages && !InstallHelpPages(ops, sourceDir, folder))
        return false;

    char installed[SetupPathSize];
    InstalledFolder(ops, folder, installed, sizeof installed);
    WriteUninstallScript(ops, windowsDir, installed, helpPages);
    RegisterUninstall(ops, windowsDir);

    char startup[SetupPathSize];
    FindStartupFolder(ops.startupFolder, startup, sizeof startup);
    char file[SetupPathSize];
    StartupShortcutPath(file, sizeof file, startup);
    char target[SetupPathSize];
    ShortcutTarget(target, sizeof target, folder);
    ops.createShortcut(target, file, ProductName);
    return true;
}
