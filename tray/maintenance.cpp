#include "maintenance.h"

#include <string.h>

#include "dialogs.h"
#include "textops.h"

// " " + the longest drive list + " /U" + " /detailed" + the terminator.
static_assert(ToolArgumentsSize >= 1 + (DriveListSize - 1) + 3 + 10 + 1, "arguments are cut");
static_assert((int)ToolLineSize >= (int)ToolCommandLineSize, "a command line of the 9x tools fits a start");

// The tasks in the order in which they are examined.
struct TaskEntry {
    int SettingsRecord::*interval;
    int SettingsRecord::*last;
    ToolKind tool;  // its location, or its bare program name
    const char *question;
    const char *failure;
};

static const TaskEntry Tasks[MaintenanceTaskCount] = {
    {&SettingsRecord::iScanInterval, &SettingsRecord::iLastScan,
     ToolKind::ScanDisk,
     "It has been at least %d days since your last automatic disk scan.  "
     "Do you want to perform a disk scan now?  "
     "If you select 'No', you will be asked again the next time you start your computer.  "
     "If you select 'Cancel', you will not be asked to perform this operation again for another %d days.",
     "The disk scanning service (SCANDSKW.EXE) could not be started.  "
     "It may already be open, or you may not have located it using "
     "\"Set Tool Locations\" in the \"Options\" dialog box."},
    {&SettingsRecord::iDefragmentInterval, &SettingsRecord::iLastDefragment,
     ToolKind::Defragmenter,
     "It has been at least %d days since your last automatic disk defragmentation.  "
     "Do you want to perform disk defragmentation now?  "
     "If you select 'No', you will be asked again the next time you start your computer.  "
     "If you select 'Cancel', you will not be asked to perform this operation again for another %d days.",
     "The disk defragmenting service (DEFRAG.EXE) could not be started.  "
     "It may already be open, or you may not have located it using "
     "\"Set Tool Locations\" in the \"Options\" dialog box."},
    {&SettingsRecord::iBackupInterval, &SettingsRecord::iLastBackup,
     ToolKind::Backup,
     "It has been at least %d days since your last automatic backup operation.  "
     "Do you want to perform a backup now?  "
     "If you select 'No', you will be asked again the next time you start your computer.  "
     "If you select 'Cancel', you will not be asked to perform this operation again for another %d days.",
     "The backup service (BACKUP.EXE) could not be started.  "
     "It may already be open, or you may not have located it using "
     "\"Set Tool Locations\" in the \"Options\" dialog box."},
    {&SettingsRecord::iCompressionInterval, &SettingsRecord::iLastCompression,
     ToolKind::CompressionAgent,
     "It has been at least %d days since your last automatic re-compression.  "
     "Do you want to perform re-compression now?  "
     "If you select 'No', you will be asked again the next time you start your computer.  "
     "If you select 'Cancel', you will not be asked to perform this operation again for another %d days.",
     "The re-compression service (CMPAGENT.EXE) could not be started.  "
     "It may already be open, or you may not have located it using "
     "\"Set Tool Locations\" in the \"Options\" dialog box."},
};

bool IsTaskDue(int today, int last, int interval)
{
    if (interval == 0)
        return false;
    if (last < 1 || last > DayNumberYearLength)
        return true;
    // 64-bit, so that any pair of days read from the file is safe to subtract.
    long long elapsed = (long long)today - last;
    if (elapsed < 0)
        elapsed += DayNumberYearLength;
    return elapsed > interval;
}

// " " and the drive list with ", " and then "," turned into blanks, as
// the drive-list dialogs show it.
static bool AppendDriveList(char *dest, size_t size, const char *drives)
{
    char list[DriveListSize];
    bool whole = CopyText(list, sizeof list, drives);
    SpaceDriveList(list, sizeof list);
    return AppendText(dest, size, " ") && AppendText(dest, size, list) && whole;
}

bool ScanDiskArguments(const SettingsRecord &s, char *dest, size_t size)
{
    if (size == 0)
        return false;
    dest[0] = '\0';
    bool whole = s.iScanDiskDrivesSetting == 1 ? AppendText(dest, size, " /a")
                                               : AppendDriveList(dest, size, s.szDrivesToScan);
    if (s.iStartStopSetting == 1)
        whole = AppendText(dest, size, " /n") && whole;
    if (s.iIgnore == 1)
        whole = AppendText(dest, size, " /p") && whole;
    return whole;
}

bool DefragArguments(const SettingsRecord &s, char *dest, size_t size)
{
    static const char *const Modes[] = {" /F", " /U", " /Q"};
    static const char *const Displays[] = {" /concise", " /detailed", " /noprompt"};
    if (size == 0)
        return false;
    dest[0] = '\0';
    bool whole = s.iDefragDiskDrivesSetting == 1 ? AppendText(dest, size, " /all")
                                                 : AppendDriveList(dest, size, s.szDrivesToDefrag);
    if (s.iDefragmentMode >= 0 && s.iDefragmentMode <= 2)
        whole = AppendText(dest, size, Modes[s.iDefragmentMode]) && whole;
    if (s.iDefragmentDisplayMode >= 0 && s.iDefragmentDisplayMode <= 2)
        whole = AppendText(dest, size, Displays[s.iDefragmentDisplayMode]) && whole;
    return whole;
}

bool TaskCommandLine(const SettingsRecord &s, MaintenanceTask task, char *dest, size_t size)
{
    bool whole = CopyText(dest, size, ToolProgram(s, Tasks[task].tool));
    char arguments[ToolArgumentsSize] = "";
    if (task == TaskScan)
        whole = ScanDiskArguments(s, arguments, sizeof arguments) && whole;
    else if (task == TaskDefragment)
        whole = DefragArguments(s, arguments, sizeof arguments) && whole;
    return AppendText(dest, size, arguments) && whole;
}

bool PlanTaskStart(const SettingsRecord &s, MaintenanceTask task, const ToolSystem *system, ToolStart *start)
{
    if (system != nullptr)
        return PlanNtToolStart(s, Tasks[task].tool, StartPurpose::Reminder, *system, start);
    memset(start, 0, sizeof *start);
    return TaskCommandLine(s, task, start->commandLine, sizeof start->commandLine);
}

bool TaskQuestion(const SettingsRecord &s, MaintenanceTask task, char *dest, size_t size)
{
    int interval = s.*Tasks[task].interval;
    return FormatText(dest, size, Tasks[task].question, interval, interval);
}

const char *TaskFailureMessage(MaintenanceTask task)
{
    return Tasks[task].failure;
}

ReminderAnswer ReminderAnswerFor(int boxResult)
{
    switch (boxResult) {
    case BoxResultYes:
        return AnswerYes;
    case BoxResultCancel:
        return AnswerCancel;
    default:
        return AnswerNo;
    }
}

void RunReminderPass(const ReminderOps &ops)
{
    if (Settings.iEnableMaintenance != 1)
        return;
    int today = ops.today();
    bool changed = false;
    for (int i = 0; i < MaintenanceTaskCount; i++) {
        MaintenanceTask task = (MaintenanceTask)i;
        int &last = Settings.*Tasks[i].last;
        if (!IsTaskDue(today, last, Settings.*Tasks[i].interval))
            continue;
        char question[ReminderTextSize];
        TaskQuestion(Settings, task, question, sizeof question);
        switch (ops.ask(question)) {
        case AnswerCancel:
            last = today;
            changed = true;
            break;
        case AnswerNo:
            break;
        case AnswerYes: {
            // A cut command line would start something else: it is never
            // started, nor is a run with no volume to work on.
            ToolStart start;
            const ToolSystem *system = ops.system();
            StartOutcome outcome = PlanTaskStart(Settings, task, system, &start) ? ops.startAndWait(&start)
                                                                                 : StartOutcome::Failed;
            if (outcome == StartOutcome::Started) {
                last = today;
                changed = true;
            } else {
                char message[ToolMessageSize];
                NotStartedMessage(Settings, Tasks[i].tool, Tasks[i].failure, system, outcome, message,
                                  sizeof message);
                ops.showFailure(message);
            }
            break;
        }
        }
    }
    if (changed)
        ops.saveSettings();
}

bool FreeSpaceWarning(const char *root, int megabytes, char *dest, size_t size)
{
    return FormatText(dest, size,
                      "Warning!\n\nThe amount of free space available on drive %s "
                      "has fallen below %dMB.",
                      root, megabytes);
}

void RunFreeSpaceCheck(const FreeSpaceOps &ops, char *warned, size_t warnedSize)
{
    if (Settings.iLowSpaceWarningEnabled != 1)
        return;
    // A negative threshold is no amount of space: nothing is short of it.
    if (Settings.lMinimumSpace < 0)
        return;
    uint64_t limit = (uint64_t)Settings.lMinimumSpace << 20;
    uint32_t mask = ops.driveMask();
    for (int i = 0; i < 26; i++) {
        if ((mask & (1u << i)) == 0)
            continue;
        char letter = (char)('A' + i);
        char root[DriveRootSize];
        DriveRoot(letter, root);
        // A drive already warned about is not asked again: a slow drive
        // would only hold up the tick for nothing.
        if (strchr(warned, letter) != nullptr)
            continue;
        unsigned type = ops.driveType(root);
        if (type == DriveTypeCdrom)
            continue;
        if (Settings.iCheckFloppySpace == 0 && type == DriveTypeRemovable &&
            (letter == 'A' || letter == 'B'))
            continue;
        uint64_t bytes = 0;
        if (!ops.freeBytes(root, &bytes))
            continue;
        if (bytes >= limit)
            continue;
        char text[FreeSpaceWarningSize];
        FreeSpaceWarning(root, Settings.lMinimumSpace, text, sizeof text);
        // Recorded first: the box's modal loop lets further ticks in.  A
        // letter that cannot be recorded is not warned about, so it cannot
        // come back on every tick.
        char one[2] = {letter, '\0'};
        if (!AppendText(warned, warnedSize, one))
            continue;
        ops.warn(text);
    }
}
