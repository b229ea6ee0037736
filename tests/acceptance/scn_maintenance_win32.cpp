// The start-up maintenance reminders and the free-space monitor, with the
// tools pointed at the recorder and the last-run days set in TESSARON.INI.
#include "driver.h"

#include "commands.h"

#include <algorithm>

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

std::string SettingsPath()
{
    return WindowsFile("TESSARON.INI");
}

// The text of the line for key in the file, or "" when the file lacks it.
std::string FileLine(const std::string &file, const char *key)
{
    std::string start = std::string(key) + " = ";
    size_t at = 0;
    while (at < file.size()) {
        size_t end = file.find("\r\n", at);
        if (end == std::string::npos)
            end = file.size();
        if (file.compare(at, start.size(), start) == 0)
            return file.substr(at, end - at);
        at = end + 2;
    }
    return "";
}

// Checks the box that is up: its text, Yes/No/Cancel or OK alone, an icon.
HWND CheckBox(const std::string &text, std::vector<int> buttons)
{
    HWND box = WaitMessageBox();
    CHECK_TEXT(MessageBoxText(box), text);
    std::vector<int> shown = MessageBoxButtons(box);
    std::sort(shown.begin(), shown.end());
    std::sort(buttons.begin(), buttons.end());
    CHECK(shown == buttons);
    CHECK(MessageBoxHasIcon(box));
    return box;
}

void Press(HWND box, int button)
{
    ClickButton(box, button);
    WaitWindowGone(box);
}

// Start-up has finished once the main tray icon has been added.
void WaitStartUpFinished()
{
    auto mainIconAdded = [] {
        for (const TrayCall &call : TrayCalls())
            if (call.operation == NIM_ADD && call.id == 5)
                return true;
        return false;
    };
    if (!WaitFor(mainIconAdded))
        Fail("start-up did not finish: no main tray icon was added");
}

void Exit(Program &tessaron)
{
    ChooseTrayMenuItem(tessaron, ItemExit);
    CHECK_EQ(WaitForExit(tessaron), 0ul);
}

}  // namespace

SCENARIO(reminder_yes_starts_each_tool_and_waits)
{
    int today = TodayDayNumber();
    std::string scan = InstallRecorder("scandskw.exe");
    WriteFileBytes(SettingsPath(), CrLfLines({
        "iEnableMaintenance = YES",
        "iScanInterval = 7", Line("iLastScan", DaysBefore(today, 8)),
        "iDefragmentInterval = 0", Line("iLastDefragment", DaysBefore(today, 100)),
        "iBackupInterval = 7", Line("iLastBackup", DaysBefore(today, 30)),
        "iCompressionInterval = 30", Line("iLastCompression", DaysBefore(today, 31)),
        "szScanLocation = " + scan,
        // A tool that stays open until it is closed shows the wait.
        "szBackupLocation = C:\\windows\\notepad.exe",
    }));
    Program tessaron = StartTessaron();

    Step("scan: Yes starts the recorder with the whole command line");
    Press(CheckBox(Question("disk scan", "a disk scan", 7), {IDYES, IDNO, IDCANCEL}), IDYES);
    std::vector<std::string> lines = WaitRecorderLines("scandskw.exe", 1);
    CHECK_TEXT(lines[0], scan + " /a /n");

    Step("backup: Yes starts the tool; nothing more happens while it runs");
    Press(CheckBox(Question("backup operation", "a backup", 7), {IDYES, IDNO, IDCANCEL}), IDYES);
    HWND tool = nullptr;
    if (!WaitFor([&] { return (tool = FindWindowA("Notepad", nullptr)) != nullptr; }))
        Fail("the backup tool's window did not appear");
    CheckNoMessageBox(1500);
    CHECK(TrayCalls().empty());
    CHECK(!HasEnded(tessaron));

    Step("closing the tool lets the next question come");
    PostMessageA(tool, WM_CLOSE, 0, 0);
    Press(CheckBox(Question("re-compression", "re-compression", 30), {IDYES, IDNO, IDCANCEL}), IDNO);
    WaitStartUpFinished();

    std::string file = ReadFileOrFail(SettingsPath());
    CHECK_TEXT(FileLine(file, "iLastScan"), Line("iLastScan", today));
    CHECK_TEXT(FileLine(file, "iLastDefragment"), Line("iLastDefragment", DaysBefore(today, 100)));
    CHECK_TEXT(FileLine(file, "iLastBackup"), Line("iLastBackup", today));
    CHECK_TEXT(FileLine(file, "iLastCompression"), Line("iLastCompression", DaysBefore(today, 31)));
    CHECK_EQ(RecorderLines("scandskw.exe").size(), (size_t)1);
    Exit(tessaron);
}

SCENARIO(reminder_cancel_records_today_without_a_start)
{
    int today = TodayDayNumber();
    std::string scan = InstallRecorder("scandskw.exe");
    // A last run later in the year than today: the year has turned since.
    int last = today <= 361 ? today + 5 : DaysBefore(today, 10);
    WriteFileBytes(SettingsPath(), CrLfLines({
        "iEnableMaintenance = YES",
        "iScanInterval = 7", Line("iLastScan", last),
        "szScanLocation = " + scan,
    }));
    Program tessaron = StartTessaron();
    Press(CheckBox(Question("disk scan", "a disk scan", 7), {IDYES, IDNO, IDCANCEL}), IDCANCEL);
    WaitStartUpFinished();
    CHECK_TEXT(FileLine(ReadFileOrFail(SettingsPath()), "iLastScan"), Line("iLastScan", today));
    CHECK(RecorderLines("scandskw.exe").empty());
    Exit(tessaron);
    CHECK(RecorderLines("scandskw.exe").empty());
}

SCENARIO(reminder_no_changes_nothing)
{
    int today = TodayDayNumber();
    std::string scan = InstallRecorder("scandskw.exe");
    std::string settings = CrLfLines({
        "iEnableMaintenance = YES",
        "iScanInterval = 7", Line("iLastScan", DaysBefore(today, 8)),
        "szScanLocation = " + scan,
    });
    WriteFileBytes(SettingsPath(), settings);
    Program tessaron = StartTessaron();
    Press(CheckBox(Question("disk scan", "a disk scan", 7), {IDYES, IDNO, IDCANCEL}), IDNO);
    WaitStartUpFinished();
    CHECK_TEXT(ReadFileOrFail(SettingsPath()), settings);
    CHECK(RecorderLines("scandskw.exe").empty());
    Exit(tessaron);
}

SCENARIO(reminder_tool_that_cannot_start_keeps_its_day)
{
    int today = TodayDayNumber();
    std::string settings = CrLfLines({
        "iEnableMaintenance = YES",
        "iScanInterval = 7", Line("iLastScan", DaysBefore(today, 8)),
        "szScanLocation = C:\\rec\\missing.exe",
    });
    WriteFileBytes(SettingsPath(), settings);
    Program tessaron = StartTessaron();
    Press(CheckBox(Question("disk scan", "a disk scan", 7), {IDYES, IDNO, IDCANCEL}), IDYES);
    Press(CheckBox(ScanFailure, {IDOK}), IDOK);
    WaitStartUpFinished();
    CHECK_TEXT(ReadFileOrFail(SettingsPath()), settings);
    Exit(tessaron);

    Step("the next start asks again");
    ClearTrayCalls();
    tessaron = StartTessaron();
    Press(CheckBox(Question("disk scan", "a disk scan", 7), {IDYES, IDNO, IDCANCEL}), IDNO);
    WaitStartUpFinished();
    Exit(tessaron);
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

// Answers one warning per expected letter, in order, then checks that a
// further tick warns about nothing.
void CheckWarnings(const Program &tessaron, const std::string &letters, const char *megabytes)
{
    Tick(tessaron);
    for (char letter : letters) {
        Step("warning for %c:", letter);
        Press(CheckBox(Warning(letter, megabytes), {IDOK}), IDOK);
    }
    CheckNoMessageBox(1500);
    Tick(tessaron);
    CheckNoMessageBox(1500);
}

}  // namespace

// A: is a floppy (skipped), D: a CD-ROM (never examined), E: a removable
// drive (examined), F: a drive without its disc (does not answer).
SCENARIO_DRIVES(free_space_warns_once_per_examined_drive, "a:floppy d:cdrom e:floppy f:hd:missing")
{
    WriteFileBytes(SettingsPath(), CrLfLines({
        "iLowSpaceWarningEnabled = YES",
        "iCheckFloppySpace = NO",
        "lMinimumSpace = 2000000000",
    }));
    Program tessaron = StartTessaron();
    std::string expected;
    for (char letter : PresentDrives())
        if (letter != 'A' && letter != 'D' && letter != 'F')
            expected += letter;
    CHECK(expected.find('C') != std::string::npos && expected.find('E') != std::string::npos);
    CheckWarnings(tessaron, expected, "2000000000");
    Exit(tessaron);
}

SCENARIO_DRIVES(free_space_watches_floppies_when_asked, "a:floppy")
{
    WriteFileBytes(SettingsPath(), CrLfLines({
        "iLowSpaceWarningEnabled = YES",
        "iCheckFloppySpace = YES",
        "lMinimumSpace = 2000000000",
    }));
    Program tessaron = StartTessaron();
    CheckWarnings(tessaron, PresentDrives(), "2000000000");
    Exit(tessaron);
}

SCENARIO(free_space_negative_threshold_warns_nothing)
{
    WriteFileBytes(SettingsPath(), CrLfLines({
        "iLowSpaceWarningEnabled = YES",
        "lMinimumSpace = -1",
    }));
    Program tessaron = StartTessaron();
    CheckWarnings(tessaron, "", "-1");
    Exit(tessaron);
}
