// The installation sequence: folder preparation, the five copies, the
// uninstallation script, the uninstall registration and the Start-up
// shortcut.  Portable: the system is reached only through InstallOps.
#pragma once
#include <stddef.h>

#include "helppages.h"
#include "platform.h"

// Every path setup builds lives in a buffer of this size.
const size_t SetupPathSize = 512;

// The longest installation folder (trailing backslash included) that setup
// accepts: the folder plus a 12-character file name must stay within the
// system's 259-character path limit.
const size_t InstallFolderLimit = 247;

// The uninstallation script: 17 lines of at most one path each, and on the
// NT family a line for each help page and one for their folder.
const size_t UninstallScriptSize = (17 + HelpPageCount + 1) * (SetupPathSize + 2);

extern const char DefaultInstallFolder[];      // "C:\Tessaron"
extern const char FallbackStartupFolder[];     // used when the registry has none
extern const char ScriptWarningText[];
extern const char FolderTooLongText[];
extern const char FolderNotAPathText[];
extern const char FolderSystemPlaceText[];

// What the installation needs from the system.  Every operation returns
// true on success where the sequence looks at the outcome.
struct InstallOps {
    const Platform &(*platform)(void);
    void (*windowsDirectory)(char *dir, size_t size);
    void (*systemDirectory)(char *dir, size_t size);
    void (*currentDirectory)(char *dir, size_t size);
    // The full path of path as the system resolves it against the current
    // directory; false when it cannot (out then holds nothing useful).
    bool (*fullPath)(const char *path, char *out, size_t size);
    bool (*createFolder)(const char *path);
    // Creates (or truncates) the file for writing and closes it again.
    bool (*touchFile)(const char *path);
    void (*removeFile)(const char *path);  // also a stream: "<file>:<stream>"
    bool (*copyFile)(const char *source, const char *dest);
    void (*clearReadOnly)(const char *path);
    bool (*writeScript)(const char *path, const char *text);
    void (*registerUninstall)(const char *displayName, const char *uninstallString);
    // Fills dir from the user's Shell Folders; false when there is none.
    bool (*startupFolder)(char *dir, size_t size);
    void (*createShortcut)(const char *target, const char *file, const char *description);
    // A message box with caption "Setup" and the warning icon.
    void (*warn)(const char *text);
};

// Two backslashes become one, left to right, resuming after each one.
void CollapseBackslashes(char *path);
// CollapseBackslashes on a path that begins with folder, except that a
// network folder (two backslashes, then a server name) keeps its two
// leading backslashes.  Every path built on a folder that can be a network
// path goes through it: the installation, source, Windows and Start-up
// folders.  The folder decides, not the path: "\\" + "\name"
// (the root of the current drive and a name) is no network path.
void CollapseFolderPath(char *path, const char *folder);

// The typed folder with one backslash appended and collapsed; false when
// it is longer than InstallFolderLimit (out then holds nothing useful).
bool MakeInstallFolder(const char *typed, char *out, size_t size);

enum InstallFolderCheck {
    InstallFolderAccepted,
    InstallFolderTooLong,
    InstallFolderNotAPath,     // the uninstaller would take no file from it
    InstallFolderSystemPlace,  // a root, the Windows or system folder, or above them
};
// Whether Tessaron can be installed in the typed folder and removed from
// it again: the folder as the uninstallation script will name it must be
// one whose files the uninstaller takes.  Checked before anything is made.
InstallFolderCheck CheckInstallFolder(const InstallOps &ops, const char *typed);
// The message that refuses the folder; null when it is accepted.
const char *InstallFolderRefusal(InstallFolderCheck check);

// Creates the folder and, where it is missing, its parents, never climbing
// above a drive root or a network share.  path is cut while it works.
void CreateFolderChain(char *path, bool (*createFolder)(const char *path));
void PrepareInstallFolder(const InstallOps &ops, const char *folder);
// One copy.  On the NT family the copy then loses the read-only attribute
// that a copy from a CD brings (a later installation over it would fail)
// and the download mark (the stream Zone.Identifier) that a downloaded zip
// gives its files; a file without them, or a file system without streams,
// is no error.
bool CopyShippedFile(const InstallOps &ops, const char *source, const char *dest);
// The five copies; stops with the row's message at the first failure.
bool InstallFiles(const InstallOps &ops, const char *sourceDir, const char *folder,
                  const char *windowsDir);
// The help pages (source folder "help") into the folder "help" of the
// installation folder, on the NT family; stops with a message naming the
// page at the first failure.
bool InstallHelpPages(const InstallOps &ops, const char *sourceDir, const char *folder);

void UninstallScriptPath(char *out, size_t size, const char *windowsDir);
// The whole script, lines ended by CR LF; with helpPages, the help pages
// and their folder follow the 17 lines.
void BuildUninstallScript(char *out, size_t size, const char *windowsDir, const char *folder,
                          bool helpPages = false);
void BuildUninstallString(char *out, size_t size, const char *windowsDir);
void WriteUninstallScript(const InstallOps &ops, const char *windowsDir, const char *folder,
                          bool helpPages = false);
void RegisterUninstall(const InstallOps &ops, const char *windowsDir);
// Writes text byte for byte (binary mode); false on any error, closing included.
bool WriteScriptFile(const char *path, const char *text);

// The user's Start-up folder from query, or the fixed fallback when the
// query finds none.
void FindStartupFolder(bool (*query)(char *dir, size_t size), char *out, size_t size);
void StartupShortcutPath(char *out, size_t size, const char *startupFolder);
void ShortcutTarget(char *out, size_t size, const char *folder);

// The whole sequence for the folder as typed; false when it refused the
// folder or stopped at a failed copy (its message has been shown).  The uninstallation script
// names the folder by its full path, as the uninstaller must match it.
bool RunInstallSequence(const InstallOps &ops, const char *typedFolder);
