// The Options dialog (template 2000): tray icons, Explorer view and the
// free-space monitor.
#include "app_win32.h"
#include "dialogs_win32.h"
#include "resource.h"
#include "settings.h"

static HWND OptionsToolTips;

static const DialogTip OptionsTips[] = {
    {IDC_OPTIONS_SCANDISK, "Add ScanDisk Icon"},
    {IDC_OPTIONS_DEFRAG, "Add Disk Defragmenter Icon"},
    {IDC_OPTIONS_EXPLORER, "Add Explorer Icon"},
    {IDC_OPTIONS_DRIVESPACE, "Add DriveSpace Icon"},
    {IDC_OPTIONS_BACKUP, "Add Backup Icon"},
    {IDC_OPTIONS_COMPRESSION, "Add Compression Agent Icon"},
    {IDCANCEL, TipCancel},
    {IDOK, TipOk},
    {IDC_HELPBUTTON, TipHelp},
    {IDC_OPTIONS_FORCEVIEW, "Enable Simplified 'My Computer' View"},
    {IDC_OPTIONS_MONITOR, "Enable Space Monitor"},
    {IDC_OPTIONS_FLOPPY, "Include Floppy(s) In Free Space Scan"},
    {IDC_OPTIONS_MINSPACE, "Minimum Free Space Before Warning"},
    {IDC_OPTIONS_TOOLLOCATIONS, "Set Disk Tool Locations"},
};

enum { MinimumSpaceReadLimit = 4095 };

// The "Force "My Computer" View" box is ticked when the two-pane view is off.
static const bool ForceViewInverted = true;

static void FillOptions(HWND dialog)
{
    ShowFlag(dialog, IDC_OPTIONS_EXPLORER, Settings.iShowExplorerIcon);
    ShowFlag(dialog, IDC_OPTIONS_SCANDISK, Settings.iShowScanIcon);
    ShowFlag(dialog, IDC_OPTIONS_DEFRAG, Settings.iShowDefragmentIcon);
    ShowFlag(dialog, IDC_OPTIONS_BACKUP, Settings.iShowBackupIcon);
    ShowFlag(dialog, IDC_OPTIONS_DRIVESPACE, Settings.iShowDriveSpaceIcon);
    ShowFlag(dialog, IDC_OPTIONS_COMPRESSION, Settings.iShowCompressionAgentIcon);
    ShowFlag(dialog, IDC_OPTIONS_FORCEVIEW, Settings.iExplorerView, ForceViewInverted);
    ShowFlag(dialog, IDC_OPTIONS_FLOPPY, Settings.iCheckFloppySpace);
    ShowFlag(dialog, IDC_OPTIONS_MONITOR, Settings.iLowSpaceWarningEnabled);
    ShowNumber(dialog, IDC_OPTIONS_MINSPACE, Settings.lMinimumSpace);
}

static void StoreOptions(HWND dialog)
{
    StoreFlag(dialog, IDC_OPTIONS_MONITOR, &Settings.iLowSpaceWarningEnabled);
    StoreFlag(dialog, IDC_OPTIONS_FLOPPY, &Settings.iCheckFloppySpace);
    StoreFlag(dialog, IDC_OPTIONS_FORCEVIEW, &Settings.iExplorerView, ForceViewInverted);
    StoreFlag(dialog, IDC_OPTIONS_COMPRESSION, &Settings.iShowCompressionAgentIcon);
    StoreFlag(dialog, IDC_OPTIONS_DRIVESPACE, &Settings.iShowDriveSpaceIcon);
    StoreFlag(dialog, IDC_OPTIONS_BACKUP, &Settings.iShowBackupIcon);
    StoreFlag(dialog, IDC_OPTIONS_DEFRAG, &Settings.iShowDefragmentIcon);
    StoreFlag(dialog, IDC_OPTIONS_SCANDISK, &Settings.iShowScanIcon);
    StoreFlag(dialog, IDC_OPTIONS_EXPLORER, &Settings.iShowExplorerIcon);
    StoreNumber(dialog, IDC_OPTIONS_MINSPACE, MinimumSpaceReadLimit, &Settings.lMinimumSpace);
}

static INT_PTR CALLBACK OptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FillOptions(dialog);
        OptionsToolTips = StartToolTips(dialog);
        AddToolTips(OptionsToolTips, dialog, OptionsTips, ARRAYSIZE(OptionsTips));
        ShowFocusOnLabels(dialog);
        return TRUE;
    case WM_SHOWWINDOW:
        CentreDialog(dialog);
        return TRUE;
    case WM_PAINT:
        return PaintLabelFocus(dialog);
    case WM_HELP:
        return DialogF1Help(dialog, IDD_OPTIONS);
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)  // button clicks only
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDOK: StoreOptions(dialog); EndDialog(dialog, 0); break;
        case IDCANCEL: EndDialog(dialog, 0); break;
        case IDC_HELPBUTTON: ShowDialogHelp(dialog, IDD_OPTIONS); break;
        case IDC_OPTIONS_TOOLLOCATIONS: RunToolLocationsDialog(dialog); break;
        }
        return FALSE;
    }
    return FALSE;
}

void RunOptionsDialog(HWND owner)
{
    RunDialog(owner, IDD_OPTIONS, OptionsProc);
}
