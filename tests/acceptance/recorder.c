/* Stand-in for the programs that Tessaron starts (Explorer, ScanDisk, ...).
   Appends its own command line and CR LF to a log beside itself, named
   like the program with ".log" for ".exe", and exits at once.  A 32-bit
   copy in the 64-bit system folder is told that it runs from System32,
   which would send its log to SysWOW64: the redirection is off for it. */
#include <windows.h>
#include <string.h>

static char record[32768 + 2];

typedef BOOL(WINAPI *RedirectionOff)(PVOID *);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    char path[MAX_PATH + 8];
    DWORD length;
    char *dot;
    HANDLE log;
    const char *line;
    DWORD written;
    int attempt;
    HMODULE kernel;
    RedirectionOff redirectionOff;
    PVOID redirection = NULL;

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

    kernel = GetModuleHandleA("kernel32.dll");
    redirectionOff = (RedirectionOff)(void (*)(void))GetProcAddress(kernel, "Wow64DisableWow64FsRedirection");
    if (redirectionOff != NULL)
        redirectionOff(&redirection);

    /* Two copies may start at once: retry while the other holds the log. */
    log = INVALID_HANDLE_VALUE;
    for (attempt = 0; attempt < 200 && log == INVALID_HANDLE_VALUE; attempt++) {
        log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, NULL);
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
