// The system's Open file dialog, used by the Browse buttons of the Open
// Path and Tool Locations dialogs.
#include "app_win32.h"

#include <commdlg.h>
#include <stddef.h>

static const char AllFilesFilter[] = "All Files (*.*)\0*.*\0";  // the literal adds the last NUL

char ChosenFile[PathTextSize];

// The request as Windows 95 and NT 4.0 defined it: the common dialog
// library before Windows 2000 and ME takes no other size, and later ones
// still take it (without a hook procedure, nothing looks different).
static const DWORD OpenFileRequestSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
static_assert(sizeof(void *) != 4 || OpenFileRequestSize == 76, "the Windows 95 OPENFILENAMEA");

typedef BOOL(WINAPI *OpenDialogFunction)(OPENFILENAMEA *);

// The common dialog library is loaded the first time Browse is pressed, not
// at start-up: the program runs all day and most days never browses.
static OpenDialogFunction OpenDialog(void)
{
    static OpenDialogFunction function = NULL;
    if (function == NULL)
        function = (OpenDialogFunction)FindSystemFunction("comdlg32.dll", "GetOpenFileNameA");
    return function;
}

int ChooseFile(HWND owner, const char *title, DWORD flags, DWORD filterIndex)
{
    // Emptied first, so the chooser never opens with a name filled in.
    ChosenFile[0] = '\0';
    OPENFILENAMEA request = {};
    request.lStructSize = OpenFileRequestSize;
    request.hwndOwner = owner;
    request.lpstrFilter = AllFilesFilter;
    request.nFilterIndex = filterIndex;
    request.lpstrFile = ChosenFile;
    request.nMaxFile = sizeof ChosenFile;
    request.lpstrTitle = title;
    request.Flags = flags;
    OpenDialogFunction openDialog = OpenDialog();
    return openDialog != NULL ? openDialog(&request) : 0;
}
