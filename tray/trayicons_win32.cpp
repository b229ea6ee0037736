// The tray icons: the shell calls that add, modify and remove them, the
// mouse actions over them and the starting of the tools they stand for.
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
static const DWORD NotifyIconDataSize = NOTIFYICONDATAA_V1_SIZE;
static_assert(sizeof(void *) != 4 || NotifyIconDataSize == 88, "the Windows 95 NOTIFYICONDATAA");

static TrayIconShown IconsShown;
static UINT TaskbarCreatedMessage;

HICON LoadSmallIcon(int iconId)
{
    return (HICON)LoadImageA(AppInstance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
}

void LoadTrayIcons(void)
{
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

void UpdateTrayIcons(HWND window, DWORD operation)
{
    // The shell's answers are not examined: the flags record the requests.
    TrayPlan plan = PlanTrayIcons((int)operation, Settings, &IconsShown);
    for (int i = 0; i < plan.count; i++) {
        const TrayCall &call = plan.calls[i];
        NOTIFYICONDATAA data = {};
        data.cbSize = NotifyIconDataSize;
        data.hWnd = window;
        data.uID = (UINT)call.iconId;
        data.uFlags = call.flags;
        data.uCallbackMessage = TrayNotifyMessage;
        data.hIcon = TrayIconHandle(call.iconId);
        lstrcpynA(data.szTip, call.tooltip, 64);
        Shell_NotifyIconA(operation, &data);
    }
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
    switch (action.kind) {
    case TrayMouseKind::Nothing:
        break;
    case TrayMouseKind::PostTrayMenu:
        PostMessageA(MainWindow, WM_COMMAND, CmdTrayMenu, 0);
        break;
    case TrayMouseKind::PostQuickAccessMenu:
        QuickAccessPending = 1;
        PostMessageA(MainWindow, WM_COMMAND, CmdQuickAccessMenu, 0);
        break;
    case TrayMouseKind::Launch:
        LaunchTool(action.tool);
        break;
    }
}

void WatchShellRestart(void)
{
    TaskbarCreatedMessage = RegisterWindowMessageA(TaskbarCreatedName);
}

bool IsShellRestartMessage(UINT message)
{
    return TaskbarCreatedMessage != 0 && message == TaskbarCreatedMessage;
}
