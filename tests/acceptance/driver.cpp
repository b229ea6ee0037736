// The acceptance driver's steps and its entry point; see driver.h.
#include "driver.h"

#include "commands.h"

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
std::vector<HelpCall> HelpLog;
HWND OurTray;
HWND OurHelp;

const ULONG_PTR WinHelpMagic = 0xA1DE505;

// Wine's format of a tray icon call: the record that its shell32 sends.
struct WineNotifyData {
    LONG window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    WCHAR tip[128];
};

// Wine's format of a WinHelp request.
struct WineHelpRequest {
    WORD size;
    WORD command;
    LONG data;
    LONG reserved;
    WORD fileOffset;
    WORD dataOffset;
};

HWND RealTray()
{
    HWND tray = nullptr;
    while ((tray = FindWindowExA(nullptr, tray, "Shell_TrayWnd", nullptr)) != nullptr)
        if (tray != OurTray)
            return tray;
    return nullptr;
}

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
        char tip[512] = "";
        WideCharToMultiByte(CP_ACP, 0, notify->tip, -1, tip, sizeof tip, nullptr, nullptr);
        tip[sizeof tip - 1] = '\0';
        call.tip = tip;
        EnterCriticalSection(&LogLock);
        TrayLog.push_back(call);
        LeaveCriticalSection(&LogLock);
    }
    // Wine's tray shows the icon and sends the mouse messages to the program.
    HWND real = RealTray();
    DWORD_PTR result = TRUE;
    if (real)
        SendMessageTimeoutA(real, WM_COPYDATA, wParam, (LPARAM)data, SMTO_ABORTIFHUNG, 5000, &result);
    return (LRESULT)result;
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

Program StartTessaronAndWait(bool untilReady)
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
    if (!untilReady)
        return tessaron;
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
    Scenarios().push_back({name, drives, function});
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
    return StartTessaronAndWait(true);
}

Program StartTessaronWindowOnly()
{
    return StartTessaronAndWait(false);
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
    HWND menu = nullptr;
    if (!WaitFor([&] { return (menu = FindVisibleTopLevel("#32768", nullptr)) != nullptr; }))
        Fail("no popup menu appeared");
    return menu;
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

std::string AnswerMessageBox(int buttonId, const char *caption)
{
    HWND box = WaitMessageBox(caption);
    std::string text = MessageBoxText(box);
    Step("message box \"%s\": %s; pressing %d", caption, Visible(text).c_str(), buttonId);
    ClickButton(box, buttonId);
    WaitWindowGone(box);
    return text;
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

POINT DialogBaseUnits()
{
    static POINT units = [] {
        // A dialog of our own with the programs' font: MapDialogRect works
        // only on one's own dialogs.
        struct {
            DLGTEMPLATE header;
            WORD menu, windowClass, title, pointSize;
            WCHAR font[14];
        } __attribute__((aligned(4))) dialog = {};
        dialog.header.style = DS_SETFONT | WS_POPUP;
        dialog.pointSize = 8;
        memcpy(dialog.font, L"MS Sans Serif", sizeof(L"MS Sans Serif"));
        HWND window = CreateDialogIndirectParamA(
            GetModuleHandleA(nullptr), &dialog.header, nullptr,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        if (!window)
            Fail("cannot create the driver's measuring dialog");
        RECT rect = {0, 0, 4, 8};
        MapDialogRect(window, &rect);
        DestroyWindow(window);
        return POINT{rect.right, rect.bottom};
    }();
    return units;
}

namespace {
RECT PixelsToUnits(const RECT &pixels)
{
    POINT base = DialogBaseUnits();
    RECT units;
    units.left = MulDiv(pixels.left, 4, base.x);
    units.right = MulDiv(pixels.right, 4, base.x);
    units.top = MulDiv(pixels.top, 8, base.y);
    units.bottom = MulDiv(pixels.bottom, 8, base.y);
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

// ---------------------------------------------------------------- recorder
namespace {
std::string RecorderLog(const char *name)
{
    std::string path = std::string("C:\\rec\\") + name;
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('\\', dot) != std::string::npos)
        dot = path.size();
    return path.substr(0, dot) + ".log";
}
}  // namespace

std::string InstallRecorder(const char *name)
{
    std::string path = std::string("C:\\rec\\") + name;
    if (!CopyFileA("C:\\rec\\recorder.exe", path.c_str(), FALSE))
        Fail("cannot copy the recorder to %s", path.c_str());
    RemoveFile(RecorderLog(name));
    return path;
}

std::vector<std::string> RecorderLines(const char *name)
{
    std::vector<std::string> lines;
    std::string bytes;
    if (!ReadFileBytes(RecorderLog(name), &bytes))
        return lines;
    size_t start = 0;
    size_t end;
    // Only whole lines: the recorder ends each with CR LF.
    while ((end = bytes.find("\r\n", start)) != std::string::npos) {
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> WaitRecorderLines(const char *name, size_t count)
{
    std::vector<std::string> lines;
    if (!WaitFor([&] { return (lines = RecorderLines(name)).size() >= count; }))
        Fail("the recorder %s logged %u command lines, expected %u", name, (unsigned)lines.size(),
             (unsigned)count);
    return lines;
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

bool ReadRegistryNumber(HKEY root, const char *key, const char *value, DWORD *number)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    DWORD size = sizeof *number;
    DWORD type = 0;
    LONG result = RegQueryValueExA(opened, value, nullptr, &type, (BYTE *)number, &size);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS && type == REG_DWORD;
}

void WriteRegistryText(HKEY root, const char *key, const char *value, const std::string &text)
{
    HKEY opened;
    if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        Fail("cannot create the registry key %s", key);
    LONG result = RegSetValueExA(opened, value, 0, REG_SZ, (const BYTE *)text.c_str(), (DWORD)text.size() + 1);
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS)
        Fail("cannot write the registry value %s\\%s", key, value ? value : "");
}

void DeleteRegistryKey(HKEY root, const char *key)
{
    LONG result = RegDeleteTreeA(root, key);
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
        result = RegDeleteKeyA(root, key);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        Fail("cannot delete the registry key %s (error %ld)", key, (long)result);
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
std::vector<TrayCall> TrayCalls()
{
    EnterCriticalSection(&LogLock);
    std::vector<TrayCall> calls = TrayLog;
    LeaveCriticalSection(&LogLock);
    return calls;
}

std::vector<TrayCall> WaitTrayCalls(size_t count)
{
    std::vector<TrayCall> calls;
    if (!WaitFor([&] { return (calls = TrayCalls()).size() >= count; }))
        Fail("the tray received %u icon calls, expected %u", (unsigned)calls.size(), (unsigned)count);
    return calls;
}

void ClearTrayCalls()
{
    EnterCriticalSection(&LogLock);
    TrayLog.clear();
    LeaveCriticalSection(&LogLock);
}

std::vector<HelpCall> HelpCalls()
{
    EnterCriticalSection(&LogLock);
    std::vector<HelpCall> calls = HelpLog;
    LeaveCriticalSection(&LogLock);
    return calls;
}

std::vector<HelpCall> WaitHelpCalls(size_t count)
{
    std::vector<HelpCall> calls;
    if (!WaitFor([&] { return (calls = HelpCalls()).size() >= count; }))
        Fail("WinHelp received %u requests, expected %u", (unsigned)calls.size(), (unsigned)count);
    return calls;
}

void ClearHelpCalls()
{
    EnterCriticalSection(&LogLock);
    HelpLog.clear();
    LeaveCriticalSection(&LogLock);
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

// The drives a scenario asked for must be there, or the harness was not told.
void CheckDrives(const char *drives)
{
    std::string present = PresentDrives();
    std::istringstream words(drives);
    std::string word;
    while (words >> word) {
        char letter = (char)toupper((unsigned char)word[0]);
        if (present.find(letter) == std::string::npos)
            Fail("drive %c: was asked for but is not present (drives: %s); run the scenario through "
                 "the harness",
                 letter, present.c_str());
    }
}

int RunScenario(const Scenario &scenario)
{
    StartTick = GetTickCount();
    ProcessesBefore = ProcessIds();
    int result = 0;
    try {
        StartShellWindows();
        CheckDrives(scenario.drives);
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
            printf("%s%s%s\n", scenario.name, scenario.drives[0] ? " " : "", scenario.drives);
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
