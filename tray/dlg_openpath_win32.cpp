// The Open Path dialog (template 6000): a drive or folder to open in
// Explorer, optionally added to the quick access list.  It remembers nothing
// from one opening to the next.
#include "app_win32.h"
#include "dialogs_win32.h"
#include "resource.h"
#include "textops.h"

static const char SelectPathTitle[] = "Select Path";

static HWND OpenPathToolTips;
static const DialogTip OpenPathTips[] = {
    {IDCANCEL, TipCancel},
    {IDOK, TipOk},
    {IDC_HELPBUTTON, TipHelp},
    {IDC_OPENPATH_ADD, "Add this path to the quick access list."},
    {IDC_OPENPATH_PATH, "Open which drive/folder?"},
};

static void BrowseForPath(HWND dialog)
{
    if (ChooseFile(dialog, SelectPathTitle,
                   OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, 1))
        SetDlgItemTextA(dialog, IDC_OPENPATH_PATH, ChosenFile);
}

static void AcceptOpenPath(HWND dialog)
{
    char text[4096] = "";
    GetDlgItemTextA(dialog, IDC_OPENPATH_PATH, text, sizeof text);
    // Taken exactly as typed.  A path too long to open whole is refused
    // rather than opened cut short; the dialog stays open.
    if (!CopyText(OpenPathText, sizeof OpenPathText, text)) {
        OpenPathText[0] = '\0';
        MessageBeep(MB_OK);
        return;
    }
    if (SendDlgItemMessageA(dialog, IDC_OPENPATH_ADD, BM_GETCHECK, 0, 0) != 0) {
        AppendQuickAccessPath(OpenPathText);  // adds nothing for an empty path
        RebuildQuickAccessMenu();
    }
    EndDialog(dialog, 0);
}

static INT_PTR CALLBACK OpenPathProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenPathToolTips = StartToolTips(dialog);
        SetDlgItemTextA(dialog, IDC_OPENPATH_PATH, "");
        CheckDlgButton(dialog, IDC_OPENPATH_ADD, BST_UNCHECKED);
        AddToolTips(OpenPathToolTips, dialog, OpenPathTips, ARRAYSIZE(OpenPathTips));
        ShowFocusOnLabels(dialog);
        return TRUE;
    case WM_SHOWWINDOW:
        CentreDialog(dialog);
        return TRUE;
    case WM_PAINT:
        return PaintLabelFocus(dialog);
    case WM_HELP:
        return DialogF1Help(dialog, IDD_OPENPATH);
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)  // button clicks only
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: AcceptOpenPath(dialog); break;
        case IDCANCEL: EndDialog(dialog, 0); break;
        case IDC_HELPBUTTON: ShowDialogHelp(dialog, IDD_OPENPATH); break;
        case IDC_OPENPATH_BROWSE: BrowseForPath(dialog); break;
        }
        return FALSE;
    }
    return FALSE;
}

void RunOpenPathDialog(HWND owner)
{
    RunDialog(owner, IDD_OPENPATH, OpenPathProc);
}
