#include "install.h"

#include <stdio.h>
#include <string.h>

#include "helppages.h"
#include "textops.h"

const char DefaultInstallFolder[] = "C:\\Tessaron";
const char FallbackStartupFolder[] = "C:\\WINDOWS\\Start Menu\\Programs\\Startup";
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
const char FolderLinkText[] =
    "Tessaron cannot be installed there, because %s is a link to another place (a junction, "
    "a symbolic link or a mount point).  Please type a folder that neither is nor holds a link.";
const char ForeignFolderText[] =
    "The folder %s already holds files of another program.  Files there with the same names as "
    "Tessaron's would be replaced, and removed again when Tessaron is uninstalled.\n\n"
    "Do you want to install Tessaron in this folder?";
const char NotRegisteredText[] =
    "The uninstallation script %s could not be written: %s\n\n"
    "Tessaron could not be registered for removal.  The setup wizard will try to continue the "
    "installation process.";
const char StartupLinkText[] =
    "The shortcut that starts Tessaron at log-on was not made, because %s is a link to another "
    "place (a junction, a symbolic link or a mount point).";

static const char ProductName[] = "Tessaron";
static const char TestFileName[] = "X9LK831M.TMP";

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
        const char *server = FindBackslash(path + 2);
        const char *share = server ? FindBackslash(server + 1) : nullptr;
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
        char *cut = FindLastBackslash(path);
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
    if (EndsWithBackslash(scratch))
        scratch[strlen(scratch) - 1] = '\0';
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

static void AppendLine(char *out, size_t size, const char *line)
{
    AppendText(out, size, line);
    AppendText(out, size, "\r\n");
}

// Lines 2 to 14, or with folderOnly those that name the folder alone.
static void AppendEntries(char *out, size_t size, const char *windowsDir, const char *folder, bool folderOnly)
{
    for (const ScriptEntry &entry : ScriptEntries) {
        if (folderOnly && entry.inWindows)
            continue;
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
        AppendLine(out, size, line);
    }
}

// The pages, then their folder, which the uninstaller empties first.
static void AppendHelpPages(char *out, size_t size, const char *folder)
{
    for (int i = 0; i <= HelpPageCount; i++) {
        bool page = i < HelpPageCount;
        char path[SetupPathSize], line[SetupPathSize];
        if (!FormatText(path, sizeof path, "%s%s\\%s", folder, HelpPagesFolder, page ? HelpPages[i] : ""))
            continue;
        CollapseFolderPath(path, folder);
        if (!FormatText(line, sizeof line, "%s %s", page ? "[FILE]" : "[EMPTY FOLDER]", path))
            continue;
        AppendLine(out, size, line);
    }
}

void BuildUninstallScript(char *out, size_t size, const char *windowsDir, const char *folder,
                          bool helpPages, const char *earlier)
{
    CopyText(out, size, ProductName);
    AppendText(out, size, "\r\n");
    AppendEntries(out, size, windowsDir, folder, false);
    for (const char *line : ScriptFixedLines)
        AppendLine(out, size, line);
    if (helpPages)
        AppendHelpPages(out, size, folder);
    // The earlier installation's folder is still to be removed.
    if (earlier == nullptr || EqualsNoCase(earlier, folder))
        return;
    AppendEntries(out, size, windowsDir, earlier, true);
    if (helpPages)
        AppendHelpPages(out, size, earlier);
}

// The path, in quotes when asked and it holds a blank.
static const char *Quoted(char *buffer, size_t size, const char *path, bool quoted)
{
    if (!quoted || strchr(path, ' ') == nullptr || !FormatText(buffer, size, "\"%s\"", path))
        return path;
    return buffer;
}

void BuildUninstallString(char *out, size_t size, const char *windowsDir, bool quoted)
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
    char quotedKelvey[SetupPathSize + 2], quotedScript[SetupPathSize + 2];
    FormatText(out, size, "%s %s", Quoted(quotedKelvey, sizeof quotedKelvey, kelvey, quoted),
               Quoted(quotedScript, sizeof quotedScript, script, quoted));
}

bool WriteUninstallScript(const InstallOps &ops, const char *windowsDir, const char *folder,
                          bool helpPages, const char *earlier)
{
    char path[SetupPathSize];
    UninstallScriptPath(path, sizeof path, windowsDir);
    static char script[2 * UninstallScriptSize];
    BuildUninstallScript(script, sizeof script, windowsDir, folder, helpPages, earlier);
    char why[256] = "";
    if (ops.writeScript(path, script, why, sizeof why))
        return true;
    char text[SetupPathSize + sizeof why + sizeof NotRegisteredText];
    FormatText(text, sizeof text, NotRegisteredText, path, why[0] != '\0' ? why : "an unknown error.");
    ops.warn(text);
    return false;
}

void RegisterUninstall(const InstallOps &ops, const char *windowsDir)
{
    char command[SetupPathSize];
    BuildUninstallString(command, sizeof command, windowsDir, ops.platform().nt);
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

// The installation folder as the uninstaller will find it: canonical,
// with backslashes only, ending in one ("C:/Tessaron/" or, from C:\,
// "Tessaron\" give C:\Tessaron\).
static void InstalledFolder(const InstallOps &ops, const char *folder, char *out, size_t size)
{
    // Unresolved, the folder is still the one the copies went to.
    if (!CanonicalPath(*ops.paths, folder, out, size) || out[0] == '\0') {
        CopyText(out, size, folder);
        return;
    }
    if (!EndsWithBackslash(out) && !AppendText(out, size, "\\"))
        CopyText(out, size, folder);
    CollapseFolderPath(out, out);
}

// What setup writes in the installation folder, and in the Windows folder.
static const char *const WindowsNames[] = {"Kelvey.exe", "Tessaron - Uninstallation Data"};

static bool LinkAt(const InstallOps &ops, const char *base, const char *name, char *linked, size_t size)
{
    char path[SetupPathSize];
    return !FormatText(path, sizeof path, "%s%s", base, name) ||
           PassesThroughLink(*ops.paths, path, base, linked, size);
}

// The first of setup's own files in folder (or in the Windows folder) that
// passes through a link, into linked.
static bool WritesThroughLink(const InstallOps &ops, const char *folder, const char *windowsDir, char *linked,
                              size_t size)
{
    if (LinkAt(ops, folder, TestFileName, linked, size))
        return true;
    for (const ShippedFile &file : ShippedFiles)
        if (!file.toWindows && LinkAt(ops, folder, file.dest, linked, size))
            return true;
    char page[SetupPathSize];
    for (int i = 0; ops.platform().nt && i < HelpPageCount; i++)
        if (FormatText(page, sizeof page, "%s\\%s", HelpPagesFolder, HelpPages[i]) &&
            LinkAt(ops, folder, page, linked, size))
            return true;
    char windows[SetupPathSize];
    if (windowsDir[0] == '\0' || !FormatText(windows, sizeof windows, "%s\\", windowsDir))
        return false;
    CollapseFolderPath(windows, windowsDir);
    for (const char *name : WindowsNames)
        if (LinkAt(ops, windows, name, linked, size))
            return true;
    return false;
}

InstallFolderCheck CheckInstallFolder(const InstallOps &ops, const char *typed, char *linked, size_t linkedSize)
{
    char folder[SetupPathSize];
    if (!MakeInstallFolder(typed, folder, sizeof folder))
        return InstallFolderTooLong;
    // A lead byte at the end of the text would take the backslash along.
    if (!EndsWithBackslash(folder))
        return InstallFolderNotAPath;
    char installed[SetupPathSize], windowsDir[SetupPathSize] = "";
    InstalledFolder(ops, folder, installed, sizeof installed);
    ops.windowsDirectory(windowsDir, sizeof windowsDir);
    static SystemPlaces places;
    ops.systemPlaces(&places);
    switch (JudgeProductFolder(*ops.paths, installed, places)) {
    case FolderUsable:
        break;
    case FolderNotAPath:
        return InstallFolderNotAPath;
    case FolderSystemPlace:
        return InstallFolderSystemPlace;
    }
    char link[SetupPathSize];
    if (WritesThroughLink(ops, installed, windowsDir, link, sizeof link)) {
        if (linked != nullptr)
            CopyText(linked, linkedSize, link);
        return InstallFolderLink;
    }
    return InstallFolderAccepted;
}

bool FormatFolderRefusal(InstallFolderCheck check, const char *linked, char *out, size_t size)
{
    switch (check) {
    case InstallFolderAccepted:
        return false;
    case InstallFolderTooLong:
        return CopyText(out, size, FolderTooLongText), true;
    case InstallFolderNotAPath:
        break;
    case InstallFolderSystemPlace:
        return CopyText(out, size, FolderSystemPlaceText), true;
    case InstallFolderLink:
        return FormatText(out, size, FolderLinkText, linked != nullptr ? linked : ""), true;
    }
    CopyText(out, size, FolderNotAPathText);
    return true;
}

// Tessaron's own names in its folder: the shipped files, the backups and
// help indexes the script lists, the test file and the help pages' folder.
static bool IsOwnName(const char *name)
{
    for (const ShippedFile &file : ShippedFiles)
        if (!file.toWindows && EqualsNoCase(name, file.dest))
            return true;
    for (const ScriptEntry &entry : ScriptEntries) {
        const char *own = strstr(entry.format, "%s\\");
        if (!entry.inWindows && own != nullptr && EqualsNoCase(name, own + 3))
            return true;
    }
    return EqualsNoCase(name, TestFileName) || EqualsNoCase(name, HelpPagesFolder);
}

static void NoteForeign(void *context, const char *name, bool, bool)
{
    *(bool *)context = *(bool *)context || !IsOwnName(name);
}

bool FormatForeignFolderQuestion(const InstallOps &ops, const char *typed, char *out, size_t size)
{
    char folder[SetupPathSize], installed[SetupPathSize], earlier[SetupPathSize];
    if (!MakeInstallFolder(typed, folder, sizeof folder))
        return false;
    InstalledFolder(ops, folder, installed, sizeof installed);
    if (FindEarlierInstallation(ops, earlier, sizeof earlier) && EqualsNoCase(earlier, installed))
        return false;  // the earlier installation, whatever it holds
    bool foreign = false;
    if (!ops.paths->listFolder(installed, NoteForeign, &foreign) || !foreign)
        return false;
    installed[FolderLength(installed)] = '\0';
    FormatText(out, size, ForeignFolderText, installed);
    return true;
}

bool FindEarlierInstallation(const InstallOps &ops, char *folder, size_t size)
{
    char windowsDir[SetupPathSize] = "", path[SetupPathSize];
    ops.windowsDirectory(windowsDir, sizeof windowsDir);
    UninstallScriptPath(path, sizeof path, windowsDir);
    static char script[2 * UninstallScriptSize];
    static const char Folder[] = "\r\n[EMPTY FOLDER] ";
    if (windowsDir[0] == '\0' || !ops.registered() || !ops.readFile(path, script, sizeof script) ||
        strncmp(script, "Tessaron\r\n", 10) != 0)
        return false;
    const char *line = strstr(script, Folder);
    const char *end = line ? strstr(line + 2, "\r\n") : nullptr;
    if (end == nullptr || (size_t)(end - line) - strlen(Folder) >= size)
        return false;
    size_t n = (size_t)(end - line) - strlen(Folder);
    memcpy(folder, line + strlen(Folder), n);
    folder[n] = '\0';
    static SystemPlaces places;
    ops.systemPlaces(&places);
    return EndsWithBackslash(folder) && JudgeProductFolder(*ops.paths, folder, places) == FolderUsable;
}

void ProposeInstallFolder(const InstallOps &ops, char *out, size_t size)
{
    if (!FindEarlierInstallation(ops, out, size)) {
        CopyText(out, size, DefaultInstallFolder);
        return;
    }
    out[strlen(out) - 1] = '\0';  // the trailing backslash; never a root
}

bool RunInstallSequence(const InstallOps &ops, const char *typedFolder)
{
    char windowsDir[SetupPathSize] = "";
    ops.windowsDirectory(windowsDir, sizeof windowsDir);

    // The folder page refuses such a folder; never work on a cut one, nor
    // on one that Tessaron could not be removed from, nor through a link.
    char linked[SetupPathSize] = "", refusal[2 * SetupPathSize];
    if (FormatFolderRefusal(CheckInstallFolder(ops, typedFolder, linked, sizeof linked), linked, refusal,
                            sizeof refusal)) {
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

    char installed[SetupPathSize], earlier[SetupPathSize];
    InstalledFolder(ops, folder, installed, sizeof installed);
    // Never a registration without a whole script.
    bool another = FindEarlierInstallation(ops, earlier, sizeof earlier);
    if (WriteUninstallScript(ops, windowsDir, installed, helpPages, another ? earlier : nullptr))
        RegisterUninstall(ops, windowsDir);

    char startup[SetupPathSize];
    FindStartupFolder(ops.startupFolder, startup, sizeof startup);
    char file[SetupPathSize];
    StartupShortcutPath(file, sizeof file, startup);
    char target[SetupPathSize];
    ShortcutTarget(target, sizeof target, folder);
    if (PassesThroughLink(*ops.paths, file, startup, linked, sizeof linked)) {
        FormatText(refusal, sizeof refusal, StartupLinkText, linked);
        ops.warn(refusal);
    } else {
        ops.createShortcut(target, file, ProductName);
    }
    return true;
}
