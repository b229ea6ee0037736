// The uninstaller's reading of an uninstallation script and its removal
// plan.  Portable: the removals themselves are KelveyOps.
#pragma once
#include <stddef.h>

const size_t UninstallTextSize = 512;    // a path, a key or a group name
const size_t UninstallLineSize = 2048;   // a line of the script
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
};

// Reads the script: line 1 the product, then one "[KIND] argument" a line.
// CR is dropped, Ctrl-Z ends the text.  Lines that are too long, of an
// unknown kind, or whose argument could reach beyond what the product
// installed (a relative path, a drive or share root as a folder, a whole
// registry hive, a group name with a path in it) are left out.  False when
// there is no product line.
bool ReadUninstallScript(const char *data, size_t length, UninstallPlan *plan);

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

// Removes files, then folders (deepest first), registry keys, groups and,
// for Tessaron, the Start-up shortcut.  failures receives one line for each
// item that could not be removed; the result is their number.
int CarryOutUninstall(const UninstallPlan &plan, const KelveyOps &ops, char *failures,
                      size_t size);

// The uninstaller's messages.
extern const char KelveyCaption[];
void FormatConfirmation(char *out, size_t size, const char *product);
void FormatOutcome(char *out, size_t size, const char *product, int failed, const char *failures);
void FormatUnreadable(char *out, size_t size, const char *scriptPath);
