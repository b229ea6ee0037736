#include "desktop_win32.h"
#include "resource.h"
#include "setup_win32.h"
#include "wizard.h"

// The field is read whole; a folder too long for the paths built from it,
// one that Tessaron could not be removed from, or one that setup would
// write through a link, is refused here, before anything is made, and the
// page stays open; so it does when the user declines another program's
// folder.
static void FolderNext(HWND page)
{
    HWND field = GetDlgItem(page, IDC_INSTALL_PATH);
    int length = GetWindowTextLengthA(field);
    GetDlgItemTextA(page, IDC_INSTALL_PATH, InstallFolder, sizeof InstallFolder);
    static char text[2 * SetupPathSize];
    char linked[SetupPathSize] = "";
    InstallFolderCheck check = length >= (int)sizeof InstallFolder
                                   ? InstallFolderTooLong
                                   : CheckInstallFolder(SetupInstallOps, InstallFolder, linked, sizeof linked);
    if (FormatFolderRefusal(check, linked, text, sizeof text)) {
        ShowSetupWarning(page, text);
        SetFocus(field);
        return;
    }
    if (FormatForeignFolderQuestion(SetupInstallOps, InstallFolder, text, sizeof text) &&
        MessageBoxA(page, text, "Setup", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
        SetFocus(field);
        return;
    }
    EndDialog(page, PageNext);
}

INT_PTR CALLBACK FolderPageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        // The flow has just reset InstallFolder to the default.
        SetDlgItemTextA(page, IDC_INSTALL_PATH, InstallFolder);
        SetFocus(page);
        return TRUE;
    case WM_SHOWWINDOW:
        CentreDialog(page);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: FolderNext(page); break;
        case IDCANCEL: EndDialog(page, PageExit); break;
        case IDC_BACK: EndDialog(page, PageBack); break;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
