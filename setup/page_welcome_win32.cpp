#include "desktop_win32.h"
#include "resource.h"
#include "setup_win32.h"
#include "wizard.h"

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetFocus(page);
        return TRUE;
    case WM_SHOWWINDOW:
        CentreDialog(page);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: EndDialog(page, PageNext); break;
        case IDCANCEL: EndDialog(page, PageExit); break;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
