// Placeholder until the file chooser arrives.
#include "app_win32.h"

char ChosenFile[PathTextSize];

int ChooseFile(HWND, const char *, DWORD, DWORD)
{
    ChosenFile[0] = '\0';
    return 0;
}
