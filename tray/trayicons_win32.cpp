// The tray icons: the shell calls that add, modify and remove them, the
// mouse and keyboard actions over them and the starting of the tools they
// stand for.
#include "app_win32.h"

#include <shellapi.h>

#include "app.h"
#include "commands.h"
#include "disktools.h"
#include "settings.h"

static const char TaskbarCreatedName[] = "TaskbarCreated";

// In the order they are loaded.
static const int TrayIconIds[TrayIconCount] = {
    IconMain, IconScanDisk, IconBackup, IconDefragmenter,
    IconCompressionAgent, IconDriveSpace, IconExplorer, IconQuickAccess,
};
static HICON TrayIcons[TrayIconCount];

// The first layout of the icon data, with a 64-character tip: every shell
// accepts it, and the shells before Windows 2000 and ME take no other.
// From Shell32 5.0 on, the layout of that version, which carries the
// version asked for with NIM_SETVERSION.
static const DWORD FirstIconDataSize = NOTIFYICONDATAA_V1_SIZE;
static const DWORD KeyboardIconDataSize = NOTIFYICONDATAA_V2_SIZE;
static_assert(sizeof(void *) != 4 || FirstIconDataSize == 88, "the Windows 95 NOTIFYICONDATAA");
static_assert(sizeof(void *) != 4 || KeyboardIconDataSize == 488, "the Shell32 5.0 NOTIFYICONDATAA");
enum { TipSize = 64, KeyboardVersion = 3 };  // NOTIFYICON_VERSION

// A busy shell at log-on may refuse icons: they are asked for every second
// for this long after start-up, then at every free-space tick.
enum { RetryInterval = 1000, FastRetryPeriod = 60000 };

static TrayIconShown IconsShown;
static TrayIconAnswers Answers;
static DWORD StartTick;
static TrayActionMemory LastAction;
static int KeyboardMenuIcon;  // the icon whose menu the keyboard opened, or 0
static UINT TaskbarCreatedMessage;

HICON LoadSmallIcon(int iconId)
{
    return (HICON)LoadImageA(AppInstance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
}

void LoadTrayIcons(void)
{
    StartTick = GetTickCount();
    for (int i = 0; i < TrayIconCount; i++)
        TrayIcons[i] = LoadSmallIcon(TrayIconIds[i]);
}

HICON TrayIconHandle(int iconId)
{
    for (int i = 0; i < TrayIconCount; i++)
        if (TrayIconIds[i] == iconId)
            return TrayIcons[i];
    return NULL;
}

static bool NotifyShell(HWND window, DWORD operation, int iconId, UINT flags, const char *tip)
{
    NOTIFYICONDATAA data = {};
    data.cbSize = KeyboardTrayIcons() ? KeyboardIconDataSize : FirstIconDataSize;
    data.hWnd = window;
    data.uID = (UINT)iconId;
    data.uFlags = flags;
    data.uCallbackMessage = TrayNotifyMessage;
    data.hIcon = TrayIconHandle(iconId);
    lstrcpynA(data.szTip, tip, TipSize);
    if (operation == NIM_SETVERSION)
        data.uVersion = KeyboardVersion;
    return Shell_NotifyIconA(operation, &data) != FALSE;
}

static void CarryOut(HWND window, const TrayPlan &plan)
{
    for (int i = 0; i < plan.count; i++) {
        const TrayCall &call = plan.calls[i];
        bool accepted = NotifyShell(window, (DWORD)plan.operation, call.iconId, call.flags, call.tooltip);
        NoteTrayAnswer(&Answers, plan.operation, call.iconId, accepted);
        if (accepted && plan.operation == TrayAdd && KeyboardTrayIcons())
            NotifyShell(window, NIM_SETVERSION, call.iconId, 0, "");
    }
    if (Answers.refused != 0 && GetTickCount() - StartTick < FastRetryPeriod)
        SetTimer(window, IconRetryTimer, RetryInterval, NULL);
}

void UpdateTrayIcons(HWND window, DWORD operation)
{
    // The flags record the requests; the answers only decide what is asked again.
    CarryOut(window, PlanTrayIcons((int)operation, Settings, &IconsShown));
}

void RetryRefusedTrayIcons(HWND window, UINT_PTR timer)
{
    if (Answers.refused != 0)
        CarryOut(window, RefusedTrayCalls(PlanTrayIcons(TrayAdd, Settings, &IconsShown), Answers));
    if (timer == IconRetryTimer &&
        (Answers.refused == 0 || GetTickCount() - StartTick >= FastRetryPeriod))
        KillTimer(window, IconRetryTimer);
}

void AddIconsToNewTaskbar(HWND window)
{
    Answers.present = 0;  // a new taskbar has none of them
    UpdateTrayIcons(window, NIM_ADD);
}

void LaunchTool(ToolKind tool)
{
    ToolStart start;
    const ToolSystem *system = CurrentToolSystem();
    StartOutcome outcome = StartOutcome::Failed;
    if (PlanIconStart(Settings, tool, system, &start)) {
        SetCursor(LoadCursorA(NULL, IDC_WAIT));
        outcome = StartTool(&start, false);
        SetCursor(LoadCursorA(NULL, IDC_ARROW));
    }
    if (outcome != StartOutcome::Started) {
        char message[ToolMessageSize];
        NotStartedMessage(Settings, tool, ToolInfoFor(tool).failureMessage, system, outcome, message,
                          sizeof message);
        MessageBoxA(MainWindow, message, BoxTitle, MB_OK | MB_ICONWARNING);
    }
}

void HandleTrayMouse(int iconId, int mouseMessage)
{
    TrayMouseAction action = DecideTrayMouse(iconId, mouseMessage);
    if (action.kind == TrayMouseKind::Nothing)
        return;
    // A doubled keyboard notification acts once; the mouse always acts.
    if (action.keyboard && RepeatsTrayAction(LastAction, iconId, GetTickCount(), GetDoubleClickTime()))
        return;
    LastAction.iconId = iconId;
    LastAction.running = true;
    switch (action.kind) {
    case TrayMouseKind::Nothing:
        break;
    case TrayMouseKind::PostTrayMenu:
        KeyboardMenuIcon = action.keyboard ? iconId : 0;
        PostMessageA(MainWindow, WM_COMMAND, CmdTrayMenu, 0);
        break;
    case TrayMouseKind::PostQuickAccessMenu:
        KeyboardMenuIcon = action.keyboard ? iconId : 0;
        QuickAccessPending = 1;
        PostMessageA(MainWindow, WM_COMMAND, CmdQuickAccessMenu, 0);
        break;
    case TrayMouseKind::Launch:
        LaunchTool(action.tool);
        break;
    }
    LastAction.running = false;
    LastAction.endedAt = GetTickCount();
}

void TrayMenuClosed(HWND window, int iconId)
{
    if (KeyboardMenuIcon != iconId)
        return;
    KeyboardMenuIcon = 0;
    if (KeyboardTrayIcons())
        NotifyShell(window, NIM_SETFOCUS, iconId, 0, "");
}

void WatchShellRestart(void)
{
    TaskbarCreatedMessage = RegisterWindowMessageA(TaskbarCreatedName);
}

bool IsShellRestartMessage(UINT message)
{
    return TaskbarCreatedMessage != 0 && message == TaskbarCreatedMessage;
}
