// Long use: the tray program's handles and memory before and after
// thousands of everyday operations.  A tenth of the counts by default (the
// normal suite); TESSARON_LONG_USE=full in the environment runs them all:
//
//   TESSARON_LONG_USE=full ctest --test-dir build -R acceptance.longuse
#include "driver.h"

#include "commands.h"
#include "resource.h"
#include "wineproc.h"

#include <tlhelp32.h>

namespace {

struct Counts {
    int trayMenus, quickAccessMenus, dialogRounds, toolStarts, ticks;
};

Counts LongUseCounts()
{
    char mode[16] = "";
    GetEnvironmentVariableA("TESSARON_LONG_USE", mode, sizeof mode);
    if (lstrcmpiA(mode, "full") == 0)
        return {1000, 1000, 100, 500, 200};
    return {100, 100, 10, 50, 20};
}

// ---------------------------------------------------------------- figures
struct Figure {
    const char *name;
    long allowance;  // growth allowed from before to after
    long before, after;  // -1: not reported
};

// GetProcessHandleCount, or -1 when it answers 0, as this Wine does for
// every process.
long HandleCount(const Program &program)
{
    DWORD count = 0;
    return GetProcessHandleCount(program.process, &count) && count > 0 ? (long)count : -1;
}

// The system's handle table (NtQuerySystemInformation, class 16), which
// this Wine keeps: an owner process and an object type for every handle.
struct HandleEntry {
    ULONG process;
    BYTE type, flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

std::vector<HandleEntry> HandleTable()
{
    typedef LONG(WINAPI * Query)(ULONG, PVOID, ULONG, PULONG);
    static Query query = (Query)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    std::vector<char> table(1 << 16);
    LONG status = -1;
    while (query && (status = query(16, table.data(), (ULONG)table.size(), nullptr)) == (LONG)0xC0000004)
        table.resize(table.size() * 2);  // STATUS_INFO_LENGTH_MISMATCH
    if (status != 0)
        return {};
    const HandleEntry *first = (const HandleEntry *)(table.data() + sizeof(ULONG_PTR));
    return std::vector<HandleEntry>(first, first + *(const ULONG *)table.data());
}

// The type number of events: that of an event of our own.
BYTE EventType()
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    BYTE type = 0;
    for (const HandleEntry &e : HandleTable())
        if (e.process == GetCurrentProcessId() && e.handle == (USHORT)(ULONG_PTR)event)
            type = e.type;
    CloseHandle(event);
    return type;
}

// The program's handles in the table: its events (events true) or the rest.
long TableHandles(const Program &program, bool events)
{
    static BYTE eventType = EventType();
    std::vector<HandleEntry> table = HandleTable();
    long count = 0;
    for (const HandleEntry &e : table)
        count += e.process == program.id && (e.type == eventType) == events;
    return table.empty() ? -1 : count;
}

// The pages the program's Unix process has written (heap, stacks, the
// libraries' data): what private bytes are on Windows.
long PrivateKilobytes()
{
    static std::string folder = UnixProcessFolder(TessaronPath());
    return folder.empty() ? -1 : ProcField("\n" + ReadWholeFile(folder + "\\smaps_rollup"), "Private_Dirty");
}

struct WindowCount {
    DWORD id;
    long windows;
};

// CALLBACK: a lambda lacks the system's calling convention in a 32-bit build.
BOOL CALLBACK CountWindowOf(HWND window, LPARAM data)
{
    WindowCount *c = (WindowCount *)data;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    c->windows += owner == c->id;
    return TRUE;
}

long TopLevelWindows(const Program &program)
{
    WindowCount count = {program.id, 0};
    EnumWindows(CountWindowOf, (LPARAM)&count);
    return count.windows;
}

long Threads(const Program &program)
{
    long threads = -1;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == program.id)
            threads = (long)entry.cntThreads;
    CloseHandle(snapshot);
    return threads;
}

// Zero is what this Wine answers for every process: not reported.
long GuiObjects(const Program &program, DWORD kind)
{
    DWORD count = GetGuiResources(program.process, kind);
    return count == 0 ? -1 : (long)count;
}

void Measure(const Program &program, std::vector<Figure> &figures, bool after)
{
    WaitForInputIdle(program.process, WaitLimit());
    const long values[] = {HandleCount(program), TableHandles(program, false), TableHandles(program, true),
                           PrivateKilobytes(), TopLevelWindows(program), Threads(program),
                           GuiObjects(program, GR_GDIOBJECTS), GuiObjects(program, GR_USEROBJECTS)};
    for (size_t i = 0; i < figures.size(); i++)
        (after ? figures[i].after : figures[i].before) = values[i];
}

// ---------------------------------------------------------------- operations
// Quiet versions of the driver's steps: thousands of them would flood the log.
void OpenAndDismissMenu(const Program &tessaron, int icon)
{
    PostMessageA(tessaron.window, TrayNotifyMessage, (WPARAM)icon, WM_RBUTTONUP);
    PostMessageA(WaitPopupMenu(), WM_KEYDOWN, VK_ESCAPE, 0);
    if (!WaitFor([] { return !PopupMenuShown(); }))
        Fail("the menu of icon %d did not close on Escape", icon);
}

void Cancel(HWND dialog, int button = IDCANCEL)
{
    ClickButton(dialog, button);
    WaitWindowGone(dialog);
}

// Every dialog once: Options with Tool Locations over it, Maintenance with
// the ScanDisk and Defragmenter settings over it, Open Path, and About.
void DialogRound(const Program &tessaron)
{
    PostMessageA(tessaron.window, WM_COMMAND, CmdOptions, 0);
    HWND options = WaitDialogWith(tessaron, IDC_OPTIONS_TOOLLOCATIONS);
    ClickButton(options, IDC_OPTIONS_TOOLLOCATIONS);
    Cancel(WaitDialogWith(tessaron, IDC_TOOLS_EXPLORER));
    Cancel(options);

    PostMessageA(tessaron.window, WM_COMMAND, CmdMaintenance, 0);
    HWND maintenance = WaitDialogWith(tessaron, IDC_MAINT_SCANSETTINGS);
    ClickButton(maintenance, IDC_MAINT_SCANSETTINGS);
    Cancel(WaitDialogWith(tessaron, IDC_SCAN_IGNORE));
    ClickButton(maintenance, IDC_MAINT_DEFRAGSETTINGS);
    Cancel(WaitDialogWith(tessaron, IDC_DEFRAG_FULL));
    Cancel(maintenance);

    PostMessageA(tessaron.window, WM_COMMAND, CmdOpenPath, 0);
    Cancel(WaitDialogWith(tessaron, IDC_OPENPATH_PATH));
    PostMessageA(tessaron.window, WM_COMMAND, CmdAbout, 0);
    Cancel(WaitDialogWith(tessaron, IDC_ABOUT_TEXT), IDOK);
}

const char Tool[] = "scandskw.exe";  // the recorder, as ScanDisk

void StartTool(const Program &tessaron, size_t started)
{
    PostMessageA(tessaron.window, TrayNotifyMessage, IconScanDisk, WM_LBUTTONDOWN);
    WaitRecorderLines(Tool, started + 1);
}

// One of each, so that what a first use loads once is in place before.
size_t EveryOperationOnce(const Program &tessaron)
{
    OpenAndDismissMenu(tessaron, IconMain);
    OpenAndDismissMenu(tessaron, IconQuickAccess);
    DialogRound(tessaron);
    PostMessageA(tessaron.window, WM_TIMER, 1, 0);
    StartTool(tessaron, 0);
    return 1;
}

std::string Shown(long value)
{
    return value < 0 ? "not reported by this Wine" : std::to_string(value);
}

}  // namespace

SCENARIO(longuse_handles_and_memory_hold_steady)
{
    const Counts counts = LongUseCounts();
    WriteSettings({"[Tessaron]", "iShowScanIcon = YES", "szScanLocation = " + InstallRecorder(Tool),
                   "iLowSpaceWarningEnabled = YES", "lMinimumSpace = 1", "iEnableMaintenance = NO"});
    Program tessaron = StartTessaron();
    size_t started = EveryOperationOnce(tessaron);

    // Wine's WinExec waits with WaitForInputIdle, which leaves the started
    // program's idle event open in the caller: one event handle for each
    // program started, which Windows does not leave.
    const long programsStarted = counts.toolStarts + 1;
    std::vector<Figure> figures = {
        {"handles (GetProcessHandleCount)", programsStarted + 8, 0, 0},
        {"handles other than events", 8, 0, 0},
        {"event handles", programsStarted + 8, 0, 0},
        {"private memory, KB written", 512, 0, 0},
        {"top-level windows", 0, 0, 0},
        {"threads", 0, 0, 0},
        {"GDI objects", 0, 0, 0},
        {"USER objects", 0, 0, 0},
    };
    Measure(tessaron, figures, false);

    DWORD start = GetTickCount();
    // Each phase, then the figures that grow if anything leaks.  Memory has
    // an allowance per phase too: the dialogs' rises for about 175 rounds
    // to a level where it stays (heap that Wine's dialog and common-control
    // code keeps for reuse); nothing else may take more than a few pages.
    bool grew = false;
    auto phase = [&](const char *what, int count, long allowedKb, auto operation) {
        DWORD begun = GetTickCount();
        long before = PrivateKilobytes();
        for (int i = 0; i < count; i++)
            operation();
        long after = PrivateKilobytes();
        Step("%5d %-26s %4lu s; then %ld KB written (%+ld, allowed %ld), %ld handles, %ld events", count, what,
             (unsigned long)((GetTickCount() - begun) / 1000), after, after - before, allowedKb,
             TableHandles(tessaron, false), TableHandles(tessaron, true));
        grew = grew || after - before > allowedKb;
    };
    phase("tray menus", counts.trayMenus, 64, [&] { OpenAndDismissMenu(tessaron, IconMain); });
    phase("quick access menus", counts.quickAccessMenus, 64, [&] { OpenAndDismissMenu(tessaron, IconQuickAccess); });
    phase("openings of each dialog", counts.dialogRounds, 512, [&] { DialogRound(tessaron); });
    phase("tool starts", counts.toolStarts, 64, [&] { StartTool(tessaron, started++); });
    // Ticks are handled in order with the tray notifications: once the tool
    // started after the last one has logged, every tick has been handled.
    int ticked = 0;
    phase("free-space ticks", counts.ticks, 64, [&] {
        PostMessageA(tessaron.window, WM_TIMER, 1, 0);
        if (++ticked == counts.ticks)
            StartTool(tessaron, started++);
    });
    CheckNoMessageBox(0);
    Step("done in %lu s", (unsigned long)((GetTickCount() - start) / 1000));

    Measure(tessaron, figures, true);
    for (const Figure &f : figures) {
        if (f.before < 0 || f.after < 0) {
            Step("  %-32s %s", f.name, Shown(f.before < 0 ? f.before : f.after).c_str());
            continue;
        }
        Step("  %-32s before %6ld  after %6ld  growth %+5ld  allowed %ld", f.name, f.before, f.after,
             f.after - f.before, f.allowance);
        grew = grew || f.after - f.before > f.allowance;
    }
    CHECK((figures[0].before >= 0 || figures[1].before >= 0) && figures[3].before >= 0);
    CHECK(!grew);
    ExitTessaron(tessaron);
}
