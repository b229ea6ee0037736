// The ScanDisk settings dialog (template 103), over the Maintenance
// dialog: which drives the reminder's ScanDisk run checks, and how.
#include "app_win32.h"
#include "dialogs.h"
#include "dialogs_win32.h"
#include "resource.h"
#include "settings.h"

static HWND ScanDiskToolTips;

static const DialogTip ScanDiskTips[] = {
    {IDC_SCAN_SPECIFIED, "Scan Specified Disks (listed below)"},
    {IDC_SCAN_ALLFIXED, "Scan All Local, Fixed Drives"},
    {IDC_SCAN_DRIVES, "These drives will be scanned."},
    {IDC_SCAN_STARTSTOP, "Automatically Open/Close ScanDisk Service"},
    {IDC_SCAN_IGNORE, "If errors are found, ignore them."},
    {IDCANCEL, TipCancel},
    {IDOK, TipOk},
    {IDC_HELPBUTTON, TipHelp},
};

enum { DriveListReadLimit = 4095 };

static void FillScanDisk(HWND dialog)
{
    ShowFlag(dialog, IDC_SCAN_IGNORE, Settings.iIgnore);
    ShowFlag(dialog, IDC_SCAN_STARTSTOP, Settings.iStartStopSetting);
    ShowChoice(dialog, IDC_SCAN_SPECIFIED, 2, Settings.iScanDiskDrivesSetting);
    // The blanks replace the commas in the setting itself, Cancel or not.
    SpaceDriveList(Settings.szDrivesToScan, sizeof Settings.szDrivesToScan);
    // Typing stops where the setting ends, so nothing is cut on OK.
    SendDlgItemMessageA(dialog, IDC_SCAN_DRIVES, EM_LIMITTEXT, DriveListSize - 1, 0);
    SetDlgItemTextA(dialog, IDC_SCAN_DRIVES, Settings.szDrivesToScan);
}

static void StoreScanDisk(HWND dialog)
{
    StoreFlag(dialog, IDC_SCAN_IGNORE, &Settings.iIgnore);
    StoreFlag(dialog, IDC_SCAN_STARTSTOP, &Settings.iStartStopSetting);
    Settings.iScanDiskDrivesSetting = IsDlgButtonChecked(dialog, IDC_SCAN_SPECIFIED) == BST_CHECKED ? 0 : 1;
    StoreText(dialog, IDC_SCAN_DRIVES, DriveListReadLimit, Settings.szDrivesToScan,
              sizeof Settings.szDrivesToScan);
}

static INT_PTR CALLBACK ScanDiskProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        ScanDiskToolTips = StartToolTips(dialog);
        AddToolTips(ScanDiskToolTips, dialog, ScanDiskTips, ARRAYSIZE(ScanDiskTips));
        FillScanDisk(dialog);
        return TRUE;
    case WM_SHOWWINDOW:
        CentreDialog(dialog);
        return TRUE;
    case WM_HELP:
        return DialogF1Help(dialog, IDD_SCANDISK);
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)  // button clicks only
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: StoreScanDisk(dialog); EndDialog(dialog, 0); break;
        case IDCANCEL: EndDialog(dialog, 0); break;
        case IDC_HELPBUTTON: ShowDialogHelp(dialog, IDD_SCANDISK); break;
        }
        return FALSE;
    }
    return FALSE;
}

void RunScanDiskSettingsDialog(HWND owner)
{
    RunDialog(owner, IDD_SCANDISK, ScanDiskProc);
}
