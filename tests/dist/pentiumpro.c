/* A program built the way the toolchain builds by default, for the Pentium
 * Pro: the instruction check must refuse it (pe.i486_refuses_pentiumpro). */
#include <windows.h>

/* Volatile, so that the comparison is made at run time: with -march=pentiumpro
 * it becomes a conditional move. */
static volatile int First = 3, Second = 4;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    int a = First, b = Second;
    (void)instance, (void)previous, (void)commandLine, (void)show;
    return a > b ? a : b;
}
