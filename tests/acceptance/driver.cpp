// The acceptance driver's steps and its entry point; see driver.h.
#include "driver.h"

#include "commands.h"
#include "resource.h"
#include "winetray.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <stdexcept>

namespace {

// ---------------------------------------------------------------- registry of scenarios
struct Scenario {
    const char *name;
    const char *drives;
    const char *dpis;  // "" for 96 only
    ScenarioFunction function;
};

std::vector<Scenario> &Scenarios()
{
    static std::vector<Scenario> scenarios;
    return scenarios;
}

struct ScenarioFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

DWORD StartTick;

std::string Format(const char *format, va_list arguments)
{
    char buffer[4096];
    vsnprintf(buffer, sizeof buffer, format, arguments);
    return buffer;
}

// ---------------------------------------------------------------- programs started
std::vector<HANDLE> StartedProcesses;
std::vector<DWORD> ProcessesBefore;

std::vector<DWORD> ProcessIds()
{
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

// Wine's own service processes start on demand and must live on.
bool IsWineServiceProcess(const char *exe)
{
    static const char *const services[] = {
        "services.exe", "winedevice.exe", "plugplay.exe", "svchost.exe", "rpcss.exe",
        "explorer.exe", "conhost.exe", "wineboot.exe", "winemenubuilder.exe", "start.exe",
        "tabtip.exe", "rundll32.exe",
    };
    for (const char *service : services)
        if (lstrcmpiA(exe, service) == 0)
            return true;
    return false;
}

void EndProcess(HANDLE process)
{
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
    }
}

// Ends what the scenario started: its programs, and every process that
// appeared during the scenario apart from Wine's own services.
void EndStartedProcesses()
{
    for (HANDLE process : StartedProcesses) {
        EndProcess(process);
        CloseHandle(process);
    }
    StartedProcesses.clear();

    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        DWORD id = entry.th32ProcessID;
        if (id == GetCurrentProcessId() || IsWineServiceProcess(entry.szExeFile) ||
            std::find(ProcessesBefore.begin(), ProcessesBefore.end(), id) != ProcessesBefore.end())
            continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process) {
            printf("driver: ending %s (%lu), left running by the scenario\n", entry.szExeFile,
                   (unsigned long)id);
            EndProcess(process);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

// ---------------------------------------------------------------- the shell's windows
CRITICAL_SECTION LogLock;
std::vector<TrayCall> TrayLog;
bool RefuseFirstAdds;
std::vector<HelpCall> HelpLog;
HWND OurTray;
HWND OurHelp;

const ULONG_PTR WinHelpMagic = 0xA1DE505;

// Wine's format of a WinHelp request.
struct WineHelpRequest {
    WORD size;
    WORD command;
    LONG data;
    LONG reserved;
    WORD fileOffset;
    WORD dataOffset;
};


LRESULT RecordTrayCall(WPARAM wParam, const COPYDATASTRUCT *data)
{
    if (data->cbData >= sizeof(WineNotifyData)) {
        const WineNotifyData *notify = static_cast<const WineNotifyData *>(data->lpData);
        TrayCall call = {};
        call.operation = (DWORD)data->dwData;
        call.window = (HWND)(LONG_PTR)notify->window;
        call.id = notify->id;
        call.flags = notify->flags;
        call.callbackMessage = notify->callbackMessage;
        call.version = notify->version;
        char tip[512] = "";
        WideCharToMultiByte(CP_ACP, 0, notify->tip, -1, tip, sizeof tip, nullptr, nullptr);
        tip[sizeof tip - 1] = '\0';
        call.tip = tip;
        EnterCriticalSection(&LogLock);
        if (RefuseFirstAdds && call.operation == NIM_ADD)
            call.refused = std::none_of(TrayLog.begin(), TrayLog.end(), [&](const TrayCall &earlier) {
                return earlier.operation == NIM_ADD && earlier.id == call.id;
            });
        TrayLog.push_back(call);
        LeaveCriticalSection(&LogLock);
        if (call.refused)
            return FALSE;
    }
    // Wine's tray shows the icon and sends the mouse messages to the program.
    return ForwardToRealTray(OurTray, wParam, data);
}

LRESULT RecordHelpCall(WPARAM wParam, const COPYDATASTRUCT *data)
{
    if (data->dwData != WinHelpMagic || data->cbData < sizeof(WineHelpRequest))
        return FALSE;
    const WineHelpRequest *request = static_cast<const WineHelpRequest *>(data->lpData);
    const char *bytes = static_cast<const char *>(data->lpData);
    HelpCall call = {};
    call.caller = (HWND)wParam;
    call.command = request->command;
    call.data = (ULONG_PTR)(ULONG)request->data;
    if (request->fileOffset != 0 && request->fileOffset < data->cbData)
        call.file.assign(bytes + request->fileOffset,
                         strnlen(bytes + request->fileOffset, data->cbData - request->fileOffset));
    EnterCriticalSection(&LogLock);
    HelpLog.push_back(call);
    LeaveCriticalSection(&LogLock);
    return TRUE;
}

LRESULT CALLBACK ShellWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COPYDATA:
        if (window == OurTray)
            return RecordTrayCall(wParam, reinterpret_cast<const COPYDATASTRUCT *>(lParam));
        return RecordHelpCall(wParam, reinterpret_cast<const COPYDATASTRUCT *>(lParam));
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The shell's windows live on a thread of their own, so that a program's
// Shell_NotifyIcon or WinHelp never waits for a scenario step to finish.
DWORD WINAPI ShellThread(LPVOID ready)
{
    WNDCLASSA trayClass = {};
    trayClass.lpfnWndProc = ShellWindowProc;
    trayClass.hInstance = GetModuleHandleA(nullptr);
    trayClass.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&trayClass);
    WNDCLASSA helpClass = trayClass;
    helpClass.lpszClassName = "MS_WINHELP";
    RegisterClassA(&helpClass);
    // Top-most, so that FindWindow finds it before Wine's own tray.
    OurTray = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 0,
                              0, 0, nullptr, nullptr, trayClass.hInstance, nullptr);
    OurHelp = CreateWindowExA(WS_EX_TOOLWINDOW, "MS_WINHELP", "", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, trayClass.hInstance, nullptr);
    SetEvent((HANDLE)ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

void StartShellWindows()
{
    InitializeCriticalSection(&LogLock);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, ShellThread, ready, 0, nullptr);
    if (!thread || WaitForSingleObject(ready, WaitLimit()) != WAIT_OBJECT_0 || !OurTray || !OurHelp)
        Fail("could not create the driver's Shell_TrayWnd and MS_WINHELP windows");
    CloseHandle(thread);
    CloseHandle(ready);
}

// Programs find the first Shell_TrayWnd; Wine's own one must come after ours.
void PutOurTrayFirst()
{
    bool first = WaitFor([] {
        if (FindWindowA("Shell_TrayWnd", nullptr) == OurTray)
            return true;
        SetWindowPos(OurTray, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return false;
    });
    if (!first)
        Fail("another Shell_TrayWnd window stays in front of the driver's");
}

// ---------------------------------------------------------------- windows of other processes
std::string WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        Fail("window %p does not answer WM_GETTEXTLENGTH", (void *)window);
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), (LPARAM)&text[0], SMTO_ABORTIFHUNG, 5000,
                             &copied))
        Fail("window %p does not answer WM_GETTEXT", (void *)window);
    text.resize(strnlen(text.c_str(), text.size()));
    return text;
}

std::string ClassOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND FindVisibleTopLevel(const char *className, const char *title)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, title)) != nullptr)
        if (IsWindowVisible(window))
            return window;
    return nullptr;
}

HWND WaitVisibleTopLevel(const char *className, const char *what)
{
    HWND window = nullptr;
    if (!WaitFor([&] { return (window = FindVisibleTopLevel(className, nullptr)) != nullptr; }))
        Fail("no %s appeared", what);
    return window;
}

HWND FindProgramWindow(DWORD processId, const char *className, const char *title)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, className, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

bool TrayHasMainIcon(HWND window)
{
    for (const TrayCall &call : TrayCalls())
        if (call.window == window && call.operation == NIM_ADD && call.id == IconMain)
            return true;
    return false;
}

Program StartTessaronAndWait()
{
    PutOurTrayFirst();
    Program tessaron = StartProgram(TessaronPath(), "C:\\Tessaron");
    Step("waiting for the window Win32Generic/Tessaron");
    bool found = WaitFor([&] {
        tessaron.window = FindProgramWindow(tessaron.id, "Win32Generic", "Tessaron");
        return tessaron.window != nullptr || HasEnded(tessaron);
    });
    if (!tessaron.window) {
        DWORD code = 0;
        GetExitCodeProcess(tessaron.process, &code);
        if (found)
            Fail("Tessaron ended with code %lu before its window appeared", (unsigned long)code);
        Fail("Tessaron's window Win32Generic/Tessaron did not appear");
    }
    // Idle input means the program reached its message loop, or a message
    // box's loop during start-up (the maintenance reminders).
    if (WaitForInputIdle(tessaron.process, WaitLimit()) == WAIT_TIMEOUT)
        Fail("Tessaron did not become ready for input");
    // Start-up ends by adding the tray icons; a reminder's box comes before.
    if (!WaitFor([&] { return TrayHasMainIcon(tessaron.window) || FindDialogOf(tessaron) != nullptr; }))
        Fail("Tessaron's start-up did not finish: no main tray icon was added and no box is open");
    return tessaron;
}

}  // namespace

// ---------------------------------------------------------------- scenarios and checks
ScenarioRegistration::ScenarioRegistration(const char *name, const char *drives, ScenarioFunction function)
{
    Scenarios().push_back({name, drives, "", function});
}

ScenarioRegistration::ScenarioRegistration(const char *name, const char *drives, const char *dpis,
                                           ScenarioFunction function)
{
    Scenarios().push_back({name, drives, dpis, function});
}

void Fail(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string message = Format(format, arguments);
    va_end(arguments);
    throw ScenarioFailure(message);
}

void FailCheck(const char *file, int line, const std::string &message)
{
    const char *name = strrchr(file, '/');
    Fail("%s:%d: %s", name ? name + 1 : file, line, message.c_str());
}

void Step(const char *format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string message = Format(format, arguments);
    va_end(arguments);
    printf("[%6.2f] %s\n", (GetTickCount() - StartTick) / 1000.0, message.c_str());
    fflush(stdout);
}

std::string Visible(const std::string &text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else
            out += (char)c;
    }
    return out;
}

void CheckText(const char *file, int line, const char *what, const std::string &actual,
               const std::string &expected)
{
    if (actual == expected)
        return;
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        at++;
    size_t from = at > 40 ? at - 40 : 0;
    std::ostringstream text;
    text << what << " differs at byte " << at << " (" << actual.size() << " bytes, expected "
         << expected.size() << ")\n  actual:   ..." << Visible(actual.substr(from, 120))
         << "\n  expected: ..." << Visible(expected.substr(from, 120));
    FailCheck(file, line, text.str());
}

DWORD WaitLimit()
{
    static DWORD limit = [] {
        char text[32] = "";
        DWORD length = GetEnvironmentVariableA("ACCEPTANCE_WAIT_MS", text, sizeof text);
        DWORD value = length > 0 && length < sizeof text ? strtoul(text, nullptr, 10) : 0;
        return value > 0 ? value : 20000u;
    }();
    return limit;
}

// ---------------------------------------------------------------- programs
Program StartProgram(const std::string &commandLine, const std::string &folder)
{
    Step("start %s", commandLine.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &information))
        Fail("cannot start %s (error %lu)", commandLine.c_str(), (unsigned long)GetLastError());
    CloseHandle(information.hThread);
    StartedProcesses.push_back(information.hProcess);
    Program program;
    program.process = information.hProcess;
    program.id = information.dwProcessId;
    return program;
}

std::string TessaronPath()
{
    return "C:\\Tessaron\\Tessaron.exe";
}

Program StartTessaron()
{
    return StartTessaronAndWait();
}

DWORD WaitForExit(Program &program, DWORD limit)
{
    if (WaitForSingleObject(program.process, limit) != WAIT_OBJECT_0)
        Fail("the program (process %lu) did not end within %lu ms", (unsigned long)program.id,
             (unsigned long)limit);
    DWORD code = 0;
    GetExitCodeProcess(program.process, &code);
    Step("the program ended with code %lu", (unsigned long)code);
    return code;
}

void ExitTessaron(Program &tessaron)
{
    ChooseTrayMenuItem(tessaron, ItemExit);
    DWORD code = WaitForExit(tessaron);
    if (code != 0)
        Fail("Tessaron ended with code %lu after Exit, expected 0", (unsigned long)code);
}

void WaitStartUpFinished(const Program &tessaron)
{
    if (!WaitFor([&] { return TrayHasMainIcon(tessaron.window); }))
        Fail("start-up did not finish: no main tray icon was added");
}

bool HasEnded(const Program &program)
{
    return WaitForSingleObject(program.process, 0) == WAIT_OBJECT_0;
}

std::string BuildFile(const char *name)
{
    char folder[MAX_PATH] = "";
    DWORD length = GetEnvironmentVariableA("TESSARON_BIN", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        Fail("TESSARON_BIN (the Windows build folder) is not set");
    return std::string(folder) + "\\" + name;
}

// ---------------------------------------------------------------- commands
void PostCommand(const Program &tessaron, int command)
{
    Step("post command %d", command);
    if (!PostMessageA(tessaron.window, WM_COMMAND, (WPARAM)command, 0))
        Fail("cannot post command %d to Tessaron", command);
}

void PostTrayMouse(const Program &tessaron, int iconId, int mouseMessage)
{
    Step("post tray notification: icon %d, mouse message %d", iconId, mouseMessage);
    if (!PostMessageA(tessaron.window, TrayNotifyMessage, (WPARAM)iconId, (LPARAM)mouseMessage))
        Fail("cannot post the tray notification to Tessaron");
}

// ---------------------------------------------------------------- menus
bool PopupMenuShown()
{
    return FindVisibleTopLevel("#32768", nullptr) != nullptr;
}

HWND WaitPopupMenu()
{
    return WaitVisibleTopLevel("#32768", "popup menu");
}

void ChooseMenuPosition(int position)
{
    HWND menu = WaitPopupMenu();
    Step("choose menu item %d", position);
    for (int i = 0; i < position; i++)
        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    if (!WaitFor([] { return !PopupMenuShown(); }))
        Fail("the popup menu did not close after choosing item %d", position);
}

void DismissPopupMenu()
{
    HWND menu = WaitPopupMenu();
    Step("dismiss the menu");
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    if (!WaitFor([] { return !PopupMenuShown(); }))
        Fail("the popup menu did not close on Escape");
}

std::string PresentDrives()
{
    std::string letters;
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; i++)
        if (mask & (1u << i))
            letters += (char)('A' + i);
    return letters;
}

int TrayMenuPosition(int item)
{
    std::string drives = PresentDrives();
    if (item >= ItemFirstDrive && item <= ItemLastDrive) {
        size_t at = drives.find((char)('A' + (item - ItemFirstDrive)));
        if (at == std::string::npos)
            Fail("drive %c: is not present (drives: %s)", 'A' + (item - ItemFirstDrive), drives.c_str());
        return (int)at + 1;
    }
    static const int fixedItems[] = {ItemOpen, ItemMaintenance, ItemOptions,
                                     ItemHelpTopics, ItemAbout, ItemExit};
    for (size_t i = 0; i < sizeof fixedItems / sizeof fixedItems[0]; i++)
        if (fixedItems[i] == item)
            return (int)(drives.size() + i + 1);
    Fail("%d is not an item of the tray menu", item);
}

void ChooseTrayMenuItem(const Program &tessaron, int item)
{
    int position = TrayMenuPosition(item);
    PostCommand(tessaron, CmdTrayMenu);
    ChooseMenuPosition(position);
}

// ---------------------------------------------------------------- message boxes
HWND FindMessageBox(const char *caption)
{
    return FindVisibleTopLevel("#32770", caption);
}

HWND WaitMessageBox(const char *caption)
{
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = FindMessageBox(caption)) != nullptr; }))
        Fail("no message box \"%s\" appeared", caption);
    return box;
}

std::string MessageBoxText(HWND box)
{
    HWND text = GetDlgItem(box, 0xFFFF);
    if (!text)
        Fail("the message box has no text control (id 0xFFFF)");
    return WindowText(text);
}

std::vector<int> MessageBoxButtons(HWND box)
{
    std::vector<int> ids;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (lstrcmpiA(ClassOf(child).c_str(), "Button") == 0 && IsWindowVisible(child))
            ids.push_back(GetDlgCtrlID(child));
    return ids;
}

bool MessageBoxHasIcon(HWND box)
{
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (lstrcmpiA(ClassOf(child).c_str(), "Static") == 0 &&
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child))
            return true;
    return false;
}

void WaitWindowGone(HWND window)
{
    if (!WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }))
        Fail("window %p did not close", (void *)window);
}

void CheckMessageBox(HWND box, const std::string &text, const std::vector<int> &buttons, int answer)
{
    std::string shown = MessageBoxText(box);
    Step("message box: %s; pressing %d", Visible(shown).c_str(), answer);
    CHECK_TEXT(shown, text);
    std::vector<int> ids = MessageBoxButtons(box);
    if (ids != buttons) {
        std::ostringstream list;
        for (int id : ids)
            list << " " << id;
        Fail("the message box has the buttons%s", list.str().c_str());
    }
    if (!MessageBoxHasIcon(box))
        Fail("the message box shows no icon");
    PressButton(box, answer);
}

void CheckMessageBox(const std::string &text, const std::vector<int> &buttons, int answer, const char *caption)
{
    CheckMessageBox(WaitMessageBox(caption), text, buttons, answer);
}

void CheckNoMessageBox(DWORD ms, const char *caption)
{
    HWND box = nullptr;
    if (WaitFor([&] { return (box = FindMessageBox(caption)) != nullptr; }, ms))
        Fail("unexpected message box \"%s\": %s", caption, Visible(MessageBoxText(box)).c_str());
}

// ---------------------------------------------------------------- dialogs
HWND WaitDialog(const char *title)
{
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindVisibleTopLevel("#32770", title)) != nullptr; }))
        Fail("no dialog \"%s\" appeared", title);
    return dialog;
}

HWND FindDialogOf(const Program &program)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == program.id && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

HWND FindDialogWith(const Program &program, int controlId)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", "Tessaron")) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == program.id && IsWindowVisible(window) && GetDlgItem(window, controlId))
            return window;
    }
    return nullptr;
}

HWND WaitDialogWith(const Program &program, int controlId)
{
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = FindDialogWith(program, controlId)) != nullptr; }))
        Fail("no dialog with control %d appeared", controlId);
    return dialog;
}

namespace {
// Window and dialog procedures need the system's calling convention, which
// a lambda lacks in a 32-bit build.
INT_PTR CALLBACK MeasuringDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// A dialog of our own with the programs' font, "MS Shell Dlg" 8, kept for
// the driver's life: MapDialogRect works only on one's own dialogs, and
// its font is the one the dialog manager makes for the programs' dialogs
// in this session.
HWND MeasuringDialog()
{
    static HWND window = [] {
        struct {
            DLGTEMPLATE header;
            WORD menu, windowClass, title, pointSize;
            WCHAR font[13];
        } __attribute__((aligned(4))) dialog = {};
        dialog.header.style = DS_SETFONT | WS_POPUP;
        dialog.pointSize = 8;
        memcpy(dialog.font, L"MS Shell Dlg", sizeof(L"MS Shell Dlg"));
        HWND made =
            CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &dialog.header, nullptr, MeasuringDialogProc, 0);
        if (!made)
            Fail("cannot create the driver's measuring dialog");
        return made;
    }();
    return window;
}
}  // namespace

POINT DialogBaseUnits()
{
    static POINT units = [] {
        RECT rect = {0, 0, 4, 8};
        MapDialogRect(MeasuringDialog(), &rect);
        return POINT{rect.right, rect.bottom};
    }();
    return units;
}

SIZE DialogTextExtent(const std::string &text)
{
    HWND dialog = MeasuringDialog();
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0));
    RECT rect = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

std::string DialogFontFace()
{
    HWND dialog = MeasuringDialog();
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0));
    // The name asked for is the substitute's; a scalable face's metrics
    // name the family that came.
    std::string face;
    UINT size = GetOutlineTextMetricsA(dc, 0, nullptr);
    if (size > 0) {
        std::vector<char> buffer(size);
        OUTLINETEXTMETRICA *metrics = reinterpret_cast<OUTLINETEXTMETRICA *>(buffer.data());
        if (GetOutlineTextMetricsA(dc, size, metrics))
            face = buffer.data() + (size_t)metrics->otmpFamilyName;
    }
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    return face;
}

int ScreenDpi()
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

namespace {
// The dialog manager converts position and size apart (MulDiv, rounding),
// so they are converted back apart.
RECT PixelsToUnits(const RECT &pixels)
{
    POINT base = DialogBaseUnits();
    RECT units;
    units.left = MulDiv(pixels.left, 4, base.x);
    units.top = MulDiv(pixels.top, 8, base.y);
    units.right = units.left + MulDiv(pixels.right - pixels.left, 4, base.x);
    units.bottom = units.top + MulDiv(pixels.bottom - pixels.top, 8, base.y);
    return units;
}
}  // namespace

std::vector<Control> DialogControls(HWND dialog)
{
    std::vector<Control> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Control control;
        control.id = GetDlgCtrlID(child);
        control.className = ClassOf(child);
        control.text = WindowText(child);
        control.style = (DWORD)GetWindowLongA(child, GWL_STYLE);
        control.exStyle = (DWORD)GetWindowLongA(child, GWL_EXSTYLE);
        GetWindowRect(child, &control.pixels);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&control.pixels), 2);
        control.units = PixelsToUnits(control.pixels);
        controls.push_back(control);
    }
    return controls;
}

RECT DialogClientUnits(HWND dialog)
{
    RECT client;
    GetClientRect(dialog, &client);
    return PixelsToUnits(client);
}

HWND ControlWindow(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    if (!control)
        Fail("the dialog has no control %d", id);
    return control;
}

std::string ControlText(HWND dialog, int id)
{
    return WindowText(ControlWindow(dialog, id));
}

void SetControlText(HWND dialog, int id, const std::string &text)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(ControlWindow(dialog, id), WM_SETTEXT, 0, (LPARAM)text.c_str(),
                             SMTO_ABORTIFHUNG, 5000, &result))
        Fail("control %d does not answer WM_SETTEXT", id);
}

void ClickButton(HWND dialog, int id)
{
    HWND button = ControlWindow(dialog, id);
    switch (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: {
        // Sent: the new check state is there when the step returns.
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, WaitLimit(), &result))
            Fail("check box %d does not answer BM_CLICK", id);
        break;
    }
    default:
        // Posted: a push button may open a modal window that returns later.
        if (!PostMessageA(button, BM_CLICK, 0, 0))
            Fail("cannot click button %d", id);
        break;
    }
}

int ButtonCheck(HWND dialog, int id)
{
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutA(ControlWindow(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state))
        Fail("button %d does not answer BM_GETCHECK", id);
    return (int)state;
}

void AnswerFileChooser(HWND chooser, const std::string &file, int button)
{
    if (!file.empty()) {
        // The name box: an edit (edt1), or the edit of a combo box (cmb13).
        HWND field = GetDlgItem(chooser, 0x480);
        HWND combo = GetDlgItem(chooser, 0x47c);
        if (!field && combo)
            field = (HWND)SendMessageA(combo, CBEM_GETEDITCONTROL, 0, 0);
        if (!field && combo)
            field = FindWindowExA(combo, nullptr, "Edit", nullptr);
        if (!field && combo) {
            HWND inner = FindWindowExA(combo, nullptr, "ComboBox", nullptr);
            field = inner ? FindWindowExA(inner, nullptr, "Edit", nullptr) : nullptr;
        }
        if (!field) {
            for (const Control &c : DialogControls(chooser))
                Step("  chooser control %d %s \"%s\"", c.id, c.className.c_str(), c.text.c_str());
            Fail("the chooser has no file name box");
        }
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(field, WM_SETTEXT, 0, (LPARAM)file.c_str(), SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    Step("answer the chooser with \"%s\" and button %d", file.c_str(), button);
    PostMessageA(chooser, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(chooser, button));
    WaitWindowGone(chooser);
}

void CheckButtonStates(HWND dialog, const std::vector<ButtonState> &states)
{
    for (const ButtonState &state : states) {
        int checked = ButtonCheck(dialog, state.id);
        if (checked != state.checked)
            Fail("button %d is %d, expected %d", state.id, checked, state.checked);
    }
}

void PressButton(HWND window, int id)
{
    Step("press %d", id);
    ClickButton(window, id);
    WaitWindowGone(window);
}

int FocusedControl(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) || !info.hwndFocus ||
        !IsChild(dialog, info.hwndFocus))
        return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

void CheckCentred(HWND window)
{
    RECT desktop, frame, client;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    CHECK_EQ(frame.left, desktop.right / 2 - client.right / 2);
    CHECK_EQ(frame.top, desktop.bottom / 2 - client.bottom / 2);
}

void CheckHelpButton(HWND dialog, int context)
{
    Step("Help: context %d, the dialog stays open", context);
    ClearHelpCalls();
    ClickButton(dialog, IDC_HELPBUTTON);
    std::vector<HelpCall> calls = WaitHelpCalls(1);
    CHECK(calls[0].caller == dialog);
    CHECK_EQ(calls[0].command, (UINT)HELP_CONTEXT);
    CHECK_EQ(calls[0].data, (ULONG_PTR)context);
    CHECK_TEXT(calls[0].file, HelpFilePath);
    CHECK(IsWindow(dialog) && IsWindowVisible(dialog));
    CHECK_EQ(HelpCalls().size(), (size_t)1);
}

// ---------------------------------------------------------------- layout
namespace {
std::string Describe(const Control &c)
{
    char text[512];
    snprintf(text, sizeof text, "%d %s \"%s\" %ld,%ld %ldx%ld style %08lx",
             (c.id & 0xFFFF) == 0xFFFF ? -1 : c.id, c.className.c_str(), c.text.c_str(), c.units.left,
             c.units.top, c.units.right - c.units.left, c.units.bottom - c.units.top,
             (unsigned long)c.style);
    return text;
}

bool IsClass(const char *className, const char *wanted)
{
    return lstrcmpiA(className, wanted) == 0;
}
}  // namespace

void CheckDialogLayout(HWND dialog, const char *caption, int width, int height,
                       const std::vector<LayoutControl> &expected)
{
    std::vector<Control> controls = DialogControls(dialog);
    for (const Control &c : controls)
        Step("  %s", Describe(c).c_str());
    CHECK_EQ(controls.size(), expected.size());
    int focus = FocusedControl(dialog);
    for (size_t i = 0; i < expected.size(); i++) {
        const LayoutControl &e = expected[i];
        const Control &c = controls[i];
        int id = (c.id & 0xFFFF) == 0xFFFF ? -1 : c.id;
        bool button = IsClass(e.className, "Button");
        bool icon = IsClass(e.className, "Static") && (e.style & SS_TYPEMASK) == SS_ICON;
        bool radio = button && (e.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
        const RECT &u = c.units;
        bool sized = icon || (u.right - u.left == e.width && u.bottom - u.top == e.height);
        if (id != e.id || !IsClass(c.className.c_str(), e.className) || (e.text && c.text != e.text) ||
            u.left != e.x || u.top != e.y || !sized)
            Fail("control %u is %s, expected %d %s \"%s\" %d,%d %dx%d", (unsigned)i, Describe(c).c_str(),
                 e.id, e.className, e.text ? e.text : "", e.x, e.y, e.width, e.height);
        DWORD mask = (button ? BS_TYPEMASK : 0xFFFF) | WS_TABSTOP | WS_GROUP | WS_CHILD | WS_VISIBLE |
                     WS_DISABLED;
        if (radio)
            mask &= ~WS_TABSTOP;
        DWORD style = c.style & mask;
        if (button && (e.style & BS_TYPEMASK) == BS_PUSHBUTTON && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON &&
            id == focus)
            style &= ~(DWORD)BS_DEFPUSHBUTTON;
        if (style != (e.style | WS_CHILD | WS_VISIBLE))
            Fail("control %u (%d) has style %08lx, expected %08lx within mask %08lx", (unsigned)i, e.id,
                 (unsigned long)style, (unsigned long)(e.style | WS_CHILD | WS_VISIBLE), (unsigned long)mask);
        // The dialog manager turns an edit's border into a client edge.
        if (IsClass(e.className, "Edit") && !(c.style & WS_BORDER) && !(c.exStyle & WS_EX_CLIENTEDGE))
            Fail("control %u (%d) has no border", (unsigned)i, e.id);
        if (radio && ((c.style & WS_TABSTOP) != 0) != (ButtonCheck(dialog, e.id) == BST_CHECKED))
            Fail("radio button %d is a tab stop without being checked, or checked without being one", e.id);
    }
    RECT client = DialogClientUnits(dialog);
    CHECK_EQ(client.right, (LONG)width);
    CHECK_EQ(client.bottom, (LONG)height);
    CHECK_TEXT(WindowText(dialog), caption);
    DWORD style = (DWORD)GetWindowLongA(dialog, GWL_STYLE);
    DWORD wanted = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    CHECK_EQ(style & wanted, wanted);
    CheckCentred(dialog);
}

// ---------------------------------------------------------------- tooltips
HWND WaitToolTipWindow(HWND dialog)
{
    HWND tips = nullptr;
    auto find = [&] {
        while ((tips = FindWindowExA(nullptr, tips, TOOLTIPS_CLASSA, nullptr)) != nullptr)
            if (GetWindow(tips, GW_OWNER) == dialog)
                return true;
        return false;
    };
    if (!WaitFor(find))
        Fail("the dialog has no tooltip window");
    return tips;
}

void CheckToolTips(const Program &program, HWND dialog, const std::vector<ToolTip> &expected)
{
    HWND tips = WaitToolTipWindow(dialog);
    // The registrations follow the window's creation.
    DWORD_PTR count = 0;
    WaitFor([&] {
        return SendMessageTimeoutA(tips, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count) &&
               count >= expected.size();
    });
    CHECK_EQ((size_t)count, expected.size());

    const SIZE_T textOffset = 1024, size = 4096;
    char *remote = (char *)VirtualAllocEx(program.process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    CHECK(remote != nullptr);
    for (size_t i = 0; i < expected.size(); i++) {
        TTTOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.lpszText = remote + textOffset;
        char text[1024] = "";
        CHECK(WriteProcessMemory(program.process, remote, &tool, sizeof tool, nullptr));
        CHECK(WriteProcessMemory(program.process, remote + textOffset, text, sizeof text, nullptr));
        DWORD_PTR found = 0;
        SendMessageTimeoutA(tips, TTM_ENUMTOOLSA, i, (LPARAM)remote, SMTO_ABORTIFHUNG, 5000, &found);
        CHECK(found != 0);
        CHECK(ReadProcessMemory(program.process, remote, &tool, sizeof tool, nullptr));
        CHECK(ReadProcessMemory(program.process, remote + textOffset, text, sizeof text - 1, nullptr));
        int id = GetDlgCtrlID((HWND)tool.uId);
        Step("  tooltip %u: %d \"%s\"", (unsigned)i, id, text);
        if (id != expected[i].id || strcmp(text, expected[i].text) != 0)
            Fail("tooltip %u is %d \"%s\", expected %d \"%s\"", (unsigned)i, id, text, expected[i].id,
                 expected[i].text);
        CHECK(tool.hwnd == dialog);
        CHECK_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), (UINT)(TTF_IDISHWND | TTF_SUBCLASS));
    }
    VirtualFreeEx(program.process, remote, 0, MEM_RELEASE);
}

void CheckDialogLook(const Program &tessaron, HWND dialog, const DialogLook &look)
{
    CheckDialogLayout(dialog, "Tessaron", look.width, look.height, look.controls);
    CheckToolTips(tessaron, dialog, look.tips);
    SaveWindowScreenshot(dialog, look.screenshot);
    CheckHelpButton(dialog, look.helpContext);
}

// ---------------------------------------------------------------- files
std::string WindowsDirectory()
{
    char folder[MAX_PATH] = "";
    UINT length = GetWindowsDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        Fail("no Windows directory");
    return folder;
}

std::string WindowsFile(const char *name)
{
    std::string folder = WindowsDirectory();
    return folder.size() == 3 ? folder + name : folder + "\\" + name;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadFileBytes(const std::string &path, std::string *bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes->clear();
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes->append(buffer, got);
    CloseHandle(file);
    return true;
}

std::string ReadFileOrFail(const std::string &path)
{
    std::string bytes;
    if (!ReadFileBytes(path, &bytes))
        Fail("cannot read %s", path.c_str());
    return bytes;
}

void WriteFileBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail("cannot create %s", path.c_str());
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    if (!ok)
        Fail("cannot write %s", path.c_str());
}

void RemoveFile(const std::string &path)
{
    if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        Fail("cannot delete %s", path.c_str());
}

void MakeFolder(const std::string &path)
{
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        Fail("cannot create the folder %s", path.c_str());
}

// Wine's own export, the Unix name of a Windows path (HeapAlloc'd).
static std::string UnixPath(const std::string &path)
{
    typedef char *(CDECL * UnixNameFunction)(LPCWSTR);
    auto unixName = (UnixNameFunction)(void (*)())GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                                  "wine_get_unix_file_name");
    if (unixName == nullptr)
        Fail("this is not Wine: no wine_get_unix_file_name");
    WCHAR wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char *name = unixName(wide);
    if (name == nullptr)
        Fail("no Unix name for %s", path.c_str());
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

void MakeLink(const std::string &link, const std::string &target)
{
    // Wine makes no junction and only pretends to make a symbolic link;
    // it starts a Unix program, though.
    std::string command = "/bin/ln -sfn \"" + UnixPath(target) + "\" \"" + UnixPath(link) + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        Fail("cannot start %s", command.c_str());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Wine does not wait for a Unix program: wait for its work.
    if (!WaitFor([&] { return GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; }))
        Fail("the link %s did not appear", link.c_str());
    Step("%s is a link to %s", link.c_str(), target.c_str());
}

std::string OtherDriveSpelling(const std::string &path)
{
    std::string unix = UnixPath(path);
    size_t at = unix.find("/dosdevices/c:/");
    if (at == std::string::npos)
        Fail("%s is not on C: (%s)", path.c_str(), unix.c_str());
    unix.replace(at, 15, "/drive_c/");
    if (unix.size() > 1 && unix.back() == '/')
        unix.pop_back();
    std::string spelled = "Z:" + unix;
    for (char &c : spelled)
        c = c == '/' ? '\\' : c;
    return spelled;
}

std::vector<std::string> FolderEntries(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, "..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string CrLfLines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}

// ---------------------------------------------------------------- the settings file
std::string SettingsPath()
{
    return WindowsFile("TESSARON.INI");
}

void WriteSettings(const std::vector<std::string> &lines)
{
    WriteFileBytes(SettingsPath(), CrLfLines(lines));
}

void SetSettings(SettingsValues &values, const SettingsValues &changes)
{
    for (const auto &change : changes) {
        auto entry = std::find_if(values.begin(), values.end(),
                                  [&](const auto &value) { return value.first == change.first; });
        if (entry == values.end())
            Fail("no setting %s", change.first.c_str());
        entry->second = change.second;
    }
}

std::string SettingsText(const SettingsValues &values)
{
    std::vector<std::string> lines = {
        "[Tessaron]",
        "[iVersionMajor=1]",
        "[iVersionMinor=0]",
        "[iRevision=0]",
        "[This file should not be altered manually.]",
        "[Format:  typeVariableName <space> = <space> <value>]",
        "[<value> = YES, NO, NUMERIC, PATHNAME -- NO ABBREVIATIONS.]",
    };
    for (const auto &entry : values)
        lines.push_back(entry.first + " = " + entry.second);
    return CrLfLines(lines);
}

std::string SettingsLine(const std::string &text, const char *key)
{
    std::string start = std::string(key) + " = ";
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos)
            end = text.size();
        if (text.compare(at, start.size(), start) == 0)
            return text.substr(at, end - at);
        at = end + 2;
    }
    return "";
}

void MarkSettingsFile()
{
    WriteFileBytes(SettingsPath(), "stale\r\n");
}

namespace {
// By its size alone: a reader's open handle would make the program's
// replacing of the file fail.
DWORD SettingsSize()
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(SettingsPath().c_str(), GetFileExInfoStandard, &data))
        return 0;
    return data.nFileSizeHigh != 0 ? MAXDWORD : data.nFileSizeLow;
}

// Longer than the mark (every written file is), and no longer growing.
bool SettingsWritten()
{
    DWORD size = SettingsSize();
    if (size <= 100)
        return false;
    Sleep(50);
    return SettingsSize() == size;
}
}  // namespace

std::string WaitSettingsRewritten()
{
    if (!WaitFor(SettingsWritten)) {
        HWND box = FindMessageBox();
        Fail("%s was not written%s%s", SettingsPath().c_str(), box ? "; message box: " : "",
             box ? MessageBoxText(box).c_str() : "");
    }
    return ReadFileOrFail(SettingsPath());
}

// ---------------------------------------------------------------- recorder
namespace {
// C:\rec, or the system folder: for a 32-bit driver, the 64-bit one.
std::string RecorderFolder(bool system)
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return !system ? "C:\\rec" : WindowsFile(wow64 ? "Sysnative" : "system32");
}

std::string RecorderLog(const char *name, bool system)
{
    std::string path = RecorderFolder(system) + "\\" + name;
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('\\', dot) != std::string::npos)
        dot = path.size();
    return path.substr(0, dot) + ".log";
}
}  // namespace

std::string InstallRecorder(const char *name, bool system)
{
    std::string path = RecorderFolder(system) + "\\" + name;
    if (!CopyFileA("C:\\rec\\recorder.exe", path.c_str(), FALSE))
        Fail("cannot copy the recorder to %s", path.c_str());
    RemoveFile(RecorderLog(name, system));
    return system ? WindowsFile("system32") + "\\" + name : path;
}

std::vector<std::string> RecorderLines(const char *name, bool system)
{
    std::vector<std::string> lines;
    std::string bytes;
    if (!ReadFileBytes(RecorderLog(name, system), &bytes))
        return lines;
    size_t start = 0;
    size_t end;
    // Only whole lines: the recorder ends each with CR LF.  A 32-bit console
    // names the 64-bit system folder Sysnative: the lines say System32, as
    // the programs do.
    while ((end = bytes.find("\r\n", start)) != std::string::npos) {
        std::string line = bytes.substr(start, end - start);
        size_t at = line.find("\\Sysnative\\");
        lines.push_back(at == std::string::npos ? line : line.replace(at, 11, "\\system32\\"));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> WaitRecorderLines(const char *name, size_t count, bool system)
{
    std::vector<std::string> lines;
    if (!WaitFor([&] { return (lines = RecorderLines(name, system)).size() >= count; }))
        Fail("the recorder %s logged %u command lines, expected %u", name, (unsigned)lines.size(),
             (unsigned)count);
    return lines;
}

// ---------------------------------------------------------------- consoles
HWND WaitConsoleWindow()
{
    return WaitVisibleTopLevel("WineConsoleClass", "console window");
}

void PressEnterInConsole(HWND console)
{
    Step("Enter in the console");
    PostMessageA(console, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(console, WM_CHAR, '\r', 0x001C0001);
    PostMessageA(console, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

// ---------------------------------------------------------------- display
void ChangeDisplaySize(int width, int height)
{
    Step("display size %dx%d", width, height);
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = (DWORD)width;
    mode.dmPelsHeight = (DWORD)height;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    LONG result = ChangeDisplaySettingsA(&mode, 0);
    RECT desktop = {};
    if (result != DISP_CHANGE_SUCCESSFUL ||
        !WaitFor([&] { return GetWindowRect(GetDesktopWindow(), &desktop) && desktop.right == width &&
                              desktop.bottom == height; }))
        Fail("the display did not change to %dx%d (result %ld)", width, height, (long)result);
}

// ---------------------------------------------------------------- Windows version
void UseWindowsVersion(const char *version)
{
    Step("Wine reports %s", version);
    LONG result = RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine", "Version", REG_SZ, version,
                                  (DWORD)strlen(version) + 1);
    if (result != ERROR_SUCCESS)
        Fail("cannot set the Windows version %s (error %ld)", version, (long)result);
}

// ---------------------------------------------------------------- registry
bool ReadRegistryText(HKEY root, const char *key, const char *value, std::string *text)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    char buffer[4096] = "";
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    LONG result = RegQueryValueExA(opened, value, nullptr, &type, (BYTE *)buffer, &size);
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    buffer[size < sizeof buffer ? size : sizeof buffer - 1] = '\0';
    *text = buffer;
    return true;
}

void DeleteRegistryKey(HKEY root, const char *key)
{
    LONG result = RegDeleteTreeA(root, key);
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        result = RegDeleteKeyA(root, key);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        Fail("cannot delete the registry key %s (error %ld)", key, (long)result);
}

void SetRegistryText(HKEY root, const char *key, const char *value, const std::string &text)
{
    HKEY opened;
    LONG result = RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExA(opened, value, 0, REG_SZ, (const BYTE *)text.c_str(), (DWORD)text.size() + 1);
        RegCloseKey(opened);
    }
    if (result != ERROR_SUCCESS)
        Fail("cannot set %s\\%s (error %ld)", key, value, (long)result);
}

void CreateRegistryKey(HKEY root, const char *key)
{
    HKEY created;
    LONG result = RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr);
    if (result != ERROR_SUCCESS)
        Fail("cannot create the registry key %s (error %ld)", key, (long)result);
    RegCloseKey(created);
}

bool RegistryKeyExists(HKEY root, const char *key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

// ---------------------------------------------------------------- shell logs
namespace {
// Both logs are filled on the shell thread.
template <class Call> std::vector<Call> CopyLog(const std::vector<Call> &log)
{
    EnterCriticalSection(&LogLock);
    std::vector<Call> calls = log;
    LeaveCriticalSection(&LogLock);
    return calls;
}

template <class Call> void ClearLog(std::vector<Call> &log)
{
    EnterCriticalSection(&LogLock);
    log.clear();
    LeaveCriticalSection(&LogLock);
}

template <class Call> std::vector<Call> WaitLog(const std::vector<Call> &log, size_t count, const char *what)
{
    std::vector<Call> calls;
    if (!WaitFor([&] { return (calls = CopyLog(log)).size() >= count; }))
        Fail("%s %u, expected %u", what, (unsigned)calls.size(), (unsigned)count);
    return calls;
}
}  // namespace

void RefuseFirstTrayAdds()
{
    Step("the tray refuses the first add of each icon");
    EnterCriticalSection(&LogLock);
    RefuseFirstAdds = true;
    LeaveCriticalSection(&LogLock);
}

void SendTrayNotification(const Program &tessaron, int iconId, UINT message)
{
    Step("tray notification as the shell sends it: icon %d, message 0x%X", iconId, message);
    if (!SendNotifyMessageA(tessaron.window, TrayNotifyMessage, (WPARAM)iconId, (LPARAM)message))
        Fail("cannot send the tray notification to Tessaron");
}

std::vector<TrayCall> TrayCalls() { return CopyLog(TrayLog); }
std::vector<TrayCall> WaitTrayCalls(size_t count) { return WaitLog(TrayLog, count, "tray icon calls:"); }
void ClearTrayCalls() { ClearLog(TrayLog); }
std::vector<HelpCall> HelpCalls() { return CopyLog(HelpLog); }
std::vector<HelpCall> WaitHelpCalls(size_t count) { return WaitLog(HelpLog, count, "WinHelp requests:"); }
void ClearHelpCalls() { ClearLog(HelpLog); }

void CheckHelpQuitRequests(const Program &tessaron, size_t from)
{
    std::vector<HelpCall> calls = HelpCalls();
    CHECK_EQ(calls.size(), from + 2);
    const char *const files[] = {HelpFilePath, ""};
    for (size_t i = 0; i < 2; i++) {
        const HelpCall &call = calls[from + i];
        CHECK(call.caller == tessaron.window);
        CHECK_EQ(call.command, (UINT)HELP_QUIT);
        CHECK_EQ(call.data, (ULONG_PTR)0);
        CHECK_TEXT(call.file, files[i]);
    }
}

void UseRealWinHelp()
{
    if (!OurHelp)
        return;
    // Destroyed on its own thread, by DefWindowProc's handling of WM_CLOSE.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(OurHelp, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    if (IsWindow(OurHelp))
        Fail("the driver's MS_WINHELP window did not close");
    OurHelp = nullptr;
}

// ---------------------------------------------------------------- screenshots
std::string ScreenshotFolder()
{
    char folder[1024];
    DWORD length = GetEnvironmentVariableA("TESSARON_SHOTS", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        return "";
    return folder;
}

void SaveScreenshot(const RECT &area, const char *name, int scale)
{
    std::string folder = ScreenshotFolder();
    if (folder.empty())
        return;
    std::string target = folder + "/" + name;
    std::string partial = target + ".part.png";
    // ImageMagick, run natively on the same X display: import takes the
    // area, convert enlarges it and writes a PNG without time stamps; mv
    // makes the file appear whole.
    char command[4096];
    snprintf(command, sizeof command,
             "Z:\\bin\\sh -c \"/usr/bin/import -window root -crop %ldx%ld+%ld+%ld +repage png:- | "
             "/usr/bin/convert png:- -scale %d%% -define png:exclude-chunks=date,time '%s' && "
             "mv '%s' '%s'\"",
             area.right - area.left, area.bottom - area.top, area.left, area.top, scale * 100,
             partial.c_str(), partial.c_str(), target.c_str());
    std::string windowsTarget = "Z:" + target;
    for (char &c : windowsTarget)
        if (c == '/')
            c = '\\';
    DeleteFileA(windowsTarget.c_str());
    Sleep(300);  // let the windows finish painting before the capture
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        Fail("cannot run import for %s", target.c_str());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!WaitFor([&] { return FileExists(windowsTarget); }))
        Fail("no screenshot %s", target.c_str());
    Step("screenshot %s", target.c_str());
}

HWND WineTaskbar()
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "Shell_TrayWnd", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != GetCurrentProcessId() && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

void SaveTrayScreenshot(const char *name, int icons, int scale)
{
    if (ScreenshotFolder().empty())
        return;
    HWND taskbar = WineTaskbar();
    if (!taskbar)
        Fail("Wine's taskbar is not shown: no tray to photograph");
    RECT area;
    GetWindowRect(taskbar, &area);
    // Wine's tray gives each icon its size and 2 pixels on each side.
    area.left = std::max(area.left, area.right - icons * (GetSystemMetrics(SM_CXSMICON) + 4) - 12);
    SaveScreenshot(area, name, scale);
}

void SaveWindowScreenshot(HWND window, const char *name)
{
    if (ScreenshotFolder().empty())
        return;
    RECT area;
    GetWindowRect(window, &area);
    UpdateWindow(window);
    SaveScreenshot(area, name);
}

// ---------------------------------------------------------------- calendar
int TodayDayNumber()
{
    static const int monthLengths[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    time_t now = time(nullptr);
    struct tm *local = localtime(&now);
    int day = local->tm_mday;
    for (int month = 0; month < local->tm_mon; month++)
        day += monthLengths[month];
    return day;
}

// ---------------------------------------------------------------- entry point
namespace {
const Scenario *FindScenario(const char *name)
{
    for (const Scenario &scenario : Scenarios())
        if (strcmp(scenario.name, name) == 0)
            return &scenario;
    return nullptr;
}

// The letters of the words "d:cdrom e:hd ...".
std::string AskedLetters(const char *drives)
{
    std::istringstream words(drives);
    std::string word, letters;
    while (words >> word)
        letters += (char)toupper((unsigned char)word[0]);
    return letters;
}

// The drives a scenario asked for must be there, or the harness was not told.
// Right after the harness restarted the Wine session for new drives, Wine's
// mount manager may still be adding them: they are waited for.
void CheckDrives(const char *drives)
{
    const std::string asked = "C" + AskedLetters(drives);
    std::string present;
    WaitFor([&] {
        present = PresentDrives();
        return std::all_of(asked.begin(), asked.end(),
                           [&](char letter) { return present.find(letter) != std::string::npos; });
    });
    for (char letter : asked) {
        if (present.find(letter) == std::string::npos)
            Fail("drive %c: was asked for but is not present (drives: %s); run the scenario through "
                 "the harness",
                 letter, present.c_str());
    }
}

// The session's DPI must be one the scenario runs at (96 unless it names
// others), or the harness was not told.
void CheckDpi(const char *dpis)
{
    int dpi = ScreenDpi();
    std::istringstream words(*dpis ? dpis : "96");
    for (int wanted; words >> wanted;)
        if (wanted == dpi)
            return;
    Fail("the display has %d DPI, the scenario runs at %s; run it through the harness", dpi, *dpis ? dpis : "96");
}

int RunScenario(const Scenario &scenario)
{
    StartTick = GetTickCount();
    ProcessesBefore = ProcessIds();
    int result = 0;
    try {
        // Windows 98 unless the scenario chooses another system: whatever
        // an earlier scenario chose, passed or failed, ends here.
        UseWindowsVersion("win98");
        DeleteRegistryKey(HKEY_CURRENT_USER, WineTestKey);
        // Once HKCU\Software holds a key Wow6432Node, this Wine redirects
        // every 32-bit program's HKCU\Software into it, which Windows does
        // not: none may outlive the scenario that made it.
        DeleteRegistryKey(HKEY_CURRENT_USER, "Software\\Wow6432Node");
        StartShellWindows();
        CheckDrives(scenario.drives);
        CheckDpi(scenario.dpis);
        Step("scenario %s", scenario.name);
        scenario.function();
    } catch (const ScenarioFailure &failure) {
        printf("FAILED: %s: %s\n", scenario.name, failure.what());
        result = 1;
    } catch (const std::exception &error) {
        printf("FAILED: %s: unexpected error: %s\n", scenario.name, error.what());
        result = 1;
    }
    EndStartedProcesses();
    if (result == 0)
        printf("PASSED: %s (%.2f s)\n", scenario.name, (GetTickCount() - StartTick) / 1000.0);
    fflush(stdout);
    return result;
}
}  // namespace

// ---------------------------------------------------------------- commands of tools/run.sh
namespace {
// Starts Tessaron (talking to Wine's own tray) and returns once its start-up
// has finished; the program runs on after the driver ends.
int StartTessaronForUser(const char *path)
{
    StartTick = GetTickCount();
    try {
        std::string folder = path;
        folder.resize(folder.rfind('\\') == std::string::npos ? 0 : folder.rfind('\\'));
        Program tessaron = StartProgram(path, folder);
        StartedProcesses.clear();  // it stays
        if (!WaitFor([&] {
                return FindProgramWindow(tessaron.id, "Win32Generic", "Tessaron") != nullptr || HasEnded(tessaron);
            }) || HasEnded(tessaron))
            Fail("Tessaron did not start");
        if (WaitForInputIdle(tessaron.process, WaitLimit()) == WAIT_TIMEOUT)
            Fail("Tessaron did not become ready for input");
    } catch (const ScenarioFailure &failure) {
        printf("driver: %s\n", failure.what());
        return 1;
    }
    return 0;
}

// Opens the tray menu of the running Tessaron as a right click on its icon
// at the lower right corner of the screen would, and leaves it open.
int OpenTrayMenuForUser()
{
    StartTick = GetTickCount();
    try {
        HWND window = FindWindowA("Win32Generic", "Tessaron");
        if (!window)
            Fail("Tessaron is not running");
        RECT screen;
        GetWindowRect(GetDesktopWindow(), &screen);
        SetCursorPos(screen.right - 40, screen.bottom - 12);
        PostMessageA(window, TrayNotifyMessage, IconMain, WM_RBUTTONUP);
        // Without the icons' mouse handling, the command itself.
        if (!WaitFor([] { return PopupMenuShown(); }, 3000)) {
            PostMessageA(window, WM_COMMAND, CmdTrayMenu, 0);
            WaitPopupMenu();
        }
    } catch (const ScenarioFailure &failure) {
        printf("driver: %s\n", failure.what());
        return 1;
    }
    return 0;
}
}  // namespace

int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    for (const Scenario &a : Scenarios())
        for (const Scenario &b : Scenarios())
            if (&a != &b && strcmp(a.name, b.name) == 0) {
                printf("driver: the scenario name %s is used twice\n", a.name);
                return 2;
            }
    if (argc == 2 && strcmp(argv[1], "--list") == 0) {
        for (const Scenario &scenario : Scenarios())
            printf("%s%s%s%s%s\n", scenario.name, scenario.drives[0] ? " " : "", scenario.drives,
                   scenario.dpis[0] ? " dpi " : "", scenario.dpis);
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "--warm-up") == 0) {
        // The harness's first program: Wine's services and desktop start.
        try {
            StartShellWindows();
        } catch (const ScenarioFailure &failure) {
            printf("driver: %s\n", failure.what());
            return 1;
        }
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "--start-tessaron") == 0)
        return StartTessaronForUser(argv[2]);
    if (argc == 2 && strcmp(argv[1], "--open-tray-menu") == 0)
        return OpenTrayMenuForUser();
    if (argc != 2) {
        printf("usage: driver.exe <scenario> | --list | --warm-up | --start-tessaron <path> | "
               "--open-tray-menu\n");
        return 2;
    }
    const Scenario *scenario = FindScenario(argv[1]);
    if (!scenario) {
        printf("driver: no scenario named %s\n", argv[1]);
        return 2;
    }
    return RunScenario(*scenario);
}
