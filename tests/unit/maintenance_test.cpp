#include <gtest/gtest.h>

#include <limits.h>
#include <string.h>

#include <string>
#include <vector>

#include "maintenance.h"
#include "textops.h"

namespace {

struct DueCase {
    int today, last, interval;
    bool due;
};

TEST(IsTaskDue, TableOfCases)
{
    const DueCase cases[] = {
        {107, 100, 7, false},  // exactly the interval: not yet
        {108, 100, 7, true},
        {100, 100, 7, false},
        {200, 100, 0, false},  // 0 never reminds
        {366, 1, 0, false},
        {3, 360, 0, false},
        {100, 100, -1, true},  // a negative interval: due at every start
        {100, 50, -5, true},
        {3, 360, -1, true},
        {61, 59, 1, true},  // 28 February to 1 March counts 2 in every year
        {61, 59, 2, false},
        {3, 360, 7, true},  // the year has turned: 6 + 3 = 9 days
        {3, 360, 8, true},
        {3, 360, 9, false},
        {1, 366, 0, false},
        {1, 366, 1, false},  // 31 December to 1 January counts 1
        {366, 1, 364, true},
        {366, 1, 365, false},
        // Days from a damaged file neither overflow nor wrap into "due".
        {1, INT_MIN, 7, true},
        {1, INT_MAX, 7, false},
        {INT_MIN, INT_MAX, -1, false},
    };
    for (const DueCase &c : cases)
        EXPECT_EQ(IsTaskDue(c.today, c.last, c.interval), c.due)
            << "today " << c.today << " last " << c.last << " interval " << c.interval;
}

struct CommandCase {
    const char *name;
    void (*adjust)(SettingsRecord &s);
    MaintenanceTask task;
    const char *expected;
};

TEST(TaskCommandLine, TableOfCases)
{
    const CommandCase cases[] = {
        {"default scan",
         [](SettingsRecord &s) { CopyText(s.szScanLocation, LocationSize, "C:\\WINDOWS\\scandskw.exe"); },
         TaskScan, "C:\\WINDOWS\\scandskw.exe /a /n"},
        {"default defrag",
         [](SettingsRecord &s) { CopyText(s.szDefragmentLocation, LocationSize, "C:\\WINDOWS\\defrag.exe"); },
         TaskDefragment, "C:\\WINDOWS\\defrag.exe /all /F /noprompt"},
        {"listed drives, ignore errors",
         [](SettingsRecord &s) {
             s.iScanDiskDrivesSetting = 0;
             CopyText(s.szDrivesToScan, DriveListSize, "C:, D:,E:");
             s.iIgnore = 1;
             s.iStartStopSetting = 0;
         },
         TaskScan, "SCANDSKW.EXE C: D: E: /p"},
        {"defrag one drive, files only, concise",
         [](SettingsRecord &s) {
             s.iDefragDiskDrivesSetting = 0;
             CopyText(s.szDrivesToDefrag, DriveListSize, "D:");
             s.iDefragmentMode = 1;
             s.iDefragmentDisplayMode = 0;
         },
         TaskDefragment, "DEFRAG.EXE D: /U /concise"},
        {"defrag free space, detailed",
         [](SettingsRecord &s) {
             s.iDefragmentMode = 2;
             s.iDefragmentDisplayMode = 1;
         },
         TaskDefragment, "DEFRAG.EXE /all /Q /detailed"},
        {"defrag modes out of range add nothing",
         [](SettingsRecord &s) {
             s.iDefragmentMode = 3;
             s.iDefragmentDisplayMode = -1;
         },
         TaskDefragment, "DEFRAG.EXE /all"},
        {"empty list leaves a double blank",
         [](SettingsRecord &s) { s.iScanDiskDrivesSetting = 0; }, TaskScan, "SCANDSKW.EXE  /n"},
        {"only exactly 1 means all drives",
         [](SettingsRecord &s) {
             s.iScanDiskDrivesSetting = 2;
             CopyText(s.szDrivesToScan, DriveListSize, "C:");
             s.iStartStopSetting = 2;
             s.iIgnore = 2;
         },
         TaskScan, "SCANDSKW.EXE C:"},
        {"comma without blank",
         [](SettingsRecord &s) {
             s.iScanDiskDrivesSetting = 0;
             CopyText(s.szDrivesToScan, DriveListSize, "C:,D:");
         },
         TaskScan, "SCANDSKW.EXE C: D: /n"},
        {"comma and blank",
         [](SettingsRecord &s) {
             s.iDefragDiskDrivesSetting = 0;
             CopyText(s.szDrivesToDefrag, DriveListSize, "C:, D:");
         },
         TaskDefragment, "DEFRAG.EXE C: D: /F /noprompt"},
        {"double comma and blank before comma stay two blanks",
         [](SettingsRecord &s) {
             s.iScanDiskDrivesSetting = 0;
             CopyText(s.szDrivesToScan, DriveListSize, "C:,,D: ,E:, , F:");
             s.iStartStopSetting = 0;
         },
         TaskScan, "SCANDSKW.EXE C:  D:  E:  F:"},
        {"backup has no arguments", [](SettingsRecord &) {}, TaskBackup, "BACKUP.EXE"},
        {"backup location is the program",
         [](SettingsRecord &s) { CopyText(s.szBackupLocation, LocationSize, "D:\\TOOLS\\BACKUP.EXE"); },
         TaskBackup, "D:\\TOOLS\\BACKUP.EXE"},
        {"re-compression", [](SettingsRecord &) {}, TaskCompression, "CMPAGENT.EXE"},
        {"location with its own argument, never quoted",
         [](SettingsRecord &s) { CopyText(s.szCompressionAgentLocation, LocationSize, "C:\\Program Files\\agent.exe /x"); },
         TaskCompression, "C:\\Program Files\\agent.exe /x"},
    };
    for (const CommandCase &c : cases) {
        SettingsRecord s = InitialSettings();
        c.adjust(s);
        char line[ToolCommandLineSize];
        EXPECT_TRUE(TaskCommandLine(s, c.task, line, sizeof line)) << c.name;
        EXPECT_STREQ(line, c.expected) << c.name;
    }
}

TEST(TaskCommandLine, LongestLocationAndArgumentsAreNeverCut)
{
    SettingsRecord s = InitialSettings();
    memset(s.szDefragmentLocation, 'x', LocationSize - 1);
    s.szDefragmentLocation[LocationSize - 1] = '\0';
    memset(s.szDrivesToDefrag, 'd', DriveListSize - 1);
    s.szDrivesToDefrag[DriveListSize - 1] = '\0';
    s.iDefragDiskDrivesSetting = 0;
    s.iDefragmentMode = 1;
    s.iDefragmentDisplayMode = 1;
    char line[ToolCommandLineSize];
    ASSERT_TRUE(TaskCommandLine(s, TaskDefragment, line, sizeof line));
    std::string expected = std::string(LocationSize - 1, 'x') + " " +
                           std::string(DriveListSize - 1, 'd') + " /U /detailed";
    EXPECT_EQ(line, expected);

    memset(s.szScanLocation, 'y', LocationSize - 1);
    s.szScanLocation[LocationSize - 1] = '\0';
    memset(s.szDrivesToScan, ',', DriveListSize - 1);
    s.szDrivesToScan[DriveListSize - 1] = '\0';
    s.iScanDiskDrivesSetting = 0;
    s.iIgnore = 1;
    ASSERT_TRUE(TaskCommandLine(s, TaskScan, line, sizeof line));
    EXPECT_EQ(strlen(line), (size_t)(LocationSize - 1 + 1 + DriveListSize - 1 + 6));
}

TEST(TaskCommandLine, SmallBufferIsCutAndReported)
{
    SettingsRecord s = InitialSettings();
    char small[8];
    EXPECT_FALSE(TaskCommandLine(s, TaskScan, small, sizeof small));
    EXPECT_STREQ(small, "SCANDSK");
    char args[4];
    EXPECT_FALSE(DefragArguments(s, args, sizeof args));
    EXPECT_STREQ(args, " /a");
    EXPECT_FALSE(ScanDiskArguments(s, args, 0));
}

TEST(TaskTexts, QuestionsAndFailuresAsShown)
{
    SettingsRecord s = InitialSettings();
    s.iScanInterval = 7;
    s.iDefragmentInterval = 14;
    s.iBackupInterval = 30;
    s.iCompressionInterval = -3;
    const char *const tail =
        "If you select 'No', you will be asked again the next time you start your computer.  "
        "If you select 'Cancel', you will not be asked to perform this operation again for another ";
    const struct {
        MaintenanceTask task;
        std::string question;
        const char *failure;
    } cases[] = {
        {TaskScan,
         std::string("It has been at least 7 days since your last automatic disk scan.  "
                     "Do you want to perform a disk scan now?  ") + tail + "7 days.",
         "The disk scanning service (SCANDSKW.EXE) could not be started.  It may already be open, "
         "or you may not have located it using \"Set Tool Locations\" in the \"Options\" dialog box."},
        {TaskDefragment,
         std::string("It has been at least 14 days since your last automatic disk defragmentation.  "
                     "Do you want to perform disk defragmentation now?  ") + tail + "14 days.",
         "The disk defragmenting service (DEFRAG.EXE) could not be started.  It may already be open, "
         "or you may not have located it using \"Set Tool Locations\" in the \"Options\" dialog box."},
        {TaskBackup,
         std::string("It has been at least 30 days since your last automatic backup operation.  "
                     "Do you want to perform a backup now?  ") + tail + "30 days.",
         "The backup service (BACKUP.EXE) could not be started.  It may already be open, "
         "or you may not have located it using \"Set Tool Locations\" in the \"Options\" dialog box."},
        {TaskCompression,
         std::string("It has been at least -3 days since your last automatic re-compression.  "
                     "Do you want to perform re-compression now?  ") + tail + "-3 days.",
         "The re-compression service (CMPAGENT.EXE) could not be started.  It may already be open, "
         "or you may not have located it using \"Set Tool Locations\" in the \"Options\" dialog box."},
    };
    for (const auto &c : cases) {
        char question[ReminderTextSize];
        EXPECT_TRUE(TaskQuestion(s, c.task, question, sizeof question));
        EXPECT_EQ(question, c.question);
        EXPECT_STREQ(TaskFailureMessage(c.task), c.failure);
    }
    // The widest intervals still fit.
    s.iDefragmentInterval = INT_MIN;
    char question[ReminderTextSize];
    EXPECT_TRUE(TaskQuestion(s, TaskDefragment, question, sizeof question));
}

// A scripted platform for the reminder pass: answers and start results
// are taken in turn, every call is logged.
struct Script {
    int today = 200;
    int todayCalls = 0;
    std::string answers;  // Y, N or C per question
    std::string starts;   // 1 started, 0 not
    size_t nextAnswer = 0, nextStart = 0;
    std::vector<std::string> log;
};
Script script;

int ScriptToday(void)
{
    script.todayCalls++;
    return script.today;
}
ReminderAnswer ScriptAsk(const char *question)
{
    std::string q(question);
    script.log.push_back("ask " + q.substr(q.rfind("automatic ") + 10, 9));
    char a = script.nextAnswer < script.answers.size() ? script.answers[script.nextAnswer++] : 'C';
    return a == 'Y' ? AnswerYes : a == 'N' ? AnswerNo : AnswerCancel;
}
bool ScriptStart(char *commandLine)
{
    script.log.push_back(std::string("start ") + commandLine);
    return script.nextStart < script.starts.size() && script.starts[script.nextStart++] == '1';
}
void ScriptFailure(const char *message)
{
    std::string m(message);
    script.log.push_back("fail " + m.substr(0, m.find(" could")));
}
void ScriptSave(void)
{
    // The days are in the record by the time it is written.
    script.log.push_back("save " + std::to_string(Settings.iLastScan) + " " +
                         std::to_string(Settings.iLastDefragment) + " " +
                         std::to_string(Settings.iLastBackup) + " " +
                         std::to_string(Settings.iLastCompression));
}
const ReminderOps Ops = {ScriptToday, ScriptAsk, ScriptStart, ScriptFailure, ScriptSave};

struct PassCase {
    const char *name;
    int enable;
    int intervals[4];
    int lasts[4];
    const char *answers;
    const char *starts;
    int expectedLasts[4];
    std::vector<std::string> log;
};

TEST(RunReminderPass, TableOfCases)
{
    const PassCase cases[] = {
        {"off", 0, {7, 7, 7, 7}, {1, 1, 1, 1}, "YYYY", "1111", {1, 1, 1, 1}, {}},
        {"on means exactly 1", 2, {7, 7, 7, 7}, {1, 1, 1, 1}, "", "", {1, 1, 1, 1}, {}},
        {"nothing due", 1, {0, 7, 100, 7}, {1, 193, 100, 200}, "", "", {1, 193, 100, 200}, {}},
        {"cancel records today without a start",
         1, {7, 0, 0, 0}, {100, 1, 1, 1}, "C", "", {200, 1, 1, 1},
         {"ask disk scan", "save 200 1 1 1"}},
        {"no changes nothing and writes nothing",
         1, {7, 0, 0, 0}, {100, 1, 1, 1}, "N", "", {100, 1, 1, 1}, {"ask disk scan"}},
        {"yes starts the tool and records today",
         1, {7, 0, 0, 0}, {100, 1, 1, 1}, "Y", "1", {200, 1, 1, 1},
         {"ask disk scan", "start SCANDSKW.EXE /a /n", "save 200 1 1 1"}},
        {"a tool that cannot start keeps its day",
         1, {7, 0, 0, 0}, {100, 1, 1, 1}, "Y", "0", {100, 1, 1, 1},
         {"ask disk scan", "start SCANDSKW.EXE /a /n", "fail The disk scanning service (SCANDSKW.EXE)"}},
        {"all four due and started, in order, one save at the end",
         1, {7, 7, 7, 7}, {1, 2, 3, 4}, "YYYY", "1111", {200, 200, 200, 200},
         {"ask disk scan", "start SCANDSKW.EXE /a /n", "ask disk defr", "start DEFRAG.EXE /all /F /noprompt",
          "ask backup op", "start BACKUP.EXE", "ask re-compre", "start CMPAGENT.EXE", "save 200 200 200 200"}},
        {"cancel on the scan goes on to defragmentation",
         1, {7, 7, 0, 0}, {1, 2, 3, 4}, "CN", "", {200, 2, 3, 4},
         {"ask disk scan", "ask disk defr", "save 200 2 3 4"}},
        {"failure then success saves only the changed day",
         1, {0, 0, 7, 7}, {1, 2, 3, 4}, "YY", "01", {1, 2, 3, 200},
         {"ask backup op", "start BACKUP.EXE", "fail The backup service (BACKUP.EXE)",
          "ask re-compre", "start CMPAGENT.EXE", "save 1 2 3 200"}},
        {"negative interval asks every start",
         1, {0, 0, 0, -1}, {1, 1, 1, 200}, "N", "", {1, 1, 1, 200}, {"ask re-compre"}},
    };
    for (const PassCase &c : cases) {
        Settings = InitialSettings();
        Settings.iEnableMaintenance = c.enable;
        int *intervals[] = {&Settings.iScanInterval, &Settings.iDefragmentInterval,
                            &Settings.iBackupInterval, &Settings.iCompressionInterval};
        int *lasts[] = {&Settings.iLastScan, &Settings.iLastDefragment,
                        &Settings.iLastBackup, &Settings.iLastCompression};
        for (int i = 0; i < 4; i++) {
            *intervals[i] = c.intervals[i];
            *lasts[i] = c.lasts[i];
        }
        script = Script();
        script.answers = c.answers;
        script.starts = c.starts;
        RunReminderPass(Ops);
        EXPECT_EQ(script.log, c.log) << c.name;
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(*lasts[i], c.expectedLasts[i]) << c.name << " task " << i;
        // Today is taken once for the whole pass, and only when it runs.
        EXPECT_EQ(script.todayCalls, c.enable == 1 ? 1 : 0) << c.name;
    }
    Settings = InitialSettings();
}

TEST(RunReminderPass, YearTurnFromDay360ToDay3)
{
    Settings = InitialSettings();
    Settings.iEnableMaintenance = 1;
    Settings.iScanInterval = 7;
    Settings.iLastScan = 360;
    script = Script();
    script.today = 3;
    script.answers = "C";
    RunReminderPass(Ops);
    EXPECT_EQ(script.log, (std::vector<std::string>{"ask disk scan", "save 3 0 0 0"}));
    EXPECT_EQ(Settings.iLastScan, 3);
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
    char *warned = nullptr;
    size_t warnedSize = 0;
    int maskCalls = 0;
    void (*onWarn)(void) = nullptr;
};
Machine machine;

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
    std::string t(text);
    size_t at = t.find("drive ");
    std::string root = t.substr(at + 6, 3);
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
    machine.warnedSize = size;
    RunFreeSpaceCheck(SpaceOps, warned, size);
}

const uint64_t MB = 1048576;

struct SpaceCase {
    const char *name;
    int enabled, floppy, threshold;
    std::vector<Drive> drives;
    std::vector<std::string> log;
    const char *warned;
};

TEST(RunFreeSpaceCheck, TableOfCases)
{
    const SpaceCase cases[] = {
        {"the 10 MB boundary", 1, 0, 10,
         {{'C', DriveTypeFixed, true, 10 * MB - 1}, {'D', DriveTypeFixed, true, 10 * MB}},
         {"ask C:\\", "warn C:\\", "ask D:\\"}, "C"},
        {"threshold 0 warns about nothing", 1, 0, 0,
         {{'C', DriveTypeFixed, true, 0}}, {"ask C:\\"}, ""},
        {"a negative threshold warns about nothing", 1, 0, -1,
         {{'C', DriveTypeFixed, true, 0}}, {}, ""},
        {"4 GB and more free is judged whole", 1, 0, 10,
         {{'C', DriveTypeFixed, true, 4096 * MB + MB}, {'D', DriveTypeFixed, true, 8192 * MB + 9 * MB}},
         {"ask C:\\", "ask D:\\"}, ""},
        {"a threshold of 4096 MB and more is judged whole", 1, 0, 5000,
         {{'C', DriveTypeFixed, true, 4096 * MB}, {'D', DriveTypeFixed, true, 5000 * MB}},
         {"ask C:\\", "warn C:\\", "ask D:\\"}, "C"},
        {"a CD-ROM is never examined", 1, 1, 10,
         {{'D', DriveTypeCdrom, true, 0}, {'E', DriveTypeFixed, true, 0}},
         {"ask E:\\", "warn E:\\"}, "E"},
        {"floppies skipped, removable E: examined", 1, 0, 10,
         {{'A', DriveTypeRemovable, true, 0}, {'B', DriveTypeRemovable, true, 0},
          {'E', DriveTypeRemovable, true, 0}},
         {"ask E:\\", "warn E:\\"}, "E"},
        {"floppies examined when asked for", 1, 1, 10,
         {{'A', DriveTypeRemovable, true, 0}, {'B', DriveTypeRemovable, true, 0}},
         {"ask A:\\", "warn A:\\", "ask B:\\", "warn B:\\"}, "AB"},
        {"any value but 0 asks for floppies", 1, 2, 10,
         {{'A', DriveTypeRemovable, true, 0}}, {"ask A:\\", "warn A:\\"}, "A"},
        {"a fixed A: is not a floppy", 1, 0, 10,
         {{'A', DriveTypeFixed, true, 0}}, {"ask A:\\", "warn A:\\"}, "A"},
        {"network, RAM and unknown drives are examined", 1, 0, 10,
         {{'F', DriveTypeRemote, true, 0}, {'G', DriveTypeRamdisk, true, 0},
          {'H', DriveTypeUnknown, true, 0}},
         {"ask F:\\", "warn F:\\", "ask G:\\", "warn G:\\", "ask H:\\", "warn H:\\"}, "FGH"},
        {"Z: is examined", 1, 0, 10,
         {{'Z', DriveTypeFixed, true, 0}}, {"ask Z:\\", "warn Z:\\"}, "Z"},
        {"a drive that does not answer is skipped", 1, 0, 10,
         {{'C', DriveTypeFixed, false, 0}, {'D', DriveTypeFixed, true, 0}},
         {"ask C:\\", "ask D:\\", "warn D:\\"}, "D"},
        {"the monitor off looks at nothing", 0, 0, 10,
         {{'C', DriveTypeFixed, true, 0}}, {}, ""},
        {"on means exactly 1", 2, 0, 10,
         {{'C', DriveTypeFixed, true, 0}}, {}, ""},
    };
    for (const SpaceCase &c : cases) {
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

    // E: answers now, F: has appeared; C: rose and fell again.
    machine.log.clear();
    machine.drives = {{'C', DriveTypeFixed, true, 0}, {'E', DriveTypeFixed, true, 0},
                      {'F', DriveTypeFixed, true, MB}};
    Tick(warned, sizeof warned);
    EXPECT_EQ(machine.log, (std::vector<std::string>{"ask E:\\", "warn E:\\", "ask F:\\",
                                                     "warn F:\\"}));
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
    Settings = InitialSettings();
}

char nestedWarned[128];
int nestedDepth;

void TickInsideTheBox(void)
{
    // The box's modal loop lets the next tick in while C: is being shown.
    if (nestedDepth++ == 0)
        Tick(nestedWarned, sizeof nestedWarned);
}

TEST(RunFreeSpaceCheck, TickInsideAnOpenBoxSkipsTheDriveBeingWarned)
{
    Settings = InitialSettings();
    Settings.iLowSpaceWarningEnabled = 1;
    machine = Machine();
    machine.drives = {{'C', DriveTypeFixed, true, 0}, {'D', DriveTypeFixed, true, 0}};
    machine.onWarn = TickInsideTheBox;
    nestedWarned[0] = '\0';
    nestedDepth = 0;
    Tick(nestedWarned, sizeof nestedWarned);
    EXPECT_EQ(machine.log, (std::vector<std::string>{"ask C:\\", "warn C:\\", "ask D:\\",
                                                     "warn D:\\"}));
    EXPECT_STREQ(nestedWarned, "CD");
    Settings = InitialSettings();
}

TEST(RunFreeSpaceCheck, ALetterThatCannotBeRecordedIsNotWarned)
{
    Settings = InitialSettings();
    Settings.iLowSpaceWarningEnabled = 1;
    machine = Machine();
    machine.drives = {{'C', DriveTypeFixed, true, 0}, {'D', DriveTypeFixed, true, 0}};
    char warned[2] = "";
    Tick(warned, sizeof warned);
    EXPECT_EQ(machine.log, (std::vector<std::string>{"ask C:\\", "warn C:\\", "ask D:\\"}));
    EXPECT_STREQ(warned, "C");
    Settings = InitialSettings();
}

TEST(FreeSpaceWarning, ExactText)
{
    char text[FreeSpaceWarningSize];
    EXPECT_TRUE(FreeSpaceWarning("C:\\", 10, text, sizeof text));
    EXPECT_STREQ(text, "Warning!\n\nThe amount of free space available on drive C:\\ has fallen below 10MB.");
    EXPECT_TRUE(FreeSpaceWarning("Z:\\", INT_MIN, text, sizeof text));
}

}  // namespace
