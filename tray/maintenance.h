// Start-up maintenance reminders and the free-space monitor: every rule,
// text and command line.  The system calls reach this code through small
// tables of operations.  Portable: no <windows.h>.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "app.h"
#include "disktools.h"
#include "settings.h"

enum {
    // Day numbers run 1..366 with February always 29 days and no year.
    DayNumberYearLength = 366,
    // Longest arguments: " " + a 127-character drive list + " /U" + " /detailed".
    ToolArgumentsSize = 160,
    // The longest location (511 characters) and the longest arguments both fit.
    ToolCommandLineSize = LocationSize + ToolArgumentsSize,
    // Longest question: about 300 characters with two 11-digit intervals.
    ReminderTextSize = 512,
    FreeSpaceWarningSize = 160
};

enum MaintenanceTask {
    TaskScan,
    TaskDefragment,
    TaskBackup,
    TaskCompression,
    MaintenanceTaskCount
};

// True when more than interval days have passed since the day last.  An
// interval of 0 never reminds.  A last day later in the year than today
// means the year has turned, so a year's length is added.  A last day
// outside 1..366 (a damaged or hand-edited file) is due, so that the
// reminder cannot stop for good.
bool IsTaskDue(int today, int last, int interval);

// The arguments that follow the program on each tool's command line, each
// beginning with a blank.  They return false when size is too small (the
// text is then cut); ToolArgumentsSize is always enough.
bool ScanDiskArguments(const SettingsRecord &s, char *dest, size_t size);
bool DefragArguments(const SettingsRecord &s, char *dest, size_t size);

// The full command line of a task: the location, or the bare program name
// when the location is empty, then the arguments.  ToolCommandLineSize is
// always enough.
bool TaskCommandLine(const SettingsRecord &s, MaintenanceTask task, char *dest, size_t size);

// The start of a task's tool: on Windows 95, 98 and ME (no system) the
// command line above, on the NT family that of PlanNtToolStart.
bool PlanTaskStart(const SettingsRecord &s, MaintenanceTask task, const ToolSystem *system, ToolStart *start);

// The question of a task, formatted with its interval.
bool TaskQuestion(const SettingsRecord &s, MaintenanceTask task, char *dest, size_t size);
// The message shown when a task's tool cannot be started (on Windows 95,
// 98 and ME; NotStartedMessage gives the NT family's from it).
const char *TaskFailureMessage(MaintenanceTask task);

enum ReminderAnswer { AnswerYes, AnswerNo, AnswerCancel };

// The system's message box results.
enum { BoxResultCancel = 2, BoxResultYes = 6, BoxResultNo = 7 };
// The answer a question box gave: Cancel also when the box was closed.  A
// box that could not be shown (0), or any other result, changes nothing,
// as No does.
ReminderAnswer ReminderAnswerFor(int boxResult);

struct ReminderOps {
    int (*today)(void);                        // TodayDayNumber
    ReminderAnswer (*ask)(const char *question);
    // The NT system the tools run on; null on Windows 95, 98 and ME.
    const ToolSystem *(*system)(void);
    // Starts the tool and waits for it to end.  The command line is
    // writable, as process creation may need.
    StartOutcome (*startAndWait)(ToolStart *start);
    void (*showFailure)(const char *message);
    void (*saveSettings)(void);
};

// The reminder pass over the global Settings, once per start.  Does
// nothing unless iEnableMaintenance is 1; saves the settings when it
// changed a last-run day.
void RunReminderPass(const ReminderOps &ops);

struct FreeSpaceOps {
    uint32_t (*driveMask)(void);  // bit 0 is A:, bit 25 is Z:
    DriveTypeQuery driveType;     // the system's drive type numbers
    // False when the drive does not answer (no disc, unreachable share).
    bool (*freeBytes)(const char *root, uint64_t *bytes);
    void (*warn)(const char *text);
};

// The warning shown for a drive root such as C:\ .
bool FreeSpaceWarning(const char *root, int megabytes, char *dest, size_t size);

// One tick of the free-space monitor over the global Settings.  warned
// holds the letters already warned about in this run; a letter is added
// before its warning is shown, since the warning's modal loop lets further
// ticks in.
void RunFreeSpaceCheck(const FreeSpaceOps &ops, char *warned, size_t warnedSize);
