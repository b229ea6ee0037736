// The timing probe: starts the tray programs under Wine and times them
// from outside, as the user would see them.  tools/bench.sh runs it in a
// private Wine prefix and takes the medians of what it prints:
//
//   sample <metric> <value>     one measurement (milliseconds or kilobytes)
//   info <text>                 what the measurements rest on
//
// usage: probe <runs> <Tessaron.exe> <baseline.exe> <list of 10,000> <short list> <1 MB settings>
//              [<word>...]
// Each word adds a start-up case "baseline_<word>": the baseline started
// with that word (see trayone.cpp), e.g. ole32.
//
// How it sees the programs
//   - Tray icons: a window of class "Shell_TrayWnd" of its own, in front of
//     Wine's, receives every Shell_NotifyIcon call (Wine's shell32 sends the
//     record as WM_COPYDATA to the first such window), notes the time and
//     passes it on to Wine's tray.  The call returns to the program only
//     after that, so "icon added" is the moment the program's call returned.
//   - Start: the time is taken just before CreateProcess.  The program has
//     finished starting when it has added at least one icon, waits for input
//     and has made no further tray call for QuietMs.
//   - Menus: after posting the tray notification 1125 to the program's
//     window, the probe polls for a visible popup menu (class "#32768") of
//     that process, then closes it with Escape.
//   - Memory and processor time: GetProcessMemoryInfo (Wine fills it from
//     the Unix process), and the Unix process's own account in /proc/<pid>
//     (smaps_rollup, task/*/schedstat), read through drive Z: once the
//     program has gone quiet.  The Unix process is the one whose command
//     line is the program's path and whose WINEPREFIX is ours.
#include <windows.h>
#include <psapi.h>

#include "wineproc.h"
#include "winetray.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const UINT TrayNotifyMessage = 1125;
const int MainIconId = 5;
const int QuickAccessIconId = 15;
const DWORD QuietMs = 400;
const DWORD StartLimitMs = 30000;
const DWORD MenuLimitMs = 60000;

// ---------------------------------------------------------------- clock
double Frequency;

double NowMs()
{
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return count.QuadPart * 1000.0 / Frequency;
}

void Sample(const char *metric, const char *name, double value)
{
    printf("sample %s.%s %.3f\n", metric, name, value);
}

[[noreturn]] void Die(const char *what)
{
    printf("probe: %s (error %lu)\n", what, (unsigned long)GetLastError());
    exit(1);
}

// ---------------------------------------------------------------- the tray's stand-in
struct TrayRecord {
    DWORD operation;
    HWND window;
    DWORD processId;  // of the window, asked while it surely exists
    UINT id;
    double received;  // the call reached us
    double returned;  // Wine's tray has handled it: the call returns now
};

CRITICAL_SECTION Lock;
std::vector<TrayRecord> Records;
double LastCall;  // when the last call of any program returned
HWND OurTray;

LRESULT RecordTrayCall(WPARAM wParam, const COPYDATASTRUCT *data)
{
    TrayRecord record = {};
    record.received = NowMs();
    bool valid = data->cbData >= sizeof(WineNotifyData);
    if (valid) {
        const WineNotifyData *notify = static_cast<const WineNotifyData *>(data->lpData);
        record.operation = (DWORD)data->dwData;
        record.window = (HWND)(LONG_PTR)notify->window;
        record.id = notify->id;
    }
    LRESULT result = ForwardToRealTray(OurTray, wParam, data);
    record.returned = NowMs();
    if (valid)
        GetWindowThreadProcessId(record.window, &record.processId);
    EnterCriticalSection(&Lock);
    if (valid)
        Records.push_back(record);
    LastCall = record.returned;
    LeaveCriticalSection(&Lock);
    return (LRESULT)result;
}

LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COPYDATA:
        return RecordTrayCall(wParam, reinterpret_cast<const COPYDATASTRUCT *>(lParam));
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// On a thread of its own, so that a program's call never waits for the probe.
DWORD WINAPI TrayThread(LPVOID ready)
{
    WNDCLASSA trayClass = {};
    trayClass.lpfnWndProc = TrayWindowProc;
    trayClass.hInstance = GetModuleHandleA(nullptr);
    trayClass.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&trayClass);
    OurTray = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0,
                              0, nullptr, nullptr, trayClass.hInstance, nullptr);
    SetEvent((HANDLE)ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

void StartTray()
{
    InitializeCriticalSection(&Lock);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, TrayThread, ready, 0, nullptr);
    if (!thread || WaitForSingleObject(ready, 10000) != WAIT_OBJECT_0 || !OurTray)
        Die("cannot create the Shell_TrayWnd window");
    CloseHandle(thread);
    CloseHandle(ready);
    // Programs find the first Shell_TrayWnd: ours must come before Wine's.
    for (int i = 0; i < 500 && FindWindowA("Shell_TrayWnd", nullptr) != OurTray; i++) {
        SetWindowPos(OurTray, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        Sleep(20);
    }
    if (FindWindowA("Shell_TrayWnd", nullptr) != OurTray)
        Die("Wine's Shell_TrayWnd stays in front of the probe's");
    printf("info tray %s\n", RealTray(OurTray) ? "Wine's tray receives the icons too" : "no Wine tray found");
}

std::vector<TrayRecord> RecordsOf(DWORD processId)
{
    std::vector<TrayRecord> mine;
    EnterCriticalSection(&Lock);
    for (const TrayRecord &record : Records)
        if (record.processId == processId)
            mine.push_back(record);
    LeaveCriticalSection(&Lock);
    return mine;
}

double LastRecordTime()
{
    EnterCriticalSection(&Lock);
    double last = LastCall;
    LeaveCriticalSection(&Lock);
    return last;
}

// ---------------------------------------------------------------- files in C:\windows
std::string WindowsFile(const char *name)
{
    char folder[MAX_PATH] = "";
    UINT length = GetWindowsDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        Die("no Windows directory");
    std::string path = folder;
    if (path.size() != 3)
        path += "\\";
    return path + name;
}

// Puts source (or nothing, for "-" or empty) in place as C:\windows\<name>.
void PlaceFile(const char *name, const std::string &source)
{
    std::string target = WindowsFile(name);
    DeleteFileA(target.c_str());
    if (!source.empty() && source != "-" && !CopyFileA(source.c_str(), target.c_str(), FALSE))
        Die(("cannot copy " + source).c_str());
}

// ---------------------------------------------------------------- programs
struct Running {
    PROCESS_INFORMATION process = {};
    double started = 0;
    HWND window = nullptr;  // the window that added the icons
    int adds = 0;
    double firstAdd = 0;
    double lastAdd = 0;
    double inTray = 0;  // of that, the time Wine's tray took over the calls
};

Running Start(const std::string &exe, const std::string &arguments)
{
    Running running;
    std::string folder = exe.substr(0, exe.rfind('\\'));
    std::string line = arguments.empty() ? exe : exe + " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    running.started = NowMs();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &running.process))
        Die(("cannot start " + exe).c_str());
    return running;
}

bool Ended(const Running &running)
{
    return WaitForSingleObject(running.process.hProcess, 0) == WAIT_OBJECT_0;
}

// Waits until the program has added its icons and gone quiet; fills in the
// times of its first and last NIM_ADD.
bool WaitStarted(Running &running)
{
    double limit = running.started + StartLimitMs;
    for (;;) {
        double now = NowMs();
        std::vector<TrayRecord> mine = RecordsOf(running.process.dwProcessId);
        running.adds = 0;
        running.inTray = 0;
        for (const TrayRecord &record : mine) {
            if (record.operation != NIM_ADD)
                continue;
            running.inTray += record.returned - record.received;
            if (running.adds++ == 0) {
                running.firstAdd = record.returned;
                running.window = record.window;
            }
            running.lastAdd = record.returned;
        }
        bool idle = WaitForInputIdle(running.process.hProcess, 0) == 0;
        if (running.adds > 0 && idle && now - LastRecordTime() >= QuietMs)
            return true;
        if (now > limit || Ended(running))
            return false;
        Sleep(5);
    }
}

void Stop(Running &running)
{
    if (running.window)
        PostMessageA(running.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(running.process.hProcess, 10000) != WAIT_OBJECT_0) {
        printf("info a program did not end on WM_CLOSE; terminated\n");
        TerminateProcess(running.process.hProcess, 99);
        WaitForSingleObject(running.process.hProcess, 5000);
    }
    CloseHandle(running.process.hProcess);
    CloseHandle(running.process.hThread);
    // Let the tray settle before the next program starts.
    while (NowMs() - LastRecordTime() < QuietMs)
        Sleep(20);
}

// ---------------------------------------------------------------- memory
// The processor time that all threads of the Unix process have used so
// far, in milliseconds (the first field of each task's schedstat, in ns);
// negative when unknown.  Unlike the start time, it hardly depends on what
// else the machine is doing.
double ProcessorMs(const std::string &folder)
{
    WIN32_FIND_DATAA entry = {};
    HANDLE search = FindFirstFileA((folder + "\\task\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    double total = 0;
    int tasks = 0;
    do {
        const char *name = entry.cFileName;
        if (!*name || strspn(name, "0123456789") != strlen(name))
            continue;
        std::string stat = ReadWholeFile(folder + "\\task\\" + name + "\\schedstat");
        if (!stat.empty()) {
            total += strtod(stat.c_str(), nullptr) / 1e6;
            tasks++;
        }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return tasks > 0 ? total : -1;
}

void SampleProcess(const Running &running, const std::string &exe, const char *name)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                 running.process.dwProcessId);
    if (process && GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS *)&counters, sizeof counters)) {
        // This Wine leaves PrivateUsage at 0 for other processes.
        if (counters.PrivateUsage > 0)
            Sample("mem_private_usage", name, counters.PrivateUsage / 1024.0);
        Sample("mem_working_set", name, counters.WorkingSetSize / 1024.0);
    }
    if (process)
        CloseHandle(process);
    std::string folder = UnixProcessFolder(exe);
    if (folder.empty()) {
        printf("info no Unix process found for %s\n", exe.c_str());
        return;
    }
    double processor = ProcessorMs(folder);
    if (processor >= 0)
        Sample("start_cpu", name, processor);
    // smaps_rollup begins with an address line; a newline in front lets
    // every field be found the same way.
    std::string rollup = "\n" + ReadWholeFile(folder + "\\smaps_rollup");
    // The pages this process has written (heap, stacks, the libraries'
    // data) are what PrivateUsage counts on Windows.  Clean private pages
    // are left out: a library's unchanged pages count as private only while
    // no other process maps the same file, so they vary with the machine.
    long clean = ProcField(rollup, "Private_Clean");
    long dirty = ProcField(rollup, "Private_Dirty");
    long rss = ProcField(rollup, "Rss");
    if (dirty >= 0)
        Sample("mem_unix_private_dirty", name, (double)dirty);
    if (clean >= 0 && dirty >= 0)
        Sample("mem_unix_private", name, (double)(clean + dirty));
    if (rss >= 0)
        Sample("mem_unix_rss", name, (double)rss);
}

// ---------------------------------------------------------------- start-up
struct StartCase {
    const char *name;
    std::string exe;
    std::string arguments;
    std::string list;      // TESSARON.QAL, or "-"
    std::string settings;  // TESSARON.INI, or "-"
};

// Forgets the calls of programs that have ended.
void ClearRecords()
{
    EnterCriticalSection(&Lock);
    Records.clear();
    LeaveCriticalSection(&Lock);
}

void MeasureStart(const StartCase &start, bool report)
{
    ClearRecords();
    PlaceFile("TESSARON.QAL", start.list);
    PlaceFile("TESSARON.INI", start.settings);
    Running running = Start(start.exe, start.arguments);
    if (!WaitStarted(running)) {
        printf("info %s: no tray icon within %lu ms%s\n", start.name, (unsigned long)StartLimitMs,
               Ended(running) ? " (the program ended)" : "");
        Stop(running);
        return;
    }
    if (report) {
        Sample("start_last_icon", start.name, running.lastAdd - running.started);
        Sample("start_first_icon", start.name, running.firstAdd - running.started);
        Sample("start_in_tray", start.name, running.inTray);
        printf("info icons.%s %d\n", start.name, running.adds);
        SampleProcess(running, start.exe, start.name);
    }
    Stop(running);
}

// ---------------------------------------------------------------- menus
HWND VisibleMenuOf(DWORD processId)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32768", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

// Posts the right-button release over an icon and times the menu's coming.
bool MeasureMenu(const Running &running, int iconId, const char *name)
{
    DWORD id = running.process.dwProcessId;
    double start = NowMs();
    PostMessageA(running.window, TrayNotifyMessage, (WPARAM)iconId, WM_RBUTTONUP);
    HWND menu = nullptr;
    while ((menu = VisibleMenuOf(id)) == nullptr) {
        if (NowMs() - start > MenuLimitMs || Ended(running)) {
            printf("info %s: no menu within %lu ms\n", name, (unsigned long)MenuLimitMs);
            return false;
        }
        Sleep(1);
    }
    Sample("menu", name, NowMs() - start);
    // Escape closes it without a choice; the program then adds its icons
    // again (which the tray refuses, as they are there) and goes quiet.
    double closing = NowMs();
    while (VisibleMenuOf(id) != nullptr && NowMs() - closing < MenuLimitMs) {
        PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        Sleep(50);
    }
    Sleep(QuietMs);
    while (NowMs() - LastRecordTime() < QuietMs)
        Sleep(20);
    return true;
}

void MeasureMenus(const std::string &exe, const std::string &list, int iconId, const char *name, int runs)
{
    ClearRecords();
    PlaceFile("TESSARON.QAL", list);
    PlaceFile("TESSARON.INI", "-");
    Running running = Start(exe, "");
    if (!WaitStarted(running)) {
        printf("info %s: the program did not start\n", name);
        Stop(running);
        return;
    }
    for (int run = 0; run < runs; run++)
        if (!MeasureMenu(running, iconId, name))
            break;
    Stop(running);
}

}  // namespace

int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 7) {
        printf("usage: probe <runs> <Tessaron.exe> <baseline.exe> <list of 10,000> <short list> "
               "<1 MB settings> [<word>...]\n");
        return 2;
    }
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    Frequency = (double)frequency.QuadPart;

    int runs = atoi(argv[1]);
    std::string tessaron = argv[2], baseline = argv[3], longList = argv[4], shortList = argv[5],
                settings = argv[6];
    StartTray();

    std::vector<StartCase> cases = {
        {"baseline", baseline, "", "-", "-"},
        {"baseline_libraries", baseline, "libraries", "-", "-"},
        {"tessaron", tessaron, "", "-", "-"},
        {"tessaron_qal10000", tessaron, "", longList, "-"},
        {"tessaron_ini1mb", tessaron, "", "-", settings},
    };
    std::vector<std::string> extraNames;
    extraNames.reserve(argc);  // the cases keep pointers to these names
    for (int i = 7; i < argc; i++) {
        extraNames.push_back(std::string("baseline_") + argv[i]);
        cases.push_back({extraNames.back().c_str(), baseline, argv[i], "-", "-"});
    }
    const int caseCount = (int)cases.size();
    // The first start of each program loads it into the file cache.
    for (const StartCase &start : cases)
        MeasureStart(start, false);
    // Interleaved, each run beginning with another case, so that a slow
    // moment of the machine does not fall on one case alone.
    for (int run = 0; run < runs; run++)
        for (int i = 0; i < caseCount; i++)
            MeasureStart(cases[(run + i) % caseCount], true);

    MeasureMenus(tessaron, "-", MainIconId, "tray", runs);
    MeasureMenus(tessaron, shortList, QuickAccessIconId, "quick_short", runs);
    MeasureMenus(tessaron, longList, QuickAccessIconId, "quick_10000", runs);

    PlaceFile("TESSARON.QAL", "-");
    PlaceFile("TESSARON.INI", "-");
    printf("info done\n");
    return 0;
}
