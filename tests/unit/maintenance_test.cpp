#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>

#include <string>
#include <vector>

#include "maintenance.h"
#include "textops.h"

namespace {

TEST(IsTaskDue, TableOfCases)
{
    const struct {
        int today, last, interval;
        bool due;
    } cases[] = {
        {107, 100, 7, false},  // exactly the interval: not yet
        {108, 100, 7, true},
        {200, 100, 0, false},  // 0 never reminds
        {3, 360, 0, false},
        {100, 100, -1, true},  // a negative interval: due at every start
        {3, 360, -1, true},
        {61, 59, 1, true},  // 28 February to 1 March counts 2 in every year
        {61, 59, 2, false},
        {3, 360, 7, true},  // the year has turned: 6 + 3 = 9 days
        {3, 360, 8, true},
        {3, 360, 9, false},
        {1, 366, 1, false},  // 31 December to 1 January counts 1
        {366, 1, 364, true},
        {366, 1, 365, false},
        // A day no run can leave (a damaged or hand-edited file) is due,
        // however it compares with today; only an interval of 0 stays quiet.
        {1, INT_MIN, 7, true},
        {1, INT_MAX, 7, true},
        {200, 0, 7, true},
        {200, 0, 1000, true},
        {200, 367, 400, true},
        {200, -5, 1000, true},
        {200, 367, 0, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IsTaskDue(c.today, c.last, c.interval), c.due)
            << "today " << c.today << " last " << c.last << " interval " << c.interval;
}

TEST(TaskCommandLine, TableOfCases)
{
    using S = SettingsRecord;
    char (S::*const locations[])[LocationSize] = {&S::szScanLocation, &S::szDefragmentLocation, &S::szBackupLocation,
                                                  &S::szCompressionAgentLocation};
    // all, drives, first and second go to the scan's iScanDiskDrivesSetting,
    // szDrivesToScan, iStartStopSetting and iIgnore, or to the defragmenter's
    // iDefragDiskDrivesSetting, szDrivesToDefrag, iDefragmentMode and
    // iDefragmentDisplayMode.
    const struct {
        MaintenanceTask task;
        const char *location;
        int all;
        const char *drives;
        int first, second;
        const char *expected;
    } cases[] = {
        // The examples: defaults with C:\WINDOWS, listed drives, one drive, backup.
        {TaskScan, "C:\\WINDOWS\\scandskw.exe", 1, "", 1, 0, "C:\\WINDOWS\\scandskw.exe /a /n"},
        {TaskDefragment, "C:\\WINDOWS\\defrag.exe", 1, "", 0, 2, "C:\\WINDOWS\\defrag.exe /all /F /noprompt"},
        {TaskScan, "", 0, "C:, D:,E:", 0, 1, "SCANDSKW.EXE C: D: E: /p"},
        {TaskDefragment, "", 0, "D:", 1, 0, "DEFRAG.EXE D: /U /concise"},
        {TaskBackup, "", 0, "C:", 0, 0, "BACKUP.EXE"},
        // The empty list leaves a double blank; only exactly 1 means "on".
        {TaskScan, "", 0, "", 1, 0, "SCANDSKW.EXE  /n"},
        {TaskScan, "", 2, "C:", 2, 2, "SCANDSKW.EXE C:"},
        {TaskDefragment, "", 0, "C: D:", 2, 1, "DEFRAG.EXE C: D: /Q /detailed"},
        {TaskDefragment, "", 1, "", 3, -1, "DEFRAG.EXE /all"},  // modes out of range add nothing
        {TaskBackup, "D:\\TOOLS\\BACKUP.EXE", 0, "", 0, 0, "D:\\TOOLS\\BACKUP.EXE"},
        {TaskCompression, "", 0, "", 0, 0, "CMPAGENT.EXE"},
        // A location with its own argument, never quoted.
        {TaskCompression, "C:\\Program Files\\agent.exe /x", 0, "", 0, 0, "C:\\Program Files\\agent.exe /x"},
    };
    for (const auto &c : cases) {
        SettingsRecord s = InitialSettings();
        CopyText(s.*locations[c.task], LocationSize, c.location);
        bool scan = c.task == TaskScan;
        (scan ? s.iScanDiskDrivesSetting : s.iDefragDiskDrivesSetting) = c.all;
        CopyText(scan ? s.szDrivesToScan : s.szDrivesToDefrag, DriveListSize, c.drives);
        (scan ? s.iStartStopSetting : s.iDefragmentMode) = c.first;
        (scan ? s.iIgnore : s.iDefragmentDisplayMode) = c.second;
        char line[ToolCommandLineSize];
        EXPECT_TRUE(TaskCommandLine(s, c.task, line, sizeof line)) << c.expected;
        EXPECT_STREQ(line, c.expected);
    }

    // The longest location and the longest arguments are never cut.
    SettingsRecord s = InitialSettings();
    const std::string location(LocationSize - 1, 'x'), drives(DriveListSize - 1, 'd');
    CopyText(s.szDefragmentLocation, LocationSize, location.c_str());
    CopyText(s.szDrivesToDefrag, DriveListSize, drives.c_str());
    s.iDefragDiskDrivesSetting = 0, s.iDefragmentMode = 1, s.iDefragmentDisplayMode = 1;
    char line[ToolCommandLineSize];
    ASSERT_TRUE(TaskCommandLine(s, TaskDefragment, line, sizeof line));
    EXPECT_EQ(line, location + " " + drives + " /U /detailed");
    // A buffer too small is reported, so that no cut line is ever started.
    EXPECT_FALSE(TaskCommandLine(s, TaskScan, line, 8));
}

TEST(TaskTexts, QuestionsAndFailuresAsShown)
{
    SettingsRecord s = InitialSettings();
    s.iScanInterval = 7, s.iDefragmentInterval = 14, s.iBackupInterval = 30, s.iCompressionInterval = -3;
    const struct {
        MaintenanceTask task;
        const char *what, *offer, *days, *failure;
    } cases[] = {
        {TaskScan, "disk scan", "a disk scan", "7", "The disk scanning service (SCANDSKW.EXE)"},
        {TaskDefragment, "disk defragmentation", "disk defragmentation", "14",
         "The disk defragmenting service (DEFRAG.EXE)"},
        {TaskBackup, "backup operation", "a backup", "30", "The backup service (BACKUP.EXE)"},
        {TaskCompression, "re-compression", "re-compression", "-3", "The re-compression service (CMPAGENT.EXE)"},
    };
    for (const auto &c : cases) {
        const std::string days = c.days;
        char question[ReminderTextSize];
        EXPECT_TRUE(TaskQuestion(s, c.task, question, sizeof question));
        EXPECT_EQ(question, "It has been at least " + days + " days since your last automatic " + c.what +
                                ".  Do you want to perform " + c.offer + " now?  If you select 'No', you will "
                                "be asked again the next time you start your computer.  If you select 'Cancel', "
                                "you will not be asked to perform this operation again for another " + days + " days.");
        EXPECT_EQ(TaskFailureMessage(c.task),
                  std::string(c.failure) + " could not be started.  It may already be open, or you may not "
                  "have located it using \"Set Tool Locations\" in the \"Options\" dialog box.");
    }
    s.iDefragmentInterval = INT_MIN;  // the widest intervals still fit
    char question[ReminderTextSize];
    EXPECT_TRUE(TaskQuestion(s, TaskDefragment, question, sizeof question));
}

// A scripted platform for the reminder pass: answers and start results
// are taken in turn, every call is logged.
struct Script {
    int today = 200, todayCalls = 0;
    std::string answers;  // Y, N or C per question
    std::string starts;   // 1 started, 0 not
    size_t nextAnswer = 0, nextStart = 0;
    std::vector<std::string> log;
} script;

int ScriptToday(void) { return script.todayCalls++, script.today; }
ReminderAnswer ScriptAsk(const char *question)
{
    std::string q(question);
    script.log.push_back("ask " + q.substr(q.rfind("automatic ") + 10, 9));
    // The box's result; 0 is a box that could not be shown.
    char a = script.nextAnswer < script.answers.size() ? script.answers[script.nextAnswer++] : 'C';
    return ReminderAnswerFor(a == 'Y' ? BoxResultYes : a == 'N' ? BoxResultNo : a == '0' ? 0 : BoxResultCancel);
}
const ToolSystem *ScriptSystem(void) { return nullptr; }  // Windows 95, 98 and ME
StartOutcome ScriptStart(ToolStart *start)
{
    script.log.push_back(std::string("start ") + start->commandLine);
    return script.nextStart < script.starts.size() && script.starts[script.nextStart++] == '1' ? StartOutcome::Started
                                                                                              : StartOutcome::Failed;
}
void ScriptFailure(const char *message)
{
    std::string m(message);
    script.log.push_back("fail " + m.substr(0, m.find(" could")));
}
void ScriptSave(void)
{
    // The days are in the record by the time it is written.
    script.log.push_back("save " + std::to_string(Settings.iLastScan) + " " + std::to_string(Settings.iLastDefragment) +
                         " " + std::to_string(Settings.iLastBackup) + " " + std::to_string(Settings.iLastCompression));
}
const ReminderOps Ops = {ScriptToday, ScriptAsk, ScriptSystem, ScriptStart, ScriptFailure, ScriptSave};

TEST(RunReminderPass, TableOfCases)
{
    const struct {
        const char *name;
        int enable, today, intervals[4], lasts[4];
        const char *answers, *starts;
        int expectedLasts[4];
        std::vector<std::string> log;
    } cases[] = {
        {"off", 0, 200, {7, 7, 7, 7}, {1, 1, 1, 1}, "YYYY", "1111", {1, 1, 1, 1}, {}},
        {"on means exactly 1", 2, 200, {7, 7, 7, 7}, {1, 1, 1, 1}, "", "", {1, 1, 1, 1}, {}},
        {"nothing due", 1, 200, {0, 7, 100, 7}, {1, 193, 100, 200}, "", "", {1, 193, 100, 200}, {}},
        {"cancel records today without a start", 1, 200, {7, 0, 0, 0}, {100, 1, 1, 1}, "C", "", {200, 1, 1, 1},
         {"ask disk scan", "save 200 1 1 1"}},
        {"no changes nothing and writes nothing", 1, 200, {7, 0, 0, 0}, {100, 1, 1, 1}, "N", "", {100, 1, 1, 1},
         {"ask disk scan"}},
        {"a tool that cannot start keeps its day", 1, 200, {7, 0, 0, 0}, {100, 1, 1, 1}, "Y", "0", {100, 1, 1, 1},
         {"ask disk scan", "start SCANDSKW.EXE /a /n", "fail The disk scanning service (SCANDSKW.EXE)"}},
        {"all four due and started, in order, one save at the end", 1, 200, {7, 7, 7, 7}, {1, 2, 3, 4}, "YYYY",
         "1111", {200, 200, 200, 200},
         {"ask disk scan", "start SCANDSKW.EXE /a /n", "ask disk defr", "start DEFRAG.EXE /all /F /noprompt",
          "ask backup op", "start BACKUP.EXE", "ask re-compre", "start CMPAGENT.EXE", "save 200 200 200 200"}},
        {"cancel on the scan goes on to defragmentation", 1, 200, {7, 7, 0, 0}, {1, 2, 3, 4}, "CN", "",
         {200, 2, 3, 4}, {"ask disk scan", "ask disk defr", "save 200 2 3 4"}},
        {"failure then success saves only the changed day", 1, 200, {0, 0, 7, 7}, {1, 2, 3, 4}, "YY", "01",
         {1, 2, 3, 200},
         {"ask backup op", "start BACKUP.EXE", "fail The backup service (BACKUP.EXE)", "ask re-compre",
          "start CMPAGENT.EXE", "save 1 2 3 200"}},
        {"negative interval asks every start", 1, 200, {0, 0, 0, -1}, {1, 1, 1, 200}, "N", "", {1, 1, 1, 200},
         {"ask re-compre"}},
        {"the year turn: last run on day 360, interval 7, day 3 asks", 1, 3, {7, 0, 0, 0}, {360, 1, 1, 1}, "C", "",
         {3, 1, 1, 1}, {"ask disk scan", "save 3 1 1 1"}},
        {"a box that cannot be shown keeps the day, as No", 1, 200, {7, 0, 0, 0}, {100, 1, 1, 1}, "0", "",
         {100, 1, 1, 1}, {"ask disk scan"}},
        {"damaged days ask; Cancel and Yes mend them, No and no box keep them", 1, 200, {7, 7, 7, 7},
         {0, 367, INT_MIN, INT_MAX}, "CN0Y", "1", {200, 367, INT_MIN, 200},
         {"ask disk scan", "ask disk defr", "ask backup op", "ask re-compre", "start CMPAGENT.EXE",
          "save 200 367 -2147483648 200"}},
    };
    int *intervals[] = {&Settings.iScanInterval, &Settings.iDefragmentInterval, &Settings.iBackupInterval,
                        &Settings.iCompressionInterval};
    int *lasts[] = {&Settings.iLastScan, &Settings.iLastDefragment, &Settings.iLastBackup, &Settings.iLastCompression};
    for (const auto &c : cases) {
        Settings = InitialSettings();
        Settings.iEnableMaintenance = c.enable;
        for (int i = 0; i < 4; i++)
            *intervals[i] = c.intervals[i], *lasts[i] = c.lasts[i];
        script = Script();
        script.today = c.today, script.answers = c.answers, script.starts = c.starts;
        RunReminderPass(Ops);
        EXPECT_EQ(script.log, c.log) << c.name;
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(*lasts[i], c.expectedLasts[i]) << c.name << " task " << i;
        // Today is taken once for the whole pass, and only when it runs.
        EXPECT_EQ(script.todayCalls, c.enable == 1 ? 1 : 0) << c.name;
    }
    Settings = InitialSettings();
}

// A scripted machine for the free-space monitor.
struct Drive {
    char letter;
    unsigned type;
    bool answers;
    uint64_t freeBytes;
};

struct Machine {
    std::vector<Drive> drives;
    uint32_t extraMask = 0;
    std::vector<std::string> log;
    const char *warned = nullptr;
    int maskCalls = 0;
    void (*onWarn)(void) = nullptr;
} machine;

const Drive *FindDrive(const char *root)
{
    for (const Drive &d : machine.drives)
        if (d.letter == root[0])
            return &d;
    return nullptr;
}
uint32_t MachineMask(void)
{
    machine.maskCalls++;
    uint32_t mask = machine.extraMask;
    for (const Drive &d : machine.drives)
        mask |= 1u << (d.letter - 'A');
    return mask;
}
unsigned MachineType(const char *root)
{
    const Drive *d = FindDrive(root);
    return d ? d->type : (unsigned)DriveTypeNoRootDir;
}
bool MachineFree(const char *root, uint64_t *bytes)
{
    machine.log.push_back(std::string("ask ") + root);
    const Drive *d = FindDrive(root);
    if (d == nullptr || !d->answers)
        return false;
    *bytes = d->freeBytes;
    return true;
}
void MachineWarn(const char *text)
{
    std::string root = std::string(text).substr(std::string(text).find("drive ") + 6, 3);
    // The letter is recorded before the box is shown.
    EXPECT_NE(strchr(machine.warned, root[0]), nullptr) << root;
    machine.log.push_back("warn " + root);
    if (machine.onWarn)
        machine.onWarn();
}
const FreeSpaceOps SpaceOps = {MachineMask, MachineType, MachineFree, MachineWarn};

void Tick(char *warned, size_t size)
{
    machine.warned = warned;
    RunFreeSpaceCheck(SpaceOps, warned, size);
}

const uint64_t MB = 1048576;

TEST(RunFreeSpaceCheck, TableOfCases)
{
    const struct {
        const char *name;
        int enabled, floppy, threshold;
        std::vector<Drive> drives;
        std::vector<std::string> log;
        const char *warned;
    } cases[] = {
        {"the 10 MB boundary", 1, 0, 10,
         {{'C', DriveTypeFixed, true, 10 * MB - 1}, {'D', DriveTypeFixed, true, 10 * MB}},
         {"ask C:\\", "warn C:\\", "ask D:\\"}, "C"},
        {"threshold 0 warns about nothing", 1, 0, 0, {{'C', DriveTypeFixed, true, 0}}, {"ask C:\\"}, ""},
        {"a negative threshold warns about nothing", 1, 0, -1, {{'C', DriveTypeFixed, true, 0}}, {}, ""},
        {"4 GB and more free is judged whole", 1, 0, 10,
         {{'C', DriveTypeFixed, true, 4096 * MB + MB}, {'D', DriveTypeFixed, true, 8192 * MB + 9 * MB}},
         {"ask C:\\", "ask D:\\"}, ""},
        {"a threshold of 4096 MB and more is judged whole", 1, 0, 5000,
         {{'C', DriveTypeFixed, true, 4096 * MB}, {'D', DriveTypeFixed, true, 5000 * MB}},
         {"ask C:\\", "warn C:\\", "ask D:\\"}, "C"},
        {"a CD-ROM is never examined", 1, 1, 10, {{'D', DriveTypeCdrom, true, 0}, {'E', DriveTypeFixed, true, 0}},
         {"ask E:\\", "warn E:\\"}, "E"},
        {"floppies skipped, removable E: examined", 1, 0, 10,
         {{'A', DriveTypeRemovable, true, 0}, {'B', DriveTypeRemovable, true, 0}, {'E', DriveTypeRemovable, true, 0}},
         {"ask E:\\", "warn E:\\"}, "E"},
        {"any value but 0 asks for floppies", 1, 2, 10,
         {{'A', DriveTypeRemovable, true, 0}, {'B', DriveTypeRemovable, true, 0}},
         {"ask A:\\", "warn A:\\", "ask B:\\", "warn B:\\"}, "AB"},
        {"a fixed A:, network, RAM, unknown drives and Z: are examined", 1, 0, 10,
         {{'A', DriveTypeFixed, true, 0}, {'F', DriveTypeRemote, true, 0}, {'G', DriveTypeRamdisk, true, 0},
          {'H', DriveTypeUnknown, true, 0}, {'Z', DriveTypeFixed, true, 0}},
         {"ask A:\\", "warn A:\\", "ask F:\\", "warn F:\\", "ask G:\\", "warn G:\\", "ask H:\\", "warn H:\\",
          "ask Z:\\", "warn Z:\\"},
         "AFGHZ"},
        {"a drive that does not answer is skipped", 1, 0, 10,
         {{'C', DriveTypeFixed, false, 0}, {'D', DriveTypeFixed, true, 0}}, {"ask C:\\", "ask D:\\", "warn D:\\"}, "D"},
        {"the monitor off looks at nothing", 0, 0, 10, {{'C', DriveTypeFixed, true, 0}}, {}, ""},
        {"on means exactly 1", 2, 0, 10, {{'C', DriveTypeFixed, true, 0}}, {}, ""},
    };
    for (const auto &c : cases) {
        Settings = InitialSettings();
        Settings.iLowSpaceWarningEnabled = c.enabled;
        Settings.iCheckFloppySpace = c.floppy;
        Settings.lMinimumSpace = c.threshold;
        machine = Machine();
        machine.drives = c.drives;
        char warned[128] = "";
        Tick(warned, sizeof warned);
        EXPECT_EQ(machine.log, c.log) << c.name;
        EXPECT_STREQ(warned, c.warned) << c.name;
        EXPECT_EQ(machine.maskCalls, c.enabled == 1 && c.threshold >= 0 ? 1 : 0) << c.name;
    }
    Settings = InitialSettings();

    char text[FreeSpaceWarningSize];
    EXPECT_TRUE(FreeSpaceWarning("C:\\", 10, text, sizeof text));
    EXPECT_STREQ(text, "Warning!\n\nThe amount of free space available on drive C:\\ has fallen below 10MB.");
    EXPECT_TRUE(FreeSpaceWarning("Z:\\", INT_MIN, text, sizeof text));
}

TEST(RunFreeSpaceCheck, OncePerDrivePerRunAndTheMaskAfresh)
{
    Settings = InitialSettings();
    Settings.iLowSpaceWarningEnabled = 1;
    machine = Machine();
    machine.drives = {{'C', DriveTypeFixed, true, 0}, {'E', DriveTypeFixed, false, 0}};
    machine.extraMask = 0xFC000000u;  // bits past Z: are no drives
    char warned[128] = "";
    Tick(warned, sizeof warned);
    EXPECT_EQ(machine.log, (std::vector<std::string>{"ask C:\\", "warn C:\\", "ask E:\\"}));

    // E: answers now, F: has appeared; C: is not asked again.
    machine.log.clear();
    machine.drives = {{'C', DriveTypeFixed, true, 0}, {'E', DriveTypeFixed, true, 0}, {'F', DriveTypeFixed, true, MB}};
    Tick(warned, sizeof warned);
    EXPECT_EQ(machine.log, (std::vector<std::string>{"ask E:\\", "warn E:\\", "ask F:\\", "warn F:\\"}));
    EXPECT_STREQ(warned, "CEF");
    EXPECT_EQ(machine.maskCalls, 2);

    // Switching the monitor off and on, or a new threshold, clears nothing.
    Settings.iLowSpaceWarningEnabled = 0;
    Tick(warned, sizeof warned);
    Settings.iLowSpaceWarningEnabled = 1;
    Settings.lMinimumSpace = 100;
    machine.log.clear();
    Tick(warned, sizeof warned);
    EXPECT_TRUE(machine.log.empty());

    // A letter that cannot be recorded is not warned about.
    machine = Machine();
    machine.drives = {{'C', DriveTypeFixed, true, 0}, {'D', DriveTypeFixed, true, 0}};
    char small[2] = "";
    Tick(small, sizeof small);
    EXPECT_EQ(machine.log, (std::vector<std::string>{"ask C:\\", "warn C:\\", "ask D:\\"}));
    EXPECT_STREQ(small, "C");

    // The box's modal loop lets the next tick in while C: is being shown:
    // that tick skips C: and warns about D:, which the outer tick then skips.
    machine = Machine();
    machine.drives = {{'C', DriveTypeFixed, true, 0}, {'D', DriveTypeFixed, true, 0}};
    static char nested[128];
    nested[0] = '\0';
    machine.onWarn = [] {
        machine.onWarn = nullptr;
        Tick(nested, sizeof nested);
    };
    Tick(nested, sizeof nested);
    EXPECT_EQ(machine.log, (std::vector<std::string>{"ask C:\\", "warn C:\\", "ask D:\\", "warn D:\\"}));
    EXPECT_STREQ(nested, "CD");
    Settings = InitialSettings();
}

}  // namespace
