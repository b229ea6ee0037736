// The tray program's decisions, texts and command lines: day numbers, the
// help file's path, the tray menu's layout and choices, the Explorer and
// tool command lines, the tray icon calls and the mouse actions over the
// icons.  Portable: no <windows.h>; the Win32 shell only carries them out.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "settings.h"

// ---- Day numbers ---------------------------------------------------------

// The day within the year for a month (1..12) and a day of the month, with
// February always counted as 29 days: 1 March is 61, 31 December is 366.
// An out-of-range month gives 0.
int DayNumber(int month, int day);
// DayNumber of today's local date; 1 if the clock cannot be read.
int TodayDayNumber(void);

// ---- Help file -----------------------------------------------------------

enum { HelpPathSize = 512 };

// TESSARON.HLP in the program's own folder: the folder of modulePath, then
// "\TESSARON.HLP", upper-cased, with runs of backslashes collapsed (the
// leading pair of a network path is kept).  A path without a folder gives
// "TESSARON.HLP".  False (out empty) when the result does not fit.
bool HelpPathFromModulePath(const char *modulePath, char *out, size_t size);
// The HTML page of a help context, in the folder "help" beside the help
// file: C:\TESSARON\TESSARON.HLP and 2000 give C:\TESSARON\help\options.html.
// False (out empty) when it does not fit.
bool HelpPageFromHelpPath(const char *helpPath, int context, char *out, size_t size);

// ---- Access keys -----------------------------------------------------------

// The letters A to Z that items of one menu have taken as access keys.
struct AccessKeys {
    bool taken[26];
};

// Copies text into out with "&" before its access key: the first of its
// letters, in this order, that no earlier item took: the one at preferred,
// the first letters of its words, then every other letter.  The letter is
// then taken.  When every letter is taken, the one at preferred serves all
// the same (the menu then steps through the items that share it); a text
// without letters gets no key.  False (out empty) when it does not fit.
bool AddAccessKey(const char *text, size_t preferred, AccessKeys *keys, char *out, size_t size);

// ---- Tray menu -----------------------------------------------------------

// The system's drive type numbers (GetDriveTypeA).
enum DriveType {
    DriveTypeUnknown = 0,
    DriveTypeNoRootDir = 1,
    DriveTypeRemovable = 2,
    DriveTypeFixed = 3,
    DriveTypeRemote = 4,
    DriveTypeCdrom = 5,
    DriveTypeRamdisk = 6
};

// The word shown in a drive's menu label; empty for an unknown type.
const char *DriveTypeWord(char letter, unsigned driveType);

enum { DriveRootSize = 4, MenuLabelSize = 64 };
// "C:\" for 'C'.
void DriveRoot(char letter, char out[DriveRootSize]);
// "Drive C:\ [Hard Disk]", without an access key.
void DriveLabel(char letter, unsigned driveType, char out[MenuLabelSize]);

// Asks the type of the drive whose root is given, e.g. "C:\".
typedef unsigned (*DriveTypeQuery)(const char *root);

struct MenuEntry {
    bool separator;
    int id;                      // 0 for a separator
    char text[MenuLabelSize];    // empty for a separator
};

// One drive item per bit of the mask (bit 0 = A:), a separator if any
// drive was listed, then the fixed items.  Every item has an access key:
// the drives their letters ("Drive &C:\ [Hard Disk]"), then the fixed
// items theirs ("&Open...", "Auto&Maintenance...", "O&ptions...", "&Help
// Topics", "&About Tessaron...", "E&xit"), or another of their letters
// where a drive took that one (AddAccessKey).
enum { TrayMenuMaxEntries = 26 + 1 + 11 };
int TrayMenuLayout(unsigned long driveMask, DriveTypeQuery driveType,
                   MenuEntry entries[TrayMenuMaxEntries]);

// What an item chosen in the tray menu does.
enum class TrayChoiceKind { Nothing, PostClose, PostCommand, OpenDrive };
struct TrayChoice {
    TrayChoiceKind kind;
    int command;   // for PostCommand
    char letter;   // for OpenDrive
};
TrayChoice DecideTrayMenuChoice(int itemId);

// ---- Explorer --------------------------------------------------------------

// Targets come from drive items, the Open Path text and quick access
// entries, whose lines may hold up to 2,047 characters.
enum {
    ExplorerTargetSize = 2048,
    ExplorerCommandSize = (LocationSize - 1) + 7 + (ExplorerTargetSize - 1) + 1
};
extern const char ExplorerFailureMessage[];

// The program (szExplorerLocation or "EXPLORER.EXE"), " /n,", "/e," when
// iExplorerView is set, then the target.  Never cut: false (out empty)
// when the whole line does not fit.
bool BuildExplorerCommand(const SettingsRecord &settings, const char *target,
                          char *out, size_t size);

// ---- Tray icons ------------------------------------------------------------

// The shell's operations and icon flags (Shell_NotifyIconA).
enum TrayOperation { TrayAdd = 0, TrayModify = 1, TrayDelete = 2 };
enum { TrayFlagMessage = 1, TrayFlagIcon = 2, TrayFlagTip = 4 };

// Whether each icon other than the main one was last asked to be shown.
struct TrayIconShown {
    int explorer;
    int quickAccess;
    int scanDisk;
    int defragmenter;
    int driveSpace;
    int compressionAgent;
    int backup;
};

struct TrayCall {
    int iconId;
    unsigned flags;       // uFlags of the record
    const char *tooltip;
};
enum { TrayIconCount = 8 };
struct TrayPlan {
    int operation;
    int count;
    TrayCall calls[TrayIconCount];
};

// The shell calls for one operation, in order, and the flags as they stand
// after them (updated in shown).  An unknown operation plans nothing.
TrayPlan PlanTrayIcons(int operation, const SettingsRecord &settings, TrayIconShown *shown);

// ---- Tools -----------------------------------------------------------------

enum class ToolKind { Explorer, ScanDisk, Defragmenter, Backup, DriveSpace, CompressionAgent };
enum { ToolKindCount = 6 };

struct ToolInfo {
    ToolKind kind;
    int iconId;
    char (SettingsRecord::*location)[LocationSize];
    const char *fallbackName;
    const char *failureMessage;
};

const ToolInfo &ToolInfoFor(ToolKind kind);
// The tool whose tray icon this is; false for the main, quick access and
// unknown icons.
bool ToolForIcon(int iconId, ToolKind *kind);

// The program that starts a tool: its location, or its fall-back name when
// the location is empty.  The tray icons, the Explorer windows and the
// maintenance reminders all start their tools by this one rule.
const char *ToolProgram(const SettingsRecord &settings, ToolKind kind);

// The whole command line of a tool: its location, or its fall-back name
// when the location is empty.  A location fills at most LocationSize, so a
// buffer of that size always holds it; false (out empty) otherwise.
bool BuildToolCommand(const SettingsRecord &settings, ToolKind kind, char *out, size_t size);

// What a mouse message over a tray icon does, and the keyboard's
// notifications where the icons take the keyboard: NIN_KEYSELECT (Enter or
// Space) is the icon's primary action, WM_CONTEXTMENU (the menu key) opens
// the main and quick access icons' menus.
enum {
    MouseLeftDown = 0x0201,
    MouseRightUp = 0x0205,
    TrayContextMenu = 0x007B,  // WM_CONTEXTMENU
    TrayKeySelect = 0x0401     // NIN_KEYSELECT
};
enum class TrayMouseKind { Nothing, PostTrayMenu, PostQuickAccessMenu, Launch };
struct TrayMouseAction {
    TrayMouseKind kind;
    ToolKind tool;  // for Launch
    bool keyboard;  // asked for by the keyboard
};
TrayMouseAction DecideTrayMouse(int iconId, int mouseMessage);

// The last action taken from a tray icon.  The shell may send NIN_KEYSELECT
// twice for one Enter, and with the keyboard version it follows every
// right-button release with WM_CONTEXTMENU: each must act only once.
struct TrayActionMemory {
    int iconId;             // 0: none yet
    uint32_t endedAt;       // tick count (ms) when its action ended
    bool running;           // its action has not ended (a message box is open)
};
// Whether a keyboard action on iconId at tick now repeats the last action:
// the same icon, still running or ended less than limit ms ago.
bool RepeatsTrayAction(const TrayActionMemory &last, int iconId, uint32_t now, uint32_t limit);

// ---- Icons the shell refused ------------------------------------------------

// What the shell answered, one bit per icon id: the icons it holds, and
// those whose add it refused (a busy shell at log-on), to be asked again.
struct TrayIconAnswers {
    unsigned present;
    unsigned refused;
};
// After the shell answered one call.  A refused add of an icon it holds is
// no refusal: adding an icon that is there always fails.
void NoteTrayAnswer(TrayIconAnswers *answers, int operation, int iconId, bool accepted);
// The calls of an add plan whose icons the shell refused.
TrayPlan RefusedTrayCalls(const TrayPlan &addPlan, const TrayIconAnswers &answers);
