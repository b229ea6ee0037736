// The installation sequence: folder preparation, the five copies, the
// uninstallation script, the uninstall registration and the Start-up
// shortcut.  Portable: the system is reached only through InstallOps.
#pragma once
#include <stddef.h>

#include "helppages.h"
#include "pathrules.h"
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
extern const char FolderTooLongText[];
extern const char FolderNotAPathText[];
extern const char FolderSystemPlaceText[];
extern const char FolderLinkText[];          // %s: the link
extern const char ForeignFolderText[];       // %s: the folder
extern const char NotRegisteredText[];       // %s: the script, %s: why
extern const char StartupLinkText[];         // %s: the link

// What the installation needs from the system.  Every operation returns
// true on success where the sequence looks at the outcome.
struct InstallOps {
    const Platform &(*platform)(void);
    void (*windowsDirectory)(char *dir, size_t size);
    void (*currentDirectory)(char *dir, size_t size);
    const PathOps *paths;
    // The places no product's files may be in (see FindSystemPlaces).
    void (*systemPlaces)(SystemPlaces *places);
    bool (*createFolder)(const char *path);
    // Creates (or truncates) the file for writing and closes it again.
    bool (*touchFile)(const char *path);
    void (*removeFile)(const char *path);  // also a stream: "<file>:<stream>"
    bool (*copyFile)(const char *source, const char *dest);
    void (*clearReadOnly)(const char *path);
    // The whole text on disk at path, the file there replaced only once the
    // new one is written; false, with the system's reason in why, on any
    // error, the file there then as it was.
    bool (*writeScript)(const char *path, const char *text, char *why, size_t whySize);
    // A whole file, NUL added; false when missing, unreadable or too large.
    bool (*readFile)(const char *path, char *data, size_t size);
    // Whether the system's uninstall list has Tessaron's entry.
    bool (*registered)(void);
    void (*registerUninstall)(const char *displayName, const char *uninstallString);
    // Fills dir from the user's Shell Folders; false when there is none.
    bool (*startupFolder)(char *dir, size_t size);
    void (*createShortcut)(const char *target, const char *file, const char *description);
    // A message box with caption "Setup" and the warning icon.
    void (*warn)(const char *text);
};

// The typed folder with one backslash appended and collapsed; false when
// it is longer than InstallFolderLimit (out then holds nothing useful).
bool MakeInstallFolder(const char *typed, char *out, size_t size);

enum InstallFolderCheck {
    InstallFolderAccepted,
    InstallFolderTooLong,
    InstallFolderNotAPath,     // the uninstaller would take no file from it
    InstallFolderSystemPlace,  // a root, the Windows or system folder, or above them
    InstallFolderLink,         // setup would write through a link
};
// Whether Tessaron can be installed in the typed folder and removed from
// it again: the folder as the uninstallation script will name it (by its
// canonical path and its identity) must be one whose files the uninstaller
// takes, and nothing setup writes may pass through a link (the folder
// itself, the files and help pages in it, the uninstaller and the script
// in the Windows folder); linked then names the first link.  Checked
// before anything is made.
InstallFolderCheck CheckInstallFolder(const InstallOps &ops, const char *typed, char *linked = nullptr,
                                      size_t linkedSize = 0);
// The message that refuses the folder, into out; false when it is accepted.
bool FormatFolderRefusal(InstallFolderCheck check, const char *linked, char *out, size_t size);
// The question to ask before installing into a folder that exists and
// holds anything but Tessaron's own files, unless it is the earlier
// installation's folder; false when there is none to ask.
bool FormatForeignFolderQuestion(const InstallOps &ops, const char *typed, char *out, size_t size);

// The folder of the installation that the uninstall registration and the
// script in the Windows folder stand for (the script's first [EMPTY
// FOLDER], ending in a backslash), when both exist and the folder is one
// Tessaron may be in; false otherwise.
bool FindEarlierInstallation(const InstallOps &ops, char *folder, size_t size);
// What the folder page proposes: that folder without its backslash, or
// "C:\Tessaron".
void ProposeInstallFolder(const InstallOps &ops, char *out, size_t size);

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
// and their folder follow the 17 lines; with an earlier installation in
// another folder, that folder's entries follow.
void BuildUninstallScript(char *out, size_t size, const char *windowsDir, const char *folder,
                          bool helpPages = false, const char *earlier = nullptr);
// With quoted (the NT family), a path that holds a blank stands in quotes.
void BuildUninstallString(char *out, size_t size, const char *windowsDir, bool quoted = false);
// False, after telling the user that Tessaron could not be registered for
// removal and why, when the script could not be written whole.
bool WriteUninstallScript(const InstallOps &ops, const char *windowsDir, const char *folder,
                          bool helpPages = false, const char *earlier = nullptr);
void RegisterUninstall(const InstallOps &ops, const char *windowsDir);

// The user's Start-up folder from query, or the fixed fallback when the
// query finds none.
void FindStartupFolder(bool (*query)(char *dir, size_t size), char *out, size_t size);
void StartupShortcutPath(char *out, size_t size, const char *startupFolder);
void ShortcutTarget(char *out, size_t size, const char *folder);

// The whole sequence for the folder as typed; false when it refused the
// folder or stopped at a failed copy (its message has been shown).  The uninstallation script
// names the folder by its full path, as the uninstaller must match it.
bool RunInstallSequence(const InstallOps &ops, const char *typedFolder);
