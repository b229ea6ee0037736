// The uninstaller's reading of an uninstallation script and its removal
// plan.  Portable: the removals themselves are KelveyOps.
#pragma once
#include <stddef.h>

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
};

// Reads the script: line 1 the product, then one "[KIND] argument" a line.
// CR is dropped, Ctrl-Z ends the text.  The plan takes only what this
// product can have installed; every other line is refused (listed, never
// acted on):
//   - a line without a line end (a script cut short) or longer than the
//     reader takes, or one of an unknown kind, or beyond the plan's room;
//   - a path without a drive or share, or with a relative, empty or
//     wildcard name in it;
//   - a file that lies neither directly inside a folder that an
//     [EMPTY FOLDER] line of the script names nor is one of the product's
//     own files in windowsDir (the script, its .bak, the settings file and
//     Start Menu\Programs\<product>.lnk);
//   - a registry key not named for the product, or not directly below
//     "Software\<vendor>\..." (the system's own keys there excepted) or in
//     the uninstall list;
//   - a group that is not the product's name.
// An [EMPTY FOLDER] that is a drive or share root stands for its files
// only and is never removed.  False when there is no whole product line.
bool ReadUninstallScript(const char *data, size_t length, const char *windowsDir,
                         UninstallPlan *plan);

// The script path on the uninstaller's command line: everything after its
// own path and the blank that follows it.  ownPath may be null.
bool ScriptPathFromCommandLine(const char *commandLine, const char *ownPath, char *out,
                               size_t size);

enum RemoveResult { RemoveAbsent, RemoveDone, RemoveFailed };

struct KelveyOps {
    RemoveResult (*removeFile)(const char *path);
    RemoveResult (*removeEmptyFolder)(const char *path);
    RemoveResult (*removeRegistryKey)(RegistryRoot root, const char *subkey);
    RemoveResult (*removeGroup)(const char *name);
    // The Start-up shortcut that setup made; path receives where it looked.
    RemoveResult (*removeStartupShortcut)(char *path, size_t size);
};

// The product's entry in the uninstall list, or the script being run.
bool IsRegistration(const UninstallEntry &entry, const char *scriptPath);

struct UninstallOutcome {
    int failed;  // items that could not be removed, listed in failures
    bool kept;   // the registration and the script stay for another try
};

// Removes files, then folders (deepest first), registry keys, groups and,
// for Tessaron, the Start-up shortcut.  The registration and the script
// (scriptPath) go last, and only when nothing was refused or failed.
UninstallOutcome CarryOutUninstall(const UninstallPlan &plan, const char *scriptPath,
                                   const KelveyOps &ops, char *failures, size_t size);

// Nothing refused and nothing left behind.
bool RemovedCompletely(const UninstallPlan &plan, const UninstallOutcome &outcome);

// The uninstaller's messages.
extern const char KelveyCaption[];
void FormatConfirmation(char *out, size_t size, const char *product);
// Claims a full removal only when nothing was refused and nothing failed.
void FormatOutcome(char *out, size_t size, const UninstallPlan &plan,
                   const UninstallOutcome &outcome, const char *failures);
void FormatUnreadable(char *out, size_t size, const char *scriptPath);
