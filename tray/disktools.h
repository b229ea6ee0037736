// How the tray program starts its tools on the NT family (Windows 2000 to
// 11), where ScanDisk and the 9x defragmenter do not exist: which system
// tool a location names, the switches each system's chkdsk and defrag take
// for the ScanDisk and Defragmenter settings, the volumes, the one console
// run that carries them, the consent prompt and the 64-bit system folder.
// On Windows 95, 98 and ME the command lines stay those of app.h and
// maintenance.h.  Portable: no <windows.h>.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "app.h"
#include "platform.h"
#include "settings.h"

enum {
    // cmd.exe takes a command line of up to 8,191 characters.
    ToolLineSize = 8192,
    // A location, or the system folder's cmd.exe.
    ToolFileSize = LocationSize + 16,
    VolumeCount = 26
};

// The system tool a location names by its file name (any case); a location
// with arguments of its own is some other command.
enum class DiskTool { Other, Chkdsk, Defrag, DefragWindow };
DiskTool DiskToolNamed(const char *location);

// The systems whose defrag.exe takes the same switches; 2000 has none.
enum class DefragGeneration { None, Xp, Vista, Seven, EightToEleven };
DefragGeneration DefragGenerationOf(const Platform &platform);

// A volume as the tools take it: "C:".
typedef char Volume[3];

// The volumes of a run: every fixed drive of the mask when all is 1,
// otherwise the drive list's words that are a letter and a colon, each
// once, in the order typed.  Every other word is dropped: the list ends up
// on a command line.
int RunVolumes(int all, const char *driveList, uint32_t driveMask, DriveTypeQuery driveType,
               Volume volumes[VolumeCount]);

// What the tray program knows of an NT system when it starts a tool.
struct ToolSystem {
    Platform platform;
    const char *systemDir;  // GetSystemDirectoryA; empty when unknown
    uint32_t driveMask;     // bit 0 is A:
    DriveTypeQuery driveType;
    // The disk under a volume and whether its file system is NTFS, each
    // asked of its root ("C:\").
    DiskMedia (*media)(const char *root);
    bool (*ntfs)(const char *root);
    // As this process sees the disk: under WOW64, System32 shows the
    // 32-bit folder.
    bool (*fileExists)(const char *path);
    // As the system's own programs see it: the 64-bit folder there.
    bool (*nativeFileExists)(const char *path);
};

// One start of a tool, as the Win32 side carries it out.
struct ToolStart {
    char commandLine[ToolLineSize];  // CreateProcessA, WinExec
    // ShellExecuteExA's file and parameters: the same start through the
    // consent prompt (empty on Windows 95, 98 and ME).
    char file[ToolFileSize];
    char parameters[ToolLineSize];
    bool elevate;            // through the consent prompt from the outset
    bool elevateIfRefused;   // a direct start refused for want of rights asks again
    // The direct start needs the 64-bit system folder: WOW64's redirection
    // is switched off around it.  Never around the consent prompt, whose
    // shell loads libraries of its own as it goes.
    bool redirectionOff;
    // A tray icon's start on Windows 95, 98 and ME: WinExec, as there it
    // always was.  Every other direct start is CreateProcessA's, whose
    // errors (740 among them) are documented.
    bool winExec;
};

// How a start ended: a consent prompt that the user declined is told
// apart from a start that failed.
enum class StartOutcome { Started, Failed, Declined };

enum class StartPurpose {
    Reminder,  // waited for; the console closes where ScanDisk would have
    Icon       // not waited for; the console stays until a key is pressed
};

// A tool's start on an NT system.  chkdsk (the ScanDisk location) and,
// from XP on, defrag (the Defragmenter location) run once per volume, or
// once for the volumes that take the same switches where defrag takes a
// list, in one console of the system folder's cmd.exe, which runs nothing
// of its own (no AutoRun): "cmd.exe /d /s /c "run&run&pause"".  The
// console waits for a key wherever chkdsk may ask a question (/f), where
// ScanDisk would not have closed by itself or the defragmenter would have
// prompted, and after a start from a tray icon.  From Vista on they start
// through the consent prompt, as does dfrgui.exe; every other location
// starts as it stands.  Under WOW64 a program only in the 64-bit system
// folder is reached too.  False (start empty) when there is nothing to
// run: no volume, a tool that is not there, or a line that does not fit.
bool PlanNtToolStart(const SettingsRecord &s, ToolKind tool, StartPurpose purpose,
                     const ToolSystem &system, ToolStart *start);

// The start of a tool from its tray icon: on Windows 95, 98 and ME (no
// system) the location or fall-back name as the whole command line.
bool PlanIconStart(const SettingsRecord &s, ToolKind tool, const ToolSystem *system, ToolStart *start);

// A command line as CreateProcess reads it: a quoted program, or the
// shortest prefix ending before a blank that names a file (as it is or
// with ".exe"), or else the first word; then the rest.  For the consent
// prompt, which takes them apart.
void SplitCommandLine(const char *line, bool (*fileExists)(const char *path), char *file,
                      size_t fileSize, char *parameters, size_t parametersSize);

// The message shown for a tool that did not start, from its 9x message
// (the reminder's or the icon's).  On Windows 95, 98 and ME (no system)
// that message as it stands.  On the NT family a declined consent prompt
// has a message of its own, which names the file of the program the
// location starts; a failed start of ScanDisk or the Defragmenter names
// that file in place of the 9x one.  ToolMessageSize always holds it.
enum { ToolMessageSize = ToolFileSize + 256 };
bool NotStartedMessage(const SettingsRecord &s, ToolKind tool, const char *message, const ToolSystem *system,
                       StartOutcome outcome, char *out, size_t size);
