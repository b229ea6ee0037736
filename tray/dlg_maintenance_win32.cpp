// The Maintenance dialog (template 3): the start-up reminders and their
// intervals; its two Settings buttons open the Defragmenter (104) and
// ScanDisk (103) settings over it.
#include "app_win32.h"
#include "dialogs_win32.h"
#include "resource.h"
#include "settings.h"

static HWND MaintenanceToolTips;

static const DialogTip MaintenanceTips[] = {
    {IDC_MAINT_SCANDAYS, "ScanDisk Interval (Days)"},
    {IDC_MAINT_COMPRESSDAYS, "Compression Interval (Days)"},
    {IDC_MAINT_DEFRAGDAYS, "Defragmentation Interval (Days)"},
    {IDC_MAINT_BACKUPDAYS, "Backup Interval (Days)"},
    {IDC_MAINT_ENABLE, "Automatically Perform Maintenance Duties"},
    {IDCANCEL, TipCancel},
    {IDOK, TipOk},
    {IDC_HELPBUTTON, TipHelp},
    {IDC_MAINT_SCANSETTINGS, "Edit/View ScanDisk Settings"},
    {IDC_MAINT_DEFRAGSETTINGS, "View/Edit Defragmenter Settings"},
};

enum { IntervalReadLimit = 511 };

static void FillMaintenance(HWND dialog)
{
    ShowFlag(dialog, IDC_MAINT_ENABLE, Settings.iEnableMaintenance);
    ShowNumber(dialog, IDC_MAINT_SCANDAYS, Settings.iScanInterval);
    ShowNumber(dialog, IDC_MAINT_DEFRAGDAYS, Settings.iDefragmentInterval);
    ShowNumber(dialog, IDC_MAINT_BACKUPDAYS, Settings.iBackupInterval);
    ShowNumber(dialog, IDC_MAINT_COMPRESSDAYS, Settings.iCompressionInterval);
}

static void StoreMaintenance(HWND dialog)
{
    StoreFlag(dialog, IDC_MAINT_ENABLE, &Settings.iEnableMaintenance);
    StoreNumber(dialog, IDC_MAINT_SCANDAYS, IntervalReadLimit, &Settings.iScanInterval);
    StoreNumber(dialog, IDC_MAINT_DEFRAGDAYS, IntervalReadLimit, &Settings.iDefragmentInterval);
    StoreNumber(dialog, IDC_MAINT_BACKUPDAYS, IntervalReadLimit, &Settings.iBackupInterval);
    StoreNumber(dialog, IDC_MAINT_COMPRESSDAYS, IntervalReadLimit, &Settings.iCompressionInterval);
}

static INT_PTR CALLBACK MaintenanceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        MaintenanceToolTips = StartToolTips(dialog);
        FillMaintenance(dialog);
        AddToolTips(MaintenanceToolTips, dialog, MaintenanceTips, ARRAYSIZE(MaintenanceTips));
        ShowFocusOnLabels(dialog);
        return TRUE;
    case WM_SHOWWINDOW:
        CentreDialog(dialog);
        return TRUE;
    case WM_PAINT:
        return PaintLabelFocus(dialog);
    case WM_HELP:
        return DialogF1Help(dialog, IDD_MAINTENANCE);
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)  // button clicks only
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: StoreMaintenance(dialog); EndDialog(dialog, 0); break;
        case IDCANCEL: EndDialog(dialog, 0); break;
        case IDC_HELPBUTTON: ShowDialogHelp(dialog, IDD_MAINTENANCE); break;
        case IDC_MAINT_DEFRAGSETTINGS: RunDefragSettingsDialog(dialog); break;
        case IDC_MAINT_SCANSETTINGS: RunScanDiskSettingsDialog(dialog); break;
        }
        return FALSE;
    }
    return FALSE;
}

void RunMaintenanceDialog(HWND owner)
{
    RunDialog(owner, IDD_MAINTENANCE, MaintenanceProc);
}
