// The system side of starting the tools (disktools.h): the consent
// prompt, the 64-bit system folder and the waiting.
#include "app_win32.h"

#include <shellapi.h>

#include "disktools.h"

// ERROR_ELEVATION_REQUIRED: a program whose manifest asks for an
// administrator, started directly from Vista on.
enum { ErrorElevationRequired = 740 };

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
    system.fileExists = FileExistsHere;
    system.nativeFileExists = NativeFileExists;
    return &system;
}

// Through the consent prompt; a declined prompt fails here as a tool that
// could not start (ERROR_CANCELLED).  The process, when there is one to
// wait for, goes to *process.
static bool StartThroughPrompt(const char *file, const char *parameters, HANDLE *process)
{
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = MainWindow;
    info.lpVerb = "runas";
    info.lpFile = file;
    info.lpParameters = parameters[0] != '\0' ? parameters : NULL;
    info.nShow = StartShowCommand;
    if (!ShellExecuteExA(&info))
        return false;
    *process = info.hProcess;
    return true;
}

static bool StartDirect(char *commandLine, bool wait, HANDLE *process)
{
    if (!wait)
        return WinExec(commandLine, StartShowCommand) >= 32;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information = {};
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &information))
        return false;
    CloseHandle(information.hThread);
    *process = information.hProcess;
    return true;
}

bool StartTool(ToolStart *start, bool wait)
{
    HANDLE process = NULL;
    bool started;
    if (start->elevate) {
        started = StartThroughPrompt(start->file, start->parameters, &process);
    } else {
        void *redirection = NULL;
        bool switched = start->redirectionOff && SwitchRedirectionOff(&redirection);
        started = StartDirect(start->commandLine, wait, &process);
        DWORD error = GetLastError();
        if (switched)
            RestoreRedirection(redirection);
        if (!started && start->elevateIfRefused && error == ErrorElevationRequired)
            started = StartThroughPrompt(start->file, start->parameters, &process);
    }
    if (process != NULL) {
        if (wait)
            WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }
    return started;
}
