// The Defragmenter settings dialog (template 104), over the Maintenance
// dialog: which drives the reminder's defragmenter run works on, its
// method and its interaction level.
#include "app_win32.h"
#include "dialogs.h"
#include "dialogs_win32.h"
#include "resource.h"
#include "settings.h"

static HWND DefragToolTips;

static const DialogTip DefragTips[] = {
    {IDC_DEFRAG_FULL, "Accumulate free space and defragment files."},
    {IDC_DEFRAG_FILESONLY, "Defragment files, do not accumulate free space."},
    {IDC_DEFRAG_FREESPACE, "Accumulate free space, but do not defragment files."},
    {IDC_DEFRAG_CONCISE, "Show Summarized Display"},
    {IDC_DEFRAG_DETAILED, "Show Complete Graphical Display"},
    {IDC_DEFRAG_UNATTENDED, "No prompts/error messages."},
    {IDC_DEFRAG_SPECIFIC, "Defragment Specified Disks (listed below)"},
    {IDC_DEFRAG_ALLFIXED, "Defragment All Local, Fixed Drives"},
    {IDC_DEFRAG_DRIVES, "These drives will be defragmented."},
    {IDCANCEL, TipCancel},
    {IDOK, TipOk},
    {IDC_HELPBUTTON, TipHelp},
};

enum { DriveListReadLimit = 4095 };

// Radio groups: the settings' values 0, 1, 2 are the buttons in id order.
enum { MethodChoices = 3, DisplayChoices = 3, DriveChoices = 2 };

static void FillDefrag(HWND dialog)
{
    ShowChoice(dialog, IDC_DEFRAG_FULL, MethodChoices, Settings.iDefragmentMode);
    ShowChoice(dialog, IDC_DEFRAG_CONCISE, DisplayChoices, Settings.iDefragmentDisplayMode);
    ShowChoice(dialog, IDC_DEFRAG_SPECIFIC, DriveChoices, Settings.iDefragDiskDrivesSetting);
    // The blanks replace the commas in the setting itself, Cancel or not.
    SpaceDriveList(Settings.szDrivesToDefrag, sizeof Settings.szDrivesToDefrag);
    // Typing stops where the setting ends, so nothing is cut on OK.
    SendDlgItemMessageA(dialog, IDC_DEFRAG_DRIVES, EM_LIMITTEXT, DriveListSize - 1, 0);
    SetDlgItemTextA(dialog, IDC_DEFRAG_DRIVES, Settings.szDrivesToDefrag);
}

static void StoreDefrag(HWND dialog)
{
    StoreChoice(dialog, IDC_DEFRAG_FULL, MethodChoices, &Settings.iDefragmentMode);
    StoreChoice(dialog, IDC_DEFRAG_CONCISE, DisplayChoices, &Settings.iDefragmentDisplayMode);
    StoreChoice(dialog, IDC_DEFRAG_SPECIFIC, DriveChoices, &Settings.iDefragDiskDrivesSetting);
    StoreText(dialog, IDC_DEFRAG_DRIVES, DriveListReadLimit, Settings.szDrivesToDefrag,
              sizeof Settings.szDrivesToDefrag);
}

static INT_PTR CALLBACK DefragProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        DefragToolTips = StartToolTips(dialog);
        AddToolTips(DefragToolTips, dialog, DefragTips, ARRAYSIZE(DefragTips));
        FillDefrag(dialog);
        return TRUE;
    case WM_SHOWWINDOW:
        CentreDialog(dialog);
        return TRUE;
    case WM_HELP:
        return DialogF1Help(dialog, IDD_DEFRAG);
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)  // button clicks only
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: StoreDefrag(dialog); EndDialog(dialog, 0); break;
        case IDCANCEL: EndDialog(dialog, 0); break;
        case IDC_HELPBUTTON: ShowDialogHelp(dialog, IDD_DEFRAG); break;
        }
        return FALSE;
    }
    return FALSE;
}

void RunDefragSettingsDialog(HWND owner)
{
    RunDialog(owner, IDD_DEFRAG, DefragProc);
}
