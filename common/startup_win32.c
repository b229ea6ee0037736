/* The shipped programs' entry point, in place of the toolchain's start-up
 * objects.  Those are built for the Pentium Pro and later (conditional
 * moves), so a program linked with them dies before WinMain on a Pentium,
 * a K6 or a 486, which Windows 98 runs on.  This file is built with the
 * rest of the program for the i486.
 *
 * It does what a GUI program of ours needs and nothing more: the system C
 * runtime (msvcrt.dll) sets itself up when it is loaded; here we tell it
 * that this is a GUI program, run the static constructors the linker
 * listed, and call WinMain with the command line after the program's own
 * name and the show command the starter asked for.  The programs keep no
 * thread-local data and need no pseudo-relocations (the link refuses
 * them), which are the other things the toolchain's start-up handles. */
#include <windows.h>

#include <stdlib.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

/* msvcrt: where its run-time errors are reported (2: in a message box). */
void __cdecl __set_app_type(int type);

/* The linker's list of static constructors: a count or -1, the
 * constructors, then a null. */
typedef void (*Constructor)(void);
extern Constructor __CTOR_LIST__[];

static void RunConstructors(void)
{
    ULONG_PTR count = (ULONG_PTR)__CTOR_LIST__[0];
    if (count == (ULONG_PTR)-1)
        for (count = 0; __CTOR_LIST__[count + 1] != NULL; count++)
            ;
    /* In reverse, as the toolchain's own start-up runs them. */
    for (; count > 0; count--)
        __CTOR_LIST__[count]();
}

/* The command line after the program's name (quoted or not) and blanks. */
static char *ArgumentsOf(char *line)
{
    if (*line == '"') {
        for (line++; *line != '\0' && *line != '"'; line++)
            ;
        if (*line == '"')
            line++;
    } else {
        while (*line != '\0' && *line != ' ' && *line != '\t')
            line++;
    }
    while (*line == ' ' || *line == '\t')
        line++;
    return line;
}

void WinMainCRTStartup(void)
{
    STARTUPINFOA startup;
    int show = SW_SHOWDEFAULT;

    __set_app_type(2);
    RunConstructors();
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    if (startup.dwFlags & STARTF_USESHOWWINDOW)
        show = startup.wShowWindow;
    /* exit, not a return: the runtime flushes its files and runs atexit. */
    exit(WinMain(GetModuleHandleA(NULL), NULL, ArgumentsOf(GetCommandLineA()), show));
}
