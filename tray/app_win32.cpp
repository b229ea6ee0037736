// The tray program's entry point, its process-wide state, the hidden main
// window and the routing of every command, the tray menu and the About box.
#include "app_win32.h"

#include <objbase.h>

#include "app.h"
#include "commands.h"
#include "desktop_win32.h"
#include "helppages.h"
#include "resource.h"
#include "settings.h"
#include "textops.h"

HINSTANCE AppInstance;
HWND MainWindow;
char HelpFilePath[PathTextSize];
char WarnedDrives[128];
HMENU QuickAccessMenu;
HMENU TrayMenu;
int QuickAccessPending;
char OpenPathText[PathTextSize];
const int StartShowCommand = SW_SHOWNORMAL;

static const char WindowClassName[] = "Win32Generic";
static const char WindowTitle[] = "Tessaron";
const char BoxTitle[] = "Tessaron";

enum { FreeSpaceInterval = 30000, MenuOpenDelay = 200 };

// ---- Help ----------------------------------------------------------------

static void DeriveHelpFilePath(void)
{
    char module[PathTextSize];
    DWORD length = GetModuleFileNameA(NULL, module, sizeof module);
    if (length == 0 || length >= sizeof module)
        module[0] = '\0';  // unknown or cut: fall back to the current folder
    if (!HelpPathFromModulePath(module, HelpFilePath, sizeof HelpFilePath))
        HelpPathFromModulePath("", HelpFilePath, sizeof HelpFilePath);
}

static const char HelpPageFailure[] =
    "The help page could not be opened:\n\n%s\n\n"
    "It should be in the folder \"help\" beside Tessaron.exe.  Setup installs it there.";

// The topic's page in the user's browser, where WinHelp cannot show it.
static void ShowHelpPage(HWND owner, int topic)
{
    char page[PathTextSize];
    bool opened = HelpPageFromHelpPath(HelpFilePath, topic, page, sizeof page) &&
                  (INT_PTR)ShellExecuteA(owner, "open", page, NULL, NULL, SW_SHOWNORMAL) > 32;
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
    if (!opened) {
        char text[PathTextSize + 160];
        FormatText(text, sizeof text, HelpPageFailure, page);
        MessageBoxA(owner, text, BoxTitle, MB_OK | MB_ICONWARNING);
    }
}

void ShowHelpTopic(HWND owner, int *result, int topic)
{
    SetCursor(LoadCursorA(NULL, IDC_WAIT));
    if (HelpOpensPages(CurrentPlatform()))
        ShowHelpPage(owner, topic);
    else
        WinHelpA(owner, HelpFilePath, HELP_CONTEXT, (ULONG_PTR)topic);
    if (result != NULL)
        *result = 0;
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
}

// ---- Explorer --------------------------------------------------------------

void OpenExplorerAt(const char *target, bool reportFailure)
{
    char command[ExplorerCommandSize];
    UINT result = 0;  // a line that does not fit counts as a failed start
    if (BuildExplorerCommand(Settings, target, command, sizeof command)) {
        SetCursor(LoadCursorA(NULL, IDC_WAIT));
        result = WinExec(command, StartShowCommand);
        SetCursor(LoadCursorA(NULL, IDC_ARROW));
    }
    if (result < 32 && reportFailure)
        MessageBoxA(MainWindow, ExplorerFailureMessage, BoxTitle, MB_OK | MB_ICONWARNING);
}

// ---- About box -------------------------------------------------------------

static INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_ABOUT_ICON, STM_SETICON, (WPARAM)TrayIconHandle(IconMain), 0);
        return TRUE;
    case WM_SHOWWINDOW:
        CentreDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// ---- Commands ----------------------------------------------------------------

static void TrayMenuChoice(HWND window, int item)
{
    TrayChoice choice = DecideTrayMenuChoice(item);
    switch (choice.kind) {
    case TrayChoiceKind::Nothing:
        break;
    case TrayChoiceKind::PostClose:
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
    case TrayChoiceKind::PostCommand:
        PostMessageA(window, WM_COMMAND, (WPARAM)choice.command, 0);
        break;
    case TrayChoiceKind::OpenDrive: {
        char root[DriveRootSize];
        DriveRoot(choice.letter, root);
        OpenExplorerAt(root, true);
        break;
    }
    }
}

// A click that comes while a start-up reminder question is open finds no
// menus yet: nothing is shown, and the question keeps the focus.
static void QuickAccessMenuCommand(HWND window)
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    if (QuickAccessPending == 1 && QuickAccessMenu == NULL) {
        QuickAccessPending = 0;
    } else if (QuickAccessPending == 1) {
        SetForegroundWindow(window);
        ShowQuickAccessMenu(cursor);
        PostMessageA(window, WM_NULL, 0, 0);
    }
    UpdateTrayIcons(window, NIM_ADD);  // present icons stay as they are
}

static void TrayMenuCommand(HWND window)
{
    if (TrayMenu == NULL) {  // not made yet: see above
        QuickAccessMenuCommand(window);
        return;
    }
    Sleep(MenuOpenDelay);
    POINT cursor = {};
    GetCursorPos(&cursor);
    // A tray menu closes on a click elsewhere only when its owner is the
    // foreground window; WM_NULL afterwards lets a second opening work.
    SetForegroundWindow(window);
    int item = (int)TrackPopupMenu(TrayMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0,
                                   window, NULL);
    PostMessageA(window, WM_NULL, 0, 0);
    TrayMenuClosed(window, IconMain);
    TrayMenuChoice(window, item);
    QuickAccessMenuCommand(window);
}

static void AboutCommand(HWND window)
{
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_ABOUT), window, AboutProc, 0);
}

static void OptionsCommand(HWND window)
{
    RunOptionsDialog(window);
    SaveSettings();
    // The icons follow the settings as the dialog left them.
    SendMessageA(window, WM_COMMAND, CmdRemoveIcons, 0);
    SendMessageA(window, WM_COMMAND, CmdAddIcons, 0);
}

static void OpenPathCommand(HWND window)
{
    OpenPathText[0] = '\0';
    RunOpenPathDialog(window);
    SaveSettings();
    if (OpenPathText[0] != '\0')
        OpenExplorerAt(OpenPathText, true);
}

static void HelpTopicsCommand(HWND window)
{
    int unused = 0;
    ShowHelpTopic(window, &unused, HelpContents);
}

static void MaintenanceCommand(HWND window)
{
    RunMaintenanceDialog(window);
    SaveSettings();
}

// ---- Main window ---------------------------------------------------------

static void CloseMainWindow(HWND window)
{
    // Where help opens as pages, no viewer was ever started to close.
    if (!HelpOpensPages(CurrentPlatform())) {
        WinHelpA(window, HelpFilePath, HELP_QUIT, 0);
        WinHelpA(window, NULL, HELP_QUIT, 0);
    }
    DestroyWindow(window);
}

static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // Known from here on: the reminder questions are owned by this
        // window, and icons that a restarted taskbar asks for while one is
        // open post their clicks to it.
        MainWindow = window;
        CaptureDesktopRect();
        if (Settings.iEnableMaintenance == 1)
            RunMaintenanceReminders();
        return 0;
    case TrayNotifyMessage:
        HandleTrayMouse((int)wParam, (int)lParam);
        return 0;
    case WM_SYSCOLORCHANGE:
        return 0;
    case WM_CLOSE:
        CloseMainWindow(window);
        return 0;
    case WM_TIMER:
        if (wParam == FreeSpaceTimer)
            CheckFreeSpace();
        RetryRefusedTrayIcons(window, wParam);
        return 0;
    case WM_DISPLAYCHANGE:
        CaptureDesktopRect();  // dialogs opened from now on centre on the new screen
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case CmdTrayMenu: TrayMenuCommand(window); break;
        case CmdQuickAccessMenu: QuickAccessMenuCommand(window); break;
        case CmdAbout: AboutCommand(window); break;
        case CmdClose: SendMessageA(window, WM_CLOSE, 0, 0); break;
        case CmdOptions: OptionsCommand(window); break;
        case CmdOpenPath: OpenPathCommand(window); break;
        case CmdHelpTopics: HelpTopicsCommand(window); break;
        case CmdMaintenance: MaintenanceCommand(window); break;
        case CmdModifyIcons: UpdateTrayIcons(window, NIM_MODIFY); break;
        case CmdRemoveIcons: UpdateTrayIcons(window, NIM_DELETE); break;
        case CmdAddIcons: UpdateTrayIcons(window, NIM_ADD); break;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    default:
        if (IsShellRestartMessage(message)) {
            AddIconsToNewTaskbar(window);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// ---- Start-up and end -----------------------------------------------------

static bool RegisterMainClass(void)
{
    HICON largeIcon = LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_MAIN_LARGE));
    HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW);
    HBRUSH background = (HBRUSH)(COLOR_BTNFACE + 1);

    static_assert(sizeof(void *) != 4 || sizeof(WNDCLASSEXA) == 48, "the Windows 95 WNDCLASSEXA");
    WNDCLASSEXA classEx = {};
    classEx.cbSize = sizeof classEx;
    classEx.style = CS_BYTEALIGNCLIENT;
    classEx.lpfnWndProc = MainWindowProc;
    classEx.hInstance = AppInstance;
    classEx.hIcon = largeIcon;
    classEx.hCursor = arrow;
    classEx.hbrBackground = background;
    classEx.lpszClassName = WindowClassName;
    classEx.hIconSm = LoadSmallIcon(IDI_MAIN);
    if (RegisterClassExA(&classEx))
        return true;

    // Systems without the extended call take the same class without the
    // small icon.
    WNDCLASSA plain = {};
    plain.style = CS_BYTEALIGNCLIENT;
    plain.lpfnWndProc = MainWindowProc;
    plain.hInstance = AppInstance;
    plain.hIcon = largeIcon;
    plain.hCursor = arrow;
    plain.hbrBackground = background;
    plain.lpszClassName = WindowClassName;
    return RegisterClassA(&plain) != 0;
}

static unsigned QueryDriveType(const char *root)
{
    return GetDriveTypeA(root);
}

static void FillTrayMenu(void)
{
    MenuEntry entries[TrayMenuMaxEntries];
    int count = TrayMenuLayout(GetLogicalDrives(), QueryDriveType, entries);
    for (int i = 0; i < count; i++) {
        if (entries[i].separator)
            AppendMenuA(TrayMenu, MF_SEPARATOR, 0, NULL);
        else
            AppendMenuA(TrayMenu, MF_STRING, (UINT_PTR)entries[i].id, entries[i].text);
    }
}

static void ResetStartValues(void)
{
    WarnedDrives[0] = '\0';
    Settings.szExplorerLocation[0] = '\0';
    Settings.szScanLocation[0] = '\0';
    Settings.szDefragmentLocation[0] = '\0';
    Settings.szBackupLocation[0] = '\0';
    Settings.szDriveSpaceLocation[0] = '\0';
    Settings.szCompressionAgentLocation[0] = '\0';
    Settings.szDrivesToScan[0] = '\0';
    Settings.szDrivesToDefrag[0] = '\0';
}

static void SetLastRunDaysToToday(void)
{
    // A first start, or a file without these keys, never reminds.
    int today = TodayDayNumber();
    Settings.iLastScan = today;
    Settings.iLastDefragment = today;
    Settings.iLastBackup = today;
    Settings.iLastCompression = today;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int)
{
    // One Tessaron at a time: a second start ends before it adds an icon,
    // reminds or writes anything.
    if (FindWindowA(WindowClassName, WindowTitle) != NULL)
        return 0;
    AppInstance = instance;
    ResetStartValues();
    SetLastRunDaysToToday();
    DeriveHelpFilePath();
    if (previous == NULL && !RegisterMainClass())
        return 0;
    CoInitialize(NULL);
    LoadTrayIcons();
    LoadSettings();
    FillDefaultToolLocations();
    WatchShellRestart();

    HWND window = CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE, WindowClassName, WindowTitle,
                                  WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 600, 400, NULL, NULL,
                                  instance, NULL);
    if (window == NULL) {
        // Without its window the program could never be reached or ended.
        CoUninitialize();
        return 0;
    }
    ShowWindow(window, SW_HIDE);
    UpdateWindow(window);
    UINT_PTR timer = SetTimer(window, FreeSpaceTimer, FreeSpaceInterval, NULL);
    QuickAccessMenu = CreatePopupMenu();
    TrayMenu = CreatePopupMenu();
    RebuildQuickAccessMenu();
    FillTrayMenu();
    SendMessageA(window, WM_COMMAND, CmdAddIcons, 0);

    MSG message = {};
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    UpdateTrayIcons(window, NIM_DELETE);
    DestroyMenu(QuickAccessMenu);
    DestroyMenu(TrayMenu);
    KillTimer(window, timer);
    CoUninitialize();
    return (int)message.wParam;
}
