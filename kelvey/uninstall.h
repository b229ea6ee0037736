// The uninstaller's reading of an uninstallation script and its removal
// plan.  Portable: the removals themselves are KelveyOps.
#pragma once
#include <stddef.h>

#include "pathrules.h"

const size_t UninstallTextSize = 512;    // a path, a key or a group name
const size_t UninstallLineSize = 2048;   // a line of the script
const size_t UninstallListSize = 2048;   // the refused lines, the failures
const int MaxUninstallEntries = 128;

enum UninstallKind { KindFile, KindEmptyFolder, KindRegistryKey, KindGroup };
enum RegistryRoot { RootLocalMachine, RootCurrentUser };

struct UninstallEntry {
    UninstallKind kind;
    RegistryRoot root;               // registry keys only
    char text[UninstallTextSize];    // as written; for a key, the part after the root
};

struct UninstallPlan {
    char product[128];
    int count;
    UninstallEntry entries[MaxUninstallEntries];
    int refusedCount;
    char refused[UninstallListSize];  // the refused lines as written, one a line
    bool refusedFull;                 // the list ends in its mark that more were refused
};

// Reads the script: line 1 the product, then one "[KIND] argument" a line.
// CR before a line end is dropped.  The plan takes only what this product
// can have installed; every other line is refused (listed, never acted on):
//   - a line without a line end (a script cut short) or longer than the
//     reader takes (even a blank one), one with text after a lone CR, every
//     line from a NUL or Ctrl-Z on that holds more than blanks, one of an
//     unknown kind, or one beyond the plan's room;
//   - a path without a drive or share, or with a relative, empty or
//     wildcard name in it;
//   - a file that lies neither directly inside a folder that an
//     [EMPTY FOLDER] line names and that may hold the product's files (see
//     JudgeFolderSpelling; nor may a folder that the script names before it
//     lie inside it: a folder above the installation folder holds no file
//     of its own, while the installation folder, named first, holds its
//     files beside a folder of its own named after it)
//     nor is one of the product's own files in windowsDir (the script, its
//     .bak, the settings file and Start Menu\Programs\<product>.lnk);
//   - a registry key not named for the product, or not directly below
//     "Software\<vendor>\..." (the system's own keys there excepted) or in
//     the uninstall list; "Software\Wow6432Node\" counts as "Software\";
//   - a group that is not the product's name.
// An [EMPTY FOLDER] that is a drive or share root stands for nothing and is
// never removed.  False when there is no whole product line.
bool ReadUninstallScript(const char *data, size_t length, const char *windowsDir,
                         const char *systemDir, UninstallPlan *plan);

// A plain name that the system reserves for nothing: no separator, drive,
// wildcard or control character, not "." or "..", not a device name (CON,
// NUL, COM1 ... with or without an extension) and not Wow6432Node.
bool IsProductName(const char *name);

// The script path on the uninstaller's command line: everything after its
// own path and the blank that follows it.  ownPath may be null.
bool ScriptPathFromCommandLine(const char *commandLine, const char *ownPath, char *out,
                               size_t size);

// RemoveKept: a folder that still holds other things stays where it is;
// that is no failure, since it was never the product's alone.
enum RemoveResult { RemoveAbsent, RemoveDone, RemoveFailed, RemoveKept };

struct KelveyOps {
    RemoveResult (*removeFile)(const char *path);
    RemoveResult (*removeEmptyFolder)(const char *path);
    RemoveResult (*removeRegistryKey)(RegistryRoot root, const char *subkey);
    // The folders a program group of this name has (the user's and all
    // users'); their count.
    int (*groupFolders)(const char *name, char (*folders)[UninstallTextSize], int max);
    // The Start-up shortcut that setup made; path receives where it looked.
    RemoveResult (*removeStartupShortcut)(char *path, size_t size);
    // The path made full and, where the system can, long (no short names);
    // false when it cannot be made full.
    bool (*fullLongPath)(const char *path, char *out, size_t size);
    // A text value of a key below HKEY_LOCAL_MACHINE; false when missing.
    bool (*machineText)(const char *subkey, const char *value, char *out, size_t size);
    const PathOps *paths;
};

// What vouches for a script: the entry of the system's uninstall list that
// is named like the script's product and starts this uninstaller on it.
struct Registration {
    char key[UninstallTextSize];      // below HKEY_LOCAL_MACHINE
    char script[UninstallTextSize];   // the script's full long path
    char command[UninstallTextSize];  // the entry's UninstallString
};

enum Vouching { Vouched, NotAProductName, NotRegistered, RegisteredOtherwise };

// Fills registration (key and command as far as they are known) and tells
// whether the entry named product runs ownPath on scriptPath, both
// compared as full long paths.  Nothing may be removed unless Vouched.
Vouching CheckRegistration(const char *product, const char *scriptPath, const char *ownPath,
                           const KelveyOps &ops, Registration *registration);

// The entry in the uninstall list (from any view of the registry), or the
// script being run.
bool IsRegistration(const UninstallEntry &entry, const Registration &registration,
                    const KelveyOps &ops);

struct UninstallOutcome {
    int failed;  // items that could not be removed, listed in failures
    bool kept;   // the registration and the script stay
    bool named;  // the plan names the registration that vouched for the script
};

// Takes out of the plan, into its refused lines, what the file system shows
// to be another thing than its line says: a file or folder (other than a
// root, which stands for nothing) that is, or lies directly in, a system
// place by its canonical path or its identity (the product's own files in
// the Windows folder excepted); a file or folder whose path passes through
// a link, from the outermost folder of the plan that holds it (the Windows
// folder for the product's files there) down; a group one of whose folders
// is a link.
void CheckPlanOnDisk(UninstallPlan *plan, const SystemPlaces &places, const KelveyOps &ops);

// Removes files, then folders (deepest first), registry keys, groups (the
// shortcuts directly in each group folder that is no link, then the
// folder) and, for Tessaron, the Start-up shortcut.  Only when nothing was
// refused or failed: the registration's other keys, then the key that vouched, and
// only once that is gone, the script.
UninstallOutcome CarryOutUninstall(const UninstallPlan &plan, const Registration &registration,
                                   const KelveyOps &ops, char *failures, size_t size);

// Nothing refused, nothing left behind, and the registration gone.
bool RemovedCompletely(const UninstallPlan &plan, const UninstallOutcome &outcome);

// The uninstaller's messages.
extern const char KelveyCaption[];
void FormatConfirmation(char *out, size_t size, const char *product);
// Claims a full removal only when there was one, and that the product stays
// in the list only when it does.
void FormatOutcome(char *out, size_t size, const UninstallPlan &plan, const Registration &registration,
                   const UninstallOutcome &outcome, const char *failures);
void FormatUnreadable(char *out, size_t size, const char *scriptPath);
// Why a script that is not vouched for is left alone.
void FormatNotVouched(char *out, size_t size, Vouching vouching, const char *product,
                      const char *scriptPath, const Registration &registration);
