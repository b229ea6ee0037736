/* Stand-in for the programs that Tessaron starts (Explorer, ScanDisk, ...).
   Appends its own command line and CR LF to a log beside itself, named
   like the program with ".log" for ".exe", and exits at once.  A 32-bit
   copy standing in the 64-bit system folder (for chkdsk.exe and the like)
   writes there too, with the system folder's redirection off. */
#include <windows.h>
#include <string.h>

static char record[32768 + 2];

typedef BOOL(WINAPI *RedirectionOff)(PVOID *);
typedef BOOL(WINAPI *RedirectionBack)(PVOID);

/* The log opened beside the program, where a 64-bit program would open
   it: a 32-bit process's System32 is redirected to SysWOW64. */
static HANDLE OpenLog(const char *path)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    RedirectionOff off = (RedirectionOff)(void (*)(void))GetProcAddress(kernel, "Wow64DisableWow64FsRedirection");
    RedirectionBack back = (RedirectionBack)(void (*)(void))GetProcAddress(kernel, "Wow64RevertWow64FsRedirection");
    PVOID state = NULL;
    BOOL switched = off != NULL && back != NULL && off(&state);
    HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
    if (switched)
        back(state);
    return log;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    char path[MAX_PATH + 8];
    DWORD length;
    char *dot;
    HANDLE log;
    const char *line;
    DWORD written;
    int attempt;

    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    length = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 2;
    dot = strrchr(path, '.');
    if (dot == NULL || strchr(dot, '\\') != NULL)
        dot = path + length;
    lstrcpynA(dot, ".log", (int)(sizeof(path) - (size_t)(dot - path)));

    /* Two copies may start at once: retry while the other holds the log. */
    log = INVALID_HANDLE_VALUE;
    for (attempt = 0; attempt < 200 && log == INVALID_HANDLE_VALUE; attempt++) {
        log = OpenLog(path);
        if (log == INVALID_HANDLE_VALUE)
            Sleep(10);
    }
    if (log == INVALID_HANDLE_VALUE)
        return 3;
    /* One write, so that a reader never sees half a line. */
    line = GetCommandLineA();
    lstrcpynA(record, line, (int)sizeof(record) - 2);
    length = (DWORD)strlen(record);
    record[length] = '\r';
    record[length + 1] = '\n';
    WriteFile(log, record, length + 2, &written, NULL);
    CloseHandle(log);
    return 0;
}
