// The start-up maintenance reminders and the free-space monitor, with the
// tools pointed at the recorder and the last-run days set in TESSARON.INI.
#include "driver.h"

#include "commands.h"

namespace {

const char QuestionTail[] =
    "If you select 'No', you will be asked again the next time you start your computer.  "
    "If you select 'Cancel', you will not be asked to perform this operation again for another ";

std::string Question(const char *what, const char *offer, int interval)
{
    std::string days = std::to_string(interval);
    return "It has been at least " + days + " days since your last automatic " + what + ".  " +
           "Do you want to perform " + offer + " now?  " + QuestionTail + days + " days.";
}

const char ScanFailure[] =
    "The disk scanning service (SCANDSKW.EXE) could not be started.  It may already be open, "
    "or you may not have located it using \"Set Tool Locations\" in the \"Options\" dialog box.";

// The day n days before today in the program's year of 366 day numbers.
int DaysBefore(int today, int n)
{
    return ((today - 1 - n) % 366 + 366) % 366 + 1;
}

std::string Line(const char *key, int value)
{
    return std::string(key) + " = " + std::to_string(value);
}

const std::vector<int> YesNoCancel = {IDYES, IDNO, IDCANCEL};

// Answers the reminder for this task, checked.
void Answer(const char *what, const char *offer, int interval, int button)
{
    CheckMessageBox(Question(what, offer, interval), YesNoCancel, button);
}

}  // namespace

SCENARIO(reminder_yes_starts_each_tool_and_waits)
{
    int today = TodayDayNumber();
    std::string scan = InstallRecorder("scandskw.exe");
    WriteSettings({
        "iEnableMaintenance = YES",
        "iScanInterval = 7", Line("iLastScan", DaysBefore(today, 8)),
        "iDefragmentInterval = 0", Line("iLastDefragment", DaysBefore(today, 100)),
        "iBackupInterval = 7", Line("iLastBackup", DaysBefore(today, 30)),
        "iCompressionInterval = 30", Line("iLastCompression", DaysBefore(today, 31)),
        "szScanLocation = " + scan,
        // A tool that stays open until it is closed shows the wait.
        "szBackupLocation = C:\\windows\\notepad.exe",
    });
    Program tessaron = StartTessaron();

    Step("scan: Yes starts the recorder with the whole command line");
    Answer("disk scan", "a disk scan", 7, IDYES);
    std::vector<std::string> lines = WaitRecorderLines("scandskw.exe", 1);
    CHECK_TEXT(lines[0], scan + " /a /n");

    Step("backup: Yes starts the tool; nothing more happens while it runs, but what others send is answered");
    Answer("backup operation", "a backup", 7, IDYES);
    HWND tool = nullptr;
    if (!WaitFor([&] { return (tool = FindWindowA("Notepad", nullptr)) != nullptr; }))
        Fail("the backup tool's window did not appear");
    CheckNoMessageBox(1500);
    CHECK(TrayCalls().empty());
    CHECK(!HasEnded(tessaron));
    DWORD sent = GetTickCount();
    DWORD_PTR answer = 0;
    CHECK(SendMessageTimeoutA(HWND_BROADCAST, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0);
    Step("a broadcast was answered in %lu ms", (unsigned long)(GetTickCount() - sent));
    CHECK(GetTickCount() - sent < 1000);

    Step("closing the tool lets the next question come");
    PostMessageA(tool, WM_CLOSE, 0, 0);
    Answer("re-compression", "re-compression", 30, IDNO);
    WaitStartUpFinished(tessaron);

    std::string file = ReadFileOrFail(SettingsPath());
    CHECK_TEXT(SettingsLine(file, "iLastScan"), Line("iLastScan", today));
    CHECK_TEXT(SettingsLine(file, "iLastDefragment"), Line("iLastDefragment", DaysBefore(today, 100)));
    CHECK_TEXT(SettingsLine(file, "iLastBackup"), Line("iLastBackup", today));
    CHECK_TEXT(SettingsLine(file, "iLastCompression"), Line("iLastCompression", DaysBefore(today, 31)));
    CHECK_EQ(RecorderLines("scandskw.exe").size(), (size_t)1);
    ExitTessaron(tessaron);
}

SCENARIO(reminder_cancel_records_today_without_a_start)
{
    int today = TodayDayNumber();
    std::string scan = InstallRecorder("scandskw.exe");
    // A last run later in the year than today: the year has turned since.
    int last = today <= 361 ? today + 5 : DaysBefore(today, 10);
    WriteSettings({
        "iEnableMaintenance = YES",
        "iScanInterval = 7", Line("iLastScan", last),
        "szScanLocation = " + scan,
    });
    Program tessaron = StartTessaron();
    Answer("disk scan", "a disk scan", 7, IDCANCEL);
    WaitStartUpFinished(tessaron);
    CHECK_TEXT(SettingsLine(ReadFileOrFail(SettingsPath()), "iLastScan"), Line("iLastScan", today));
    CHECK(RecorderLines("scandskw.exe").empty());
    ExitTessaron(tessaron);
    CHECK(RecorderLines("scandskw.exe").empty());
}

SCENARIO(reminder_no_changes_nothing)
{
    int today = TodayDayNumber();
    std::string scan = InstallRecorder("scandskw.exe");
    std::vector<std::string> settings = {
        "iEnableMaintenance = YES",
        "iScanInterval = 7", Line("iLastScan", DaysBefore(today, 8)),
        "szScanLocation = " + scan,
    };
    WriteSettings(settings);
    Program tessaron = StartTessaron();
    Answer("disk scan", "a disk scan", 7, IDNO);
    WaitStartUpFinished(tessaron);
    CHECK_TEXT(ReadFileOrFail(SettingsPath()), CrLfLines(settings));
    CHECK(RecorderLines("scandskw.exe").empty());
    ExitTessaron(tessaron);
}

SCENARIO(reminder_tool_that_cannot_start_keeps_its_day)
{
    int today = TodayDayNumber();
    std::vector<std::string> settings = {
        "iEnableMaintenance = YES",
        "iScanInterval = 7", Line("iLastScan", DaysBefore(today, 8)),
        "szScanLocation = C:\\rec\\missing.exe",
    };
    WriteSettings(settings);
    Program tessaron = StartTessaron();
    Answer("disk scan", "a disk scan", 7, IDYES);
    CheckMessageBox(ScanFailure, {IDOK}, IDOK);
    WaitStartUpFinished(tessaron);
    CHECK_TEXT(ReadFileOrFail(SettingsPath()), CrLfLines(settings));
    ExitTessaron(tessaron);

    Step("the next start asks again");
    ClearTrayCalls();
    tessaron = StartTessaron();
    Answer("disk scan", "a disk scan", 7, IDNO);
    WaitStartUpFinished(tessaron);
    ExitTessaron(tessaron);
}

SCENARIO(reminder_question_owned_by_the_window_whose_icons_a_new_taskbar_gets)
{
    WriteSettings({"iEnableMaintenance = YES", "iScanInterval = 7", Line("iLastScan", DaysBefore(TodayDayNumber(), 8))});
    Program tessaron = StartTessaron();
    HWND box = WaitMessageBox();
    CHECK(GetWindow(box, GW_OWNER) == tessaron.window);

    Step("a taskbar created while the question is open gets the icons of the window");
    CHECK(PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0));
    for (const TrayCall &call : WaitTrayCalls(5))
        CHECK(call.window == tessaron.window);
    Step("clicks on them reach the window, which has no menus yet: each adds the icons again, "
         "and the question keeps the focus");
    if (!WaitFor([&] { return GetForegroundWindow() == box; }))
        Fail("the question is not the foreground window");
    PostTrayMouse(tessaron, IconMain, WM_RBUTTONUP);
    PostTrayMouse(tessaron, IconQuickAccess, WM_RBUTTONUP);
    WaitTrayCalls(15);
    CHECK(GetForegroundWindow() == box);

    Answer("disk scan", "a disk scan", 7, IDNO);
    WaitTrayCalls(20);  // start-up's own adding
    ExitTessaron(tessaron);
}

// ---- The NT family: chkdsk and defrag from the system folder -------------

namespace {

std::string Joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "|";
    return text;
}

// Wine reports this version, chkdsk.exe and defrag.exe stand in the system
// folder (the 64-bit one only, as on 64-bit Windows) and both tasks are
// due; Yes to the first question.
struct SystemTools {
    std::string c = InstallRecorder("chkdsk.exe", true), d = InstallRecorder("defrag.exe", true);
};
Program StartDueTasks(const char *version, std::vector<std::string> settings)
{
    UseWindowsVersion(version);
    int today = TodayDayNumber();
    settings.insert(settings.end(), {"iEnableMaintenance = YES", "iScanInterval = 7",
                                     Line("iLastScan", DaysBefore(today, 8)), "iDefragmentInterval = 7",
                                     Line("iLastDefragment", DaysBefore(today, 8))});
    WriteSettings(settings);
    Program tessaron = StartTessaron();
    Answer("disk scan", "a disk scan", 7, IDYES);
    return tessaron;
}

void AnswerDefragmentYes()
{
    Answer("disk defragmentation", "disk defragmentation", 7, IDYES);
}

}  // namespace

// The defaults name the system's tools; XP's defrag takes one volume, as
// chkdsk does everywhere: one run per hard disk (C:, E: and Wine's Z:; not
// the CD-ROM), in order, each pass waiting for its console.
SCENARIO_DRIVES(nt_xp_reminders_run_the_system_tools_one_volume_at_a_time, "d:cdrom e:hd")
{
    CHECK_TEXT(PresentDrives(), "CDEZ");
    SystemTools t;
    Program tessaron = StartDueTasks("winxp", {});
    AnswerDefragmentYes();
    WaitStartUpFinished(tessaron);
    CHECK_TEXT(Joined(RecorderLines("chkdsk.exe", true)), t.c + " C: /f|" + t.c + " E: /f|" + t.c + " Z: /f|");
    CHECK_TEXT(Joined(RecorderLines("defrag.exe", true)), t.d + " C:|" + t.d + " E:|" + t.d + " Z:|");
    std::string file = ReadFileOrFail(SettingsPath()), today = std::to_string(TodayDayNumber());
    CHECK_TEXT(SettingsLine(file, "iLastScan") + SettingsLine(file, "iLastDefragment") +
                   SettingsLine(file, "szScanLocation") + SettingsLine(file, "szDefragmentLocation"),
               "iLastScan = " + today + "iLastDefragment = " + today + "szScanLocation = " + t.c +
                   "szDefragmentLocation = " + t.d);
    ExitTessaron(tessaron);
}

// chkdsk mending (/f) may ask a question: its console waits for a key
// although ScanDisk would have closed by itself, and the pass waits for
// the console.  7's defrag takes the volumes in one run; a disk that does
// not say what it is counts as one that seeks.
SCENARIO(nt_win7_reminder_waits_while_the_console_stays_open)
{
    SystemTools t;
    Program tessaron = StartDueTasks("win7", {"iDefragmentMode = THREE", "iDefragmentDisplayMode = TWO"});
    CHECK_TEXT(Joined(WaitRecorderLines("chkdsk.exe", 2, true)), t.c + " C: /f|" + t.c + " Z: /f|");
    HWND console = WaitConsoleWindow();
    CheckNoMessageBox(1500);
    PressEnterInConsole(console);
    WaitWindowGone(console);
    AnswerDefragmentYes();
    CHECK_TEXT(Joined(WaitRecorderLines("defrag.exe", 1, true)), t.d + " C: Z: /x /v|");
    console = WaitConsoleWindow();
    CHECK(TrayCalls().empty());
    PressEnterInConsole(console);
    WaitStartUpFinished(tessaron);
    ExitTessaron(tessaron);
}

// A typed drive list gives only its drive letters.  The defragmenter's
// window, located where a user of 64-bit Windows finds it, only in the
// 64-bit system folder, starts (from the shipped 32-bit program too) and
// is waited for.  A click on the ScanDisk icon runs the same check in a
// console that stays open.
SCENARIO(nt_win10_typed_drives_the_defragmenter_window_and_the_scandisk_icon)
{
    SystemTools t;
    std::string window = InstallRecorder("dfrgui.exe", true);
    Program tessaron = StartDueTasks("win10", {"iScanDiskDrivesSetting = ONE", "szDrivesToScan = z:, C:\\ & calc, c:",
                                               "szDefragmentLocation = " + window});
    AnswerDefragmentYes();
    WaitStartUpFinished(tessaron);
    // NTFS, as Wine reports every hard disk, is scanned online.
    CHECK_TEXT(Joined(RecorderLines("chkdsk.exe", true)), t.c + " Z: /scan|" + t.c + " C: /scan|");
    // Through the shell, which quotes the program (a 32-bit program's
    // console "start" adds a blank).
    std::vector<std::string> lines = RecorderLines("dfrgui.exe", true);
    CHECK_EQ(lines.size(), (size_t)1);
    CHECK_TEXT(lines[0].substr(0, lines[0].find_last_not_of(' ') + 1), "\"" + window + "\"");
    CHECK_TEXT(SettingsLine(ReadFileOrFail(SettingsPath()), "iLastDefragment"),
               Line("iLastDefragment", TodayDayNumber()));

    PostTrayMouse(tessaron, IconScanDisk, WM_LBUTTONDOWN);
    CHECK_EQ(WaitRecorderLines("chkdsk.exe", 4, true).size(), (size_t)4);
    HWND console = WaitConsoleWindow();
    ExitTessaron(tessaron);
    CHECK(IsWindowVisible(console));
}

// From 8 on every disk gets the optimisation its media needs, and only
// one that seeks gets free-space consolidation (Wine's disks do not say:
// test settings make D: a solid-state disk and E: a rotating one; C: and
// Z: stay unknown).  7 leaves the solid-state disk out.
SCENARIO_DRIVES(nt_defragmentation_by_media_type, "d:hd e:hd")
{
    SetRegistryText(HKEY_CURRENT_USER, WineTestKey, "SolidStateDrives", "D");
    SetRegistryText(HKEY_CURRENT_USER, WineTestKey, "RotatingDrives", "E");
    const struct {
        const char *version, *mode;
        std::string runs;
    } cases[] = {
        {"win10", "ONE", " C: D: E: Z: /o|"},
        {"win10", "THREE", " C: D: Z: /o| E: /x|"},
        {"win7", "ONE", " C: E: Z:|"},
    };
    for (const auto &c : cases) {
        std::string defrag = InstallRecorder("defrag.exe", true), expected;
        for (size_t at = 0, bar; (bar = c.runs.find('|', at)) != std::string::npos; at = bar + 1)
            expected += defrag + c.runs.substr(at, bar + 1 - at);
        UseWindowsVersion(c.version);
        WriteSettings({"iEnableMaintenance = YES", "iDefragmentInterval = 7",
                       Line("iLastDefragment", DaysBefore(TodayDayNumber(), 8)),
                       std::string("iDefragmentMode = ") + c.mode});
        Program tessaron = StartTessaron();
        AnswerDefragmentYes();
        WaitStartUpFinished(tessaron);
        CHECK_TEXT(Joined(RecorderLines("defrag.exe", true)), expected);
        ExitTessaron(tessaron);
    }
}

// A declined consent prompt is the user's choice: its own message, which
// does not send the user to the tool locations.  A tool that could not be
// started is named as the NT family has it.  Neither records the day.
SCENARIO(nt_win10_declined_prompt_and_tools_that_cannot_start)
{
    SystemTools t;
    SetRegistryText(HKEY_CURRENT_USER, WineTestKey, "ConsentPrompt", "declined");
    Program tessaron = StartDueTasks("win10", {"szDefragmentLocation = C:\\rec\\missing\\defrag.exe"});
    CheckMessageBox("The disk scanning service (chkdsk.exe) was not started, because administrator rights "
                    "were not given.",
                    {IDOK}, IDOK);
    AnswerDefragmentYes();
    CheckMessageBox("The disk defragmenting service (defrag.exe) could not be started.  It may already be open, or you "
                    "may not have located it using \"Set Tool Locations\" in the \"Options\" dialog box.",
                    {IDOK}, IDOK);
    WaitStartUpFinished(tessaron);
    std::string file = ReadFileOrFail(SettingsPath());
    int last = DaysBefore(TodayDayNumber(), 8);
    CHECK_TEXT(SettingsLine(file, "iLastScan") + "|" + SettingsLine(file, "iLastDefragment"),
               Line("iLastScan", last) + "|" + Line("iLastDefragment", last));
    CHECK(RecorderLines("chkdsk.exe", true).empty());
    ExitTessaron(tessaron);
}

namespace {

std::string Warning(char letter, const char *megabytes)
{
    return std::string("Warning!\n\nThe amount of free space available on drive ") + letter +
           ":\\ has fallen below " + megabytes + "MB.";
}

void Tick(const Program &tessaron)
{
    PostMessageA(tessaron.window, WM_TIMER, 1, 0);
}

// The monitor on with this threshold: the next tick warns once for each
// letter, in order, and a further tick warns about nothing.
void CheckMonitor(const char *floppies, const char *megabytes, const std::string &letters)
{
    WriteSettings({
        "iLowSpaceWarningEnabled = YES",
        std::string("iCheckFloppySpace = ") + floppies,
        std::string("lMinimumSpace = ") + megabytes,
    });
    Program tessaron = StartTessaron();
    Tick(tessaron);
    for (char letter : letters) {
        Step("warning for %c:", letter);
        CheckMessageBox(Warning(letter, megabytes), {IDOK}, IDOK);
    }
    CheckNoMessageBox(1500);
    Tick(tessaron);
    CheckNoMessageBox(1500);
    ExitTessaron(tessaron);
}

}  // namespace

// A: is a floppy (skipped), D: a CD-ROM (never examined), E: a removable
// drive (examined), F: a drive without its disc (does not answer).
SCENARIO_DRIVES(free_space_warns_once_per_examined_drive, "a:floppy d:cdrom e:floppy f:hd:missing")
{
    std::string expected;
    for (char letter : PresentDrives())
        if (letter != 'A' && letter != 'D' && letter != 'F')
            expected += letter;
    CHECK(expected.find('C') != std::string::npos && expected.find('E') != std::string::npos);
    CheckMonitor("NO", "2000000000", expected);
}

SCENARIO_DRIVES(free_space_watches_floppies_when_asked, "a:floppy")
{
    CheckMonitor("YES", "2000000000", PresentDrives());
}

SCENARIO(free_space_negative_threshold_warns_nothing)
{
    CheckMonitor("NO", "-1", "");
}
