// The system side of starting the tools (disktools.h): the consent
// prompt, the 64-bit system folder and the waiting.
#include "app_win32.h"

#include <shellapi.h>
#include <string.h>

#include "disktools.h"

// ERROR_ELEVATION_REQUIRED: a program whose manifest asks for an
// administrator, started directly from Vista on.  ERROR_CANCELLED: the
// user declined the consent prompt.
enum { ErrorElevationRequired = 740, ErrorCancelled = 1223 };

static bool FileExistsHere(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static bool NativeFileExists(const char *path)
{
    void *redirection = NULL;
    bool switched = SwitchRedirectionOff(&redirection);
    bool exists = FileExistsHere(path);
    if (switched)
        RestoreRedirection(redirection);
    return exists;
}

static unsigned DriveTypeHere(const char *root)
{
    return GetDriveTypeA(root);
}

const ToolSystem *CurrentToolSystem(void)
{
    static ToolSystem system;
    static char systemDir[PathTextSize];
    const Platform &platform = CurrentPlatform();
    if (!platform.nt)
        return NULL;
    GetSystemDir(systemDir, sizeof systemDir);  // empty when unknown
    system.platform = platform;
    system.systemDir = systemDir;
    system.driveMask = (uint32_t)GetLogicalDrives();  // as they are now, not at start-up
    system.driveType = DriveTypeHere;
    system.media = VolumeMedia;
    system.ntfs = VolumeIsNtfs;
    system.fileExists = FileExistsHere;
    system.nativeFileExists = NativeFileExists;
    return &system;
}

// Wine has no consent prompt: its "runas" starts the program as it
// stands.  There a test setting can stand in for a user who declines it.
static BOOL AskConsent(SHELLEXECUTEINFOA *info)
{
    char answer[16];
    if (WineTestSetting("ConsentPrompt", answer, sizeof answer) && strcmp(answer, "declined") == 0) {
        SetLastError(ErrorCancelled);
        return FALSE;
    }
    return ShellExecuteExA(info);
}

// Through the consent prompt.  The process, when there is one to wait
// for, goes to *process.
static StartOutcome StartThroughPrompt(const char *file, const char *parameters, HANDLE *process)
{
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = MainWindow;
    info.lpVerb = "runas";
    info.lpFile = file;
    info.lpParameters = parameters[0] != '\0' ? parameters : NULL;
    info.nShow = StartShowCommand;
    if (!AskConsent(&info))
        return GetLastError() == ErrorCancelled ? StartOutcome::Declined : StartOutcome::Failed;
    *process = info.hProcess;
    return StartOutcome::Started;
}

static bool StartDirect(ToolStart *start, bool wait, HANDLE *process)
{
    if (start->winExec)
        return WinExec(start->commandLine, StartShowCommand) >= 32;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!wait) {
        // Shown as WinExec shows its programs.
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = (WORD)StartShowCommand;
    }
    PROCESS_INFORMATION information = {};
    if (!CreateProcessA(NULL, start->commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &information))
        return false;
    CloseHandle(information.hThread);
    *process = information.hProcess;
    return true;
}

// A thread that owns windows and waits without answering what other
// programs send them holds up every program that broadcasts (an
// installer, a settings change) until the tool ends.  Sent messages are
// answered as they come; posted ones stay queued for the main loop.
static void WaitForToolEnd(HANDLE process)
{
    for (;;) {
        DWORD result = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_SENDMESSAGE);
        if (result != WAIT_OBJECT_0 + 1) {
            if (result != WAIT_OBJECT_0)
                WaitForSingleObject(process, INFINITE);  // the wait itself failed
            return;
        }
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);
    }
}

StartOutcome StartTool(ToolStart *start, bool wait)
{
    HANDLE process = NULL;
    StartOutcome outcome;
    if (start->elevate) {
        outcome = StartThroughPrompt(start->file, start->parameters, &process);
    } else {
        void *redirection = NULL;
        bool switched = start->redirectionOff && SwitchRedirectionOff(&redirection);
        bool started = StartDirect(start, wait, &process);
        DWORD error = GetLastError();
        if (switched)
            RestoreRedirection(redirection);
        outcome = started ? StartOutcome::Started : StartOutcome::Failed;
        if (!started && start->elevateIfRefused && error == ErrorElevationRequired)
            outcome = StartThroughPrompt(start->file, start->parameters, &process);
    }
    if (process != NULL) {
        if (wait)
            WaitForToolEnd(process);
        CloseHandle(process);
    }
    return outcome;
}
